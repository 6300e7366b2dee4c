#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "tests/native/codecs/TestSupport.h"

namespace testing_rstrim {
namespace {

using fixtures::TiffSpec;
using rstrim::Format;

constexpr int kW = 45, kH = 29;

Bytes RgbRows(const Picture& p, int spp, int bps) {
  Bytes rows;
  for (const Rgb& c : p.pixels) {
    const uint8_t v[4] = {c.r, c.g, c.b, 255};
    for (int s = 0; s < spp; ++s) {
      if (bps == 16) {
        const uint16_t w = static_cast<uint16_t>(v[s] * 257);
        uint8_t b[2];
        std::memcpy(b, &w, 2);
        rows.push_back(b[0]), rows.push_back(b[1]);
      } else {
        rows.push_back(v[s]);
      }
    }
  }
  return rows;
}

Bytes PackedRows(const std::vector<uint8_t>& idx, int w, int h, int bps) {
  Bytes rows;
  const size_t line = (static_cast<size_t>(w) * bps + 7) / 8;
  for (int y = 0; y < h; ++y) {
    Bytes l(line, 0);
    for (int x = 0; x < w; ++x) {
      const int per = 8 / bps;
      l[x / per] |=
          static_cast<uint8_t>(idx[static_cast<size_t>(y) * w + x] << (8 - bps * (1 + x % per)));
    }
    rows.insert(rows.end(), l.begin(), l.end());
  }
  return rows;
}

TiffSpec TiffParams(int photometric, int bps, int spp, int compression) {
  TiffSpec s;
  s.width = kW, s.height = kH;
  s.photometric = photometric, s.bitsPerSample = bps, s.samplesPerPixel = spp,
  s.compression = compression;
  return s;
}

class TiffRgb : public ::testing::TestWithParam<int> {};

TEST_P(TiffRgb, LosslessCompressions) {
  const Picture p = fixtures::Gradient(kW, kH);
  const Decoded d =
      DecodeBytes(Format::kTiff,
                  fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_RGB, 8, 3, GetParam()), RgbRows(p, 3, 8)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
}

INSTANTIATE_TEST_SUITE_P(Compressions, TiffRgb,
                         ::testing::Values(COMPRESSION_NONE, COMPRESSION_PACKBITS, COMPRESSION_LZW,
                                           COMPRESSION_ADOBE_DEFLATE));

TEST(Tiff, JpegCompressed) {
  const Picture p = fixtures::Photo(64, 48);
  TiffSpec s = TiffParams(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_JPEG);
  s.width = 64, s.height = 48, s.rowsPerStrip = 16;
  const Decoded d = DecodeBytes(Format::kTiff, fixtures::EncodeTiff(s, RgbRows(p, 3, 8)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LT(MeanError(d.bitmap, p), 4.0);
}

TEST(Tiff, SixteenBitRgbAndAlpha) {
  const Picture p = fixtures::Gradient(kW, kH);
  Decoded d = DecodeBytes(
      Format::kTiff,
      fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_RGB, 16, 3, COMPRESSION_LZW), RgbRows(p, 3, 16)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
  d = DecodeBytes(Format::kTiff, fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_RGB, 8, 4, COMPRESSION_NONE),
                                                      RgbRows(p, 4, 8)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
}

TEST(Tiff, BilevelWithFaxCompressions) {
  const auto idx = fixtures::Indices(kW, kH, 2);
  for (int compression :
       {COMPRESSION_NONE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_PACKBITS}) {
    const Decoded d =
        DecodeBytes(Format::kTiff,
                    fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_MINISWHITE, 1, 1, compression),
                                         PackedRows(idx, kW, kH, 1)),
                    1);
    ASSERT_EQ(d.result, rstrim::kOk) << compression;
    ASSERT_EQ(d.bitmap.Bpp(), 1);
    // Min-is-white: a set bit is black.
    EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, {Rgb{255, 255, 255}, Rgb{0, 0, 0}})), 0)
        << compression;
  }
}

TEST(Tiff, GreyLevels) {
  for (int bps : {2, 4, 8}) {
    const auto idx = fixtures::Indices(kW, kH, 1 << bps);
    std::vector<Rgb> greys;
    for (int i = 0; i < (1 << bps); ++i) {
      const auto v = static_cast<uint8_t>(i * 255 / ((1 << bps) - 1));
      greys.push_back(Rgb{v, v, v});
    }
    const Decoded d = DecodeBytes(
        Format::kTiff, fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_MINISBLACK, bps, 1, COMPRESSION_LZW),
                                            PackedRows(idx, kW, kH, bps)));
    ASSERT_EQ(d.result, rstrim::kOk) << bps;
    EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, greys)), 0) << bps;
  }
}

TEST(Tiff, PaletteKeepsItsColours) {
  for (int bps : {4, 8}) {
    const int n = 1 << bps;
    const auto pal = fixtures::TestPalette(n);
    TiffSpec s = TiffParams(PHOTOMETRIC_PALETTE, bps, 1, COMPRESSION_PACKBITS);
    s.colourMap.resize(3 * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      s.colourMap[i] = static_cast<uint16_t>(pal[i].r * 257);
      s.colourMap[n + i] = static_cast<uint16_t>(pal[i].g * 257);
      s.colourMap[2 * n + i] = static_cast<uint16_t>(pal[i].b * 257);
    }
    const auto idx = fixtures::Indices(kW, kH, n);
    const Decoded d =
        DecodeBytes(Format::kTiff, fixtures::EncodeTiff(s, PackedRows(idx, kW, kH, bps)), bps);
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(d.bitmap.Bpp(), bps);
    EXPECT_EQ(d.bitmap.Palette(), pal);
    EXPECT_EQ(MaxError(d.bitmap, FromIndices(kW, kH, idx, pal)), 0);
  }
}

TEST(Tiff, CmykInks) {
  const Picture p = fixtures::Gradient(kW, kH);
  Bytes rows;
  Picture want = p;
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    const Rgb c = p.pixels[i];
    const uint8_t k = static_cast<uint8_t>(i % 3 == 0 ? 51 : 0);
    rows.push_back(static_cast<uint8_t>(255 - c.r)),
        rows.push_back(static_cast<uint8_t>(255 - c.g));
    rows.push_back(static_cast<uint8_t>(255 - c.b)), rows.push_back(k);
    auto f = [k](int v) { return static_cast<uint8_t>((v * (255 - k) + 127) / 255); };
    want.pixels[i] = Rgb{f(c.r), f(c.g), f(c.b)};
  }
  const Decoded d =
      DecodeBytes(Format::kTiff,
                  fixtures::EncodeTiff(TiffParams(PHOTOMETRIC_SEPARATED, 8, 4, COMPRESSION_LZW), rows));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_LE(MaxError(d.bitmap, want), 1);
}

TEST(Tiff, TiledAndSeparatePlanes) {
  const Picture p = fixtures::Gradient(kW, kH);
  TiffSpec tiled = TiffParams(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW);
  tiled.tiled = true;
  Decoded d = DecodeBytes(Format::kTiff, fixtures::EncodeTiff(tiled, RgbRows(p, 3, 8)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
  TiffSpec planes = TiffParams(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE);
  planes.separatePlanes = true;
  planes.rowsPerStrip = 7;
  d = DecodeBytes(Format::kTiff, fixtures::EncodeTiff(planes, RgbRows(p, 3, 8)));
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
}

TEST(Tiff, OrientationTagApplied) {
  const Picture p = fixtures::Gradient(kW, kH);
  for (int o : {3, 6, 8}) {
    TiffSpec s = TiffParams(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE);
    s.orientation = o;
    const Bytes file = fixtures::EncodeTiff(s, RgbRows(p, 3, 8));
    const Decoded d = DecodeBytes(Format::kTiff, file);
    ASSERT_EQ(d.result, rstrim::kOk);
    EXPECT_EQ(MaxError(d.bitmap, Oriented(p, o)), 0) << o;
    rstrim::ImageInfo info;
    ASSERT_EQ(Info(file, &info), rstrim::kOk);
    EXPECT_EQ(info.width, o >= 5 ? kH : kW);
  }
}

TEST(Tiff, FirstPageOfMany) {
  const Picture p = fixtures::Gradient(kW, kH);
  TiffSpec s = TiffParams(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW);
  s.pages = 3;
  const Bytes file = fixtures::EncodeTiff(s, RgbRows(p, 3, 8));
  const Decoded d = DecodeBytes(Format::kTiff, file);
  ASSERT_EQ(d.result, rstrim::kOk);
  EXPECT_EQ(MaxError(d.bitmap, p), 0);
  rstrim::ImageInfo info;
  ASSERT_EQ(Info(file, &info), rstrim::kOk);
  EXPECT_EQ(info.count, 3);
  EXPECT_EQ(info.detail, "LZW");
}

}  // namespace
}  // namespace testing_rstrim
