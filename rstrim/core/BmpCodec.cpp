// Windows and OS/2 bitmaps, read by our own code.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ByteOrder.h"
#include "rstrim/core/Codecs.h"

namespace rstrim {

namespace {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };

// A V5 header's colour-space type for a profile inside the file ('MBED').
constexpr uint32_t kProfileEmbedded = 0x4D424544;
constexpr uint32_t kV5HeaderSize = 124;

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

Channel MakeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  while (((mask >> c.shift) & 1) == 0) ++c.shift;
  uint32_t m = mask >> c.shift;
  while (m != 0) ++c.bits, m >>= 1;
  return c;
}

uint8_t Extract(const Channel& c, uint32_t pixel) {
  if (c.bits == 0) return 0;
  const uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return static_cast<uint8_t>(v >> (c.bits - 8));
  return static_cast<uint8_t>(v * 255 / ((1u << c.bits) - 1));
}

struct BmpHeader {
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // always positive here
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = kRgb;
  bool os2 = false;
  Channel red, green, blue;
  std::vector<Rgb> palette;
  uint64_t pixelOffset = 0;
  uint64_t profileOffset = 0;  // in the file; profileSize 0: none
  uint32_t profileSize = 0;
};

Result ReadHeader(ByteSource& src, BmpHeader* h) {
  uint8_t f[18];
  src.Seek(0);
  if (!src.ReadExact(f, sizeof f)) return kDamaged;
  if (f[0] != 'B' || f[1] != 'M') return kNotThisFormat;
  const uint32_t offBits = base::Le32(f + 10);
  h->headerSize = base::Le32(f + 14);
  const uint32_t hs = h->headerSize;
  if (hs < 12 || hs > 4096 || (hs > 12 && hs < 16)) return kUnsupported;
  std::vector<uint8_t> ih(std::max<uint32_t>(hs, 64), 0);
  std::memcpy(ih.data(), f + 14, 4);
  if (!src.ReadExact(ih.data() + 4, hs - 4)) return kDamaged;

  uint32_t coloursUsed = 0;
  int64_t height;
  if (hs == 12) {
    h->os2 = true;
    h->width = base::Le16(&ih[4]);
    height = static_cast<int16_t>(base::Le16(&ih[6]));
    h->bpp = base::Le16(&ih[10]);
  } else {
    h->os2 = hs < 40 || hs == 64;
    h->width = static_cast<int32_t>(base::Le32(&ih[4]));
    height = static_cast<int32_t>(base::Le32(&ih[8]));
    h->bpp = base::Le16(&ih[14]);
    if (hs >= 20) h->compression = base::Le32(&ih[16]);
    if (hs >= 36) coloursUsed = base::Le32(&ih[32]);
    if (hs >= kV5HeaderSize && base::Le32(&ih[56]) == kProfileEmbedded) {
      h->profileOffset = 14 + uint64_t{base::Le32(&ih[112])};  // counted from the header's start
      h->profileSize = base::Le32(&ih[116]);
    }
  }
  if (h->os2 && (h->compression == kBitfields || h->compression > kRle4)) return kUnsupported;
  if (h->width <= 0 || height == 0) return kDamaged;
  h->topDown = height < 0;
  h->height = static_cast<int32_t>(height < 0 ? -height : height);
  if (h->height <= 0) return kDamaged;

  const int bpp = h->bpp;
  if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
    return kUnsupported;
  }
  switch (h->compression) {
    case kRgb:
      break;
    case kRle8:
      if (bpp != 8) return kDamaged;
      break;
    case kRle4:
      if (bpp != 4) return kDamaged;
      break;
    case kBitfields:
    case kAlphaBitfields:
      if (bpp != 16 && bpp != 32) return kDamaged;
      break;
    default:
      return kUnsupported;  // embedded JPEG/PNG and the like
  }

  uint64_t pos = 14 + uint64_t{hs};
  uint32_t masks[3] = {0, 0, 0};
  const bool bitfields = h->compression == kBitfields || h->compression == kAlphaBitfields;
  if (bitfields) {
    if (hs >= 52) {
      masks[0] = base::Le32(&ih[40]), masks[1] = base::Le32(&ih[44]),
      masks[2] = base::Le32(&ih[48]);
    } else {
      // The masks follow a 40-byte header.
      uint8_t m[16];
      const size_t n = h->compression == kAlphaBitfields ? 16 : 12;
      if (!src.ReadExact(m, n)) return kDamaged;
      masks[0] = base::Le32(m), masks[1] = base::Le32(m + 4), masks[2] = base::Le32(m + 8);
      pos += n;
    }
  } else if (bpp == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
  h->red = MakeChannel(masks[0]), h->green = MakeChannel(masks[1]), h->blue = MakeChannel(masks[2]);

  if (bpp <= 8) {
    const uint32_t maxColours = 1u << bpp;
    uint32_t n = (coloursUsed == 0 || coloursUsed > maxColours) ? maxColours : coloursUsed;
    const uint32_t entry = hs == 12 ? 3 : 4;
    // Some writers give fewer table entries than the depth allows; the pixel
    // offset tells how many there really are.
    if (offBits > pos && offBits < pos + uint64_t{n} * entry)
      n = static_cast<uint32_t>((offBits - pos) / entry);
    if (n == 0) return kDamaged;
    std::vector<uint8_t> table(static_cast<size_t>(n) * entry);
    if (!src.ReadExact(table.data(), table.size())) return kDamaged;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* e = &table[static_cast<size_t>(i) * entry];
      h->palette.push_back(Rgb{e[2], e[1], e[0]});
    }
    pos += uint64_t{n} * entry;
  }
  h->pixelOffset = (offBits >= pos && offBits < src.Size()) ? offBits : pos;
  return kOk;
}

void UnpackIndices(const uint8_t* in, uint8_t* out, int width, int bpp) {
  if (bpp == 8) {
    std::memcpy(out, in, static_cast<size_t>(width));
    return;
  }
  const int perByte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  for (int x = 0; x < width; ++x) {
    const int shift = 8 - bpp * (1 + x % perByte);
    out[x] = static_cast<uint8_t>((in[x / perByte] >> shift) & mask);
  }
}

Result ReadUncompressed(ByteSource& src, const BmpHeader& h, PixelSink& sink) {
  const uint64_t stride = (uint64_t{static_cast<uint32_t>(h.width)} * h.bpp + 31) / 32 * 4;
  const size_t used =
      static_cast<size_t>((uint64_t{static_cast<uint32_t>(h.width)} * h.bpp + 7) / 8);
  std::vector<uint8_t> line(static_cast<size_t>(stride));
  for (int i = 0; i < h.height; ++i) {
    const int y = h.topDown ? i : h.height - 1 - i;
    uint8_t* out = sink.Row(y);
    if (h.bpp == 24) {
      // Already B, G, R: straight into the sink.
      if (!src.ReadExact(out, used) || !src.Skip(stride - used)) return kDamaged;
    } else {
      if (!src.ReadExact(line.data(), line.size())) return kDamaged;
      if (h.bpp <= 8) {
        UnpackIndices(line.data(), out, h.width, h.bpp);
      } else {
        const int bytes = h.bpp / 8;
        for (int x = 0; x < h.width; ++x, out += 3) {
          const uint8_t* p = &line[static_cast<size_t>(x) * bytes];
          const uint32_t v = bytes == 2 ? base::Le16(p) : base::Le32(p);
          out[0] = Extract(h.blue, v), out[1] = Extract(h.green, v), out[2] = Extract(h.red, v);
        }
      }
    }
    sink.RowDone(y);
  }
  return kOk;
}

// Run-length data: pixels that the stream skips stay at index 0.
class RleDecoder {
 public:
  RleDecoder(const BmpHeader& h, PixelSink& sink)
      : h_(h), sink_(sink), row_(static_cast<size_t>(h.width), 0) {}

  Result Run(BufferedReader& in) {
    const bool four = h_.compression == kRle4;
    while (line_ < h_.height) {
      uint8_t a, b;
      if (!in.Next(&a) || !in.Next(&b)) return kDamaged;
      if (a > 0) {
        for (int i = 0; i < a; ++i) Put(four ? ((i & 1) ? (b & 15) : (b >> 4)) : b);
        continue;
      }
      if (b == 0) {  // end of line
        EndLine();
      } else if (b == 1) {  // end of bitmap
        while (line_ < h_.height) EndLine();
      } else if (b == 2) {  // move right dx and down dy
        uint8_t dx, dy;
        if (!in.Next(&dx) || !in.Next(&dy)) return kDamaged;
        const int keepX = x_ + dx;
        for (int i = 0; i < dy && line_ < h_.height; ++i) EndLine();
        x_ = keepX;
      } else {  // b literal pixels, padded to 16 bits
        const int bytes = four ? (b + 1) / 2 : b;
        uint8_t lit[256];
        if (!in.Read(lit, static_cast<size_t>(bytes + (bytes & 1)))) return kDamaged;
        for (int i = 0; i < b; ++i)
          Put(four ? ((i & 1) ? (lit[i / 2] & 15) : (lit[i / 2] >> 4)) : lit[i]);
      }
    }
    return kOk;
  }

 private:
  void Put(int index) {
    if (x_ < h_.width) row_[static_cast<size_t>(x_)] = static_cast<uint8_t>(index);
    ++x_;
  }
  void EndLine() {
    const int y = h_.topDown ? line_ : h_.height - 1 - line_;
    std::memcpy(sink_.Row(y), row_.data(), row_.size());
    sink_.RowDone(y);
    std::fill(row_.begin(), row_.end(), 0);
    ++line_;
    x_ = 0;
  }

  const BmpHeader& h_;
  PixelSink& sink_;
  std::vector<uint8_t> row_;
  int line_ = 0;
  int x_ = 0;
};

const char* CompressionName(uint32_t c) {
  switch (c) {
    case kRle8:
      return "RLE8";
    case kRle4:
      return "RLE4";
    case kBitfields:
    case kAlphaBitfields:
      return "Bitfields";
    default:
      return "Uncompressed";
  }
}

// The embedded profile's transform; null when there is none or it lies
// outside the file, which leaves the colours as they are.
ColourTransformPtr ReadProfile(ByteSource& src, const BmpHeader& h) {
  if (h.profileSize == 0 || h.profileSize > kMaxProfileBytes || h.profileSize > src.Size() ||
      h.profileOffset > src.Size() - h.profileSize || !src.Seek(h.profileOffset)) {
    return nullptr;
  }
  std::vector<uint8_t> profile(h.profileSize);
  if (!src.ReadExact(profile.data(), profile.size())) return nullptr;
  return ColourTransform::For(profile.data(), profile.size(), ColourInput::kBgr);
}

}  // namespace

Result DecodeBmp(ByteSource& src, PixelSink& sink, const DecodeOptions&) {
  BmpHeader h;
  Result r = ReadHeader(src, &h);
  if (r != kOk) return r;
  ImageLayout layout;
  layout.colours = ReadProfile(src, h);
  layout.width = h.width;
  layout.height = h.height;
  if (h.bpp <= 8) {
    layout.format = PixelFormat::kIndexed;
    layout.palette = h.palette;
  }
  r = sink.Begin(layout);
  if (r != kOk) return r;
  if (!src.Seek(h.pixelOffset)) return kDamaged;
  if (h.compression == kRle8 || h.compression == kRle4) {
    BufferedReader in(src);
    RleDecoder rle(h, sink);
    r = rle.Run(in);
  } else {
    r = ReadUncompressed(src, h, sink);
  }
  if (r != kOk) return r;
  return sink.Finish();
}

Result QueryBmp(ByteSource& src, ImageInfo* info) {
  BmpHeader h;
  const Result r = ReadHeader(src, &h);
  if (r != kOk) return r;
  info->type = "BMP";
  info->width = h.width;
  info->height = h.height;
  switch (h.bpp) {
    case 24:
      info->depthA = 8, info->depthB = 3;
      break;
    case 32:
      info->depthA = 8, info->depthB = 4;
      break;
    default:
      info->depthA = h.bpp, info->depthB = 1;
      break;
  }
  info->count = 1;
  info->detail = std::string(h.os2 ? "OS/2 " : "") + CompressionName(h.compression);
  return kOk;
}

}  // namespace rstrim
