// Properties of TPMultiImage: the stretch exclusion, setters, AutoSize, the
// opaque mark, a copied picture's cost, the palette answer and the properties
// read from a form resource.
#include <functional>
#include <tuple>

#include "ImageFixture.h"
#include "imagectl/Loader.h"
#include "toolkit/Picture.h"

namespace imagectl_test {
namespace {

// Stretch and StretchRatio: setting one true clears the other; setting one
// false leaves the other alone. A setter repaints when the value shown
// changes, not when it is set again.
TEST(ImageProperties, StretchExclusionAndSettersRepaintOnlyOnAVisibleChange) {
  ProbeImage c, other;
  // Per step: StretchRatio (else Stretch), the value, then Stretch and StretchRatio after.
  const bool steps[][4] = {{1, 1, 0, 1}, {0, 1, 1, 0}, {1, 1, 0, 1},
                           {0, 0, 0, 1}, {0, 1, 1, 0}, {1, 0, 1, 0}};
  for (const auto& s : steps) {
    s[0] ? c.SetStretchRatio(s[1]) : c.SetStretch(s[1]);
    EXPECT_EQ(std::pair(c.Stretch(), c.StretchRatio()), std::pair(s[2], s[3]));
  }
  LoadBitmap(other, MakeSolidBitmap(30, 20, 0));
  // Sets the flag or number as it is, or (differ) with its lowest bit flipped.
  auto flag = [&c](auto get, auto set) {
    return [&c, get, set](bool differ) {
      (c.*set)(static_cast<decltype((c.*get)())>((c.*get)() ^ differ));
    };
  };
  const std::tuple<const char*, std::function<void(bool)>, int> cases[] = {
      {"Center", flag(&TPMultiImage::Center, &TPMultiImage::SetCenter), 1},
      {"Stretch", flag(&TPMultiImage::Stretch, &TPMultiImage::SetStretch), 1},
      {"StretchRatio", flag(&TPMultiImage::StretchRatio, &TPMultiImage::SetStretchRatio), 1},
      {"TextShadow", flag(&TPMultiImage::TextShadow, &TPMultiImage::SetTextShadow), 1},
      {"TextTransParent", flag(&TPMultiImage::TextTransParent, &TPMultiImage::SetTextTransParent),
       1},
      {"TextLeft", flag(&TPMultiImage::TextLeft, &TPMultiImage::SetTextLeft), 1},
      {"TextTop", flag(&TPMultiImage::TextTop, &TPMultiImage::SetTextTop), 1},
      {"TextRotate", flag(&TPMultiImage::TextRotate, &TPMultiImage::SetTextRotate), 1},
      {"Text", [&](bool d) { c.SetText(d ? c.Text() + L"x" : c.Text()); }, 1},
      {"Picture", [&](bool d) { d ? c.SetPicture(other.Picture()) : void(); }, 1},
      {"TextShadowColor",
       [&](bool d) { c.SetTextShadowColor(d ? tk::clRed : c.TextShadowColor()); }, 0},
      {"ImageDither", flag(&TPMultiImage::ImageDither, &TPMultiImage::SetImageDither), 0}};
  for (const auto& [name, set, repaints] : cases) {
    c.invalidations = 0;
    set(false);
    const int same = c.invalidations;
    set(true);
    EXPECT_EQ(std::pair(same, c.invalidations), std::pair(0, repaints)) << name;
  }
}

TEST(ImageProperties, AutoSizeAlwaysRunsPictureChanged) {
  Host h(200, 150);
  ProbeImage& c = *h.image;
  c.invalidations = 0;
  c.SetAutoSize(true);  // empty picture: no new bounds, still a repaint, each time
  c.SetAutoSize(true);
  EXPECT_EQ(std::pair(c.Width(), c.invalidations), std::pair(200, 2));
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
    canvas.Fill(Rgb(0x12, 0x34, 0x56));
    canvas.Render(c, false);
    EXPECT_EQ(std::pair(c.Opaque(), canvas.At(10, 10)),
              std::pair(opaque, opaque ? Rgb(0x12, 0x34, 0x56) : Rgb(0, 255, 0)))
        << width << "x" << height;
  }
  c.Picture().Assign(imagectl::ReadToolkitPicture(DataFile(L"red.wmf")));
  const bool metafile = c.Opaque();
  LoadBitmap(c, MakeSolidBitmap(40, 30, 0));
  c.Picture().Clear();
  EXPECT_FALSE(metafile || c.Opaque());
}

// A copy of a picture shares its pixels, also when drawn stretched.
TEST(Resources, CopyOfLargePictureCostsNoPixels) {
  Host a(300, 200), b(300, 200);
  const std::uint64_t start = PrivateBytes();
  HBITMAP big = MakeSolidBitmap(6000, 4000, Rgb(9, 9, 9));
  ASSERT_NE(big, nullptr);
  LoadBitmap(*a.image, big);
  const std::uint64_t loaded = PrivateBytes();
  const std::uint64_t pixels = 6000ull * 4000ull * 4ull;
  EXPECT_GE(loaded - start, pixels * 9 / 10) << "the measure sees the first copy";
  b.image->SetPicture(a.image->Picture());
  b.image->SetStretch(true);
  Canvas canvas(300, 200);
  canvas.Render(*b.image);
  const std::uint64_t copied = PrivateBytes();
  a.image->Picture().Clear();  // the copy keeps the pixels
  EXPECT_TRUE(static_cast<long long>(copied - loaded) < static_cast<long long>(pixels / 10) &&
              canvas.At(150, 100) == Rgb(9, 9, 9) && b.image->Picture().Width() == 6000);
}

// Values as a form resource writes them: enumerations, clamped numbers, colour
// names, a name that is only stored; properties without meaning here are taken.
// The palette answer: none while the control realises the bitmap's palette
// itself, then the bitmap's, none for an icon.
TEST(ImageProperties, FormResourcePropertiesAndThePaletteAnswer) {
  ProbeImage c;
  HPALETTE pal = CreateHalftonePalette(nullptr);
  LoadBitmap(c, MakeSolidBitmap(8, 8, 0), pal);
  const HPALETTE realisedByTheControl = c.GetPalette();
  c.SetRastriumPalette(false);
  const HPALETTE bitmaps = c.GetPalette();
  c.Picture().Assign(imagectl::ReadToolkitPicture(DataFile(L"icon.ico")));
  EXPECT_EQ((std::vector{realisedByTheControl, bitmaps, c.GetPalette()}),
            (std::vector<HPALETTE>{nullptr, pal, nullptr}));
  for (const auto& [p, v] : {std::pair{L"ImageReadRes", L"lMonoChrome"},
                             {L"TifSaveCompress", L"sPACKBITS"},
                             {L"JPegSaveSmooth", L"101"},
                             {L"JPegSaveQuality", L"0"},
                             {L"TextShadowColor", L"clRed"},
                             {L"Align", L"alClient"},
                             {L"ParentShowHint", L"False"},
                             {L"ImageName", L"file not found"}})
    c.SetProperty(p, v);
  EXPECT_TRUE(c.ImageReadRes() == TLoadResolution::lMonoChrome &&
              c.TifSaveCompress() == TTiffCompression::sPACKBITS && c.Align() == TAlign::alClient &&
              c.TextShadowColor() == tk::clRed);
  EXPECT_EQ(
      std::tuple(c.JPegSaveSmooth(), c.JPegSaveQuality(), c.StoredImageName(), c.StatusText()),
      std::tuple(5, 25, std::wstring(L"file not found"), std::wstring(L"file not found")));
  EXPECT_THROW(c.SetProperty(L"ImageReadRes", L"lBogus"), std::invalid_argument);
  EXPECT_THROW(c.SetProperty(L"NoSuchProperty", L"1"), std::invalid_argument);
}

}  // namespace
}  // namespace imagectl_test
