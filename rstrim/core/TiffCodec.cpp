// TIFF through libtiff: the first page. Plain strips of the usual photometric
// kinds are read scanline by scanline; other depths, sample formats and L*a*b*
// go through the sample reader; everything else libtiff can convert (tiles,
// separate planes, YCbCr...) goes through its RGBA reader in bands.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <tiffio.h>

#include "rstrim/core/Codecs.h"
#include "rstrim/core/TiffSamples.h"

namespace rstrim {

namespace {

constexpr size_t kBandBytes = size_t{64} << 20;
constexpr tmsize_t kMaxLibtiffAlloc = tmsize_t{256} << 20;

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size) {
  if (size <= 0) return 0;
  return static_cast<tmsize_t>(static_cast<ByteSource*>(h)->Read(buf, static_cast<size_t>(size)));
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* src = static_cast<ByteSource*>(h);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = src->Tell();
  if (whence == SEEK_END) base = src->Size();
  const auto delta = static_cast<int64_t>(off);
  if (delta < 0 && static_cast<uint64_t>(-delta) > base) return static_cast<toff_t>(-1);
  const uint64_t pos = base + static_cast<uint64_t>(delta);
  // libtiff seeks past the end when it appends; a reader never needs that.
  if (!src->Seek(pos)) return static_cast<toff_t>(-1);
  return pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<ByteSource*>(h)->Size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

TiffPtr Open(ByteSource& src, size_t workLimit) {
  // Messages must never reach stderr or a message box.
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> opts(TIFFOpenOptionsAlloc());
  if (!opts) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(opts.get(), Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(opts.get(), Quiet, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(
      opts.get(), std::min<tmsize_t>(kMaxLibtiffAlloc, static_cast<tmsize_t>(workLimit)));
  src.Seek(0);
  return TiffPtr(TIFFClientOpenExt("picture", "rm", &src, ReadProc, WriteProc, SeekProc, CloseProc,
                                   SizeProc, MapProc, UnmapProc, opts.get()));
}

using Tags = TiffTags;

Tags ReadTags(TIFF* t) {
  Tags g;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &g.width);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &g.height);
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &g.bps);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &g.spp);
  if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &g.photometric)) {
    g.photometric = g.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
  }
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &g.planar);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &g.compression);
  TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &g.orientation);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &g.sampleFormat);
  TIFFGetFieldDefaulted(t, TIFFTAG_INKSET, &g.inkSet);
  g.tiled = TIFFIsTiled(t) != 0;
  return g;
}

enum class Kind { kIndexed, kRgb, kCmyk, kSamples, kRgba };

bool OneOf(uint16_t v, std::initializer_list<uint16_t> set) {
  return std::find(set.begin(), set.end(), v) != set.end();
}

Kind ChooseKind(const Tags& g) {
  // libtiff's own L*a*b* conversion is a plain power curve, visibly off sRGB.
  if (g.photometric == PHOTOMETRIC_CIELAB || g.photometric == PHOTOMETRIC_ICCLAB)
    return SampleReaderTakes(g) ? Kind::kSamples : Kind::kRgba;
  const bool plain =
      !g.tiled && g.planar == PLANARCONFIG_CONTIG && g.sampleFormat == SAMPLEFORMAT_UINT;
  // The RGBA reader takes 8- and 16-bit unsigned samples only.
  const bool rgbaDepth = g.sampleFormat == SAMPLEFORMAT_UINT && OneOf(g.bps, {1, 2, 4, 8, 16});
  if (!rgbaDepth && SampleReaderTakes(g)) return Kind::kSamples;
  if (!plain) return Kind::kRgba;
  if (g.spp == 1 &&
      (g.photometric == PHOTOMETRIC_MINISBLACK || g.photometric == PHOTOMETRIC_MINISWHITE) &&
      OneOf(g.bps, {1, 2, 4, 8, 16})) {
    return Kind::kIndexed;
  }
  if (g.spp == 1 && g.photometric == PHOTOMETRIC_PALETTE && OneOf(g.bps, {1, 2, 4, 8})) {
    return Kind::kIndexed;
  }
  if (g.photometric == PHOTOMETRIC_RGB && g.spp >= 3 && OneOf(g.bps, {8, 16})) return Kind::kRgb;
  if (g.photometric == PHOTOMETRIC_SEPARATED && g.inkSet == INKSET_CMYK && g.spp >= 4 &&
      OneOf(g.bps, {8, 16})) {
    return Kind::kCmyk;
  }
  return Kind::kRgba;
}

Result IndexedPalette(TIFF* t, const Tags& g, std::vector<Rgb>* palette) {
  const int depth = g.bps > 8 ? 8 : g.bps;
  const int levels = 1 << depth;
  if (g.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *gr = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &gr, &b) || !r || !gr || !b) return kDamaged;
    // Some writers store 8-bit values in the 16-bit table.
    bool eightBit = true;
    for (int i = 0; i < levels; ++i) eightBit = eightBit && r[i] < 256 && gr[i] < 256 && b[i] < 256;
    const int shift = eightBit ? 0 : 8;
    for (int i = 0; i < levels; ++i) {
      palette->push_back(Rgb{static_cast<uint8_t>(r[i] >> shift),
                             static_cast<uint8_t>(gr[i] >> shift),
                             static_cast<uint8_t>(b[i] >> shift)});
    }
    return kOk;
  }
  for (int i = 0; i < levels; ++i) {
    auto v = static_cast<uint8_t>(i * 255 / (levels - 1));
    if (g.photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<uint8_t>(255 - v);
    palette->push_back(Rgb{v, v, v});
  }
  return kOk;
}

uint8_t Sample16(const uint8_t* p, size_t i) {
  uint16_t v;
  std::memcpy(&v, p + 2 * i, 2);  // libtiff hands samples over in host order
  return static_cast<uint8_t>(v >> 8);
}

// Ink n (0 C, 1 M, 2 Y, 3 K) of pixel x of a CMYK row, 8 bits.
uint8_t Ink(const Tags& g, const uint8_t* in, size_t x, size_t n) {
  const size_t i = x * g.spp + n;
  return g.bps == 16 ? Sample16(in, i) : in[i];
}

void ConvertRow(const Tags& g, Kind kind, const uint8_t* in, uint8_t* out) {
  const size_t w = g.width, spp = g.spp;
  switch (kind) {
    case Kind::kIndexed:
      if (g.bps == 16) {
        for (size_t x = 0; x < w; ++x) out[x] = Sample16(in, x);
      } else if (g.bps == 8) {
        std::memcpy(out, in, w);
      } else {
        const unsigned bits = g.bps, mask = (1u << bits) - 1, perByte = 8 / bits;
        for (size_t x = 0; x < w; ++x) {
          const unsigned shift = 8 - bits * (1 + static_cast<unsigned>(x % perByte));
          out[x] = static_cast<uint8_t>((in[x / perByte] >> shift) & mask);
        }
      }
      break;
    case Kind::kRgb:
      for (size_t x = 0; x < w; ++x, out += 3) {
        const size_t i = x * spp;
        if (g.bps == 16) {
          out[0] = Sample16(in, i + 2), out[1] = Sample16(in, i + 1), out[2] = Sample16(in, i);
        } else {
          out[0] = in[i + 2], out[1] = in[i + 1], out[2] = in[i];
        }
      }
      break;
    case Kind::kCmyk:
      for (size_t x = 0; x < w; ++x, out += 3) {
        const unsigned c = Ink(g, in, x, 0), m = Ink(g, in, x, 1), y = Ink(g, in, x, 2),
                       k = Ink(g, in, x, 3);
        out[0] = static_cast<uint8_t>(((255 - y) * (255 - k) + 127) / 255);
        out[1] = static_cast<uint8_t>(((255 - m) * (255 - k) + 127) / 255);
        out[2] = static_cast<uint8_t>(((255 - c) * (255 - k) + 127) / 255);
      }
      break;
    case Kind::kSamples:
    case Kind::kRgba:
      break;
  }
}

// The inks of a CMYK row, 4 bytes a pixel, for its profile.
void InkRow(const Tags& g, const uint8_t* in, uint8_t* cmyk) {
  for (size_t x = 0; x < g.width; ++x)
    for (size_t n = 0; n < 4; ++n) *cmyk++ = Ink(g, in, x, n);
}

// cmykColours: the profile of a CMYK picture, null to use the plain formula.
Result ReadScanlines(TIFF* t, const Tags& g, Kind kind, const ColourTransform* cmykColours,
                     PixelSink& sink) {
  const uint64_t need = (static_cast<uint64_t>(g.width) * g.spp * g.bps + 7) / 8;
  const uint64_t have = TIFFScanlineSize64(t);
  if (have == 0 || have < need || have > (uint64_t{1} << 31)) return kDamaged;
  std::vector<uint8_t> line(static_cast<size_t>(have));
  std::vector<uint8_t> inks(cmykColours != nullptr ? size_t{4} * g.width : 0);
  for (uint32_t y = 0; y < g.height; ++y) {
    if (TIFFReadScanline(t, line.data(), y, 0) < 0) return kDamaged;
    uint8_t* out = sink.Row(static_cast<int>(y));
    if (cmykColours != nullptr) {
      InkRow(g, line.data(), inks.data());
      cmykColours->Convert(inks.data(), out, static_cast<int>(g.width));
    } else {
      ConvertRow(g, kind, line.data(), out);
    }
    sink.RowDone(static_cast<int>(y));
  }
  return kOk;
}

struct RgbaImage {
  TIFFRGBAImage img;
  bool begun = false;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&img);
  }
};

Result ReadRgba(TIFF* t, const Tags& g, PixelSink& sink) {
  char message[1024] = {};
  if (!TIFFRGBAImageOK(t, message)) return kUnsupported;
  auto image = std::make_unique<RgbaImage>();
  if (!TIFFRGBAImageBegin(&image->img, t, 0, message)) return kUnsupported;
  image->begun = true;
  // Rows stay in file order: the sink applies the orientation.
  image->img.req_orientation = ORIENTATION_TOPLEFT;
  image->img.orientation = ORIENTATION_TOPLEFT;

  uint32_t band = 0;
  if (g.tiled) {
    TIFFGetField(t, TIFFTAG_TILELENGTH, &band);
  } else {
    TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &band);
  }
  const uint64_t rowBytes = uint64_t{4} * g.width;
  const uint64_t maxBand = std::max<uint64_t>(1, kBandBytes / rowBytes);
  band =
      static_cast<uint32_t>(std::clamp<uint64_t>(band, 1, std::min<uint64_t>(maxBand, g.height)));
  std::vector<uint32_t> raster(static_cast<size_t>(g.width) * band);
  for (uint32_t row = 0; row < g.height; row += band) {
    const uint32_t n = std::min(band, g.height - row);
    image->img.row_offset = static_cast<int>(row);
    image->img.col_offset = 0;
    if (!TIFFRGBAImageGet(&image->img, raster.data(), g.width, n)) return kDamaged;
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t* p = raster.data() + static_cast<size_t>(i) * g.width;
      uint8_t* out = sink.Row(static_cast<int>(row + i));
      for (uint32_t x = 0; x < g.width; ++x, out += 3) {
        out[0] = static_cast<uint8_t>(TIFFGetB(p[x]));
        out[1] = static_cast<uint8_t>(TIFFGetG(p[x]));
        out[2] = static_cast<uint8_t>(TIFFGetR(p[x]));
      }
      sink.RowDone(static_cast<int>(row + i));
    }
  }
  return kOk;
}

const char* CompressionName(uint16_t c) {
  switch (c) {
    case COMPRESSION_NONE:
      return "None";
    case COMPRESSION_CCITTRLE:
      return "CCITT RLE";
    case COMPRESSION_CCITTFAX3:
      return "CCITT G3";
    case COMPRESSION_CCITTFAX4:
      return "CCITT G4";
    case COMPRESSION_LZW:
      return "LZW";
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG:
      return "JPEG";
    case COMPRESSION_PACKBITS:
      return "PackBits";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
      return "Deflate";
    case COMPRESSION_LZMA:
      return "LZMA";
    case COMPRESSION_ZSTD:
      return "ZSTD";
    case COMPRESSION_WEBP:
      return "WebP";
    default:
      return "Other";
  }
}

}  // namespace

Result DecodeTiff(ByteSource& src, PixelSink& sink, const DecodeOptions& options) {
  TiffPtr t = Open(src, options.maxWorkBytes);
  if (!t) return kDamaged;
  Tags g = ReadTags(t.get());
  if (g.width == 0 || g.height == 0) return kDamaged;
  if (g.width > 0x7fffffff || g.height > 0x7fffffff) return kTooLarge;
  if (g.compression == COMPRESSION_JPEG && g.photometric == PHOTOMETRIC_YCBCR) {
    // libtiff's JPEG codec converts to RGB itself, so strips read as plain RGB.
    TIFFSetField(t.get(), TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    g.photometric = PHOTOMETRIC_RGB;
  }
  const Kind kind = ChooseKind(g);

  ImageLayout layout;
  layout.width = static_cast<int>(g.width);
  layout.height = static_cast<int>(g.height);
  layout.orientation = g.orientation;
  if (kind == Kind::kIndexed || (kind == Kind::kSamples && g.photometric == PHOTOMETRIC_PALETTE)) {
    layout.format = PixelFormat::kIndexed;
    const Result r = IndexedPalette(t.get(), g, &layout.palette);
    if (r != kOk) return r;
  }
  // The profile (tag 34675) describes the stored colours: CMYK inks are
  // converted here, grey levels, colour tables and RGB in the sink. The other
  // kinds are turned into RGB by formulas of their own first.
  uint32_t profileSize = 0;
  const uint8_t* profile = nullptr;
  if (!TIFFGetField(t.get(), TIFFTAG_ICCPROFILE, &profileSize, &profile)) profile = nullptr;
  ColourTransformPtr cmykColours;
  if (kind == Kind::kCmyk) {
    cmykColours = ColourTransform::For(profile, profileSize, ColourInput::kCmyk);
  } else if (OneOf(g.photometric, {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_RGB,
                                   PHOTOMETRIC_PALETTE, PHOTOMETRIC_YCBCR})) {
    layout.colours = ColourTransform::For(profile, profileSize, ColourInput::kBgr);
  }
  if (kind == Kind::kSamples)
    return DecodeTiffSamples(t.get(), g, options.maxWorkBytes, layout, sink);
  Result r = sink.Begin(layout);
  if (r != kOk) return r;
  r = kind == Kind::kRgba ? ReadRgba(t.get(), g, sink)
                          : ReadScanlines(t.get(), g, kind, cmykColours.get(), sink);
  if (r != kOk) return r;
  return sink.Finish();
}

Result QueryTiff(ByteSource& src, ImageInfo* info) {
  TiffPtr t = Open(src, size_t{64} << 20);
  if (!t) return kDamaged;
  const Tags g = ReadTags(t.get());
  if (g.width == 0 || g.height == 0) return kDamaged;
  const bool turned = g.orientation >= 5 && g.orientation <= 8;
  const uint32_t w = turned ? g.height : g.width, h = turned ? g.width : g.height;
  info->type = "TIFF";
  info->width = static_cast<int>(std::min<uint32_t>(w, 0x7fffffff));
  info->height = static_cast<int>(std::min<uint32_t>(h, 0x7fffffff));
  info->depthA = g.bps > 8 ? 8 : g.bps;
  info->depthB = g.spp;
  info->detail = CompressionName(g.compression);
  if (g.sampleFormat == SAMPLEFORMAT_IEEEFP)
    info->detail += " float";
  else if (g.bps > 8)
    info->detail += " " + std::to_string(g.bps) + "-bit";
  const tdir_t pages = TIFFNumberOfDirectories(t.get());
  info->count = pages == 0 ? 1 : static_cast<int>(std::min<tdir_t>(pages, 32767));
  return kOk;
}

}  // namespace rstrim
