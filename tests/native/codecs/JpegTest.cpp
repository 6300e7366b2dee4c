#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::JpegColour;
using fixtures::JpegSpec;
using rstrim::Format;

TEST(Jpeg, BaselineColourWithinTolerance) {
  const Picture p = fixtures::Photo(97, 61);
  const Decoded d = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, JpegSpec{}));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(d.bitmap.Bpp(), 24);
  EXPECT_LT(MeanError(d.bitmap, p), 3.0);
}

TEST(Jpeg, ProgressiveMatchesBaseline) {
  const Picture p = fixtures::Photo(64, 48, 3);
  JpegSpec layout;
  layout.progressive = true;
  const Decoded d = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, layout));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LT(MeanError(d.bitmap, p), 3.0);
}

TEST(Jpeg, GreyscaleGivesGreys) {
  const Picture p = fixtures::Gradient(40, 30);
  JpegSpec layout;
  layout.colour = JpegColour::kGrey;
  const Decoded d = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, layout));
  ASSERT_EQ(d.result, rstrim::kOk);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const Rgb c = d.bitmap.ColourAt(x, y);
      ASSERT_EQ(c.r, c.g);
      ASSERT_EQ(c.g, c.b);
    }
  }
  // 256 greys fit an 8-bit palette unchanged.
  const Decoded d8 = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, layout), 8);
  ASSERT_EQ(d8.result, rstrim::kOk);
  EXPECT_EQ(d8.bitmap.Palette().size(), 256u);
}

TEST(Jpeg, AdobeCmykAndYcckShowTheRightColours) {
  const Picture p = fixtures::Photo(48, 32);
  for (JpegColour colour : {JpegColour::kAdobeCmyk, JpegColour::kAdobeYcck}) {
    JpegSpec layout;
    layout.colour = colour;
    layout.quality = 95;
    const Decoded d = DecodeBytes(Format::kJpeg, fixtures::EncodeJpeg(p, layout));
    ASSERT_EQ(d.result, rstrim::kOk);
    // Inverted inks read the wrong way would give a negative picture.
    EXPECT_LT(MeanError(d.bitmap, p), 6.0) << static_cast<int>(colour);
  }
}

TEST(Jpeg, ExifOrientationMakesThePictureUpright) {
  const Picture p = fixtures::Photo(40, 24);
  for (int o = 1; o <= 8; ++o) {
    JpegSpec layout;
    layout.orientation = o;
    layout.quality = 95;
    const Bytes file = fixtures::EncodeJpeg(p, layout);
    const Decoded d = DecodeBytes(Format::kJpeg, file);
    ASSERT_EQ(d.result, rstrim::kOk);
    const Picture want = Oriented(p, o);
    EXPECT_EQ(d.bitmap.Width(), want.width) << o;
    EXPECT_LT(MeanError(d.bitmap, want), 4.0) << o;
    rstrim::ImageInfo info;
    ASSERT_EQ(Info(file, &info), rstrim::kOk);
    EXPECT_EQ(info.width, want.width);
    EXPECT_EQ(info.height, want.height);
  }
}

TEST(Jpeg, ReducedSizeDecoding) {
  const Picture p = fixtures::Photo(64, 32);
  rstrim::MemoryDib bmp;
  rstrim::DecodeOptions options;
  options.jpegScale = 2;
  const Bytes file = fixtures::EncodeJpeg(p, JpegSpec{});
  rstrim::MemorySource src(file.data(), file.size());
  ASSERT_EQ(rstrim::Decode(Format::kJpeg, src, options, bmp), rstrim::kOk);
  EXPECT_EQ(bmp.Width(), 32);
  EXPECT_EQ(bmp.Height(), 16);
}

TEST(Orientation, CornersFollowTheExifMeaning) {
  // Where the stored top-left pixel ends up, for a 4 wide, 2 high stored picture.
  const int want[9][2] = {{0, 0}, {0, 0}, {3, 0}, {3, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 3}, {0, 3}};
  for (int o = 1; o <= 8; ++o) {
    int ux = -1, uy = -1;
    rstrim::OrientPoint(o, 4, 2, 0, 0, &ux, &uy);
    EXPECT_EQ(ux, want[o][0]) << o;
    EXPECT_EQ(uy, want[o][1]) << o;
  }
}

}  // namespace
}  // namespace testing_rstrim
