#include <gtest/gtest.h>

#include "rstrim/core/Quantize.h"
#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using rstrim::Format;

struct Bounds {
  int resolution;
  int bpp;
  double meanPlain;    // mean error without dithering
  double blockDither;  // 4x4 block error with dithering
};

class ResolutionCodes : public ::testing::TestWithParam<Bounds> {};

TEST_P(ResolutionCodes, PaletteSizeAndColourError) {
  const Bounds b = GetParam();
  const Picture p = fixtures::Photo(96, 64, 7);
  const Bytes file = fixtures::EncodePngRgb(p);
  const Decoded plain = DecodeBytes(Format::kPng, file, b.resolution, false);
  const Decoded dith = DecodeBytes(Format::kPng, file, b.resolution, true);
  ASSERT_EQ(plain.result, rstrim::kOk);
  ASSERT_EQ(dith.result, rstrim::kOk);
  for (const Decoded* d : {&plain, &dith}) {
    EXPECT_EQ(d->bitmap.Bpp(), b.bpp);
    if (b.bpp < 24) {
      EXPECT_LE(d->bitmap.Palette().size(), 1u << b.bpp);
      EXPECT_GE(d->bitmap.Palette().size(), 2u);
    } else {
      EXPECT_TRUE(d->bitmap.Palette().empty());
    }
  }
  if (b.resolution == 0) {
    EXPECT_EQ(plain.bitmap.Palette(), rstrim::VgaPalette());
    EXPECT_EQ(dith.bitmap.Palette(), rstrim::VgaPalette());
  }
  EXPECT_LE(MeanError(plain.bitmap, p), b.meanPlain);
  EXPECT_LE(BlockMeanError(dith.bitmap, p, 4), b.blockDither);
  if (b.bpp < 24) {
    // Diffusion brings the local average closer to the picture than plain mapping.
    EXPECT_LT(BlockMeanError(dith.bitmap, p, 4), BlockMeanError(plain.bitmap, p, 4));
    EXPECT_NE(ToPicture(plain.bitmap).pixels, ToPicture(dith.bitmap).pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, ResolutionCodes,
                         ::testing::Values(Bounds{24, 24, 0.0, 0.0}, Bounds{8, 8, 4.0, 2.5},
                                           Bounds{4, 4, 14.0, 6.0}, Bounds{1, 1, 60.0, 30.0},
                                           Bounds{0, 4, 40.0, 14.0}));

TEST(Resolution, OtherCodesAreRoundedUp) {
  const Picture p = fixtures::Gradient(16, 16);
  const Bytes file = fixtures::EncodePngRgb(p);
  EXPECT_EQ(DecodeBytes(Format::kPng, file, 2).bitmap.Bpp(), 4);
  EXPECT_EQ(DecodeBytes(Format::kPng, file, 6).bitmap.Bpp(), 8);
  EXPECT_EQ(DecodeBytes(Format::kPng, file, 16).bitmap.Bpp(), 24);
  EXPECT_EQ(DecodeBytes(Format::kPng, file, 32).bitmap.Bpp(), 24);
  EXPECT_EQ(DecodeBytes(Format::kPng, file, -1).result, rstrim::kBadArgument);
}

TEST(Resolution, OptimalPaletteBeatsAFixedCube) {
  // A 6x6x6 cube gives a mean error near 12 on this picture; a palette made for it far less.
  const Picture p = fixtures::Photo(128, 96, 11);
  const Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePngRgb(p), 8, false);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LT(MeanError(d.bitmap, p), 3.0);
}

TEST(Resolution, FewColoursAreKeptExactly) {
  const auto pal = fixtures::TestPalette(12);
  const auto idx = fixtures::Indices(40, 30, 12);
  const Picture p = FromIndices(40, 30, idx, pal);
  for (int res : {8, 4}) {
    for (bool dither : {false, true}) {
      const Decoded d = DecodeBytes(Format::kPng, fixtures::EncodePngRgb(p), res, dither);
      ASSERT_EQ(d.result, rstrim::kOk);
      EXPECT_EQ(d.bitmap.Palette().size(), 12u);
      EXPECT_EQ(MaxError(d.bitmap, p), 0);
    }
  }
}

TEST(Resolution, FilePaletteKeptWhereItFits) {
  fixtures::GifSpec s;
  s.screenWidth = s.width = 33, s.screenHeight = s.height = 21;
  s.globalMap = fixtures::TestPalette(16);
  const auto idx = fixtures::Indices(33, 21, 16);
  const Bytes file = fixtures::EncodeGif(s, idx);
  for (int res : {8, 4}) {
    const Decoded d = DecodeBytes(Format::kGif, file, res, true);
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(d.bitmap.Palette(), s.globalMap);
    EXPECT_EQ(MaxError(d.bitmap, FromIndices(33, 21, idx, s.globalMap)), 0);
  }
}

TEST(Resolution, UsedEntriesOfALargeTable) {
  fixtures::GifSpec s;
  s.screenWidth = s.width = 33, s.screenHeight = s.height = 21;
  s.globalMap = fixtures::TestPalette(256);
  const auto idx = fixtures::Indices(33, 21, 9);  // only 9 of 256 entries in use
  const Decoded d = DecodeBytes(Format::kGif, fixtures::EncodeGif(s, idx), 4, true);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Palette().size(), 9u);
  EXPECT_EQ(MaxError(d.bitmap, FromIndices(33, 21, idx, s.globalMap)), 0);
}

TEST(Resolution, LargePaletteReducedForFewerBits) {
  fixtures::GifSpec s;
  s.screenWidth = s.width = 64, s.screenHeight = s.height = 48;
  s.globalMap = fixtures::TestPalette(256);
  const auto idx = fixtures::Indices(64, 48, 256);
  const Picture want = FromIndices(64, 48, idx, s.globalMap);
  const Bytes file = fixtures::EncodeGif(s, idx);
  const Decoded plain = DecodeBytes(Format::kGif, file, 4, false);
  const Decoded dith = DecodeBytes(Format::kGif, file, 4, true);
  ASSERT_EQ(plain.result, rstrim::kOk);
  ASSERT_EQ(dith.result, rstrim::kOk);
  EXPECT_LE(plain.bitmap.Palette().size(), 16u);
  EXPECT_LE(dith.bitmap.Palette().size(), 16u);
  EXPECT_NE(ToPicture(plain.bitmap).pixels, ToPicture(dith.bitmap).pixels);
  // The palette colours are spread evenly; every pixel finds one within reach.
  EXPECT_LT(MeanError(plain.bitmap, want), 40.0);
}

TEST(Resolution, CallerPaletteIsUsed) {
  const Picture p = fixtures::Gradient(32, 32);
  rstrim::DecodeOptions options;
  options.resolution = 8;
  options.dither = false;
  options.fixedPalette = {Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}};
  const Bytes file = fixtures::EncodePngRgb(p);
  rstrim::MemorySource src(file.data(), file.size());
  rstrim::MemoryDib bmp;
  ASSERT_EQ(rstrim::Decode(Format::kPng, src, options, bmp), rstrim::kOk);
  EXPECT_EQ(bmp.Palette(), options.fixedPalette);
}

TEST(Resolution, IndexedOutputIsUpright) {
  const Picture p = fixtures::Photo(40, 24);
  fixtures::JpegSpec layout;
  layout.orientation = 6;
  layout.quality = 95;
  const Decoded d = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, layout), 8, false);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Width(), 24);
  EXPECT_EQ(d.bitmap.Height(), 40);
  EXPECT_LT(MeanError(d.bitmap, Oriented(p, 6)), 6.0);
}

}  // namespace
}  // namespace testing_rstrim
