// The overlay text: the font record that reaches GDI, the shadow's offset,
// opaque cells, and no font at all for an empty text.
#include "ImageFixture.h"

namespace imagectl_test {
namespace {

const tk::FontDesc kBoldItalic{L"Tahoma", -16, tk::clWhite, true, true};  // 12 points at 96 dpi

// Face, height, width, escapement, orientation, weight, then italic,
// underline, strike-out, character set, precisions, quality and pitch.
TEST(OverlayFont, RecordFields) {
  auto show = [](const LOGFONTW& f) {
    std::wstring s = f.lfFaceName;
    for (long v :
         {f.lfHeight, f.lfWidth, f.lfEscapement, f.lfOrientation, f.lfWeight, long{f.lfItalic},
          long{f.lfUnderline}, long{f.lfStrikeOut}, long{f.lfCharSet}, long{f.lfOutPrecision},
          long{f.lfClipPrecision}, long{f.lfQuality}, long{f.lfPitchAndFamily}})
      s += L" " + std::to_wstring(v);
    return s;
  };
  EXPECT_EQ(show(OverlayLogFont(kBoldItalic, 0)), L"Tahoma -16 0 0 0 700 1 0 0 0 0 2 2 0");
  // The name is cut to what the record holds.
  tk::FontDesc f{std::wstring(40, L'F'), -11, tk::clBlack, false, false, true, true,
                 tk::FontPitch::Fixed};
  EXPECT_EQ(show(OverlayLogFont(f, 45)),
            std::wstring(31, L'F') + L" -11 0 450 450 400 0 1 1 0 0 2 2 1");
  f.pitch = tk::FontPitch::Variable;
  EXPECT_EQ(OverlayLogFont(f, 0).lfPitchAndFamily, 2);
}

class OverlayFixture : public Painted {
 protected:
  void SetUp() override {
    Make(200, 120, false);
    c().SetFont(kBoldItalic);
  }
};

// No text, no font; text far away draws nothing; rotated text runs upward
// from its point, one line wide.
TEST_F(OverlayFixture, TextBoxFromItsPointAndRotation) {
  auto drawn = [this] { return Paint().Bounds([](std::uint32_t p) { return p != kBackground; }); };
  const RECT none = drawn();
  const std::size_t fonts = c().fonts.size();
  c().SetText(L"far away");
  c().SetTextLeft(100000);
  c().SetTextTop(-100000);
  const RECT away = drawn();
  EXPECT_EQ(std::tuple(fonts, c().fonts.size(), none.right, away.right),
            std::tuple(0u, 1u, 0L, 0L));
  c().SetText(L"WWWW");
  c().SetTextLeft(80);
  c().SetTextTop(100);
  c().SetTextRotate(90);
  const RECT b = drawn();
  EXPECT_TRUE(b.left >= 79 && b.bottom <= 102 && b.top < 100 - 30 && b.right - b.left < 30)
      << b.left << " " << b.top << " " << b.right << " " << b.bottom;
}

// Every dark pixel of the shadow has a text pixel 2 left and 2 up.
TEST_F(OverlayFixture, ShadowIsTwoRightTwoDown) {
  c().SetText(L"Shadow");
  c().SetTextLeft(10);
  c().SetTextTop(20);
  const Canvas& text = Paint();
  auto plain = std::move(canvas);
  c().SetTextShadow(true);
  c().SetTextShadowColor(tk::clBlack);
  Paint();
  int dark = 0;
  for (int y = 2; y < 120; ++y)
    for (int x = 2; x < 200; ++x)
      if (canvas->At(x, y) == 0) {
        ++dark;
        ASSERT_NE(text.At(x - 2, y - 2), kBackground) << x << "," << y;
      }
  EXPECT_GT(dark, 20);
  EXPECT_GT(canvas->Count([](std::uint32_t p) { return p == Rgb(255, 255, 255); }), 0)
      << "the main text stays on top";
}

TEST_F(OverlayFixture, OpaqueCellsTakeTheControlColour) {
  for (bool paletteManaged : {false, true}) {
    SCOPED_TRACE(paletteManaged);
    c().SetRastriumPalette(paletteManaged);
    LoadBitmap(c(), MakeSolidBitmap(200, 120, Rgb(255, 0, 0)));  // covers the background
    c().SetText(L"..  ..");
    c().SetTextLeft(20);
    c().SetTextTop(30);
    auto cells = [this] {
      return Paint().Bounds([](std::uint32_t p) { return p == kBackground; });
    };
    c().SetTextTransParent(true);
    const RECT none = cells();
    c().SetTextTransParent(false);
    const RECT text = cells();
    c().SetTextShadow(true);  // the shadow's cells first, then the main text's
    const RECT both = cells();
    EXPECT_EQ((std::vector<LONG>{none.right, text.left, text.top, both.left,
                                 both.right - text.right, both.bottom - text.bottom}),
              (std::vector<LONG>{0, 20, 30, 20, 2, 2}));
    EXPECT_GT(text.right - text.left, 10);
    c().SetTextShadow(false);
  }
}

}  // namespace
}  // namespace imagectl_test
