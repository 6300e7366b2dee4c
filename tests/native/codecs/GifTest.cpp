#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::GifSpec;
using rstrim::Format;

GifSpec FullScreen(int w, int h, int colours) {
  GifSpec s;
  s.screenWidth = s.width = w;
  s.screenHeight = s.height = h;
  s.globalMap = fixtures::TestPalette(colours);
  return s;
}

TEST(Gif, GlobalColourTable) {
  const GifSpec s = FullScreen(31, 17, 16);
  const auto idx = fixtures::Indices(31, 17, 16);
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(31, 17, idx, s.globalMap)), 0);
}

TEST(Gif, InterlacedWithLocalTable) {
  GifSpec s = FullScreen(29, 21, 4);
  s.localMap = fixtures::TestPalette(256);
  std::reverse(s.localMap.begin(), s.localMap.end());
  s.interlaced = true;
  const auto idx = fixtures::Indices(29, 21, 200);
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(29, 21, idx, s.localMap)), 0);
}

TEST(Gif, PlacedOnTheScreenWithBackgroundAndTransparency) {
  GifSpec s;
  s.screenWidth = 20, s.screenHeight = 12;
  s.left = 5, s.top = 3, s.width = 8, s.height = 6;
  s.globalMap = fixtures::TestPalette(8);
  s.background = 6;
  s.transparent = 2;
  const auto idx = fixtures::Indices(8, 6, 8);
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx));
  ASSERT_EQ(d.result, rstrim::kOk);
  ASSERT_EQ(d.bitmap.Width(), 20);
  ASSERT_EQ(d.bitmap.Height(), 12);
  const Rgb bg = s.globalMap[6];
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      Rgb want = bg;
      if (x >= 5 && x < 13 && y >= 3 && y < 9) {
        const int i = idx[static_cast<size_t>(y - 3) * 8 + (x - 5)];
        want = i == 2 ? bg : s.globalMap[i];
      }
      ASSERT_EQ(d.bitmap.ColourAt(x, y), want) << x << "," << y;
    }
  }
}

TEST(Gif, BackgroundMissingFromAFullLocalTable) {
  GifSpec s;
  s.screenWidth = 10, s.screenHeight = 10;
  s.left = 2, s.top = 2, s.width = 4, s.height = 4;
  s.globalMap = {Rgb{1, 2, 3}, Rgb{4, 5, 6}};
  s.background = 1;
  s.localMap = fixtures::TestPalette(256);
  const auto idx = fixtures::Indices(4, 4, 256);
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.ColourAt(0, 0), (Rgb{4, 5, 6}));
  EXPECT_EQ(d.bitmap.ColourAt(2, 2), s.localMap[idx[0]]);
}

TEST(Gif, ImageLargerThanScreenIsClipped) {
  GifSpec s;
  s.screenWidth = 6, s.screenHeight = 5;
  s.left = 2, s.top = 1, s.width = 8, s.height = 8;
  s.globalMap = fixtures::TestPalette(4);
  const auto idx = fixtures::Indices(8, 8, 4);
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Width(), 6);
  EXPECT_EQ(d.bitmap.ColourAt(5, 4), s.globalMap[idx[3 * 8 + 3]]);
}

}  // namespace
}  // namespace testing_rstrim
