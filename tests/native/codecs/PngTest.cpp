#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::PngSpec;
using rstrim::Format;

constexpr int kW = 37, kH = 23;  // odd sizes catch packing and interlace edge cases

uint16_t Sample(int x, int y, int c, int depth) {
  const unsigned max = (1u << depth) - 1;
  return static_cast<uint16_t>(
      (static_cast<unsigned>(x * 7 + y * 13 + c * 101) * 2654435761u >> 7) & max);
}

uint8_t To8(unsigned v, int depth) {
  if (depth == 16) return static_cast<uint8_t>((v * 255 + 32895) / 65535);
  return static_cast<uint8_t>(v * 255 / ((1u << depth) - 1));
}

uint8_t Over(uint8_t fg, uint8_t bg, unsigned a, unsigned max) {
  return static_cast<uint8_t>((fg * a + bg * (max - a) + max / 2) / max);
}

struct Case {
  int colourType, depth;
  bool interlaced;
};

class PngTypes : public ::testing::TestWithParam<Case> {};

TEST_P(PngTypes, DecodesEveryPixel) {
  const Case c = GetParam();
  PngSpec layout;
  layout.colourType = c.colourType, layout.bitDepth = c.depth, layout.interlaced = c.interlaced;
  const int ch = c.colourType == 0 || c.colourType == 3 ? 1
                 : c.colourType == 4                    ? 2
                 : c.colourType == 2                    ? 3
                                                        : 4;
  std::vector<uint16_t> s;
  Picture want;
  want.width = kW, want.height = kH;
  if (c.colourType == 3) layout.palette = fixtures::TestPalette(1 << c.depth);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      uint16_t v[4];
      for (int k = 0; k < ch; ++k) s.push_back(v[k] = Sample(x, y, k, c.depth));
      Rgb rgb;
      switch (c.colourType) {
        case 0:
          rgb.r = rgb.g = rgb.b = To8(v[0], c.depth);
          break;
        case 3:
          rgb = layout.palette[v[0]];
          break;
        case 2:
          rgb = Rgb{To8(v[0], c.depth), To8(v[1], c.depth), To8(v[2], c.depth)};
          break;
        case 4: {  // grey + alpha over white
          const uint8_t g = Over(To8(v[0], c.depth), 255, To8(v[1], c.depth), 255);
          rgb = Rgb{g, g, g};
          break;
        }
        default: {
          const unsigned a = To8(v[3], c.depth);
          rgb = Rgb{Over(To8(v[0], c.depth), 255, a, 255), Over(To8(v[1], c.depth), 255, a, 255),
                    Over(To8(v[2], c.depth), 255, a, 255)};
          break;
        }
      }
      want.pixels.push_back(rgb);
    }
  }
  const Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, layout, s));
  ASSERT_EQ(d.result, rstrim::kOk);
  const bool alpha = c.colourType == 4 || c.colourType == 6;
  EXPECT_LE(MaxError(d.bitmap, want), alpha || c.depth == 16 ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, PngTypes,
                         ::testing::Values(Case{0, 1, false}, Case{0, 2, false}, Case{0, 4, false},
                                           Case{0, 8, false}, Case{0, 16, false}, Case{2, 8, false},
                                           Case{2, 16, false}, Case{3, 1, false}, Case{3, 2, false},
                                           Case{3, 4, false}, Case{3, 8, false}, Case{4, 8, false},
                                           Case{4, 16, false}, Case{6, 8, false},
                                           Case{6, 16, false}, Case{0, 1, true}, Case{0, 4, true},
                                           Case{0, 16, true}, Case{2, 8, true}, Case{3, 2, true},
                                           Case{3, 8, true}, Case{4, 8, true}, Case{6, 16, true}));

std::vector<uint16_t> PaletteSamples(int colours) {
  std::vector<uint16_t> s;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) s.push_back(static_cast<uint16_t>((x + y) % colours));
  }
  return s;
}

TEST(Png, PaletteTransparencyOverBackgroundChunk) {
  PngSpec layout;
  layout.colourType = 3;
  layout.palette = fixtures::TestPalette(4);
  layout.trnsAlpha = {0, 128, 255};
  layout.bkgd = true;
  layout.bkgdIndex = 3;
  const Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, layout, PaletteSamples(4)));
  ASSERT_EQ(d.result, rstrim::kOk);
  const Rgb bg = layout.palette[3];
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int i = (x + y) % 4;
      const unsigned a = i < 3 ? layout.trnsAlpha[i] : 255;
      const Rgb fg = layout.palette[i];
      const Rgb want{Over(fg.r, bg.r, a, 255), Over(fg.g, bg.g, a, 255), Over(fg.b, bg.b, a, 255)};
      ASSERT_EQ(d.bitmap.ColourAt(x, y), want) << x << "," << y;
    }
  }
}

TEST(Png, TransparentWithoutBackgroundChunkShowsWhite) {
  PngSpec layout;
  layout.colourType = 3;
  layout.bitDepth = 2;
  layout.palette = fixtures::TestPalette(4);
  layout.trnsAlpha = {0};
  const Decoded d =
      DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, layout, PaletteSamples(4)), 8);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Bpp(), 8);
  EXPECT_EQ(d.bitmap.ColourAt(0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(d.bitmap.ColourAt(1, 0), layout.palette[1]);
}

TEST(Png, GreyAndRgbTransparentColour) {
  PngSpec grey;
  grey.colourType = 0;
  grey.bitDepth = 8;
  grey.trnsColour = true;
  grey.trnsGrey = 7;
  grey.bkgd = true;
  grey.bkgdGrey = 100;
  std::vector<uint16_t> s(static_cast<size_t>(kW) * kH, 7);
  s[1] = 50;
  Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, grey, s));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.ColourAt(0, 0), (Rgb{100, 100, 100}));
  EXPECT_EQ(d.bitmap.ColourAt(1, 0), (Rgb{50, 50, 50}));

  PngSpec rgb;
  rgb.trnsColour = true;
  rgb.trnsRed = 1, rgb.trnsGreen = 2, rgb.trnsBlue = 3;
  std::vector<uint16_t> t;
  for (int i = 0; i < kW * kH; ++i) t.push_back(1), t.push_back(2), t.push_back(i == 0 ? 4 : 3);
  d = DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, rgb, t));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.ColourAt(0, 0), (Rgb{1, 2, 4}));
  EXPECT_EQ(d.bitmap.ColourAt(1, 0), (Rgb{255, 255, 255}));
}

TEST(Png, RgbaOverBackgroundChunk) {
  PngSpec layout;
  layout.colourType = 6;
  layout.bkgd = true;
  layout.bkgdRed = 0, layout.bkgdGreen = 0, layout.bkgdBlue = 255;
  std::vector<uint16_t> s;
  for (int i = 0; i < kW * kH; ++i)
    s.push_back(255), s.push_back(0), s.push_back(0), s.push_back(i % 2 ? 0 : 255);
  const Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePng(kW, kH, layout, s));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.ColourAt(0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(d.bitmap.ColourAt(1, 0), (Rgb{0, 0, 255}));
}

}  // namespace
}  // namespace testing_rstrim
