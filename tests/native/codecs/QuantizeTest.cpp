#include <gtest/gtest.h>

#include "rstrim/core/Quantize.h"

namespace {

using rstrim::Rgb;

TEST(Quantize, WuFindsTheClustersOfAPicture) {
  rstrim::WuQuantizer wu;
  const Rgb a{250, 10, 10}, b{10, 10, 250}, c{20, 240, 30};
  for (int i = 0; i < 1000; ++i) wu.Add(a), wu.Add(b), wu.Add(c);
  const auto pal = wu.Palette(16);
  ASSERT_EQ(pal.size(), 3u);  // no more colours than the picture has
  for (const Rgb& want : {a, b, c}) EXPECT_NE(std::find(pal.begin(), pal.end(), want), pal.end());
}

TEST(Quantize, WuSplitsTheWidestSpreadFirst) {
  rstrim::WuQuantizer wu;
  for (int v = 0; v < 256; ++v) wu.Add(Rgb{static_cast<uint8_t>(v), 128, 128}, 10);
  const auto pal = wu.Palette(2);
  ASSERT_EQ(pal.size(), 2u);
  EXPECT_EQ(pal[0].g, 128);
  EXPECT_NEAR(std::abs(pal[0].r - pal[1].r), 128, 16);
}

TEST(Quantize, NearestColour) {
  rstrim::NearestColour n({Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}});
  EXPECT_EQ(n.Find(10, 10, 10), 0);
  EXPECT_EQ(n.Find(200, 220, 210), 1);
  EXPECT_EQ(n.Find(200, 30, 20), 2);
  EXPECT_EQ(n.Find(200, 30, 20), 2);  // from the cache
}

TEST(Quantize, ColourSetStopsPastItsLimit) {
  rstrim::ColourSet s(2);
  EXPECT_TRUE(s.Add(Rgb{1, 2, 3}));
  EXPECT_TRUE(s.Add(Rgb{1, 2, 3}));
  EXPECT_TRUE(s.Add(Rgb{4, 5, 6}));
  EXPECT_EQ(s.IndexOf(Rgb{4, 5, 6}), 1);
  EXPECT_FALSE(s.Add(Rgb{7, 8, 9}));
  EXPECT_TRUE(s.Overflowed());
}

TEST(Quantize, DitherKeepsTheAverageColour) {
  // A flat colour between two palette entries comes out as a mix of both.
  const int w = 64;
  rstrim::FloydSteinberg fs(w, {Rgb{0, 0, 0}, Rgb{255, 255, 255}});
  std::vector<uint8_t> row(w * 3, 64), out(w);
  int white = 0;
  for (int y = 0; y < 64; ++y) {
    fs.Row(row.data(), out.data());
    for (uint8_t i : out) white += i;
  }
  EXPECT_NEAR(white / (64.0 * 64.0), 64 / 255.0, 0.02);
}

TEST(Quantize, VgaPaletteHasTheSixteenStandardColours) {
  const auto& v = rstrim::VgaPalette();
  ASSERT_EQ(v.size(), 16u);
  EXPECT_EQ(v[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(v[7], (Rgb{192, 192, 192}));
  EXPECT_EQ(v[9], (Rgb{255, 0, 0}));
  EXPECT_EQ(v[15], (Rgb{255, 255, 255}));
}

}  // namespace
