// Pictures with embedded colour profiles against what lcms2's own tools show
// of them in sRGB, and profiles that must leave the colours alone.
#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

struct Row {
  const char* file;
  const char* reference;
  int resolution = 24;
};

const Row kConverted[] = {
    {"jpeg-icc-adobe.jpg", "ref-icc-jpeg-adobe.ppm"},
    {"jpeg-icc-prophoto.jpg", "ref-icc-jpeg-prophoto.ppm"},
    {"jpeg-icc-widegamut.jpg", "ref-icc-jpeg-widegamut.ppm"},
    {"jpeg-icc-grey.jpg", "ref-icc-jpeg-grey.ppm"},
    {"jpeg-icc-cmyk.jpg", "ref-icc-jpeg-cmyk.ppm"},      // Adobe's inverted inks
    {"jpeg-icc-pieces.jpg", "ref-icc-jpeg-pieces.ppm"},  // three APP2 pieces out of order
    {"png-icc-adobe.png", "ref-icc-png-adobe.ppm"},
    {"png-icc-widegamut.png", "ref-icc-png-widegamut.ppm"},
    {"png-icc-grey.png", "ref-icc-png-grey.ppm"},
    {"png-icc-pal16.png", "ref-icc-png-pal16.ppm", 4},  // the colour table converted
    {"tiff-icc-adobe.tif", "ref-icc-tiff-adobe.ppm"},
    {"tiff-icc-prophoto.tif", "ref-icc-tiff-prophoto.ppm"},
    {"tiff-icc-widegamut.tif", "ref-icc-tiff-widegamut.ppm"},
    {"tiff-icc-grey.tif", "ref-icc-tiff-grey.ppm"},
    {"tiff-icc-cmyk.tif", "ref-icc-tiff-cmyk.ppm"},
    {"bmp-icc-adobe.bmp", "ref-icc-tiff-adobe.ppm"},  // the TIFF's pixels in a V5 header
};

TEST(Colour, EmbeddedProfilesShowWhatLcmsToolsShow) {
  for (const Row& r : kConverted) {
    SCOPED_TRACE(r.file);
    const Picture want = ReadReference(r.reference);
    ASSERT_GT(want.width, 0) << r.reference;
    const Decoded d = DecodeData(r.file, r.resolution);
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(d.bitmap.Bpp(), r.resolution);
    EXPECT_LE(MaxError(d.bitmap, want), 2);
    EXPECT_LE(MeanError(d.bitmap, want), 0.5);
  }
}

// The reduction to a palette works on the converted colours.
TEST(Colour, PaletteOutputReducesTheConvertedColours) {
  const Picture want = ReadReference("ref-icc-jpeg-prophoto.ppm");
  const Decoded d = DecodeData("jpeg-icc-prophoto.jpg", 8, true);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LE(BlockMeanError(d.bitmap, want, 4), 2.0);
}

// sRGB's own profile and one cut short: exactly the untagged picture.
TEST(Colour, ProfilesThatChangeNothingLeaveThePixels) {
  const Picture plain = ToPicture(DecodeData("jpeg-baseline.jpg").bitmap);
  for (const char* file : {"jpeg-icc-srgb.jpg", "jpeg-icc-short.jpg"}) {
    SCOPED_TRACE(file);
    const Decoded d = DecodeData(file);
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(MaxError(d.bitmap, plain), 0);
  }
}

}  // namespace
}  // namespace testing_rstrim
