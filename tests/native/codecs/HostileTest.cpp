// Damaged and hostile input: every cut of a picture of each kind, flipped
// bytes, sizes too large to allocate, the wrong decoder, bad file names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using rstrim::Format;

// A picture of each decoder's main variants, and the bytes after its pixel data.
const std::pair<const char*, size_t> kFiles[] = {
    {"jpeg-baseline.jpg", 0},   {"jpeg-progressive.jpg", 0},
    {"jpeg-exif6.jpg", 0},      {"jpeg-ycck.jpg", 0},
    {"png-rgb8.png", 0},        {"png-rgb8-adam7.png", 0},
    {"png-pal-trns.png", 0},    {"gif-pal256-adam.gif", 0},
    {"gif-placed.gif", 0},      {"tiff-lzw.tif", 0},
    {"tiff-jpeg.tif", 0},       {"tiff-tiled.tif", 0},
    {"tiff-bilevel-g4.tif", 0}, {"bmp-rle8.bmp", 0},
    {"bmp-rle4.bmp", 0},        {"bmp-24.bmp", 0},
    {"bmp-565-v5.bmp", 0},      {"pcx-8.pcx", 769},
    {"pcx-planes4.pcx", 0},     {"pcx-24.pcx", 0}};

void ExpectFailureOrPicture(const Decoded& d, const char* what, size_t at) {
  if (d.result > 0) {
    EXPECT_GT(d.bitmap.Width(), 0) << what << " at " << at;
    EXPECT_GT(d.bitmap.Height(), 0) << what << " at " << at;
  }
}

TEST(Hostile, TruncatedAtManyLengths) {
  for (const auto& [name, trailer] : kFiles) {
    const Bytes data = ReadData(name);
    ASSERT_GT(data.size(), trailer) << name;
    const size_t size = data.size(), step = std::max<size_t>(1, size / 150);
    int failures = 0;
    for (size_t len = 0; len < size; len += (len < 64 || len + 16 > size) ? 1 : step) {
      const Bytes cut(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
      for (int res : {24, 4}) {
        const Decoded d = DecodeBytes(FormatOf(data), cut, res, res == 4);
        ExpectFailureOrPicture(d, name, len);
        failures += d.result <= 0;
      }
      rstrim::ImageInfo info;
      Info(cut, &info);
    }
    EXPECT_GT(failures, 0) << name;
    // Cut in the middle of the pixel data: damaged, not a silent half picture.
    const Bytes part(data.begin(),
                     data.begin() + static_cast<std::ptrdiff_t>((size - trailer) * 2 / 3));
    EXPECT_EQ(DecodeBytes(FormatOf(data), part).result, rstrim::kDamaged) << name;
  }
}

TEST(Hostile, CorruptedBytes) {
  uint32_t state = 99;
  auto rnd = [&state] {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    return state;
  };
  for (const auto& [name, trailer] : kFiles) {
    const Bytes data = ReadData(name);
    for (int round = 0; round < 60; ++round) {
      Bytes bad = data;
      const int flips = 1 + static_cast<int>(rnd() % 8);
      for (int i = 0; i < flips; ++i) {
        // Mostly the headers, where sizes and offsets live.
        const size_t range = (rnd() % 2) ? std::min<size_t>(bad.size(), 200) : bad.size();
        bad[rnd() % range] = static_cast<uint8_t>(rnd());
      }
      const Decoded d = DecodeBytes(FormatOf(data), bad, round % 2 ? 24 : 8, round % 3 == 0);
      ExpectFailureOrPicture(d, name, static_cast<size_t>(round));
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
  const std::string base = TempPath("");
  const std::string name =
      WriteTemp(std::string(255 - base.size() - 4, 'x') + ".png", ReadData("png-rgb8.png"));
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
