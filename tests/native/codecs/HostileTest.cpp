#include <gtest/gtest.h>
#include <tiffio.h>

#include <sys/stat.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using rstrim::Format;

struct Fixture {
  const char* name;
  Format format;
  Bytes data;
  size_t trailer = 0;  // bytes after the pixel data (PCX palette)
};

std::vector<Fixture> AllFixtures() {
  const Picture p = fixtures::Photo(41, 27);
  const auto idx16 = fixtures::Indices(41, 27, 16);
  const auto idx256 = fixtures::Indices(41, 27, 256);
  const auto pal16 = fixtures::TestPalette(16);
  const auto pal256 = fixtures::TestPalette(256);
  std::vector<Fixture> f;
  fixtures::JpegSpec prog;
  prog.progressive = true;
  fixtures::JpegSpec cmyk;
  cmyk.colour = fixtures::JpegColour::kAdobeCmyk;
  cmyk.orientation = 6;
  f.push_back({"jpeg", Format::kJpeg, fixtures::EncodeJpeg(p, {})});
  f.push_back({"jpeg-progressive", Format::kJpeg, fixtures::EncodeJpeg(p, prog)});
  f.push_back({"jpeg-cmyk", Format::kJpeg, fixtures::EncodeJpeg(p, cmyk)});
  f.push_back({"png", Format::kPng, fixtures::EncodePngRgb(p)});
  f.push_back({"png-interlaced", Format::kPng, fixtures::EncodePngRgb(p, true)});
  fixtures::PngSpec pal;
  pal.colourType = 3, pal.palette = pal16, pal.trnsAlpha = {0, 100};
  std::vector<uint16_t> s(idx16.begin(), idx16.end());
  f.push_back({"png-palette", Format::kPng, fixtures::EncodePng(41, 27, pal, s)});
  fixtures::GifSpec gif;
  gif.screenWidth = 50, gif.screenHeight = 30, gif.left = 3, gif.top = 2, gif.width = 41,
  gif.height = 27;
  gif.globalMap = pal256, gif.interlaced = true, gif.transparent = 5;
  f.push_back({"gif", Format::kGif, fixtures::EncodeGif(gif, idx256)});
  Bytes rgbRows;
  for (const Rgb& c : p.pixels)
    rgbRows.push_back(c.r), rgbRows.push_back(c.g), rgbRows.push_back(c.b);
  fixtures::TiffSpec lzw;
  lzw.width = 41, lzw.height = 27, lzw.compression = COMPRESSION_LZW, lzw.rowsPerStrip = 5;
  f.push_back({"tiff-lzw", Format::kTiff, fixtures::EncodeTiff(lzw, rgbRows)});
  fixtures::TiffSpec jpeg = lzw;
  jpeg.compression = COMPRESSION_JPEG, jpeg.rowsPerStrip = 16;
  f.push_back({"tiff-jpeg", Format::kTiff, fixtures::EncodeTiff(jpeg, rgbRows)});
  fixtures::TiffSpec tiled = lzw;
  tiled.tiled = true, tiled.compression = COMPRESSION_ADOBE_DEFLATE;
  f.push_back({"tiff-tiled", Format::kTiff, fixtures::EncodeTiff(tiled, rgbRows)});
  fixtures::TiffSpec g4;
  g4.width = 41, g4.height = 27, g4.compression = COMPRESSION_CCITTFAX4;
  g4.photometric = PHOTOMETRIC_MINISWHITE, g4.bitsPerSample = 1, g4.samplesPerPixel = 1;
  Bytes bits;
  for (size_t i = 0; i < 6 * 27; ++i) bits.push_back(static_cast<uint8_t>(i * 37));
  f.push_back({"tiff-g4", Format::kTiff, fixtures::EncodeTiff(g4, bits)});
  fixtures::BmpSpec rle8;
  rle8.bpp = 8, rle8.rle = true;
  f.push_back({"bmp-rle8", Format::kBmp, fixtures::EncodeBmp(41, 27, rle8, idx16, pal16)});
  fixtures::BmpSpec rle4;
  rle4.bpp = 4, rle4.rle = true;
  f.push_back({"bmp-rle4", Format::kBmp, fixtures::EncodeBmp(41, 27, rle4, idx16, pal16)});
  f.push_back(
      {"bmp-24", Format::kBmp, fixtures::EncodeBmp(41, 27, fixtures::BmpSpec{}, {}, {}, &p)});
  fixtures::BmpSpec bf;
  bf.bpp = 16, bf.bitfields = true, bf.masks[0] = 0xF800, bf.masks[1] = 0x7E0, bf.masks[2] = 0x1F;
  f.push_back({"bmp-16", Format::kBmp, fixtures::EncodeBmp(41, 27, bf, {}, {}, &p)});
  f.push_back({"pcx-8", Format::kPcx,
               fixtures::EncodePcx(41, 27, fixtures::PcxSpec{}, idx256, pal256), 769});
  fixtures::PcxSpec planar;
  planar.bitsPerPixel = 1, planar.planes = 4;
  f.push_back({"pcx-planar", Format::kPcx, fixtures::EncodePcx(41, 27, planar, idx16, pal16)});
  fixtures::PcxSpec rgb;
  rgb.planes = 3;
  f.push_back({"pcx-24", Format::kPcx, fixtures::EncodePcx(41, 27, rgb, {}, {}, &p)});
  return f;
}

void ExpectFailureOrPicture(const Decoded& d, const char* what, size_t len) {
  if (d.result > 0) {
    EXPECT_GT(d.bitmap.Width(), 0) << what << " at " << len;
    EXPECT_GT(d.bitmap.Height(), 0) << what << " at " << len;
  }
}

TEST(Hostile, EveryFixtureDecodesWhole) {
  for (const Fixture& f : AllFixtures()) {
    EXPECT_EQ(DecodeBytes(f.format, f.data).result, rstrim::kOk) << f.name;
  }
}

TEST(Hostile, TruncatedAtManyLengths) {
  for (const Fixture& f : AllFixtures()) {
    const size_t size = f.data.size();
    const size_t step = std::max<size_t>(1, size / 150);
    int failures = 0;
    for (size_t len = 0; len < size; len += (len < 64 || len + 16 > size) ? 1 : step) {
      const Bytes cut(f.data.begin(), f.data.begin() + static_cast<std::ptrdiff_t>(len));
      for (int res : {24, 4}) {
        const Decoded d = DecodeBytes(f.format, cut, res, res == 4);
        ExpectFailureOrPicture(d, f.name, len);
        failures += d.result <= 0;
      }
      rstrim::ImageInfo info;
      Info(cut, &info);
    }
    EXPECT_GT(failures, 0) << f.name;
    // Cut in the middle of the pixel data: damaged, not a silent half picture.
    const Bytes half(f.data.begin(),
                     f.data.begin() + static_cast<std::ptrdiff_t>((size - f.trailer) * 2 / 3));
    EXPECT_EQ(DecodeBytes(f.format, half).result, rstrim::kDamaged) << f.name;
  }
}

TEST(Hostile, CorruptedBytes) {
  uint32_t state = 99;
  auto rnd = [&state] {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    return state;
  };
  for (const Fixture& f : AllFixtures()) {
    for (int round = 0; round < 60; ++round) {
      Bytes bad = f.data;
      const int flips = 1 + static_cast<int>(rnd() % 8);
      for (int i = 0; i < flips; ++i) {
        // Mostly the headers, where sizes and offsets live.
        const size_t range = (rnd() % 2) ? std::min<size_t>(bad.size(), 200) : bad.size();
        bad[rnd() % range] = static_cast<uint8_t>(rnd());
      }
      const Decoded d = DecodeBytes(f.format, bad, round % 2 ? 24 : 8, round % 3 == 0);
      ExpectFailureOrPicture(d, f.name, static_cast<size_t>(round));
    }
  }
}

class CountingTarget : public rstrim::DibTarget {
 public:
  bool Allocate(int, int, int) override {
    ++allocations;
    return false;
  }
  void SetPalette(const Rgb*, int) override {}
  uint8_t* Row(int) override { return nullptr; }
  int allocations = 0;
};

Bytes BmpHeader(int32_t width, int32_t height, int bpp) {
  const Picture p = fixtures::Gradient(2, 2);
  Bytes b = fixtures::EncodeBmp(2, 2, fixtures::BmpSpec{}, {}, {}, &p);
  auto put32 = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  b[28] = static_cast<uint8_t>(bpp);
  return b;
}

TEST(Hostile, TooLargeIsRefusedBeforeAllocating) {
  for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{
           {20000, 20000}, {0x7fffffff, 0x7fffffff}, {0x7fffffff, 1}}) {
    const Bytes file = BmpHeader(w, h, 24);
    rstrim::MemorySource src(file.data(), file.size());
    CountingTarget target;
    rstrim::DecodeOptions options;
    EXPECT_EQ(rstrim::Decode(Format::kBmp, src, options, target), rstrim::kTooLarge)
        << w << "x" << h;
    EXPECT_EQ(target.allocations, 0);
  }
  // The limit is on the bitmap at the requested depth: the same picture fits at 1 bit.
  const Bytes file = BmpHeader(20000, 20000, 24);
  rstrim::MemorySource src(file.data(), file.size());
  CountingTarget target;
  rstrim::DecodeOptions options;
  options.resolution = 1;
  options.maxWorkBytes = 0;  // but the colour search buffer then does not
  EXPECT_EQ(rstrim::Decode(Format::kBmp, src, options, target), rstrim::kTooLarge);
  EXPECT_EQ(target.allocations, 0);
}

TEST(Hostile, PngAndGifDimensionsChecked) {
  fixtures::PngSpec layout;
  Bytes png = fixtures::EncodePng(1, 1, layout, {1, 2, 3});
  // IHDR width/height at 16..23; the CRC is then wrong, which libpng treats as damage.
  png[16] = 0, png[17] = 0, png[18] = 0x75, png[19] = 0x30;
  EXPECT_LE(DecodeBytes(Format::kPng, png).result, 0);
  fixtures::GifSpec g;
  g.screenWidth = 65535, g.screenHeight = 65535, g.width = 1, g.height = 1;
  g.globalMap = fixtures::TestPalette(2);
  EXPECT_EQ(DecodeBytes(Format::kGif, fixtures::EncodeGif(g, {0})).result, rstrim::kTooLarge);
}

TEST(Hostile, WrongFormatAndUnsupportedVariant) {
  const Picture p = fixtures::Gradient(8, 8);
  const Bytes png = fixtures::EncodePngRgb(p);
  EXPECT_EQ(DecodeBytes(Format::kJpeg, png).result, rstrim::kNotThisFormat);
  EXPECT_EQ(DecodeBytes(Format::kBmp, png).result, rstrim::kNotThisFormat);
  Bytes bmp = fixtures::EncodeBmp(8, 8, fixtures::BmpSpec{}, {}, {}, &p);
  bmp[30] = 4;  // embedded JPEG
  EXPECT_EQ(DecodeBytes(Format::kBmp, bmp).result, rstrim::kUnsupported);
}

TEST(Files, NamesAndErrors) {
  rstrim::MemoryDib bmp;
  rstrim::DecodeOptions options;
  const std::string missing = TempPath("does-not-exist.png");
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, missing.c_str(), options, bmp), rstrim::kFileNotFound);
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, "", options, bmp), rstrim::kFileNotFound);
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, nullptr, options, bmp), rstrim::kFileNotFound);
  const std::string dir = TempPath("dir");
  mkdir(dir.c_str(), 0700);
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, dir.c_str(), options, bmp), rstrim::kReadError);

  // A real file reached through a name of 256 characters is refused, not cut short.
  const Bytes png = fixtures::EncodePngRgb(fixtures::Gradient(8, 8));
  std::string name = TempPath("");
  name += std::string(255 - name.size() - 4, 'x') + ".png";
  ASSERT_EQ(name.size(), 255u);
  ASSERT_TRUE(fixtures::WriteFile(name, png));
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, name.c_str(), options, bmp), rstrim::kOk);
  const std::string slashed = "/" + name;  // "//tmp/..." names the same file
  EXPECT_EQ(rstrim::DecodeFile(Format::kPng, slashed.c_str(), options, bmp), rstrim::kNameTooLong);
  rstrim::ImageInfo info;
  EXPECT_EQ(rstrim::QueryFileInfo(slashed.c_str(), &info), rstrim::kNameTooLong);
  EXPECT_EQ(rstrim::QueryFileInfo(name.c_str(), &info), rstrim::kOk);
  std::remove(name.c_str());
}

}  // namespace
}  // namespace testing_rstrim
