#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::PcxSpec;
using rstrim::Format;

constexpr int kW = 27, kH = 13;

struct Case {
  int version, bpp, planes;
  bool rle;
  int extra;
};

class PcxIndexed : public ::testing::TestWithParam<Case> {};

TEST_P(PcxIndexed, DecodesEveryPixel) {
  const Case c = GetParam();
  PcxSpec layout;
  layout.version = c.version, layout.bitsPerPixel = c.bpp, layout.planes = c.planes, layout.rle = c.rle;
  layout.extraLineBytes = c.extra;
  const int colours = 1 << (c.bpp * c.planes);
  auto pal = fixtures::TestPalette(colours);
  if (colours == 2) pal = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
  const auto idx = fixtures::Indices(kW, kH, colours);
  const Decoded d = DecodeBytes(Format::kPcx, fixtures::EncodePcx(kW, kH, layout, idx, pal), 8);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, pal)), 0);
}

INSTANTIATE_TEST_SUITE_P(Variants, PcxIndexed,
                         ::testing::Values(Case{0, 1, 1, true, 0}, Case{2, 1, 1, true, 1},
                                           Case{5, 2, 1, true, 0}, Case{5, 4, 1, true, 0},
                                           Case{2, 1, 4, true, 0}, Case{5, 1, 4, true, 1},
                                           Case{5, 1, 3, true, 0}, Case{4, 1, 2, false, 0},
                                           Case{5, 8, 1, true, 0}, Case{5, 8, 1, true, 1},
                                           Case{5, 8, 1, false, 0}));

TEST(Pcx, TrueColourInThreePlanes) {
  const Picture p = fixtures::Gradient(kW, kH);
  for (int extra : {0, 1}) {
    PcxSpec layout;
    layout.planes = 3;
    layout.extraLineBytes = extra;
    const Decoded d = DecodeBytes(Format::kPcx, fixtures::EncodePcx(kW, kH, layout, {}, {}, &p));
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(MaxError(d.bitmap, p), 0);
  }
}

TEST(Pcx, Version3UsesTheDefaultEgaColours) {
  PcxSpec layout;
  layout.version = 3, layout.bitsPerPixel = 1, layout.planes = 4;
  const auto idx = fixtures::Indices(kW, kH, 16);
  const Decoded d =
      DecodeBytes(Format::kPcx, fixtures::EncodePcx(kW, kH, layout, idx, fixtures::TestPalette(16)));
  ASSERT_EQ(d.result, rstrim::kOk);
  // Index 1 is EGA blue, index 14 yellow.
  for (int i = 0; i < kW * kH; ++i) {
    if (idx[i] == 1) {
      EXPECT_EQ(d.bitmap.ColourAt(i % kW, i / kW), (Rgb{0, 0, 170}));
      break;
    }
  }
}

}  // namespace
}  // namespace testing_rstrim
