#include "rstrim/core/DibTarget.h"

namespace rstrim {

size_t DibStride(uint32_t width, int bitsPerPixel) {
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
  const uint64_t stride = (bits + 31) / 32 * 4;
  return stride > 0x7fffffffu ? 0 : static_cast<size_t>(stride);
}

bool MemoryDib::Allocate(int width, int height, int bpp) {
  if (width <= 0 || height <= 0) return false;
  const size_t stride = DibStride(static_cast<uint32_t>(width), bpp);
  if (stride == 0 || static_cast<size_t>(height) > maxBytes_ / stride) return false;
  pixels_.reset(static_cast<uint8_t*>(std::calloc(stride, static_cast<size_t>(height))));
  if (!pixels_) return false;
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  stride_ = stride;
  return true;
}

void MemoryDib::SetPalette(const Rgb* colours, int n) { palette_.assign(colours, colours + n); }

int MemoryDib::IndexAt(int x, int y) const {
  const uint8_t* row = Row(y);
  switch (bpp_) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default:
      return row[x];
  }
}

Rgb MemoryDib::ColourAt(int x, int y) const {
  if (bpp_ == 24) {
    const uint8_t* p = Row(y) + 3 * static_cast<size_t>(x);
    return Rgb{p[2], p[1], p[0]};
  }
  const int i = IndexAt(x, y);
  return i < static_cast<int>(palette_.size()) ? palette_[i] : Rgb{};
}

}  // namespace rstrim
