// The information query on a picture of each kind: type, size, depths, count
// and the variant named in the detail.
#include <gtest/gtest.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

TEST(Info, EveryKindAndItsVariant) {
  const std::pair<const char*, const char*> rows[] = {
      {"jpeg-baseline.jpg", "JPEG 45x29 8x3 1 Baseline"},
      {"jpeg-progressive.jpg", "JPEG 45x29 8x3 1 Progressive"},
      {"jpeg-grey.jpg", "JPEG 45x29 8x1 1 Baseline Grey"},
      {"jpeg-ycck.jpg", "JPEG 45x29 8x4 1 Baseline YCCK"},
      {"png-rgba16.png", "PNG 45x29 8x4 1 RGBA/16"},
      {"png-pal2-adam7.png", "PNG 45x29 2x1 1 Palette Interlaced"},
      {"png-grey16.png", "PNG 45x29 8x1 1 Grey/16"},
      {"gif-frames.gif", "GIF 60x40 4x1 5 89a Interlaced"},  // counted, not decoded
      {"gif-87a.gif", "GIF 5x5 4x1 1 87a"},
      {"tiff-packbits.tif", "TIFF 45x29 8x3 1 PackBits"},
      {"tiff-bilevel-g4.tif", "TIFF 45x29 1x1 1 CCITT G4"},
      {"tiff-pages.tif", "TIFF 45x29 8x3 3 LZW"},
      {"bmp-rle8.bmp", "BMP 45x29 8x1 1 RLE8"},
      {"bmp-os2-4.bmp", "BMP 45x29 4x1 1 OS/2 Uncompressed"},
      {"bmp-24.bmp", "BMP 45x29 8x3 1 Uncompressed"},
      {"pcx-planes4.pcx", "PCX 45x29 1x4 1 Version 5"},
      {"pcx-24.pcx", "PCX 45x29 8x3 1 Version 5"},
      {"pcx-8.pcx", "PCX 45x29 8x1 1 Version 5"},
  };
  for (const auto& [file, want] : rows) {
    rstrim::ImageInfo i;
    ASSERT_EQ(Info(ReadData(file), &i), rstrim::kOk) << file;
    EXPECT_EQ(i.type + " " + std::to_string(i.width) + "x" + std::to_string(i.height) + " " +
                  std::to_string(i.depthA) + "x" + std::to_string(i.depthB) + " " +
                  std::to_string(i.count) + " " + i.detail,
              want);
  }
  rstrim::ImageInfo info;
  EXPECT_EQ(Info(Bytes{'h', 'e', 'l', 'l', 'o'}, &info), rstrim::kNotThisFormat);
  EXPECT_EQ(Info(Bytes{}, &info), rstrim::kNotThisFormat);
}

}  // namespace
}  // namespace testing_rstrim
