// Properties of TPMultiImage: setters, the stretch exclusion,
// AutoSize, the opaque mark, the border, the palette answer and the
// properties read from a form resource.
#include <functional>
#include <tuple>

#include "ImageFixture.h"
#include "imagectl/Loader.h"
#include "toolkit/Picture.h"

namespace imagectl_test {
namespace {

TEST(ImageProperties, StretchAndStretchRatioExcludeEachOther) {
  ProbeImage c;
  // Setting one true clears the other; setting one false leaves the other alone.
  // Per step: StretchRatio (else Stretch), the value, then Stretch and StretchRatio after.
  const bool steps[][4] = {{1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 0, 1},
                           {0, 0, 0, 1}, {0, 1, 1, 0}, {1, 0, 1, 0}};
  for (const auto& s : steps) {
    s[0] ? c.SetStretchRatio(s[1]) : c.SetStretch(s[1]);
    EXPECT_EQ(c.Stretch(), s[2]);
    EXPECT_EQ(c.StretchRatio(), s[3]);
  }
}

TEST(ImageProperties, SettersRepaintOnlyOnAVisibleChange) {
  ProbeImage c;
  struct Case {
    const char* name;
    std::function<void(bool differ)> set;
    int repaints;  // after a change
  };
  const Case cases[] = {
      {"Center", [&](bool d) { c.SetCenter(d ? !c.Center() : c.Center()); }, 1},
      {"Stretch", [&](bool d) { c.SetStretch(d ? !c.Stretch() : c.Stretch()); }, 1},
      {"StretchRatio", [&](bool d) { c.SetStretchRatio(d ? !c.StretchRatio() : c.StretchRatio()); },
       1},
      {"Text", [&](bool d) { c.SetText(d ? c.Text() + L"x" : c.Text()); }, 1},
      {"TextShadow", [&](bool d) { c.SetTextShadow(d ? !c.TextShadow() : c.TextShadow()); }, 1},
      {"TextLeft", [&](bool d) { c.SetTextLeft(c.TextLeft() + (d ? 1 : 0)); }, 1},
      {"TextTop", [&](bool d) { c.SetTextTop(c.TextTop() + (d ? 1 : 0)); }, 1},
      {"TextRotate", [&](bool d) { c.SetTextRotate(c.TextRotate() + (d ? 1 : 0)); }, 1},
      {"TextTransParent",
       [&](bool d) { c.SetTextTransParent(d ? !c.TextTransParent() : c.TextTransParent()); }, 1},
      {"TextShadowColor",
       [&](bool d) { c.SetTextShadowColor(d ? tk::clRed : c.TextShadowColor()); }, 0},
      {"ImageDither", [&](bool d) { c.SetImageDither(d ? !c.ImageDither() : c.ImageDither()); }, 0},
      {"ImageReadRes", [&](bool) { c.SetImageReadRes(TLoadResolution::lColor256); }, 0},
      {"JPegSaveQuality", [&](bool) { c.SetJPegSaveQuality(50); }, 0},
      {"DefSaveFilename", [&](bool) { c.SetDefSaveFilename(L"a.jpg"); }, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    c.invalidations = 0;
    k.set(false);
    EXPECT_EQ(c.invalidations, 0);
    k.set(true);
    EXPECT_EQ(c.invalidations, k.repaints);
  }
}

TEST(ImageProperties, AutoSizeAlwaysRunsPictureChanged) {
  Host h(200, 150);
  ProbeImage& c = *h.image;
  c.invalidations = 0;
  c.SetAutoSize(true);  // empty picture: no new bounds, still a repaint, each time
  c.SetAutoSize(true);
  EXPECT_EQ(c.Width(), 200);
  EXPECT_EQ(c.invalidations, 2);
  LoadBitmap(c, MakeSolidBitmap(50, 40, 0));
  RECT r;
  GetWindowRect(c.Handle(), &r);
  EXPECT_EQ((std::vector<long>{c.Left(), c.Top(), c.Width(), c.Height(), r.right - r.left}),
            (std::vector<long>{4, 4, 50, 40, 50}));
  c.SetAutoSize(false);
  LoadBitmap(c, MakeSolidBitmap(70, 30, 0));
  EXPECT_EQ(c.Width(), 50) << "without AutoSize the bounds stay";
}

// Only a bitmap of the control's size is opaque: the background is not erased under it.
TEST(ImageProperties, OpaqueBitmapOfControlSizeSkipsTheBackground) {
  Host h(40, 30);
  ProbeImage& c = *h.image;
  c.SetColor(Rgb(0, 255, 0));
  c.SetRastriumPalette(false);
  c.SetCopyMode(0x00AA0029);  // destination unchanged: only an erase would show
  Canvas canvas(40, 30);
  for (const auto& [width, height, opaque] :
       {std::tuple{40, 30, true}, {41, 30, false}, {40, 29, false}}) {
    LoadBitmap(c, MakeSolidBitmap(width, height, Rgb(255, 0, 0)));
    EXPECT_EQ(c.Opaque(), opaque) << width << "x" << height;
    canvas.Fill(Rgb(0x12, 0x34, 0x56));
    canvas.Render(c, false);
    EXPECT_EQ(canvas.At(10, 10), opaque ? Rgb(0x12, 0x34, 0x56) : Rgb(0, 255, 0));
  }
  c.Picture().Assign(imagectl::ReadToolkitPicture(DataFile(L"red.wmf")));
  EXPECT_FALSE(c.Opaque());
  LoadBitmap(c, MakeSolidBitmap(40, 30, 0));
  c.Picture().Clear();
  EXPECT_FALSE(c.Opaque());
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
  c.Picture().Assign(imagectl::ReadToolkitPicture(DataFile(L"icon.ico")));
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

// Values as a form resource writes them: enumerations, clamped numbers, colour
// names, a name that is only stored; properties without meaning here are taken.
TEST(ImageProperties, FormResourceProperties) {
  ProbeImage c;
  for (const auto& [p, v] : {std::pair{L"ImageReadRes", L"lMonoChrome"},
                             {L"TifSaveCompress", L"sPACKBITS"},
                             {L"JPegSaveSmooth", L"101"},
                             {L"JPegSaveQuality", L"0"},
                             {L"TextShadowColor", L"clRed"},
                             {L"Align", L"alClient"},
                             {L"ParentShowHint", L"False"},
                             {L"ImageName", L"file not found"}})
    c.SetProperty(p, v);
  EXPECT_EQ(c.ImageReadRes(), TLoadResolution::lMonoChrome);
  EXPECT_EQ(c.TifSaveCompress(), TTiffCompression::sPACKBITS);
  EXPECT_EQ(c.JPegSaveSmooth(), 5);
  EXPECT_EQ(c.JPegSaveQuality(), 25);
  EXPECT_EQ(c.TextShadowColor(), tk::clRed);
  EXPECT_EQ(c.Align(), TAlign::alClient);
  EXPECT_EQ(c.StoredImageName(), L"file not found");
  EXPECT_EQ(c.StatusText(), L"file not found");
  EXPECT_THROW(c.SetProperty(L"ImageReadRes", L"lBogus"), std::invalid_argument);
  EXPECT_THROW(c.SetProperty(L"NoSuchProperty", L"1"), std::invalid_argument);
}

}  // namespace
}  // namespace imagectl_test
