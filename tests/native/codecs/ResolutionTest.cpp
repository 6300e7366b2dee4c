// The resolution codes: the depth and palette that come back, the error of
// plain mapping and of dithering, and the palettes kept or reduced.
#include <gtest/gtest.h>

#include "rstrim/core/Quantize.h"
#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

// The error is against the file's own true-colour picture: the mean without
// dithering, and with it over 4x4 blocks (what the eye sees of dithering), which
// must be the lower where the palette is coarse. photo.png needs a palette made
// for it: a fixed 6x6x6 cube would miss it by 12 at 8 bits. Codes between the
// depths are rounded up.
TEST(Resolution, CodesGiveTheirDepthPaletteAndError) {
  const struct {
    const char* file;
    int resolution, bpp;
    double meanPlain, blockDither;
    bool coarse;
  } rows[] = {
      {"photo.png", 24, 24, 0.0, 0.0, false},
      {"photo.png", 8, 8, 3.5, 1.2, true},
      {"photo.png", 4, 4, 11.0, 6.5, true},
      {"photo.png", 1, 1, 36.0, 25.0, true},
      {"photo.png", 0, 4, 29.0, 8.0, true},
      {"photo.png", 2, 4, 11.0, 6.5, true},
      {"photo.png", 6, 8, 3.5, 1.2, true},
      {"photo.png", 16, 24, 0.0, 0.0, false},
      {"photo.png", 32, 24, 0.0, 0.0, false},
      // A file's table of 256 colours is reduced, spread so that every pixel finds one in reach.
      {"gif-pal256-adam.gif", 4, 4, 17.0, 8.5, true},
      // Indexed output is upright too.
      {"jpeg-exif6.jpg", 4, 4, 17.0, 9.0, true},
      // The reduction works on the colours the profile converted (they move by 1.7 on average).
      {"jpeg-icc-prophoto.jpg", 8, 8, 3.5, 1.0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " at " + std::to_string(row.resolution));
    const Picture p = ReadReference(row.file);
    const Decoded plain = DecodeData(row.file, row.resolution, false);
    const Decoded dith = DecodeData(row.file, row.resolution, true);
    ASSERT_EQ(plain.result, rstrim::kOk);
    ASSERT_EQ(dith.result, rstrim::kOk);
    for (const Decoded* d : {&plain, &dith}) {
      EXPECT_EQ(d->bitmap.Bpp(), row.bpp);
      EXPECT_LE(d->bitmap.Palette().size(), row.bpp < 24 ? 1u << row.bpp : 0u);
      EXPECT_GE(d->bitmap.Palette().size(), row.bpp < 24 ? 2u : 0u);
      if (row.resolution == 0) {  // the sixteen standard colours, in their order
        ASSERT_EQ(d->bitmap.Palette(), rstrim::VgaPalette());
        EXPECT_EQ(d->bitmap.Palette()[7], (Rgb{192, 192, 192}));
        EXPECT_EQ(d->bitmap.Palette()[12], (Rgb{0, 0, 255}));
      }
    }
    EXPECT_LE(MeanError(plain.bitmap, p), row.meanPlain);
    EXPECT_LE(MeanError(dith.bitmap, p, 4), row.blockDither);
    if (row.coarse) {
      EXPECT_LT(MeanError(dith.bitmap, p, 4), MeanError(plain.bitmap, p, 4));
      EXPECT_NE(ToPicture(plain.bitmap).pixels, ToPicture(dith.bitmap).pixels);
    }
  }
  EXPECT_EQ(DecodeData("photo.png", -1).result, rstrim::kBadArgument);
}

// A true-colour file of 16 colours and a file whose table fits keep their pictures exactly, and
// so does a file of whose full table only nine entries are used.
TEST(Resolution, FewColoursAndFilePalettesAreKeptExactly) {
  const std::tuple<const char*, int, size_t> rows[] = {{"png-rgb-pal16.png", 8, 16},
                                                       {"png-rgb-pal16.png", 4, 16},
                                                       {"gif-pal16.gif", 8, 16},
                                                       {"gif-pal16.gif", 4, 16},
                                                       {"gif-sparse.gif", 4, 9}};
  for (const auto& [file, res, colours] : rows) {
    for (bool dither : {false, true}) {
      const Decoded d = DecodeData(file, res, dither);
      EXPECT_EQ(
          std::tuple(d.result, d.bitmap.Palette().size(), MaxError(d.bitmap, ReadReference(file))),
          std::tuple(rstrim::kOk, colours, 0))
          << file << " at " << res << (dither ? " dithered" : "");
    }
  }
}

}  // namespace
}  // namespace testing_rstrim
