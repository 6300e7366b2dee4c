#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::BmpSpec;
using rstrim::Format;

constexpr int kW = 35, kH = 19;

struct Case {
  int headerSize, bpp;
  bool rle, topDown;
};

class BmpIndexed : public ::testing::TestWithParam<Case> {};

TEST_P(BmpIndexed, DecodesEveryPixel) {
  const Case c = GetParam();
  BmpSpec layout;
  layout.headerSize = c.headerSize, layout.bpp = c.bpp, layout.rle = c.rle, layout.topDown = c.topDown;
  const auto pal = fixtures::TestPalette(1 << c.bpp);
  const auto idx = fixtures::Indices(kW, kH, 1 << c.bpp);
  const Decoded d = DecodeBytes(Format::kBmp, fixtures::EncodeBmp(kW, kH, layout, idx, pal),
                                c.bpp == 2 ? 4 : c.bpp);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Palette(), pal);  // the file's own table fits
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, pal)), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, BmpIndexed,
                         ::testing::Values(Case{12, 1, false, false}, Case{12, 4, false, false},
                                           Case{12, 8, false, false}, Case{40, 1, false, false},
                                           Case{40, 2, false, false}, Case{40, 4, false, false},
                                           Case{40, 8, false, false}, Case{40, 8, false, true},
                                           Case{40, 8, true, false}, Case{40, 4, true, false},
                                           Case{52, 8, false, false}, Case{56, 4, false, false},
                                           Case{108, 8, true, false}, Case{124, 1, false, true},
                                           Case{124, 8, false, false}));

struct TrueCase {
  int headerSize, bpp;
  bool bitfields;
  uint32_t r, g, b;
};

class BmpTrue : public ::testing::TestWithParam<TrueCase> {};

TEST_P(BmpTrue, DecodesEveryPixel) {
  const TrueCase c = GetParam();
  BmpSpec layout;
  layout.headerSize = c.headerSize, layout.bpp = c.bpp, layout.bitfields = c.bitfields;
  layout.masks[0] = c.r, layout.masks[1] = c.g, layout.masks[2] = c.b;
  const Picture p = fixtures::Gradient(kW, kH);
  const Decoded d = DecodeBytes(Format::kBmp, fixtures::EncodeBmp(kW, kH, layout, {}, {}, &p));
  ASSERT_EQ(d.result, rstrim::kOk);
  // 5 or 6 bits per channel lose the low bits; scaled back up they are within 8.
  EXPECT_LE(MaxError(d.bitmap, p), c.bpp == 16 ? 8 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BmpTrue,
    ::testing::Values(TrueCase{12, 24, false, 0, 0, 0}, TrueCase{40, 24, false, 0, 0, 0},
                      TrueCase{40, 16, false, 0, 0, 0}, TrueCase{40, 32, false, 0, 0, 0},
                      TrueCase{40, 16, true, 0xF800, 0x07E0, 0x001F},
                      TrueCase{52, 32, true, 0x000000FF, 0x0000FF00, 0x00FF0000},
                      TrueCase{56, 16, true, 0x7C00, 0x03E0, 0x001F},
                      TrueCase{108, 32, true, 0xFF000000, 0x00FF0000, 0x0000FF00},
                      TrueCase{124, 24, false, 0, 0, 0}));

TEST(Bmp, RleDeltaSkipsPixels) {
  // 4x3 RLE8 by hand: bottom line 1 1, a delta two lines up to x = 2, then 2 2, end.
  const auto pal = fixtures::TestPalette(4);
  BmpSpec layout;
  layout.bpp = 8;
  Bytes file = fixtures::EncodeBmp(4, 3, layout, std::vector<uint8_t>(12, 3), pal);
  const size_t offBits = file[10] | (file[11] << 8);
  file.resize(offBits);
  const uint8_t stream[] = {2, 1, 0, 2, 0, 2, 2, 2, 0, 1};
  file.insert(file.end(), stream, stream + sizeof stream);
  file[30] = 1;  // compression RLE8
  const Decoded d = DecodeBytes(Format::kBmp, file, 8);
  ASSERT_EQ(d.result, rstrim::kOk);
  // Bottom row first in the file: bottom row is y = 2.
  EXPECT_EQ(d.bitmap.IndexAt(0, 2), 1);
  EXPECT_EQ(d.bitmap.IndexAt(1, 2), 1);
  EXPECT_EQ(d.bitmap.IndexAt(2, 2), 0);
  EXPECT_EQ(d.bitmap.IndexAt(0, 1), 0);
  EXPECT_EQ(d.bitmap.IndexAt(0, 0), 0);
  EXPECT_EQ(d.bitmap.IndexAt(1, 0), 0);
  EXPECT_EQ(d.bitmap.IndexAt(2, 0), 2);
  EXPECT_EQ(d.bitmap.IndexAt(3, 0), 2);
}

TEST(Bmp, ShortColourTable) {
  BmpSpec layout;
  layout.bpp = 8;
  layout.coloursUsed = 5;
  const auto pal = fixtures::TestPalette(5);
  const auto idx = fixtures::Indices(kW, kH, 5);
  const Decoded d = DecodeBytes(Format::kBmp, fixtures::EncodeBmp(kW, kH, layout, idx, pal), 4);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Palette(), pal);
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, pal)), 0);
}

}  // namespace
}  // namespace testing_rstrim
