// Output of the decoders: a bitmap in device-independent layout (BGR pixels,
// 1/4/8-bit indices packed from the most significant bit, rows padded to 4 bytes)
// owned by the caller. On Windows it is a DIB section (rstrim/dll/DibSection.h);
// natively a plain buffer (MemoryDib).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/Colour.h"

namespace rstrim {

using base::Rgb;

// Bytes of one row of a bitmap of that width and depth, padded to 4 bytes;
// 0 when it would not fit in 31 bits.
size_t DibStride(uint32_t width, int bitsPerPixel);

class DibTarget {
 public:
  virtual ~DibTarget() = default;
  // Makes room for the picture; bpp is 1, 4, 8 or 24. Called once, before any row.
  // Rows start zero-filled.
  virtual bool Allocate(int width, int height, int bpp) = 0;
  // The colour table of a 1/4/8-bit bitmap (n at most 2^bpp).
  virtual void SetPalette(const Rgb* colours, int n) = 0;
  // Row y, counted from the top of the upright picture.
  virtual uint8_t* Row(int y) = 0;
};

// The plain-memory target: tests, fuzzers, benchmarks.
class MemoryDib final : public DibTarget {
 public:
  // Refuses allocations above maxBytes (fuzzers keep memory small with it).
  explicit MemoryDib(size_t maxBytes = SIZE_MAX) : maxBytes_(maxBytes) {}
  bool Allocate(int width, int height, int bpp) override;
  void SetPalette(const Rgb* colours, int n) override;
  uint8_t* Row(int y) override { return pixels_.get() + static_cast<size_t>(y) * stride_; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Bpp() const { return bpp_; }
  size_t Stride() const { return stride_; }
  const std::vector<Rgb>& Palette() const { return palette_; }
  const uint8_t* Row(int y) const { return pixels_.get() + static_cast<size_t>(y) * stride_; }
  // Palette index at (x, y) of a 1/4/8-bit bitmap.
  int IndexAt(int x, int y) const;
  // Colour at (x, y) whatever the depth.
  Rgb ColourAt(int x, int y) const;

 private:
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  size_t maxBytes_;
  // calloc: fresh zero pages from the system, like a DIB section, without a memset pass.
  std::unique_ptr<uint8_t[], Free> pixels_;
  std::vector<Rgb> palette_;
  int width_ = 0, height_ = 0, bpp_ = 0;
  size_t stride_ = 0;
};

}  // namespace rstrim
