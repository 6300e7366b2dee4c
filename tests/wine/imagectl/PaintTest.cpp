// Where the picture lands: the placement functions, then real paints into a
// DIB section on both drawing paths. Coded pictures tell, for every pixel,
// which source pixel it is, so offsets outside the control are visible too.
#include "ImageFixture.h"
#include "imagectl/Geometry.h"

namespace imagectl_test {
namespace {

using imagectl::Placement;

// What the paints below cannot show: the ratio rule's fault case and its
// rounding of halves to even (spare 3 -> x = 2, spare 5 -> 2, spare 7 -> 4).
TEST(Placement, RatioRuleFaultAndRounding) {
  EXPECT_EQ(imagectl::RatioPlacement(0, 0, 352, 264, 0, 0), (Placement{0, 0, 352, 264}));
  for (const auto& [width, x] : {std::pair{4, 2}, {6, 2}, {8, 4}})
    EXPECT_EQ(imagectl::RatioPlacement(0, 0, width, 1, 1, 1).x, x) << width;
  EXPECT_EQ(imagectl::CentreOffset(105, 110), -2);
}

enum Mode { kPlain, kCentre, kStretch, kRatio };

// A coded picture on either path: the box it covers, and which source pixel
// shows at a probe point (within 1 when scaled). Per row: palette path,
// border, control side (264 high when 352), picture size, mode, box, probe
// point and source pixel.
TEST_F(Painted, CodedPicturesLandWhereTheirPathPutsThem) {
  const std::tuple<bool, bool, int, int, int, Mode, RECT, POINT, POINT> rows[] = {
      {false, false, 352, 100, 50, kPlain, {0, 0, 100, 50}, {0, 0}, {0, 0}},
      {false, false, 352, 100, 50, kCentre, {126, 107, 226, 157}, {126, 107}, {0, 0}},
      {false, false, 352, 100, 50, kStretch, {0, 0, 352, 264}, {351, 263}, {99, 49}},
      {false, false, 352, 100, 50, kRatio, {0, 0, 100, 50}, {0, 0}, {0, 0}},  // not on this path
      {false, true, 352, 100, 50, kCentre, {126, 107, 226, 157}, {126, 107}, {0, 0}},  // outer size
      {false, false, 105, 110, 111, kCentre, {0, 0, 105, 105}, {0, 0}, {2, 3}},
      {true, false, 352, 100, 50, kPlain, {0, 0, 100, 50}, {0, 0}, {0, 0}},
      {true, true, 352, 100, 50, kCentre, {125, 106, 225, 156}, {125, 106}, {0, 0}},  // client size
      {true, false, 105, 110, 112, kCentre, {0, 0, 105, 105}, {0, 0}, {2, 3}},
      {true, false, 352, 100, 50, kStretch, {0, 0, 352, 264}, {351, 263}, {99, 49}},
      {true, false, 352, 100, 200, kRatio, {110, 0, 242, 264}, {110, 0}, {0, 0}},
      {true, false, 352, 400, 100, kRatio, {0, 88, 352, 176}, {0, 88}, {0, 0}},
      // Placed at y = -35 with height 334: the top row shows source row 35 * 190 / 334.
      {true, false, 352, 200, 190, kRatio, {0, 0, 352, 264}, {100, 0}, {56, 19}},
      {true, false, 352, 200, 190, kRatio, {0, 0, 352, 264}, {100, 263}, {56, 169}}};
  for (const auto& [palette, border, side, pw, ph, mode, box, probe, source] : rows) {
    SCOPED_TRACE(testing::Message() << palette << border << " " << pw << "x" << ph << " " << mode);
    Make(side, side == 352 ? 264 : side, palette);
    if (border) c().SetBorderStyle(TBorderStyle::bsSingle);
    if (border) c().ReadImageInfo(L"x.res");  // a type other than "ICO"/"WMF" keeps the path
    LoadBitmap(c(), MakeCodedBitmap(pw, ph), palette ? CreateHalftonePalette(nullptr) : nullptr);
    c().SetCenter(mode == kCentre);
    c().SetStretch(mode == kStretch);
    c().SetStretchRatio(mode == kRatio);
    const RECT b = Paint().Bounds(IsCoded);
    EXPECT_EQ((std::vector<LONG>{b.left, b.top, b.right, b.bottom, paints}),
              (std::vector<LONG>{box.left, box.top, box.right, box.bottom, 1}));
    // The source pixel at the probe; the background beside the picture.
    const std::uint32_t p = canvas->At(probe.x, probe.y);
    EXPECT_TRUE(IsCoded(p) && std::abs(LONG(R(p)) - source.x) <= 1 &&
                std::abs(LONG(G(p)) - source.y) <= 1 &&
                (box.left == 0 || canvas->At(box.left - 1, box.top) == kBackground) &&
                (!palette || mode != kStretch || GetStretchBltMode(canvas->dc()) == COLORONCOLOR))
        << std::hex << p;
  }
}

TEST_F(Painted, IconsAndMetafilesTakeTheLibraryPath) {
  auto red = [](std::uint32_t p) { return R(p) > 200 && G(p) < 50 && B(p) < 50; };
  // An icon keeps its size even stretched; both centre on the outer size.
  const std::tuple<const wchar_t*, Mode, RECT, int> rows[] = {
      {L"icon.ico", kStretch, {0, 0, 32, 32}, 0},
      {L"icon.ico", kCentre, {160, 116, 192, 148}, 0},
      {L"red.wmf", kStretch, {0, 0, 350, 262}, 3},
      {L"red.wmf", kCentre, {76, 82, 276, 182}, 2}};
  for (const auto& [file, mode, box, slack] : rows) {
    SCOPED_TRACE(file);
    Make(352, 264, true);
    c().SetBorderStyle(TBorderStyle::bsSingle);
    c().SetImageName(DataFile(file));
    c().SetStretch(mode == kStretch);
    c().SetCenter(mode == kCentre);
    const RECT b = Paint().Bounds(red);
    EXPECT_LE(std::max({std::abs(b.left - box.left), std::abs(b.top - box.top),
                        std::abs(b.right - box.right), std::abs(b.bottom - box.bottom)}),
              slack);
  }
}

TEST_F(Painted, BothPathsHonourBackgroundCopyModeDesignOutlineAndNewSizes) {
  for (bool paletteManaged : {false, true}) {
    SCOPED_TRACE(paletteManaged);
    Make(100, 80, paletteManaged);
    // Empty: the background, and OnPaint all the same.
    const int stray = Paint().Count([](std::uint32_t p) { return p != kBackground; });
    c().SetDesigning(true);
    const int dark = Paint().Count([](std::uint32_t p) { return p == 0; });
    // Dashes along the four edges, hollow inside.
    EXPECT_TRUE(stray == 0 && paints == 2 && dark > 100 && dark < 2 * (100 + 80) &&
                canvas->At(50, 40) == kBackground);
    LoadBitmap(c(), MakeSolidBitmap(100, 80, Rgb(0x10, 0x20, 0x30)));
    // The picture on top of the outline.
    const int outline = Paint().Count([](std::uint32_t p) { return p == 0; });
    c().SetCopyMode(NOTSRCCOPY);
    c().SetStretch(true);
    const std::uint32_t inverted = Paint().At(10, 10);
    // A stretched copy kept for the old size or the old picture would show.
    c().SetBounds(4, 4, 150, 150);
    const std::uint32_t larger = Paint().At(140, 140);
    LoadBitmap(c(), MakeSolidBitmap(100, 80, Rgb(0, 0, 0xFF)));
    EXPECT_EQ(std::tuple(outline, inverted, larger, Paint().At(140, 140)),
              std::tuple(0, Rgb(0xEF, 0xDF, 0xCF), Rgb(0xEF, 0xDF, 0xCF), Rgb(0xFF, 0xFF, 0)));
  }
}

TEST_F(Painted, OutOfResourcesStopsThePaintAndThePaintCycleEnds) {
  Make(100, 80, true);
  LoadBitmap(c(), MakeCodedBitmap(20, 20));
  c().SetText(L"Text");
  ShowWindow(host->form.Handle(), SW_SHOWNA);
  UpdateWindow(host->form.Handle());
  const size_t fonts = c().fonts.size();
  paints = 0;
  c().failMemoryDc = true;
  ExceptionCatcher caught;
  Paint();
  const std::vector<std::string> once = caught.messages;
  InvalidateRect(c().Handle(), nullptr, TRUE);  // through WM_PAINT
  UpdateWindow(c().Handle());
  RECT r;  // no overlay after the failure; the paint cycle was closed
  EXPECT_EQ(
      std::tuple(once.size(), caught.messages, c().fonts.size(),
                 GetUpdateRect(c().Handle(), &r, FALSE), paints),
      std::tuple(1u, std::vector<std::string>(2, "Systemressourcen erschöpft."), fonts, FALSE, 0));
  c().failMemoryDc = false;
  EXPECT_EQ(std::pair(Paint().Bounds(IsCoded).right, paints), std::pair(20L, 1))
      << "the next paint tries again";
}

}  // namespace
}  // namespace imagectl_test
