// Files of kinds the reference decoders read, written by make-conformance.sh
// (ImageMagick and hand-made GIFs), against the pictures they must show.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using rstrim::Format;

std::string Path(const std::string& name) { return std::string(CONFORMANCE_DIR) + "/" + name; }

// ASCII PGM (P2) or PPM (P3), as ImageMagick writes them uncompressed.
Picture ReadPnm(const std::string& name) {
  std::ifstream in(Path(name));
  std::string magic;
  int max = 0;
  Picture p;
  in >> magic >> p.width >> p.height >> max;
  const int channels = magic == "P3" ? 3 : 1;
  for (int i = 0; i < p.width * p.height && in; ++i) {
    int v[3] = {0, 0, 0};
    for (int c = 0; c < channels; ++c) in >> v[c];
    if (channels == 1) v[1] = v[2] = v[0];
    p.pixels.push_back(
        Rgb{static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]), static_cast<uint8_t>(v[2])});
  }
  return p;
}

Bytes ReadAll(const std::string& name) {
  std::ifstream in(Path(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Case {
  const char* file;
  const char* reference;
  int maxError;
  double meanError;
};

void CheckCases(Format format, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const Picture want = ReadPnm(c.reference);
    ASSERT_GT(want.width, 0) << c.reference;
    const Decoded d = DecodeBytes(format, ReadAll(c.file));
    ASSERT_EQ(d.result, rstrim::kOk) << c.file;
    EXPECT_EQ(d.bitmap.Width(), want.width) << c.file;
    EXPECT_EQ(d.bitmap.Height(), want.height) << c.file;
    EXPECT_LE(MaxError(d.bitmap, want), c.maxError) << c.file;
    EXPECT_LE(MeanError(d.bitmap, want), c.meanError) << c.file;
  }
}

TEST(Conformance, TiffSampleDepths) {
  CheckCases(Format::kTiff, {{"rgb12.tif", "source.ppm", 1, 0.5},
                             {"grey12.tif", "grey.pgm", 1, 0.5},
                             {"tiled12.tif", "source.ppm", 1, 0.5},
                             {"planes12.tif", "source.ppm", 1, 0.5},
                             {"rgb32.tif", "source.ppm", 1, 0.5},
                             {"half16.tif", "source.ppm", 1, 0.5}});
}

TEST(Conformance, BigTiff) {
  CheckCases(Format::kTiff,
             {{"bigtiff.tif", "source.ppm", 0, 0}, {"bigtiff12.tif", "grey.pgm", 1, 0.5}});
}

TEST(Conformance, TiffCompressions) {
  CheckCases(Format::kTiff, {{"lzma.tif", "source.ppm", 0, 0},
                             {"zstd.tif", "source.ppm", 0, 0},
                             {"webp.tif", "source.ppm", 0, 0}});
}

TEST(Conformance, TiffLab) {
  // A wrong white point or transfer curve costs several levels.
  CheckCases(Format::kTiff,
             {{"lab8.tif", "lab8.ppm", 3, 0.6}, {"lab16.tif", "source.ppm", 2, 0.6}});
}

TEST(Conformance, GifWithoutColourTable) {
  CheckCases(Format::kGif, {{"nomap2.gif", "nomap2.pgm", 0, 0},
                            {"nomap3.gif", "nomap3.pgm", 0, 0},
                            {"nomap8.gif", "nomap8.pgm", 0, 0}});
}

// Floating-point samples: 0.0-1.0 is black to white, outside clamped, NaN black.
TEST(Conformance, TiffFloatSamples) {
  const float in[] = {0.0f, 0.25f, 0.5f, 1.0f, 1.5f, -0.2f, std::nanf(""), 0.002f};
  const uint8_t want[] = {0, 64, 128, 255, 255, 0, 0, 1};
  fixtures::TiffSpec s;
  s.width = 8, s.height = 1, s.photometric = PHOTOMETRIC_MINISBLACK, s.samplesPerPixel = 1;
  s.bitsPerSample = 32, s.sampleFormat = SAMPLEFORMAT_IEEEFP;
  Bytes rows(sizeof in);
  std::memcpy(rows.data(), in, sizeof in);
  const Decoded d = DecodeBytes(Format::kTiff, fixtures::EncodeTiff(s, rows));
  ASSERT_EQ(d.result, rstrim::kOk);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(d.bitmap.ColourAt(x, 0).g, want[x]) << x;
}

}  // namespace
}  // namespace testing_rstrim
