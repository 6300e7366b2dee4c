// Where the picture lands: the placement functions, then real paints into a
// DIB section on both drawing paths. Coded pictures tell, for every pixel,
// which source pixel it is, so offsets outside the control are visible too.
#include "Fixture.h"
#include "imagectl/Geometry.h"

namespace imagectl_test {
namespace {

using imagectl::Placement;

constexpr std::uint32_t kBackground = Rgb(0, 255, 0);

TEST(Placement, RatioRuleCases) {
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 100, 200), (Placement{110, 0, 132, 264}));
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 400, 100), (Placement{0, 88, 352, 88}));
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 200, 190), (Placement{0, -35, 352, 334}));
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 50, 50), (Placement{44, 0, 264, 264}));
}

TEST(Placement, RatioRuleRoundsHalvesToEven) {
  // spare width 3 -> x = nearest(1.5) = 2; spare 5 -> nearest(2.5) = 2.
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 4, 1, 1, 1).x, 2);
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 6, 1, 1, 1).x, 2);
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 8, 1, 1, 1).x, 4);  // nearest(3.5) = 4
}

TEST(Placement, RatioRuleFaultGivesWholeClient) {
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 0, 0), (Placement{0, 0, 352, 264}));
}

TEST(Placement, CentringTruncatesTowardZero) {
  EXPECT_EQ(imagectl::CentreOffset(105, 110), -2);
  EXPECT_EQ(imagectl::CentreOffset(352, 100), 126);
  EXPECT_EQ(imagectl::LibraryPlacement(false, true, 352, 264, 350, 262, 100, 50),
            (Placement{126, 107, 100, 50}));
  EXPECT_EQ(imagectl::NaturalPlacement(true, 350, 262, 100, 50), (Placement{125, 106, 100, 50}));
  EXPECT_EQ(imagectl::LibraryPlacement(false, false, 352, 264, 352, 264, 100, 50),
            (Placement{0, 0, 100, 50}));
  EXPECT_EQ(imagectl::LibraryPlacement(true, true, 352, 264, 350, 262, 100, 50),
            (Placement{0, 0, 350, 262}));
}

class PaintFixture : public ::testing::Test {
 protected:
  void Make(int width, int height, bool paletteManaged) {
    host = std::make_unique<Host>(width, height);
    c().SetColor(kBackground);
    c().SetRastriumPalette(paletteManaged);
    c().OnPaint = [this](tk::Control&) { ++paints; };
  }
  ProbeImage& c() { return *host->image; }
  // Paints and returns the canvas of the client size.
  Canvas& Paint() {
    canvas = std::make_unique<Canvas>(c().ClientWidth(), c().ClientHeight());
    canvas->Render(c());
    return *canvas;
  }
  RECT CodedBounds() { return canvas->Bounds(IsCoded); }
  // The source pixel shown at (x, y) of the canvas.
  POINT SourceAt(int x, int y) {
    const std::uint32_t p = canvas->At(x, y);
    EXPECT_TRUE(IsCoded(p)) << x << "," << y;
    return POINT{static_cast<LONG>(R(p)), static_cast<LONG>(G(p))};
  }
  void ExpectNatural(int x0, int y0, int pw, int ph) {
    const RECT b = CodedBounds();
    EXPECT_EQ(b.left, std::max(0, x0));
    EXPECT_EQ(b.top, std::max(0, y0));
    EXPECT_EQ(b.right, std::min<LONG>(canvas->width(), x0 + pw));
    EXPECT_EQ(b.bottom, std::min<LONG>(canvas->height(), y0 + ph));
    const POINT s = SourceAt(b.left, b.top);
    EXPECT_EQ(s.x, (b.left - x0) & 0xFF);
    EXPECT_EQ(s.y, (b.top - y0) & 0xFF);
  }

  std::unique_ptr<Host> host;
  std::unique_ptr<Canvas> canvas;
  int paints = 0;
};

// ---- library path

TEST_F(PaintFixture, LibraryPlain) {
  Make(352, 264, false);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  Paint();
  ExpectNatural(0, 0, 100, 50);
  EXPECT_EQ(canvas->At(200, 200), kBackground);
  EXPECT_EQ(paints, 1);
}

TEST_F(PaintFixture, LibraryCentred) {
  Make(352, 264, false);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetCenter(true);
  Paint();
  ExpectNatural(126, 107, 100, 50);
}

TEST_F(PaintFixture, LibraryStretched) {
  Make(352, 264, false);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetStretch(true);
  Paint();
  const RECT b = CodedBounds();
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 352);
  EXPECT_EQ(b.bottom, 264);
  EXPECT_NEAR(SourceAt(351, 263).x, 99, 1);
  EXPECT_NEAR(SourceAt(351, 263).y, 49, 1);
  // The stretched copy kept between paints follows the size and the picture.
  c().SetBounds(4, 4, 200, 100);
  Paint();
  EXPECT_NEAR(SourceAt(199, 99).x, 99, 1);
  LoadBitmap(c(), MakeSolidBitmap(100, 50, Rgb(0, 0, 255)));
  EXPECT_EQ(Paint().At(199, 99), Rgb(0, 0, 255));
}

TEST_F(PaintFixture, LibraryIgnoresStretchRatio) {
  Make(352, 264, false);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetStretchRatio(true);
  Paint();
  ExpectNatural(0, 0, 100, 50);
}

TEST_F(PaintFixture, LibraryCentresOnOuterSizeWithBorder) {
  Make(352, 264, false);
  c().SetBorderStyle(TBorderStyle::bsSingle);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetCenter(true);
  Paint();
  EXPECT_EQ(canvas->width(), 350);
  ExpectNatural(126, 107, 100, 50);
}

TEST_F(PaintFixture, LibraryNegativeOffset) {
  Make(105, 105, false);
  LoadBitmap(c(), MakeCodedBitmap(110, 111));
  c().SetCenter(true);
  Paint();
  ExpectNatural(-2, -3, 110, 111);
}

TEST_F(PaintFixture, IconTypeTakesLibraryPathAndKeepsIconSize) {
  Make(352, 264, true);
  c().SetBorderStyle(TBorderStyle::bsSingle);
  const std::wstring ico = TempPath(L"paint.ico");
  WriteBytes(ico, MakeIcoFile(false));
  c().SetImageName(ico);
  ASSERT_EQ(c().ImageType(), L"ICO");
  c().SetStretch(true);  // an icon is drawn at its own size even so
  Paint();
  auto red = [](std::uint32_t p) { return R(p) > 200 && G(p) < 50 && B(p) < 50; };
  RECT b = canvas->Bounds(red);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 32);
  EXPECT_EQ(b.bottom, 32);
  c().SetStretch(false);
  c().SetCenter(true);
  Paint();
  b = canvas->Bounds(red);
  EXPECT_EQ(b.left, (352 - 32) / 2) << "library path: outer size";
  EXPECT_EQ(b.top, (264 - 32) / 2);
}

TEST_F(PaintFixture, MetafileOnLibraryPath) {
  Make(352, 264, false);
  const std::wstring wmf = TempPath(L"paint.wmf");
  WriteBytes(wmf, MakePlaceableWmf(100, 60, 96));
  c().SetImageName(wmf);
  const int pw = c().Picture().Width(), ph = c().Picture().Height();
  c().SetStretch(true);
  Paint();
  auto red = [](std::uint32_t p) { return R(p) > 200 && G(p) < 50; };
  RECT b = canvas->Bounds(red);
  EXPECT_NEAR(b.left, 0, 1);
  EXPECT_NEAR(b.top, 0, 1);
  EXPECT_NEAR(b.right, 352, 3);
  EXPECT_NEAR(b.bottom, 264, 3);
  c().SetStretch(false);
  c().SetCenter(true);
  Paint();
  b = canvas->Bounds(red);
  EXPECT_NEAR(b.left, (352 - pw) / 2, 1);
  EXPECT_NEAR(b.top, (264 - ph) / 2, 1);
  EXPECT_NEAR(b.right - b.left, pw, 2);
}

// ---- palette-managed path

TEST_F(PaintFixture, PaletteNatural) {
  Make(352, 264, true);
  LoadBitmap(c(), MakeCodedBitmap(100, 50), MakePalette());
  Paint();
  ExpectNatural(0, 0, 100, 50);
}

TEST_F(PaintFixture, PaletteCentresOnClientSize) {
  Make(352, 264, true);
  c().SetBorderStyle(TBorderStyle::bsSingle);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetCenter(true);
  Paint();
  ExpectNatural((350 - 100) / 2, (262 - 50) / 2, 100, 50);
}

TEST_F(PaintFixture, PaletteNegativeOffset) {
  Make(105, 105, true);
  LoadBitmap(c(), MakeCodedBitmap(110, 112));
  c().SetCenter(true);
  Paint();
  ExpectNatural(-2, -3, 110, 112);
}

TEST_F(PaintFixture, PaletteStretched) {
  Make(352, 264, true);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().SetStretch(true);
  Paint();
  const RECT b = CodedBounds();
  EXPECT_EQ(b.right, 352);
  EXPECT_EQ(b.bottom, 264);
  EXPECT_EQ(GetStretchBltMode(canvas->dc()), COLORONCOLOR);
}

TEST_F(PaintFixture, PaletteRatioPortrait) {
  Make(352, 264, true);
  LoadBitmap(c(), MakeCodedBitmap(100, 200));
  c().SetStretchRatio(true);
  Paint();
  const RECT b = CodedBounds();
  EXPECT_EQ(b.left, 110);
  EXPECT_EQ(b.right, 110 + 132);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.bottom, 264);
  EXPECT_EQ(canvas->At(109, 100), kBackground);
}

TEST_F(PaintFixture, PaletteRatioLandscape) {
  Make(352, 264, true);
  LoadBitmap(c(), MakeCodedBitmap(400, 100));
  c().SetStretchRatio(true);
  Paint();
  const RECT b = CodedBounds();
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.right, 352);
  EXPECT_EQ(b.top, 88);
  EXPECT_EQ(b.bottom, 88 + 88);
}

TEST_F(PaintFixture, PaletteRatioCutOff) {
  Make(352, 264, true);
  LoadBitmap(c(), MakeCodedBitmap(200, 190));
  c().SetStretchRatio(true);
  Paint();
  const RECT b = CodedBounds();
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.bottom, 264);
  // Placed at y = -35 with height 334: the top row shows source row 35 * 190 / 334.
  EXPECT_NEAR(SourceAt(100, 0).y, 35 * 190 / 334, 1);
  EXPECT_NEAR(SourceAt(100, 263).y, (263 + 35) * 190 / 334, 1);
}

TEST_F(PaintFixture, LowerCaseIcoTypeStaysOnPalettePath) {
  Make(352, 264, true);
  c().SetBorderStyle(TBorderStyle::bsSingle);
  LoadBitmap(c(), MakeCodedBitmap(100, 50));
  c().ReadImageInfo(L"x.res");  // any type other than "ICO"/"WMF"
  c().SetCenter(true);
  Paint();
  ExpectNatural(125, 106, 100, 50);
}

TEST_F(PaintFixture, EmptyPictureShowsBackgroundAndCallsOnPaint) {
  for (bool paletteManaged : {false, true}) {
    SCOPED_TRACE(paletteManaged);
    paints = 0;
    Make(120, 90, paletteManaged);
    Paint();
    EXPECT_EQ(canvas->Count([](std::uint32_t p) { return p != kBackground; }), 0);
    EXPECT_EQ(paints, 1);
  }
}

TEST_F(PaintFixture, CopyModeGovernsEveryTransfer) {
  for (bool paletteManaged : {false, true}) {
    SCOPED_TRACE(paletteManaged);
    Make(100, 100, paletteManaged);
    LoadBitmap(c(), MakeSolidBitmap(50, 50, Rgb(0x10, 0x20, 0x30)));
    c().SetCopyMode(NOTSRCCOPY);
    Paint();
    EXPECT_EQ(canvas->At(10, 10), Rgb(0xEF, 0xDF, 0xCF));
    c().SetStretch(true);
    Paint();
    EXPECT_EQ(canvas->At(90, 90), Rgb(0xEF, 0xDF, 0xCF));
  }
}

TEST_F(PaintFixture, DesignOutlineDrawnBeforeThePicture) {
  for (bool paletteManaged : {false, true}) {
    SCOPED_TRACE(paletteManaged);
    Make(100, 80, paletteManaged);
    c().SetDesigning(true);
    Paint();
    const int dark = canvas->Count([](std::uint32_t p) { return p == 0; });
    EXPECT_GT(dark, 100);  // dashes along the four edges
    EXPECT_LT(dark, 2 * (100 + 80));
    EXPECT_EQ(canvas->At(50, 40), kBackground) << "hollow inside";
    LoadBitmap(c(), MakeCodedBitmap(100, 80));
    Paint();
    EXPECT_EQ(canvas->Count([](std::uint32_t p) { return p == 0; }), 0)
        << "the picture covers the outline";
  }
}

TEST_F(PaintFixture, OutOfResourcesStopsThePaint) {
  Make(100, 80, true);
  LoadBitmap(c(), MakeCodedBitmap(20, 20));
  c().SetText(L"Text");
  c().failMemoryDc = true;
  ExceptionCatcher caught;
  Paint();
  ASSERT_EQ(caught.messages.size(), 1u);
  EXPECT_EQ(caught.messages[0], "Systemressourcen erschöpft.");
  EXPECT_EQ(paints, 0);
  EXPECT_TRUE(c().fonts.empty()) << "no overlay after the failure";
  c().failMemoryDc = false;
  Paint();  // the next paint tries again
  ExpectNatural(0, 0, 20, 20);
  EXPECT_EQ(paints, 1);
}

TEST_F(PaintFixture, PaintMessageEndsEvenWhenPaintingFails) {
  Make(100, 80, true);
  LoadBitmap(c(), MakeCodedBitmap(20, 20));
  ShowWindow(host->form.Handle(), SW_SHOWNA);
  UpdateWindow(host->form.Handle());
  paints = 0;
  c().failMemoryDc = true;
  ExceptionCatcher caught;
  InvalidateRect(c().Handle(), nullptr, TRUE);
  UpdateWindow(c().Handle());
  EXPECT_EQ(caught.messages.size(), 1u);
  RECT r;
  EXPECT_FALSE(GetUpdateRect(c().Handle(), &r, FALSE)) << "the paint cycle was closed";
  c().failMemoryDc = false;
  InvalidateRect(c().Handle(), nullptr, TRUE);
  UpdateWindow(c().Handle());
  EXPECT_EQ(paints, 1);
  ShowWindow(host->form.Handle(), SW_HIDE);
}

}  // namespace
}  // namespace imagectl_test
