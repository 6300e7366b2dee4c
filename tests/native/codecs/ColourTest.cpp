// Embedded colour profiles beyond the decoding table's rows: the reduction to
// a palette, and profiles that must leave the colours alone.
#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

// The reduction to a palette works on the converted colours.
TEST(Colour, PaletteOutputReducesTheConvertedColours) {
  const Picture want = ReadReference("ref-icc-jpeg-prophoto.ppm");
  const Decoded d = DecodeData("jpeg-icc-prophoto.jpg", 8, true);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LE(MeanError(d.bitmap, want, 4), 2.0);
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
