// Damaged and hostile input: a picture of each kind cut short, sizes too large
// to allocate, the wrong decoder, bad file names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using rstrim::Format;

// Cut in half, in the middle of the pixel data of a picture of each decoder's
// main variants: damaged, not a silent half picture. (Crashes on every other
// cut and on flipped bytes are the fuzz targets' to find, from these files.)
TEST(Hostile, CutShortIsDamaged) {
  std::istringstream names(
      "jpeg-baseline.jpg jpeg-progressive.jpg jpeg-exif6.jpg jpeg-ycck.jpg png-rgb8.png "
      "png-rgb8-adam7.png png-pal-trns.png gif-pal256-adam.gif gif-placed.gif tiff-lzw.tif "
      "tiff-jpeg.tif tiff-tiled.tif tiff-bilevel-g4.tif bmp-rle8.bmp bmp-rle4.bmp bmp-24.bmp "
      "bmp-565-v5.bmp pcx-8.pcx pcx-planes4.pcx pcx-24.pcx");
  for (std::string name; names >> name;) {
    const Bytes data = ReadData(name);
    ASSERT_FALSE(data.empty()) << name;
    const Bytes half(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2));
    EXPECT_EQ(DecodeBytes(FormatOf(data), half).result, rstrim::kDamaged) << name;
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

// Writes v little-endian at a byte offset.
void Put(Bytes& b, size_t at, uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(Hostile, TooLargeIsRefusedBeforeAllocating) {
  // The limit is on the bitmap at the requested depth: 20000 x 20000 fits at 1 bit, but the
  // colour search buffer then does not.
  const std::tuple<int32_t, int32_t, int, size_t> rows[] = {{20000, 20000, 24, SIZE_MAX},
                                                            {0x7fffffff, 0x7fffffff, 24, SIZE_MAX},
                                                            {0x7fffffff, 1, 24, SIZE_MAX},
                                                            {20000, 20000, 1, 0}};
  for (const auto& [w, h, resolution, workBytes] : rows) {
    Bytes file = ReadData("bmp-24.bmp");
    Put(file, 18, static_cast<uint32_t>(w));
    Put(file, 22, static_cast<uint32_t>(h));
    rstrim::MemorySource src(file.data(), file.size());
    CountingTarget target;
    rstrim::DecodeOptions options;
    options.resolution = resolution;
    if (workBytes == 0) options.maxWorkBytes = 0;
    EXPECT_EQ(rstrim::Decode(Format::kBmp, src, options, target), rstrim::kTooLarge)
        << w << "x" << h;
    EXPECT_EQ(target.allocations, 0);
  }
  Bytes png = ReadData("png-rgb8.png");
  Put(png, 16,
      0x30750000);  // IHDR width 30000; the CRC is then wrong, which libpng takes as damage
  EXPECT_LE(DecodeBytes(Format::kPng, png).result, 0);
  Bytes gif = ReadData("gif-87a.gif");
  Put(gif, 6, 0xFFFFFFFF);  // a 65535 x 65535 screen
  EXPECT_EQ(DecodeBytes(Format::kGif, gif).result, rstrim::kTooLarge);
}

TEST(Hostile, WrongFormatAndUnsupportedVariant) {
  const Bytes png = ReadData("png-rgb8.png");
  EXPECT_EQ(DecodeBytes(Format::kJpeg, png).result, rstrim::kNotThisFormat);
  EXPECT_EQ(DecodeBytes(Format::kBmp, png).result, rstrim::kNotThisFormat);
  Bytes bmp = ReadData("bmp-24.bmp");
  bmp[30] = 4;  // embedded JPEG
  EXPECT_EQ(DecodeBytes(Format::kBmp, bmp).result, rstrim::kUnsupported);
}

// Decoding and the query by file name. A real file reached through a name of 256
// characters ("//tmp/..." names the same file as "/tmp/...") is refused, not cut short.
TEST(Files, NamesAndErrors) {
  const std::string dir = TempPath("dir"), missing = TempPath("does-not-exist.png");
  mkdir(dir.c_str(), 0700);
  const std::string name =
      WriteTemp(std::string(255 - TempPath("").size() - 4, 'x') + ".png", ReadData("png-rgb8.png"));
  const std::string slashed = "/" + name;
  const std::pair<const char*, rstrim::Result> rows[] = {{missing.c_str(), rstrim::kFileNotFound},
                                                         {"", rstrim::kFileNotFound},
                                                         {nullptr, rstrim::kFileNotFound},
                                                         {dir.c_str(), rstrim::kReadError},
                                                         {name.c_str(), rstrim::kOk},
                                                         {slashed.c_str(), rstrim::kNameTooLong}};
  for (const auto& [path, want] : rows) {
    rstrim::MemoryDib bmp;
    rstrim::ImageInfo info;
    const rstrim::Result decoded = rstrim::DecodeFile(Format::kPng, path, {}, bmp);
    EXPECT_EQ(std::pair(decoded, rstrim::QueryFileInfo(path, &info)), std::pair(want, want))
        << (path ? path : "(null)");
  }
  std::remove(name.c_str());
}

}  // namespace
}  // namespace testing_rstrim
