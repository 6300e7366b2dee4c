#include "rstrim/core/PixelSink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "rstrim/core/Quantize.h"

namespace rstrim {

void OrientPoint(int orientation, int width, int height, int x, int y, int* ux, int* uy) {
  switch (orientation) {
    case 2:  // mirrored left-right
      *ux = width - 1 - x, *uy = y;
      break;
    case 3:  // turned 180 degrees
      *ux = width - 1 - x, *uy = height - 1 - y;
      break;
    case 4:  // mirrored top-bottom
      *ux = x, *uy = height - 1 - y;
      break;
    case 5:  // stored row 0 is the left column, column 0 the top row
      *ux = y, *uy = x;
      break;
    case 6:  // stored row 0 is the right column (camera turned clockwise)
      *ux = height - 1 - y, *uy = x;
      break;
    case 7:
      *ux = height - 1 - y, *uy = width - 1 - x;
      break;
    case 8:  // stored row 0 is the left column, column 0 the bottom row
      *ux = y, *uy = width - 1 - x;
      break;
    default:
      *ux = x, *uy = y;
      break;
  }
}

bool NormaliseResolution(int code, int* resolution) {
  if (code < 0) return false;
  if (code == 0 || code == 1) {
    *resolution = code;
  } else if (code <= 4) {
    *resolution = 4;
  } else if (code <= 8) {
    *resolution = 8;
  } else {
    *resolution = 24;
  }
  return true;
}

namespace {

void PackRow(uint8_t* dst, const uint8_t* idx, int width, int depth) {
  switch (depth) {
    case 8:
      std::memcpy(dst, idx, static_cast<size_t>(width));
      break;
    case 4:
      for (int x = 0; x + 1 < width; x += 2) {
        dst[x >> 1] = static_cast<uint8_t>((idx[x] << 4) | (idx[x + 1] & 15));
      }
      if (width & 1) dst[width >> 1] = static_cast<uint8_t>(idx[width - 1] << 4);
      break;
    default:
      std::memset(dst, 0, (static_cast<size_t>(width) + 7) / 8);
      for (int x = 0; x < width; ++x) {
        if (idx[x] & 1) dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
      break;
  }
}

}  // namespace

PixelSink::PixelSink(const DecodeOptions& options, DibTarget& target)
    : options_(options), target_(target) {}

Result PixelSink::Begin(const ImageLayout& layout) {
  layout_ = layout;
  const int w = layout.width, h = layout.height;
  if (w <= 0 || h <= 0) return kDamaged;
  if (layout_.orientation < 1 || layout_.orientation > 8) layout_.orientation = 1;
  const bool transposed = layout_.orientation >= 5;
  outWidth_ = transposed ? h : w;
  outHeight_ = transposed ? w : h;

  const bool indexed = layout.format == PixelFormat::kIndexed;
  if (indexed && (layout.palette.empty() || layout.palette.size() > 256)) return kDamaged;
  pixelBytes_ = indexed ? 1 : 3;
  // Colours become sRGB before anything reduces them.
  if (layout_.colours && indexed) layout_.colours->Convert(&layout_.palette);
  rowColours_ = indexed ? nullptr : layout_.colours.get();

  const bool vga = options_.resolution == 0;
  depth_ = vga ? 4 : options_.resolution;
  if (depth_ != 1 && depth_ != 4 && depth_ != 8 && depth_ != 24) return kBadArgument;

  const size_t stride = DibStride(static_cast<uint32_t>(outWidth_), depth_);
  if (stride == 0 || static_cast<size_t>(outHeight_) > options_.maxBitmapBytes / stride) {
    return kTooLarge;
  }

  const bool fixed = vga || !options_.fixedPalette.empty();
  if (depth_ == 24) {
    mode_ = indexed ? Mode::kExpand : Mode::kDirect;
  } else if (indexed && !fixed && layout_.palette.size() <= (1u << depth_)) {
    mode_ = Mode::kPack;
  } else {
    mode_ = Mode::kCollect;
  }

  try {
    if (mode_ == Mode::kCollect) {
      const size_t pixels = static_cast<size_t>(outWidth_) * static_cast<size_t>(outHeight_);
      if (pixels > options_.maxWorkBytes / static_cast<size_t>(pixelBytes_)) return kTooLarge;
      collected_.assign(pixels * static_cast<size_t>(pixelBytes_), 0);
    }
    scratch_.assign(static_cast<size_t>(w) * static_cast<size_t>(pixelBytes_), 0);
    if (indexed) {
      fullPalette_ = layout_.palette;
      fullPalette_.resize(256, layout_.palette[0]);
    }
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  if (!target_.Allocate(outWidth_, outHeight_, depth_)) return kOutOfMemory;
  if (mode_ == Mode::kPack) {
    target_.SetPalette(layout_.palette.data(), static_cast<int>(layout_.palette.size()));
  }
  return kOk;
}

uint8_t* PixelSink::Row(int y) {
  if (layout_.orientation == 1) {
    if (mode_ == Mode::kDirect) return target_.Row(y);
    if (mode_ == Mode::kCollect) {
      return collected_.data() +
             static_cast<size_t>(y) * static_cast<size_t>(outWidth_) * pixelBytes_;
    }
  }
  return scratch_.data();
}

bool PixelSink::PersistentRows() const {
  return layout_.orientation == 1 && (mode_ == Mode::kDirect || mode_ == Mode::kCollect);
}

void PixelSink::RowDone(int y) {
  const bool persistent = PersistentRows();
  if (rowColours_ != nullptr) {
    uint8_t* row = persistent ? Row(y) : scratch_.data();
    rowColours_->Convert(row, row, layout_.width);
  }
  if (!persistent) Place(y, scratch_.data());
}

void PixelSink::WriteIndex(int x, int y, int index) {
  uint8_t* row = target_.Row(y);
  switch (depth_) {
    case 8:
      row[x] = static_cast<uint8_t>(index);
      break;
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | ((index & 15) << shift));
      break;
    }
    default: {
      const int bit = 0x80 >> (x & 7);
      row[x >> 3] = static_cast<uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
  }
}

void PixelSink::Place(int y, const uint8_t* src) {
  const int w = layout_.width, h = layout_.height, o = layout_.orientation;
  const int paletteSize = static_cast<int>(layout_.palette.size());
  const size_t outRowBytes = static_cast<size_t>(outWidth_) * pixelBytes_;
  // Rows 1-4 keep a stored row on one upright row: fetch the target row once.
  int cachedY = -1;
  uint8_t* cachedRow = nullptr;
  auto targetRow = [&](int uy) {
    if (uy != cachedY) cachedY = uy, cachedRow = target_.Row(uy);
    return cachedRow;
  };
  for (int x = 0; x < w; ++x) {
    int ux = 0, uy = 0;
    OrientPoint(o, w, h, x, y, &ux, &uy);
    const uint8_t* p = src + static_cast<size_t>(x) * pixelBytes_;
    switch (mode_) {
      case Mode::kDirect: {
        uint8_t* d = targetRow(uy) + 3 * static_cast<size_t>(ux);
        d[0] = p[0], d[1] = p[1], d[2] = p[2];
        break;
      }
      case Mode::kExpand: {
        const Rgb c = fullPalette_[p[0]];
        uint8_t* d = targetRow(uy) + 3 * static_cast<size_t>(ux);
        d[0] = c.b, d[1] = c.g, d[2] = c.r;
        break;
      }
      case Mode::kPack:
        WriteIndex(ux, uy, p[0] < paletteSize ? p[0] : 0);
        break;
      case Mode::kCollect: {
        uint8_t* d = collected_.data() + static_cast<size_t>(uy) * outRowBytes +
                     static_cast<size_t>(ux) * pixelBytes_;
        std::memcpy(d, p, static_cast<size_t>(pixelBytes_));
        break;
      }
    }
  }
}

// ------------------------------------------------------- palette output

const uint8_t* PixelSink::CollectedRow(int y) const {
  return collected_.data() + static_cast<size_t>(y) * static_cast<size_t>(outWidth_) * pixelBytes_;
}

// Row y of the collected picture as R, G, B bytes.
void PixelSink::CollectedRgb(int y, uint8_t* rgb) const {
  const uint8_t* src = CollectedRow(y);
  for (int x = 0; x < outWidth_; ++x, rgb += 3) {
    if (pixelBytes_ == 1) {
      const Rgb c = fullPalette_[src[x]];
      rgb[0] = c.r, rgb[1] = c.g, rgb[2] = c.b;
    } else {
      const uint8_t* p = src + 3 * static_cast<size_t>(x);
      rgb[0] = p[2], rgb[1] = p[1], rgb[2] = p[0];
    }
  }
}

Result PixelSink::Finish() {
  if (mode_ != Mode::kCollect) return kOk;
  try {
    return layout_.format == PixelFormat::kIndexed ? ReducePaletteSource() : ReduceRgbSource();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}

namespace {

std::vector<Rgb> FixedPalette(const DecodeOptions& options, int depth) {
  std::vector<Rgb> p = options.resolution == 0 ? VgaPalette() : options.fixedPalette;
  if (p.size() > (1u << depth)) p.resize(1u << depth);
  return p;
}

}  // namespace

Result PixelSink::ReducePaletteSource() {
  const size_t n = layout_.palette.size();
  std::array<uint64_t, 256> counts{};
  for (int y = 0; y < outHeight_; ++y) {
    const uint8_t* row = CollectedRow(y);
    for (int x = 0; x < outWidth_; ++x) ++counts[row[x] < n ? row[x] : 0];
  }
  std::vector<Rgb> palette = FixedPalette(options_, depth_);
  std::vector<uint8_t> map(256, 0);
  if (palette.empty()) {
    // The colours in use may fit although the table as a whole does not.
    ColourSet used(1 << depth_);
    for (size_t i = 0; i < n; ++i) {
      if (counts[i] != 0) used.Add(layout_.palette[i]);
    }
    if (!used.Overflowed()) {
      for (size_t i = 0; i < n; ++i)
        map[i] = static_cast<uint8_t>(used.IndexOf(layout_.palette[i]));
      for (size_t i = n; i < 256; ++i) map[i] = map[0];
      target_.SetPalette(used.Colours().data(), static_cast<int>(used.Colours().size()));
      WriteMapped(map);
      return kOk;
    }
    WuQuantizer wu;
    for (size_t i = 0; i < n; ++i) {
      if (counts[i] != 0) {
        wu.Add(layout_.palette[i],
               static_cast<uint32_t>(std::min<uint64_t>(counts[i], UINT32_MAX)));
      }
    }
    palette = wu.Palette(1 << depth_);
  }
  target_.SetPalette(palette.data(), static_cast<int>(palette.size()));
  if (options_.dither) {
    WriteDithered(palette);
  } else {
    NearestColour nearest(palette);
    for (size_t i = 0; i < 256; ++i) {
      const Rgb c = fullPalette_[i < n ? i : 0];
      map[i] = static_cast<uint8_t>(nearest.Find(c.r, c.g, c.b));
    }
    WriteMapped(map);
  }
  return kOk;
}

Result PixelSink::ReduceRgbSource() {
  std::vector<Rgb> palette = FixedPalette(options_, depth_);
  if (palette.empty()) {
    ColourSet distinct(1 << depth_);
    for (int y = 0; y < outHeight_ && !distinct.Overflowed(); ++y) {
      const uint8_t* p = CollectedRow(y);
      for (int x = 0; x < outWidth_; ++x, p += 3) {
        if (!distinct.Add(Rgb{p[2], p[1], p[0]})) break;
      }
    }
    if (!distinct.Overflowed()) {
      target_.SetPalette(distinct.Colours().data(), static_cast<int>(distinct.Colours().size()));
      WriteExact(distinct);
      return kOk;
    }
    WuQuantizer wu;
    for (int y = 0; y < outHeight_; ++y) {
      const uint8_t* p = CollectedRow(y);
      for (int x = 0; x < outWidth_; ++x, p += 3) wu.Add(Rgb{p[2], p[1], p[0]});
    }
    palette = wu.Palette(1 << depth_);
  }
  target_.SetPalette(palette.data(), static_cast<int>(palette.size()));
  if (options_.dither) {
    WriteDithered(palette);
  } else {
    WriteNearest(palette);
  }
  return kOk;
}

void PixelSink::WriteMapped(const std::vector<uint8_t>& map) {
  std::vector<uint8_t> idx(static_cast<size_t>(outWidth_));
  for (int y = 0; y < outHeight_; ++y) {
    const uint8_t* src = CollectedRow(y);
    for (int x = 0; x < outWidth_; ++x) idx[x] = map[src[x]];
    PackRow(target_.Row(y), idx.data(), outWidth_, depth_);
  }
}

void PixelSink::WriteDithered(const std::vector<Rgb>& palette) {
  FloydSteinberg fs(outWidth_, palette);
  std::vector<uint8_t> rgb(static_cast<size_t>(outWidth_) * 3);
  std::vector<uint8_t> idx(static_cast<size_t>(outWidth_));
  for (int y = 0; y < outHeight_; ++y) {
    CollectedRgb(y, rgb.data());
    fs.Row(rgb.data(), idx.data());
    PackRow(target_.Row(y), idx.data(), outWidth_, depth_);
  }
}

void PixelSink::WriteNearest(const std::vector<Rgb>& palette) {
  NearestColour nearest(palette);
  std::vector<uint8_t> rgb(static_cast<size_t>(outWidth_) * 3);
  std::vector<uint8_t> idx(static_cast<size_t>(outWidth_));
  for (int y = 0; y < outHeight_; ++y) {
    CollectedRgb(y, rgb.data());
    for (int x = 0; x < outWidth_; ++x) {
      const uint8_t* p = &rgb[3 * static_cast<size_t>(x)];
      idx[x] = static_cast<uint8_t>(nearest.Find(p[0], p[1], p[2]));
    }
    PackRow(target_.Row(y), idx.data(), outWidth_, depth_);
  }
}

void PixelSink::WriteExact(const ColourSet& set) {
  std::vector<uint8_t> idx(static_cast<size_t>(outWidth_));
  for (int y = 0; y < outHeight_; ++y) {
    const uint8_t* p = CollectedRow(y);
    for (int x = 0; x < outWidth_; ++x, p += 3) {
      idx[x] = static_cast<uint8_t>(set.IndexOf(Rgb{p[2], p[1], p[0]}));
    }
    PackRow(target_.Row(y), idx.data(), outWidth_, depth_);
  }
}

}  // namespace rstrim
