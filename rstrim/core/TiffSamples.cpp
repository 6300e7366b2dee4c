#include "rstrim/core/TiffSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace rstrim {

namespace {

bool IsGrey(uint16_t p) { return p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE; }

// Colour samples a pixel of this photometric kind needs; 0 for kinds not read here.
int ColourSamples(const TiffTags& g) {
  switch (g.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_PALETTE:
      return 1;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
      return 3;
    case PHOTOMETRIC_SEPARATED:
      return g.inkSet == INKSET_CMYK ? 4 : 0;
    default:
      return 0;
  }
}

bool Integers(const TiffTags& g) {
  return g.sampleFormat == SAMPLEFORMAT_UINT || g.sampleFormat == SAMPLEFORMAT_VOID ||
         g.sampleFormat == SAMPLEFORMAT_INT;
}

bool ReadableSamples(const TiffTags& g) {
  if (Integers(g)) return g.bps >= 1 && g.bps <= 32;
  return g.sampleFormat == SAMPLEFORMAT_IEEEFP && (g.bps == 16 || g.bps == 32 || g.bps == 64);
}

// The bits of sample i of a row. libtiff hands 16-, 24-, 32- and 64-bit samples
// over in host order (little-endian on every target we build for); other depths
// are a bit stream, most significant bit first.
uint64_t SampleBits(const uint8_t* row, uint64_t i, unsigned bps) {
  switch (bps) {
    case 8:
      return row[i];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * i, 2);
      return v;
    }
    case 24: {
      const uint8_t* p = row + 3 * i;
      return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + 4 * i, 4);
      return v;
    }
    case 64: {
      uint64_t v;
      std::memcpy(&v, row + 8 * i, 8);
      return v;
    }
    default: {
      const uint64_t bit = i * bps;
      const uint8_t* p = row + bit / 8;
      const unsigned skip = static_cast<unsigned>(bit % 8);
      const unsigned bytes = (skip + bps + 7) / 8;  // at most 5: bps <= 32
      uint64_t acc = 0;
      for (unsigned k = 0; k < bytes; ++k) acc = (acc << 8) | p[k];
      return (acc >> (bytes * 8 - skip - bps)) & ((uint64_t{1} << bps) - 1);
    }
  }
}

double HalfToDouble(uint16_t h) {
  const int exponent = (h >> 10) & 0x1F, mantissa = h & 0x3FF;
  double v;
  if (exponent == 0) {
    v = std::ldexp(mantissa, -24);
  } else if (exponent == 31) {
    v = mantissa ? std::nan("") : HUGE_VAL;
  } else {
    v = std::ldexp(mantissa + 1024, exponent - 25);
  }
  return (h & 0x8000) ? -v : v;
}

int64_t SignExtend(uint64_t bits, unsigned bps) {
  const uint64_t sign = uint64_t{1} << (bps - 1);
  return static_cast<int64_t>(bits ^ sign) - static_cast<int64_t>(sign);
}

// Turns sample bits into values and 8-bit levels: unsigned integers scaled by
// their depth, signed ones by their positive range (negatives are 0), floating
// point from 0.0-1.0, clamped.
class SampleScale {
 public:
  explicit SampleScale(const TiffTags& g)
      : bps_(g.bps), format_(g.sampleFormat), max_((uint64_t{1} << (g.bps > 32 ? 32 : g.bps)) - 1) {
    if (format_ == SAMPLEFORMAT_INT) max_ >>= 1;
  }

  double Value(uint64_t bits) const {
    switch (format_) {
      case SAMPLEFORMAT_IEEEFP:
        if (bps_ == 16) return HalfToDouble(static_cast<uint16_t>(bits));
        if (bps_ == 32) {
          float f;
          const uint32_t b32 = static_cast<uint32_t>(bits);
          std::memcpy(&f, &b32, 4);
          return f;
        } else {
          double d;
          std::memcpy(&d, &bits, 8);
          return d;
        }
      case SAMPLEFORMAT_INT:
        return static_cast<double>(SignExtend(bits, bps_));
      default:
        return static_cast<double>(bits);
    }
  }

  uint8_t Level(uint64_t bits) const {
    if (format_ == SAMPLEFORMAT_IEEEFP) {
      const double v = Value(bits);
      if (!(v > 0)) return 0;  // also NaN
      return v >= 1 ? 255 : static_cast<uint8_t>(std::lround(v * 255));
    }
    if (format_ == SAMPLEFORMAT_INT) {
      const int64_t v = SignExtend(bits, bps_);
      if (v <= 0 || max_ == 0) return 0;
      bits = static_cast<uint64_t>(v);
    }
    return static_cast<uint8_t>((bits * 255 + max_ / 2) / max_);
  }

  // L* 0-100, a* and b* about -128-127, from the sample bits of one pixel.
  void Lab(uint16_t photometric, const uint64_t bits[3], double lab[3]) const {
    if (format_ == SAMPLEFORMAT_IEEEFP) {
      for (int i = 0; i < 3; ++i) lab[i] = Value(bits[i]);
      return;
    }
    const double unit = std::ldexp(256.0, -static_cast<int>(bps_));  // one a*/b* step
    lab[0] = static_cast<double>(bits[0] & MaxBits()) * 100.0 / static_cast<double>(MaxBits());
    for (int i = 1; i < 3; ++i) {
      // CIELab stores a* and b* signed, ICCLab with an offset of half the range.
      lab[i] = photometric == PHOTOMETRIC_ICCLAB
                   ? static_cast<double>(bits[i]) * unit - 128.0
                   : static_cast<double>(SignExtend(bits[i], bps_)) * unit;
    }
  }

 private:
  uint64_t MaxBits() const { return (uint64_t{1} << bps_) - 1; }
  unsigned bps_;
  uint16_t format_;
  uint64_t max_;
};

// Delivers the picture's rows in file form, one plane row per plane, reading
// one band (a strip or a row of tiles, every plane) at a time.
class BandReader {
 public:
  BandReader(TIFF* t, const TiffTags& g) : t_(t), g_(g) {}

  Result Init(size_t workLimit) {
    planes_ = g_.planar == PLANARCONFIG_SEPARATE ? g_.spp : 1;
    planeSamples_ = planes_ == 1 ? g_.spp : 1;
    rowBytes_ = (uint64_t{g_.width} * planeSamples_ * g_.bps + 7) / 8;
    if (g_.tiled) {
      Result r = InitTiles(workLimit);
      if (r != kOk) return r;
    } else {
      uint32_t rows = 0;
      TIFFGetFieldDefaulted(t_, TIFFTAG_ROWSPERSTRIP, &rows);
      bandRows_ = std::clamp<uint32_t>(rows, 1, g_.height);
      if (static_cast<uint64_t>(TIFFScanlineSize64(t_)) != rowBytes_) return kUnsupported;
    }
    if (rowBytes_ > workLimit / bandRows_ || rowBytes_ * bandRows_ > workLimit / planes_)
      return kTooLarge;
    band_.resize(static_cast<size_t>(rowBytes_ * bandRows_ * planes_));
    rows_.resize(planes_);
    return kOk;
  }

  // Rows must be asked for from the top down.
  Result Row(uint32_t y, const uint8_t* const** planes) {
    if (y < first_ || y >= first_ + count_) {
      const Result r = Load(y - y % bandRows_);
      if (r != kOk) return r;
    }
    for (uint16_t p = 0; p < planes_; ++p)
      rows_[p] = band_.data() + ((uint64_t{p} * bandRows_ + (y - first_)) * rowBytes_);
    *planes = rows_.data();
    return kOk;
  }

 private:
  Result InitTiles(size_t workLimit) {
    uint32_t width = 0, length = 0;
    TIFFGetField(t_, TIFFTAG_TILEWIDTH, &width);
    TIFFGetField(t_, TIFFTAG_TILELENGTH, &length);
    if (width == 0 || length == 0) return kDamaged;
    const uint64_t tileRow = uint64_t{width} * planeSamples_ * g_.bps;
    // Tiles land on whole bytes of the row (the format asks for widths in 16s).
    if (tileRow % 8 != 0) return kUnsupported;
    tileWidth_ = width;
    tileRowBytes_ = tileRow / 8;
    bandRows_ = std::min(length, g_.height);
    const uint64_t tileBytes = static_cast<uint64_t>(TIFFTileSize64(t_));
    if (static_cast<uint64_t>(TIFFTileRowSize64(t_)) != tileRowBytes_ ||
        tileBytes < tileRowBytes_ * bandRows_)
      return kUnsupported;
    if (tileBytes > workLimit) return kTooLarge;
    tile_.resize(static_cast<size_t>(tileBytes));
    return kOk;
  }

  uint8_t* PlaneRow(uint16_t plane, uint32_t row) {
    return band_.data() + (uint64_t{plane} * bandRows_ + row) * rowBytes_;
  }

  Result Load(uint32_t first) {
    first_ = first;
    count_ = std::min(bandRows_, g_.height - first);
    for (uint16_t p = 0; p < planes_; ++p) {
      const Result r = g_.tiled ? LoadTiles(p) : LoadStrip(p);
      if (r != kOk) {
        count_ = 0;
        return r;
      }
    }
    return kOk;
  }

  Result LoadStrip(uint16_t plane) {
    const tmsize_t want = static_cast<tmsize_t>(rowBytes_ * count_);
    const tmsize_t got =
        TIFFReadEncodedStrip(t_, TIFFComputeStrip(t_, first_, plane), PlaneRow(plane, 0), want);
    return got == want ? kOk : kDamaged;
  }

  Result LoadTiles(uint16_t plane) {
    const tmsize_t want = static_cast<tmsize_t>(tileRowBytes_ * count_);
    for (uint32_t x = 0; x < g_.width; x += tileWidth_) {
      const ttile_t tile = TIFFComputeTile(t_, x, first_, 0, plane);
      if (TIFFReadEncodedTile(t_, tile, tile_.data(), static_cast<tmsize_t>(tile_.size())) < want)
        return kDamaged;
      const uint64_t at = uint64_t{x} * planeSamples_ * g_.bps / 8;
      const size_t bytes = static_cast<size_t>(std::min(tileRowBytes_, rowBytes_ - at));
      for (uint32_t r = 0; r < count_; ++r)
        std::memcpy(PlaneRow(plane, r) + at, tile_.data() + r * tileRowBytes_, bytes);
    }
    return kOk;
  }

  TIFF* t_;
  const TiffTags& g_;
  uint16_t planes_ = 1;
  uint64_t planeSamples_ = 1;
  uint64_t rowBytes_ = 0;
  uint32_t bandRows_ = 1;
  uint32_t tileWidth_ = 0;
  uint64_t tileRowBytes_ = 0;
  uint32_t first_ = 0, count_ = 0;
  std::vector<uint8_t> band_;
  std::vector<uint8_t> tile_;
  std::vector<const uint8_t*> rows_;
};

std::vector<Rgb> GreyRamp(bool whiteIsZero) {
  std::vector<Rgb> ramp(256);
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(whiteIsZero ? 255 - i : i);
    ramp[i] = Rgb{v, v, v};
  }
  return ramp;
}

void ConvertRow(const TiffTags& g, const SampleScale& scale, const uint8_t* const* planes,
                uint8_t* out) {
  const bool separate = g.planar == PLANARCONFIG_SEPARATE;
  const unsigned bps = g.bps;
  uint64_t bits[4];
  const int need = ColourSamples(g);
  for (uint32_t x = 0; x < g.width; ++x) {
    for (int s = 0; s < need; ++s) {
      bits[s] = separate ? SampleBits(planes[s], x, bps)
                         : SampleBits(planes[0], uint64_t{x} * g.spp + s, bps);
    }
    switch (g.photometric) {
      case PHOTOMETRIC_PALETTE:
        *out++ = static_cast<uint8_t>(bits[0]);
        break;
      case PHOTOMETRIC_RGB:
        out[0] = scale.Level(bits[2]), out[1] = scale.Level(bits[1]), out[2] = scale.Level(bits[0]);
        out += 3;
        break;
      case PHOTOMETRIC_SEPARATED: {
        const unsigned c = scale.Level(bits[0]), m = scale.Level(bits[1]),
                       yl = scale.Level(bits[2]), k = scale.Level(bits[3]);
        out[0] = static_cast<uint8_t>(((255 - yl) * (255 - k) + 127) / 255);
        out[1] = static_cast<uint8_t>(((255 - m) * (255 - k) + 127) / 255);
        out[2] = static_cast<uint8_t>(((255 - c) * (255 - k) + 127) / 255);
        out += 3;
        break;
      }
      case PHOTOMETRIC_CIELAB:
      case PHOTOMETRIC_ICCLAB: {
        double lab[3];
        scale.Lab(g.photometric, bits, lab);
        LabToBgr(lab[0], lab[1], lab[2], out);
        out += 3;
        break;
      }
      default:  // grey: the palette turns the level into white-is-zero if need be
        *out++ = scale.Level(bits[0]);
        break;
    }
  }
}

// sRGB transfer curve over linear light, in 1/65535 steps.
const std::vector<uint8_t>& SrgbCurve() {
  static const std::vector<uint8_t> curve = [] {
    std::vector<uint8_t> c(65536);
    for (size_t i = 0; i < c.size(); ++i) {
      const double v = static_cast<double>(i) / 65535.0;
      const double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
      c[i] = static_cast<uint8_t>(std::lround(s * 255));
    }
    return c;
  }();
  return curve;
}

uint8_t Encode(double linear) {
  if (!(linear > 0)) return 0;
  if (linear >= 1) return 255;
  return SrgbCurve()[static_cast<size_t>(std::lround(linear * 65535))];
}

double LabInverse(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  return t > kDelta ? t * t * t : 3 * kDelta * kDelta * (t - 4.0 / 29.0);
}

}  // namespace

bool SampleReaderTakes(const TiffTags& g) {
  const int need = ColourSamples(g);
  if (need == 0 || g.spp < need || !ReadableSamples(g)) return false;
  // Palette samples are raw indices into a table of at most 256 colours.
  if (g.photometric == PHOTOMETRIC_PALETTE)
    return g.bps <= 8 && g.sampleFormat != SAMPLEFORMAT_IEEEFP &&
           g.sampleFormat != SAMPLEFORMAT_INT;
  return true;
}

void LabToBgr(double l, double a, double b, uint8_t* bgr) {
  // D65 reference white.
  constexpr double kXn = 0.95047, kYn = 1.0, kZn = 1.08883;
  const double fy = (l + 16) / 116;
  const double x = kXn * LabInverse(fy + a / 500);
  const double y = kYn * LabInverse(fy);
  const double z = kZn * LabInverse(fy - b / 200);
  bgr[2] = Encode(3.2404542 * x - 1.5371385 * y - 0.4985314 * z);
  bgr[1] = Encode(-0.9692660 * x + 1.8760108 * y + 0.0415560 * z);
  bgr[0] = Encode(0.0556434 * x - 0.2040259 * y + 1.0572252 * z);
}

Result DecodeTiffSamples(TIFF* t, const TiffTags& g, size_t workLimit, ImageLayout layout,
                         PixelSink& sink) {
  auto band = std::make_unique<BandReader>(t, g);
  Result r = band->Init(workLimit);
  if (r != kOk) return r;
  if (IsGrey(g.photometric)) {
    layout.format = PixelFormat::kIndexed;
    layout.palette = GreyRamp(g.photometric == PHOTOMETRIC_MINISWHITE);
  } else if (g.photometric == PHOTOMETRIC_PALETTE) {
    layout.format = PixelFormat::kIndexed;
  } else {
    layout.format = PixelFormat::kBgr24;
  }
  r = sink.Begin(layout);
  if (r != kOk) return r;
  const SampleScale scale(g);
  for (uint32_t y = 0; y < g.height; ++y) {
    const uint8_t* const* planes = nullptr;
    r = band->Row(y, &planes);
    if (r != kOk) return r;
    ConvertRow(g, scale, planes, sink.Row(static_cast<int>(y)));
    sink.RowDone(static_cast<int>(y));
  }
  return sink.Finish();
}

}  // namespace rstrim
