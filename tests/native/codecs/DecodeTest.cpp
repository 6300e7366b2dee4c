// Every test picture against the picture it must show: each format in the
// variants its decoder knows (depths, colour types, compressions, layouts).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

// Files that must show one reference picture within the same errors.
struct Row {
  const char* files;  // apart by blanks
  const char* reference;
  int resolution;  // asked for: the depth that must come back
  int maxError;
  double meanError;
};

// Indexed files read at their own depth keep their colours exactly. Embedded
// colour profiles: what lcms2's own tools show of them in sRGB; sRGB's own
// profile and one cut short leave the untagged picture exactly.
const Row kRows[] = {
    {"jpeg-baseline.jpg jpeg-progressive.jpg", "ref-rgb.ppm", 24, 255, 3},
    {"jpeg-grey.jpg", "ref-grey.pgm", 24, 255, 3},
    // jpeg-ycck.jpg: inverted inks read wrongly: a negative
    {"jpeg-ycck.jpg", "ref-rgb.ppm", 24, 255, 6},
    // tiff-pages.tif: the first page
    {"png-rgb8.png png-rgb8-adam7.png tiff-none.tif tiff-packbits.tif tiff-lzw.tif "
     "tiff-zip.tif tiff-rgba.tif tiff-tiled.tif tiff-planes.tif tiff-pages.tif "
     "tiff-bigtiff.tif tiff-lzma.tif tiff-zstd.tif tiff-webp.tif bmp-os2-24.bmp "
     "bmp-24.bmp bmp-24-v5.bmp bmp-32-v5.bmp pcx-24.pcx",
     "ref-rgb.ppm", 24, 0, 0},
    {"png-rgb16.png tiff-rgb16.tif tiff-rgb12.tif tiff-tiled12.tif tiff-planes12.tif "
     "tiff-rgb32.tif tiff-half16.tif",
     "ref-rgb.ppm", 24, 1, 0.5},
    // tiff-bilevel-none.tif: min-is-white
    {"png-grey1.png png-pal1.png tiff-bilevel-none.tif tiff-bilevel-g3.tif "
     "tiff-bilevel-g4.tif tiff-bilevel-packbits.tif bmp-os2-1.bmp bmp-1.bmp "
     "pcx-1.pcx",
     "ref-mono.pgm", 1, 0, 0},
    {"png-grey2.png tiff-grey4.tif", "ref-grey4.pgm", 24, 0, 0},
    {"png-grey4.png png-grey4-adam7.png tiff-grey16.tif", "ref-grey16.pgm", 24, 0, 0},
    {"png-grey8.png tiff-grey.tif", "ref-grey.pgm", 24, 0, 0},
    {"png-grey16.png tiff-grey12.tif tiff-bigtiff12.tif", "ref-grey.pgm", 24, 1, 0.5},
    {"png-pal2.png png-pal2-adam7.png pcx-2.pcx pcx-planes2.pcx", "ref-pal4.ppm", 4, 0, 0},
    {"png-pal4.png png-rgb-pal16.png gif-pal16.gif tiff-pal16.tif bmp-os2-4.bmp bmp-4.bmp "
     "pcx-4.pcx pcx-planes4.pcx",
     "ref-pal16.ppm", 4, 0, 0},
    {"png-pal8.png gif-pal256-adam.gif tiff-pal256.tif bmp-os2-8.bmp bmp-8.bmp "
     "bmp-rle8.bmp bmp-rle8-v5.bmp pcx-8.pcx pcx-8-raw.pcx",
     "ref-pal256.ppm", 8, 0, 0},
    {"png-rgba8-bkgd.png", "ref-over-blue.ppm", 24, 2, 0.5},
    {"png-rgba16.png", "ref-over-white.ppm", 24, 2, 0.5},
    {"png-greya8.png png-greya16-adam7.png", "ref-grey-over-white.pgm", 24, 2, 0.5},
    {"png-pal-trns.png", "ref-pal-trns.ppm", 24, 1, 0.5},
    {"png-grey-trns.png", "ref-grey-trns.pgm", 24, 0, 0},
    {"png-rgb-trns.png", "ref-rgb-trns.ppm", 24, 0, 0},
    // gif-placed.gif: background and transparency
    {"gif-placed.gif", "ref-gif-placed.ppm", 24, 0, 0},
    {"gif-local.gif", "ref-gif-local.ppm", 24, 0, 0},
    {"gif-nomap2.gif", "ref-gif-nomap2.pgm", 24, 0, 0},
    {"gif-nomap3.gif", "ref-gif-nomap3.pgm", 24, 0, 0},
    {"gif-nomap8.gif", "ref-gif-nomap8.pgm", 24, 0, 0},
    {"tiff-jpeg.tif", "ref-rgb.ppm", 24, 255, 4},
    {"tiff-cmyk.tif", "ref-rgb.ppm", 24, 2, 1},
    // tiff-lab8.tif: 8-bit a* and b* are coarse: where a channel is near 0 a step moves it far
    {"tiff-lab8.tif", "ref-lab8.ppm", 24, 16, 1},
    // tiff-lab16.tif: a wrong white point costs more
    {"tiff-lab16.tif", "ref-muted.ppm", 24, 2, 0.6},
    {"bmp-2bit.bmp", "ref-bmp-2bit.ppm", 4, 0, 0},
    {"bmp-rle8-delta.bmp", "ref-bmp-rle8-delta.ppm", 8, 0, 0},
    {"bmp-rle4.bmp", "ref-bmp-rle4.ppm", 4, 0, 0},
    {"bmp-topdown.bmp", "ref-bmp-topdown.ppm", 24, 0, 0},
    // bmp-555.bmp: 5 bits a channel, scaled back up
    {"bmp-555.bmp bmp-555-masks.bmp bmp-565-v5.bmp", "ref-rgb.ppm", 24, 9, 5},
    {"pcx-planes3.pcx", "ref-pal8.ppm", 4, 0, 0},
    // pcx-ega.pcx: version 3: the standard colours
    {"pcx-ega.pcx", "ref-ega.ppm", 4, 0, 0},
    {"jpeg-icc-adobe.jpg", "ref-icc-jpeg-adobe.ppm", 24, 2, 0.5},
    {"jpeg-icc-prophoto.jpg", "ref-icc-jpeg-prophoto.ppm", 24, 2, 0.5},
    {"jpeg-icc-widegamut.jpg", "ref-icc-jpeg-widegamut.ppm", 24, 2, 0.5},
    {"jpeg-icc-grey.jpg", "ref-icc-jpeg-grey.ppm", 24, 2, 0.5},
    // jpeg-icc-cmyk.jpg: Adobe's inverted inks
    {"jpeg-icc-cmyk.jpg", "ref-icc-jpeg-cmyk.ppm", 24, 2, 0.5},
    // three APP2 pieces out of order
    {"jpeg-icc-pieces.jpg", "ref-icc-jpeg-pieces.ppm", 24, 2, 0.5},
    {"png-icc-adobe.png", "ref-icc-png-adobe.ppm", 24, 2, 0.5},
    {"png-icc-widegamut.png", "ref-icc-png-widegamut.ppm", 24, 2, 0.5},
    {"png-icc-grey.png", "ref-icc-png-grey.ppm", 24, 2, 0.5},
    // png-icc-pal16.png: the colour table converted
    {"png-icc-pal16.png", "ref-icc-png-pal16.ppm", 4, 2, 0.5},
    {"tiff-icc-adobe.tif bmp-icc-adobe.bmp", "ref-icc-tiff-adobe.ppm", 24, 2, 0.5},
    {"tiff-icc-prophoto.tif", "ref-icc-tiff-prophoto.ppm", 24, 2, 0.5},
    {"tiff-icc-widegamut.tif", "ref-icc-tiff-widegamut.ppm", 24, 2, 0.5},
    {"tiff-icc-grey.tif", "ref-icc-tiff-grey.ppm", 24, 2, 0.5},
    {"tiff-icc-cmyk.tif", "ref-icc-tiff-cmyk.ppm", 24, 2, 0.5},
    {"jpeg-icc-srgb.jpg jpeg-icc-short.jpg", "jpeg-baseline.jpg", 24, 0, 0},
};

TEST(Decode, EveryTestPictureShowsItsReference) {
  int files = 0;
  for (const Row& r : kRows) {
    const Picture want = ReadReference(r.reference);
    ASSERT_GT(want.width, 0) << r.reference;
    std::istringstream names(r.files);
    for (std::string file; names >> file; ++files) {
      SCOPED_TRACE(file);
      const Decoded d = DecodeData(file, r.resolution);
      ASSERT_EQ(d.result, rstrim::kOk);
      EXPECT_EQ(d.bitmap.Bpp(), r.resolution);
      EXPECT_LE(MaxError(d.bitmap, want), r.maxError);
      EXPECT_LE(MeanError(d.bitmap, want), r.meanError);
    }
  }
  EXPECT_EQ(files, 113) << "each picture once";
}

TEST(Decode, OrientationTagsMakeThePictureUpright) {
  const Picture stored = ReadReference("ref-rgb.ppm");
  // Some TIFF tags, exactly; every EXIF value of a JPEG, within its loss.
  const std::tuple<std::string, std::vector<int>, int> kinds[] = {
      {"tiff-orient.tif", {3, 6, 8}, 0}, {"jpeg-exif.jpg", {1, 2, 3, 4, 5, 6, 7, 8}, 255}};
  for (const auto& [pattern, orientations, maxError] : kinds)
    for (int orientation : orientations) {
      std::string file = pattern;
      file.insert(file.find('.'), std::to_string(orientation));
      SCOPED_TRACE(file);
      const Picture want = Oriented(stored, orientation);
      const Decoded d = DecodeData(file);
      ASSERT_EQ(d.result, rstrim::kOk);
      EXPECT_LE(MaxError(d.bitmap, want), maxError);
      EXPECT_LT(MeanError(d.bitmap, want), 3.0);
      rstrim::ImageInfo info;
      const rstrim::Result r = Info(ReadData(file), &info);
      EXPECT_EQ(std::tuple(r, info.width, info.height),
                std::tuple(rstrim::kOk, want.width, want.height));
    }
}

TEST(Orientation, CornersFollowTheExifMeaning) {
  // Where the stored top-left pixel ends up, for a 4 wide, 2 high stored picture.
  std::string got;
  for (int o = 1; o <= 8; ++o) {
    int ux = -1, uy = -1;
    rstrim::OrientPoint(o, 4, 2, 0, 0, &ux, &uy);
    got += std::to_string(ux) + "," + std::to_string(uy) + " ";
  }
  EXPECT_EQ(got, "0,0 3,0 3,1 0,1 0,0 1,0 1,3 0,3 ");
}

TEST(Decode, GreyJpegGivesGreysAndAllOfThemFitEightBits) {
  const Decoded d = DecodeData("jpeg-grey.jpg");
  ASSERT_EQ(d.result, rstrim::kOk);
  for (const Rgb& c : ToPicture(d.bitmap).pixels) ASSERT_TRUE(c.r == c.g && c.g == c.b);
  EXPECT_EQ(DecodeData("jpeg-grey.jpg", 8).bitmap.Palette().size(), 256u);
}

TEST(Decode, GifImageLargerThanTheScreenIsCutOff) {
  const Decoded d = DecodeData("gif-clipped.gif");
  ASSERT_EQ(d.result, rstrim::kOk);
  // At (0, 0) the screen's background, at (5, 4) the image's (3, 3).
  EXPECT_EQ(std::tuple(d.bitmap.Width(), d.bitmap.Height(), d.bitmap.ColourAt(0, 0),
                       d.bitmap.ColourAt(5, 4)),
            std::tuple(6, 5, Rgb{0, 0, 0}, Rgb{0, 250, 0}));
}

// Floating-point samples: 0.0-1.0 is black to white, outside clamped, NaN black.
TEST(Decode, TiffFloatSamples) {
  const uint8_t want[] = {0, 64, 128, 255, 255, 0, 0, 1};
  const Decoded d = DecodeData("tiff-float.tif");
  ASSERT_EQ(d.result, rstrim::kOk);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(d.bitmap.ColourAt(x, 0).g, want[x]) << x;
}

}  // namespace
}  // namespace testing_rstrim
