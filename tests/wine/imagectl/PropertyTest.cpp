// Properties of TPMultiImage: new-control values, setters, clamps, the
// stretch exclusion, AutoSize, the opaque mark, the border, the palette
// answer, form-resource properties and the loader seam.
#include <functional>

#include "Fixture.h"
#include "toolkit/Picture.h"
#include "toolkit/PictureReaders.h"

namespace imagectl_test {
namespace {

TEST(ImageProperties, NewControlValues) {
  ProbeImage c;
  EXPECT_FALSE(c.AutoSize());
  EXPECT_FALSE(c.Center());
  EXPECT_EQ(c.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(c.Align(), TAlign::alNone);
  EXPECT_EQ(c.GetColor(), tk::clBtnFace);
  EXPECT_EQ(c.DefSaveFilename(), L"");
  EXPECT_TRUE(c.Picture().Empty());
  EXPECT_EQ(c.StoredImageName(), L"");
  EXPECT_TRUE(c.RastriumPalette());
  EXPECT_TRUE(c.ImageDither());
  EXPECT_EQ(c.ImageReadRes(), TLoadResolution::lAutoMatic);
  EXPECT_EQ(c.ImageWriteRes(), TSaveResolution::sAutoMatic);
  EXPECT_EQ(c.TifSaveCompress(), TTiffCompression::sNONE);
  EXPECT_EQ(c.JPegSaveQuality(), 25);
  EXPECT_EQ(c.JPegSaveSmooth(), 0);
  EXPECT_FALSE(c.PNGInterLaced());
  EXPECT_FALSE(c.Stretch());
  EXPECT_FALSE(c.StretchRatio());
  EXPECT_EQ(c.Text(), L"");
  EXPECT_FALSE(c.TextShadow());
  EXPECT_EQ(c.TextShadowColor(), 0u);
  EXPECT_EQ(c.TextLeft(), 0);
  EXPECT_EQ(c.TextTop(), 0);
  EXPECT_EQ(c.TextRotate(), 0);
  EXPECT_TRUE(c.TextTransParent());
  EXPECT_TRUE(c.UseTwainWindow());
  EXPECT_EQ(c.Width(), 105);
  EXPECT_EQ(c.Height(), 105);
  EXPECT_FALSE(c.TabStop());
  EXPECT_TRUE(c.Enabled());
  EXPECT_TRUE(c.Visible());
  EXPECT_EQ(c.CopyMode(), static_cast<DWORD>(SRCCOPY));
  EXPECT_FALSE(c.Designing());
  EXPECT_FALSE(c.TickerActive);
  EXPECT_FALSE(c.ScrollerActive);
  EXPECT_EQ(c.StatusText(), L"");
  EXPECT_EQ(c.ImageType(), L"");
  EXPECT_EQ(c.ImageWidth(), 0);
  EXPECT_EQ(c.ImageFileSize(), 0);
  EXPECT_FALSE(c.OnPaint);
}

TEST(ImageProperties, JPegClamps) {
  ProbeImage c;
  const std::pair<int, int> quality[] = {{0, 25}, {1, 1}, {100, 100}, {101, 25}, {255, 25}};
  for (auto [in, out] : quality) {
    c.SetJPegSaveQuality(static_cast<std::uint8_t>(in));
    EXPECT_EQ(c.JPegSaveQuality(), out) << in;
  }
  const std::pair<int, int> smooth[] = {{0, 0}, {100, 100}, {101, 5}, {255, 5}};
  for (auto [in, out] : smooth) {
    c.SetJPegSaveSmooth(static_cast<std::uint8_t>(in));
    EXPECT_EQ(c.JPegSaveSmooth(), out) << in;
  }
  EXPECT_EQ(c.invalidations, 0);
}

TEST(ImageProperties, StretchAndStretchRatioExcludeEachOther) {
  ProbeImage c;
  c.SetStretchRatio(true);
  c.SetStretch(true);
  EXPECT_TRUE(c.Stretch());
  EXPECT_FALSE(c.StretchRatio());
  c.SetStretchRatio(true);
  EXPECT_TRUE(c.StretchRatio());
  EXPECT_FALSE(c.Stretch());
  c.SetStretch(false);  // False leaves the other alone
  EXPECT_TRUE(c.StretchRatio());
  c.SetStretch(true);
  c.SetStretchRatio(false);
  EXPECT_TRUE(c.Stretch());
}

TEST(ImageProperties, SettersInvalidateOnlyOnChange) {
  ProbeImage c;
  struct Case {
    const char* name;
    std::function<void(bool differ)> set;
  };
  const Case cases[] = {
      {"Center", [&](bool d) { c.SetCenter(d ? !c.Center() : c.Center()); }},
      {"Stretch", [&](bool d) { c.SetStretch(d ? !c.Stretch() : c.Stretch()); }},
      {"StretchRatio",
       [&](bool d) { c.SetStretchRatio(d ? !c.StretchRatio() : c.StretchRatio()); }},
      {"Text", [&](bool d) { c.SetText(d ? c.Text() + L"x" : c.Text()); }},
      {"TextShadow", [&](bool d) { c.SetTextShadow(d ? !c.TextShadow() : c.TextShadow()); }},
      {"TextLeft", [&](bool d) { c.SetTextLeft(c.TextLeft() + (d ? 1 : 0)); }},
      {"TextTop", [&](bool d) { c.SetTextTop(c.TextTop() + (d ? 1 : 0)); }},
      {"TextRotate", [&](bool d) { c.SetTextRotate(c.TextRotate() + (d ? 1 : 0)); }},
      {"TextTransParent",
       [&](bool d) { c.SetTextTransParent(d ? !c.TextTransParent() : c.TextTransParent()); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    c.invalidations = 0;
    k.set(false);
    EXPECT_EQ(c.invalidations, 0);
    k.set(true);
    EXPECT_EQ(c.invalidations, 1);
  }
}

TEST(ImageProperties, PlainStoresDoNotRepaint) {
  ProbeImage c;
  c.SetTextShadowColor(tk::clRed);
  c.SetRastriumPalette(false);
  c.SetImageDither(false);
  c.SetImageReadRes(TLoadResolution::lColor256);
  c.SetImageWriteRes(TSaveResolution::sJpegGray);
  c.SetTifSaveCompress(TTiffCompression::sLZW);
  c.SetPNGInterLaced(true);
  c.SetUseTwainWindow(false);
  c.SetDefSaveFilename(L"a.jpg");
  c.SetJPegSaveQuality(50);
  c.SetJPegSaveSmooth(3);
  EXPECT_EQ(c.invalidations, 0);
  EXPECT_EQ(c.TextShadowColor(), tk::clRed);
  EXPECT_EQ(c.ImageReadRes(), TLoadResolution::lColor256);
  EXPECT_EQ(c.TifSaveCompress(), TTiffCompression::sLZW);
  c.SetDefSaveFilename(L"");
  EXPECT_EQ(c.DefSaveFilename(), L"");
}

TEST(ImageProperties, AutoSizeAlwaysRunsPictureChanged) {
  Host h(200, 150);
  ProbeImage& c = *h.image;
  c.invalidations = 0;
  c.SetAutoSize(true);  // empty picture: no new bounds, still a repaint
  EXPECT_EQ(c.Width(), 200);
  EXPECT_EQ(c.Height(), 150);
  EXPECT_EQ(c.invalidations, 1);
  c.SetAutoSize(true);
  EXPECT_EQ(c.invalidations, 2);
  LoadBitmap(c, MakeSolidBitmap(50, 40, 0));
  EXPECT_EQ(c.Left(), 4);
  EXPECT_EQ(c.Top(), 4);
  EXPECT_EQ(c.Width(), 50);
  EXPECT_EQ(c.Height(), 40);
  RECT r;
  GetWindowRect(c.Handle(), &r);
  EXPECT_EQ(r.right - r.left, 50);
  c.SetAutoSize(false);
  LoadBitmap(c, MakeSolidBitmap(70, 30, 0));
  EXPECT_EQ(c.Width(), 50) << "without AutoSize the bounds stay";
}

TEST(ImageProperties, OpaqueOnlyForBitmapOfControlSize) {
  Host h(105, 105);
  ProbeImage& c = *h.image;
  LoadBitmap(c, MakeSolidBitmap(105, 105, 0));
  EXPECT_TRUE(c.Opaque());
  LoadBitmap(c, MakeSolidBitmap(106, 105, 0));
  EXPECT_FALSE(c.Opaque());
  LoadBitmap(c, MakeSolidBitmap(105, 104, 0));
  EXPECT_FALSE(c.Opaque());
  const auto wmf = MakePlaceableWmf(105, 105, 96);
  c.Picture().Assign(tk::ReadMetafile(wmf.data(), wmf.size()));
  EXPECT_FALSE(c.Opaque());
  LoadBitmap(c, MakeSolidBitmap(105, 105, 0));
  c.Picture().Clear();
  EXPECT_FALSE(c.Opaque());
}

TEST(ImageProperties, OpaqueControlSkipsTheBackground) {
  Host h(40, 30);
  ProbeImage& c = *h.image;
  c.SetColor(Rgb(0, 255, 0));
  c.SetRastriumPalette(false);
  LoadBitmap(c, MakeSolidBitmap(40, 30, Rgb(255, 0, 0)));
  c.SetCopyMode(0x00AA0029);  // destination unchanged: only an erase would show
  Canvas canvas(40, 30);
  canvas.Render(c, false);
  EXPECT_EQ(canvas.At(10, 10), Rgb(0x12, 0x34, 0x56));
  LoadBitmap(c, MakeSolidBitmap(39, 30, Rgb(255, 0, 0)));
  canvas.Render(c, false);
  EXPECT_EQ(canvas.At(10, 10), Rgb(0, 255, 0));
}

TEST(ImageProperties, BorderStyleRecreatesWithThinBorder) {
  Host h(100, 80);
  ProbeImage& c = *h.image;
  HWND before = c.Handle();
  EXPECT_FALSE(GetWindowLongW(before, GWL_STYLE) & WS_BORDER);
  c.SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_TRUE(GetWindowLongW(c.Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_LT(c.ClientWidth(), 100);
  c.invalidations = 0;
  c.SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_TRUE(GetWindowLongW(c.Handle(), GWL_STYLE) & WS_BORDER);
  c.SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_FALSE(GetWindowLongW(c.Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(c.ClientWidth(), 100);
}

TEST(ImageProperties, PaletteAnswer) {
  ProbeImage c;
  HPALETTE pal = MakePalette();
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0), pal);
  EXPECT_EQ(c.GetPalette(), nullptr) << "RastriumPalette: the control realises it itself";
  c.SetRastriumPalette(false);
  EXPECT_EQ(c.GetPalette(), pal);
  const auto ico = MakeIcoFile(false);
  c.Picture().Assign(tk::ReadIcon(ico.data(), ico.size()));
  EXPECT_EQ(c.GetPalette(), nullptr);
}

TEST(ImageProperties, PictureAssignmentCopiesIntoOwnObject) {
  ProbeImage a, b;
  tk::Picture* own = &b.Picture();
  LoadBitmap(a, MakeSolidBitmap(30, 20, 0));
  b.invalidations = 0;
  b.SetPicture(a.Picture());
  EXPECT_EQ(&b.Picture(), own);
  EXPECT_EQ(b.Picture().Width(), 30);
  EXPECT_TRUE(b.Picture().SharesImageWith(a.Picture()));
  EXPECT_EQ(b.invalidations, 1);
}

TEST(ImageProperties, FormResourceProperties) {
  ProbeImage c;
  const std::pair<const wchar_t*, const wchar_t*> props[] = {{L"RastriumPalette", L"False"},
                                                             {L"ImageDither", L"False"},
                                                             {L"ImageReadRes", L"lMonoChrome"},
                                                             {L"ImageWriteRes", L"sJpegGray"},
                                                             {L"TifSaveCompress", L"sPACKBITS"},
                                                             {L"JPegSaveQuality", L"15"},
                                                             {L"JPegSaveSmooth", L"101"},
                                                             {L"TextLeft", L"3"},
                                                             {L"TextTop", L"4"},
                                                             {L"TextRotate", L"-90"},
                                                             {L"UseTwainWindow", L"False"},
                                                             {L"Stretch", L"True"},
                                                             {L"Center", L"True"},
                                                             {L"Text", L"Hello"},
                                                             {L"TextShadowColor", L"clRed"},
                                                             {L"TextTransParent", L"False"},
                                                             {L"TextShadow", L"True"},
                                                             {L"AutoSize", L"False"},
                                                             {L"PNGInterLaced", L"True"},
                                                             {L"Align", L"alClient"},
                                                             {L"DefSaveFilename", L"x.jpg"},
                                                             {L"ParentShowHint", L"False"},
                                                             {L"Color", L"clBlack"},
                                                             {L"ImageName", L"file not found"}};
  for (auto [p, v] : props) c.SetProperty(p, v);
  EXPECT_FALSE(c.RastriumPalette());
  EXPECT_FALSE(c.ImageDither());
  EXPECT_EQ(c.ImageReadRes(), TLoadResolution::lMonoChrome);
  EXPECT_EQ(c.ImageWriteRes(), TSaveResolution::sJpegGray);
  EXPECT_EQ(c.TifSaveCompress(), TTiffCompression::sPACKBITS);
  EXPECT_EQ(c.JPegSaveQuality(), 15);
  EXPECT_EQ(c.JPegSaveSmooth(), 5);
  EXPECT_EQ(c.TextLeft(), 3);
  EXPECT_EQ(c.TextTop(), 4);
  EXPECT_EQ(c.TextRotate(), -90);
  EXPECT_FALSE(c.UseTwainWindow());
  EXPECT_TRUE(c.Stretch());
  EXPECT_TRUE(c.Center());
  EXPECT_EQ(c.Text(), L"Hello");
  EXPECT_EQ(c.TextShadowColor(), tk::clRed);
  EXPECT_FALSE(c.TextTransParent());
  EXPECT_TRUE(c.TextShadow());
  EXPECT_TRUE(c.PNGInterLaced());
  EXPECT_EQ(c.Align(), TAlign::alClient);
  EXPECT_EQ(c.GetColor(), tk::clBlack);
  EXPECT_EQ(c.StoredImageName(), L"file not found");
  EXPECT_EQ(c.StatusText(), L"file not found");
  c.SetProperty(L"BorderStyle", L"bsSingle");
  EXPECT_EQ(c.BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_THROW(c.SetProperty(L"ImageReadRes", L"lBogus"), std::invalid_argument);
  EXPECT_THROW(c.SetProperty(L"NoSuchProperty", L"1"), std::invalid_argument);
}

TEST(ImageProperties, BuiltFromAFormResource) {
  tk::Form form;
  tk::FormResource res{L"Form9",
                       L"TForm",
                       {{L"ClientWidth", L"400"}, {L"ClientHeight", L"300"}},
                       {{L"PMultiImage1",
                         L"TPMultiImage",
                         L"Form9",
                         {{L"Left", L"4"},
                          {L"Top", L"4"},
                          {L"Width", L"352"},
                          {L"Height", L"264"},
                          {L"Color", L"clBtnFace"},
                          {L"ImageName", L"file not found"},
                          {L"RastriumPalette", L"False"},
                          {L"ImageReadRes", L"lAutoMatic"},
                          {L"ImageWriteRes", L"sAutoMatic"},
                          {L"TifSaveCompress", L"sNONE"},
                          {L"JPegSaveQuality", L"15"},
                          {L"TabStop", L"False"},
                          {L"Visible", L"False"}}}}};
  form.Load(res);
  auto* c = form.Component<TPMultiImage>(L"PMultiImage1");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Width(), 352);
  EXPECT_EQ(c->JPegSaveQuality(), 15);
  EXPECT_FALSE(c->RastriumPalette());
  EXPECT_FALSE(c->Visible());
  EXPECT_EQ(c->StatusText(), L"file not found");
}

TEST(ImageProperties, StopTickerRestoresColourAndEmpties) {
  ProbeImage c;
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0));
  c.SavedColor = tk::clRed;
  c.SetColor(tk::clBlack);
  c.TickerActive = true;
  c.StopTicker();
  EXPECT_EQ(c.GetColor(), tk::clRed);
  EXPECT_FALSE(c.TickerActive);
  EXPECT_TRUE(c.Picture().Empty());
  c.SetColor(tk::clOlive);
  c.StopTicker();  // nothing running: the colour stays
  EXPECT_EQ(c.GetColor(), tk::clOlive);
}

// ---- the loader seam

TEST(ImageLoader, EmptyOrMissingNameEmptiesThePicture) {
  ProbeImage c;
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0));
  c.SetImageName(L"");
  EXPECT_TRUE(c.Picture().Empty());
  EXPECT_EQ(c.ImageName(), L"file not found");
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0));
  c.SetImageName(TempPath(L"does-not-exist.jpg"));
  EXPECT_TRUE(c.Picture().Empty());
  EXPECT_EQ(c.StatusText(), L"file not found");
}

TEST(ImageLoader, IconAndMetafileLoadThroughTheToolkitReaders) {
  ProbeImage c;
  const std::wstring ico = TempPath(L"loaded.ico");
  const auto icoBytes = MakeIcoFile(true);
  WriteBytes(ico, icoBytes);
  c.SetImageName(ico);
  EXPECT_EQ(c.Picture().Kind(), tk::GraphicKind::IconGraphic);
  EXPECT_EQ(c.StatusText(), L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image");
  EXPECT_EQ(c.ImageType(), L"ICO");
  EXPECT_EQ(c.ImageDetail(), L"ICO");
  EXPECT_EQ(c.ImageWidth(), 32);
  EXPECT_EQ(c.ImageHeight(), 32);
  EXPECT_EQ(c.ImageDepthA(), 0);
  EXPECT_EQ(c.ImageFileSize(), static_cast<int>(icoBytes.size()));

  const std::wstring wmf = TempPath(L"Loaded.Wmf");
  WriteBytes(wmf, MakePlaceableWmf(96, 48, 96));
  c.SetImageName(wmf);
  EXPECT_EQ(c.Picture().Kind(), tk::GraphicKind::MetafileGraphic);
  EXPECT_EQ(c.ImageType(), L"WMF");
  EXPECT_GT(c.ImageWidth(), 0);
}

TEST(ImageLoader, DamagedIconRaisesToTheCaller) {
  ProbeImage c;
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0));
  const std::wstring ico = TempPath(L"broken.ico");
  WriteBytes(ico, std::vector<std::uint8_t>(100, 0x33));
  c.SetImageName(L"");
  const std::wstring status = c.StatusText();
  EXPECT_THROW(c.SetImageName(ico), tk::EInvalidGraphic);
  EXPECT_TRUE(c.Picture().Empty());
  EXPECT_EQ(c.StatusText(), status);
}

TEST(ImageLoader, OtherFilesKeepThePictureForNow) {
  ProbeImage c;
  const std::wstring other = TempPath(L"photo.jpeg");
  WriteBytes(other, std::vector<std::uint8_t>(10, 1));
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0));
  c.SetImageName(other);
  EXPECT_EQ(c.Picture().Width(), 8);
  std::wstring upper = other;
  for (auto& ch : upper)
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
  EXPECT_EQ(c.StatusText(), upper);
}

TEST(ImageLoader, InfoForMissingMetafileIsAnError) {
  ProbeImage c;
  EXPECT_FALSE(c.ReadImageInfo(TempPath(L"gone.wmf")));
  EXPECT_EQ(c.ImageType(), L"ERR");
  EXPECT_EQ(c.ImageDetail(), L"ERR");
  EXPECT_EQ(c.ImageWidth(), -1);
  EXPECT_EQ(c.ImageHeight(), -1);
  EXPECT_EQ(c.ImageDepthA(), -1);
  EXPECT_EQ(c.ImageDepthB(), -1);
  EXPECT_EQ(c.ImageExtra(), -1);
  EXPECT_EQ(c.ImageFileSize(), -1);
}

TEST(ImageLoader, InfoForResourceBitmap) {
  ProbeImage c;
  LoadBitmap(c, MakeSolidBitmap(10, 3, 0));
  EXPECT_TRUE(c.ReadImageInfo(L"C:\\ANY\\LOGO.RES"));
  EXPECT_EQ(c.ImageType(), L"RES");
  EXPECT_EQ(c.ImageDetail(), L"BMP");
  EXPECT_EQ(c.ImageWidth(), 10);
  EXPECT_EQ(c.ImageHeight(), 3);
  EXPECT_EQ(c.ImageFileSize(), 40 + 3 * ((10 * 24 + 31) / 32) * 4);
}

}  // namespace
}  // namespace imagectl_test
