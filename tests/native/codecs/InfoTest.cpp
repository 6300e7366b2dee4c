#include <gtest/gtest.h>
#include <tiffio.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

struct Expect {
  const char* type;
  int width, height, a, b, count;
  const char* detail;
};

void Check(const Bytes& file, const Expect& e) {
  rstrim::ImageInfo info;
  ASSERT_EQ(Info(file, &info), rstrim::kOk) << e.type << " " << e.detail;
  EXPECT_EQ(info.type, e.type);
  EXPECT_EQ(info.width, e.width);
  EXPECT_EQ(info.height, e.height);
  EXPECT_EQ(info.depthA, e.a) << e.detail;
  EXPECT_EQ(info.depthB, e.b) << e.detail;
  EXPECT_EQ(info.count, e.count);
  EXPECT_EQ(info.detail, e.detail);
  EXPECT_LE(info.type.size(), 5u);
  EXPECT_LE(info.detail.size(), 25u);
}

TEST(Info, Jpeg) {
  const Picture p = fixtures::Gradient(30, 20);
  Check(fixtures::EncodeJpeg(p, {}), {"JPEG", 30, 20, 8, 3, 1, "Baseline"});
  fixtures::JpegSpec prog;
  prog.progressive = true;
  Check(fixtures::EncodeJpeg(p, prog), {"JPEG", 30, 20, 8, 3, 1, "Progressive"});
  fixtures::JpegSpec grey;
  grey.colour = fixtures::JpegColour::kGrey;
  Check(fixtures::EncodeJpeg(p, grey), {"JPEG", 30, 20, 8, 1, 1, "Baseline Grey"});
  fixtures::JpegSpec cmyk;
  cmyk.colour = fixtures::JpegColour::kAdobeCmyk;
  Check(fixtures::EncodeJpeg(p, cmyk), {"JPEG", 30, 20, 8, 4, 1, "Baseline CMYK"});
}

TEST(Info, Png) {
  fixtures::PngSpec rgba;
  rgba.colourType = 6;
  Check(fixtures::EncodePng(3, 2, rgba, std::vector<uint16_t>(24, 9)),
        {"PNG", 3, 2, 8, 4, 1, "RGBA"});
  fixtures::PngSpec pal;
  pal.colourType = 3, pal.bitDepth = 4, pal.interlaced = true,
  pal.palette = fixtures::TestPalette(16);
  Check(fixtures::EncodePng(3, 2, pal, std::vector<uint16_t>(6, 1)),
        {"PNG", 3, 2, 4, 1, 1, "Palette Interlaced"});
  fixtures::PngSpec grey16;
  grey16.colourType = 0, grey16.bitDepth = 16;
  Check(fixtures::EncodePng(3, 2, grey16, std::vector<uint16_t>(6, 1)),
        {"PNG", 3, 2, 8, 1, 1, "Grey/16"});
}

TEST(Info, GifCountsImagesWithoutDecoding) {
  fixtures::GifSpec s;
  s.screenWidth = 40, s.screenHeight = 30, s.width = 10, s.height = 10;
  s.globalMap = fixtures::TestPalette(256);
  s.extraFrames = 4;
  s.interlaced = true;
  Check(fixtures::EncodeGif(s, fixtures::Indices(10, 10, 256)),
        {"GIF", 40, 30, 8, 1, 5, "89a Interlaced"});
  fixtures::GifSpec small;
  small.screenWidth = small.width = 5, small.screenHeight = small.height = 5;
  small.globalMap = fixtures::TestPalette(8);
  small.gif89 = false;
  Check(fixtures::EncodeGif(small, fixtures::Indices(5, 5, 8)), {"GIF", 5, 5, 4, 1, 1, "87a"});
}

TEST(Info, Tiff) {
  fixtures::TiffSpec s;
  s.width = 9, s.height = 7, s.compression = COMPRESSION_PACKBITS;
  Check(fixtures::EncodeTiff(s, Bytes(9 * 7 * 3, 50)), {"TIFF", 9, 7, 8, 3, 1, "PackBits"});
  fixtures::TiffSpec g4;
  g4.width = 9, g4.height = 7, g4.compression = COMPRESSION_CCITTFAX4;
  g4.photometric = PHOTOMETRIC_MINISWHITE, g4.bitsPerSample = 1, g4.samplesPerPixel = 1;
  Check(fixtures::EncodeTiff(g4, Bytes(2 * 7, 0x5A)), {"TIFF", 9, 7, 1, 1, 1, "CCITT G4"});
}

TEST(Info, Bmp) {
  fixtures::BmpSpec rle;
  rle.bpp = 8, rle.rle = true;
  Check(fixtures::EncodeBmp(6, 4, rle, fixtures::Indices(6, 4, 9), fixtures::TestPalette(9)),
        {"BMP", 6, 4, 8, 1, 1, "RLE8"});
  fixtures::BmpSpec os2;
  os2.headerSize = 12, os2.bpp = 4;
  Check(fixtures::EncodeBmp(6, 4, os2, fixtures::Indices(6, 4, 9), fixtures::TestPalette(9)),
        {"BMP", 6, 4, 4, 1, 1, "OS/2 Uncompressed"});
  const Picture p = fixtures::Gradient(6, 4);
  Check(fixtures::EncodeBmp(6, 4, fixtures::BmpSpec{}, {}, {}, &p),
        {"BMP", 6, 4, 8, 3, 1, "Uncompressed"});
}

TEST(Info, Pcx) {
  fixtures::PcxSpec planar;
  planar.bitsPerPixel = 1, planar.planes = 4;
  Check(fixtures::EncodePcx(6, 4, planar, fixtures::Indices(6, 4, 16), fixtures::TestPalette(16)),
        {"PCX", 6, 4, 1, 4, 1, "Version 5"});
  const Picture p = fixtures::Gradient(6, 4);
  fixtures::PcxSpec rgb;
  rgb.planes = 3;
  Check(fixtures::EncodePcx(6, 4, rgb, {}, {}, &p), {"PCX", 6, 4, 8, 3, 1, "Version 5"});
  fixtures::PcxSpec pal;
  Check(fixtures::EncodePcx(6, 4, pal, fixtures::Indices(6, 4, 256), fixtures::TestPalette(256)),
        {"PCX", 6, 4, 8, 1, 1, "Version 5"});
}

TEST(Info, UnknownContent) {
  rstrim::ImageInfo info;
  EXPECT_EQ(Info(Bytes{'h', 'e', 'l', 'l', 'o'}, &info), rstrim::kNotThisFormat);
  EXPECT_EQ(Info(Bytes{}, &info), rstrim::kNotThisFormat);
}

}  // namespace
}  // namespace testing_rstrim
