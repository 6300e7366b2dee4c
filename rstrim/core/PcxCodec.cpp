// ZSoft PCX, versions 0 to 5, read by our own code.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "rstrim/core/Codecs.h"

namespace rstrim {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTailPalette = 769;  // 0x0C and 256 RGB triples at the end of the file

struct PcxHeader {
  int version = 0;
  bool rle = true;
  int bpp = 0;
  int planes = 0;
  int bytesPerLine = 0;
  int width = 0;
  int height = 0;
  uint8_t colourMap[48] = {};
};

Result ReadHeader(ByteSource& src, PcxHeader* h) {
  uint8_t b[kHeaderSize];
  src.Seek(0);
  if (!src.ReadExact(b, sizeof b)) return kDamaged;
  if (b[0] != 0x0A) return kNotThisFormat;
  h->version = b[1];
  if (h->version != 0 && h->version != 2 && h->version != 3 && h->version != 4 && h->version != 5) {
    return kNotThisFormat;
  }
  if (b[2] > 1) return kNotThisFormat;
  h->rle = b[2] == 1;
  h->bpp = b[3];
  const int xmin = base::Le16(b + 4), ymin = base::Le16(b + 6), xmax = base::Le16(b + 8),
            ymax = base::Le16(b + 10);
  std::memcpy(h->colourMap, b + 16, 48);
  h->planes = b[65];
  h->bytesPerLine = base::Le16(b + 66);
  if (xmax < xmin || ymax < ymin) return kDamaged;
  h->width = xmax - xmin + 1;
  h->height = ymax - ymin + 1;
  const int bpp = h->bpp, planes = h->planes;
  const bool known = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 2 && planes == 1) ||
                     (bpp == 4 && planes == 1) ||
                     (bpp == 8 && (planes == 1 || planes == 3 || planes == 4));
  if (!known) return (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) ? kUnsupported : kNotThisFormat;
  if (static_cast<int64_t>(h->bytesPerLine) * 8 < static_cast<int64_t>(h->width) * bpp)
    return kDamaged;
  return kOk;
}

const Rgb kEga[16] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                      {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                      {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                      {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};
const Rgb kCga[4] = {{0, 0, 0}, {85, 255, 255}, {255, 85, 255}, {255, 255, 255}};

// Version 3 files say they carry no palette; others use the header's table
// unless it is empty.
std::vector<Rgb> HeaderPalette(const PcxHeader& h, int count) {
  bool empty = true;
  for (int i = 0; i < count * 3; ++i) empty = empty && h.colourMap[i] == 0;
  std::vector<Rgb> p;
  for (int i = 0; i < count; ++i) {
    if (h.version == 3 || empty) {
      p.push_back(count == 4 ? kCga[i] : kEga[i]);
    } else {
      p.push_back(Rgb{h.colourMap[3 * i], h.colourMap[3 * i + 1], h.colourMap[3 * i + 2]});
    }
  }
  return p;
}

Result BuildPalette(ByteSource& src, const PcxHeader& h, ImageLayout* layout) {
  if (h.bpp == 8 && h.planes >= 3) return kOk;  // true colour
  layout->format = PixelFormat::kIndexed;
  if (h.bpp == 1 && h.planes == 1) {
    layout->palette = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};
  } else if (h.bpp == 8) {
    const uint64_t size = src.Size();
    uint8_t tail[kTailPalette];
    if (size >= kHeaderSize + kTailPalette && src.Seek(size - kTailPalette) &&
        src.ReadExact(tail, sizeof tail) && tail[0] == 0x0C) {
      for (int i = 0; i < 256; ++i) {
        layout->palette.push_back(Rgb{tail[1 + 3 * i], tail[2 + 3 * i], tail[3 + 3 * i]});
      }
    } else {
      for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        layout->palette.push_back(Rgb{v, v, v});
      }
    }
  } else {
    layout->palette = HeaderPalette(h, 1 << (h.bpp * h.planes));
  }
  return kOk;
}

// One encoded scan line of all planes. Runs may carry over into the next line.
class LineReader {
 public:
  LineReader(BufferedReader& in, bool rle) : in_(in), rle_(rle) {}
  bool Read(uint8_t* out, size_t n) {
    if (!rle_) return in_.Read(out, n);
    size_t i = 0;
    while (i < n) {
      if (pending_ == 0) {
        uint8_t b;
        if (!in_.Next(&b)) return false;
        if ((b & 0xC0) == 0xC0) {
          pending_ = b & 0x3F;
          if (!in_.Next(&value_)) return false;
        } else {
          pending_ = 1;
          value_ = b;
        }
      }
      const size_t take = std::min(pending_, n - i);
      std::memset(out + i, value_, take);
      i += take;
      pending_ -= take;
    }
    return true;
  }

 private:
  BufferedReader& in_;
  bool rle_;
  size_t pending_ = 0;
  uint8_t value_ = 0;
};

void ConvertLine(const PcxHeader& h, const uint8_t* line, uint8_t* out) {
  const size_t bpl = static_cast<size_t>(h.bytesPerLine);
  if (h.bpp == 8 && h.planes >= 3) {
    for (int x = 0; x < h.width; ++x, out += 3) {
      out[0] = line[2 * bpl + x], out[1] = line[bpl + x], out[2] = line[x];
    }
    return;
  }
  if (h.planes == 1) {
    const int bpp = h.bpp, perByte = 8 / bpp;
    const unsigned mask = (1u << bpp) - 1;
    for (int x = 0; x < h.width; ++x) {
      out[x] = static_cast<uint8_t>((line[x / perByte] >> (8 - bpp * (1 + x % perByte))) & mask);
    }
    return;
  }
  for (int x = 0; x < h.width; ++x) {  // one bit per plane
    unsigned index = 0;
    for (int p = 0; p < h.planes; ++p) {
      index |= ((line[p * bpl + static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1u) << p;
    }
    out[x] = static_cast<uint8_t>(index);
  }
}

}  // namespace

Result DecodePcx(ByteSource& src, PixelSink& sink, const DecodeOptions&) {
  PcxHeader h;
  Result r = ReadHeader(src, &h);
  if (r != kOk) return r;
  ImageLayout layout;
  layout.width = h.width;
  layout.height = h.height;
  r = BuildPalette(src, h, &layout);
  if (r != kOk) return r;
  r = sink.Begin(layout);
  if (r != kOk) return r;
  if (!src.Seek(kHeaderSize)) return kDamaged;
  std::vector<uint8_t> line(static_cast<size_t>(h.planes) * static_cast<size_t>(h.bytesPerLine));
  BufferedReader in(src);
  LineReader reader(in, h.rle);
  for (int y = 0; y < h.height; ++y) {
    if (!reader.Read(line.data(), line.size())) return kDamaged;
    ConvertLine(h, line.data(), sink.Row(y));
    sink.RowDone(y);
  }
  return sink.Finish();
}

Result QueryPcx(ByteSource& src, ImageInfo* info) {
  PcxHeader h;
  const Result r = ReadHeader(src, &h);
  if (r != kOk) return r;
  info->type = "PCX";
  info->width = h.width;
  info->height = h.height;
  info->depthA = h.bpp;
  info->depthB = h.planes;
  info->count = 1;
  info->detail = "Version " + std::to_string(h.version) + (h.rle ? "" : " raw");
  return kOk;
}

}  // namespace rstrim
