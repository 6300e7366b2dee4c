// The resolution codes: the depth and palette that come back, the error of
// plain mapping and of dithering, and the palettes kept or reduced.
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

// A palette made for the picture: a fixed 6x6x6 cube would miss it by 12 at 8 bits.
class ResolutionCodes : public ::testing::TestWithParam<Bounds> {};

TEST_P(ResolutionCodes, PaletteSizeAndColourError) {
  const Bounds b = GetParam();
  const Picture p = ToPicture(DecodeData("photo.png").bitmap);
  const Decoded plain = DecodeData("photo.png", b.resolution, false);
  const Decoded dith = DecodeData("photo.png", b.resolution, true);
  ASSERT_EQ(plain.result, rstrim::kOk);
  ASSERT_EQ(dith.result, rstrim::kOk);
  for (const Decoded* d : {&plain, &dith}) {
    EXPECT_EQ(d->bitmap.Bpp(), b.bpp);
    EXPECT_LE(d->bitmap.Palette().size(), b.bpp < 24 ? 1u << b.bpp : 0u);
    EXPECT_GE(d->bitmap.Palette().size(), b.bpp < 24 ? 2u : 0u);
    if (b.resolution == 0) {  // the sixteen standard colours, in their order
      ASSERT_EQ(d->bitmap.Palette(), rstrim::VgaPalette());
      EXPECT_EQ(d->bitmap.Palette()[7], (Rgb{192, 192, 192}));
      EXPECT_EQ(d->bitmap.Palette()[12], (Rgb{0, 0, 255}));
    }
  }
  EXPECT_LE(MeanError(plain.bitmap, p), b.meanPlain);
  EXPECT_LE(MeanError(dith.bitmap, p, 4), b.blockDither);
  if (b.bpp < 24) {
    // Diffusion brings the local average closer to the picture than plain mapping.
    EXPECT_LT(MeanError(dith.bitmap, p, 4), MeanError(plain.bitmap, p, 4));
    EXPECT_NE(ToPicture(plain.bitmap).pixels, ToPicture(dith.bitmap).pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, ResolutionCodes,
                         ::testing::Values(Bounds{24, 24, 0.0, 0.0}, Bounds{8, 8, 3.5, 1.2},
                                           Bounds{4, 4, 11.0, 6.5}, Bounds{1, 1, 36.0, 25.0},
                                           Bounds{0, 4, 29.0, 8.0}));

TEST(Resolution, OtherCodesAreRoundedUp) {
  const std::pair<int, int> codes[] = {{2, 4}, {6, 8}, {16, 24}, {32, 24}};
  for (const auto& [code, bpp] : codes) EXPECT_EQ(DecodeData("photo.png", code).bitmap.Bpp(), bpp);
  EXPECT_EQ(DecodeData("photo.png", -1).result, rstrim::kBadArgument);
}

TEST(Resolution, FewColoursAndFilePalettesAreKeptExactly) {
  // A true-colour file of 16 colours, a file whose table fits, and one of whose
  // full table only nine entries are used.
  const std::tuple<const char*, const char*, int, size_t> rows[] = {
      {"png-rgb-pal16.png", "ref-pal16.ppm", 8, 16},
      {"png-rgb-pal16.png", "ref-pal16.ppm", 4, 16},
      {"gif-pal16.gif", "ref-pal16.ppm", 8, 16},
      {"gif-pal16.gif", "ref-pal16.ppm", 4, 16},
      {"gif-sparse.gif", nullptr, 4, 9}};
  for (const auto& [file, reference, res, colours] : rows) {
    for (bool dither : {false, true}) {
      const Decoded d = DecodeData(file, res, dither);
      ASSERT_EQ(d.result, rstrim::kOk) << file;
      EXPECT_EQ(d.bitmap.Palette().size(), colours) << file << " " << res;
      if (reference) {
        EXPECT_EQ(MaxError(d.bitmap, ReadReference(reference)), 0) << file;
      }
    }
  }
}

TEST(Resolution, LargePaletteReducedForFewerBits) {
  const Decoded plain = DecodeData("gif-pal256-adam.gif", 4, false);
  const Decoded dith = DecodeData("gif-pal256-adam.gif", 4, true);
  ASSERT_EQ(plain.result, rstrim::kOk);
  ASSERT_EQ(dith.result, rstrim::kOk);
  EXPECT_LE(plain.bitmap.Palette().size(), 16u);
  EXPECT_LE(dith.bitmap.Palette().size(), 16u);
  EXPECT_NE(ToPicture(plain.bitmap).pixels, ToPicture(dith.bitmap).pixels);
  // The palette colours are spread evenly; every pixel finds one within reach.
  EXPECT_LT(MeanError(plain.bitmap, ReadReference("ref-pal256.ppm")), 40.0);
}

TEST(Resolution, IndexedOutputIsUpright) {
  const Decoded d = DecodeData("jpeg-exif6.jpg", 8, false);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LT(MeanError(d.bitmap, Oriented(ReadReference("ref-rgb.ppm"), 6)), 6.0);
}

}  // namespace
}  // namespace testing_rstrim
