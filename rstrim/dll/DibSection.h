// The decoders' output on Windows: a DIB section the decoder writes into
// directly. Owns the bitmap until Release() hands it to the caller.
#pragma once

#include <windows.h>

#include <vector>

#include "rstrim/core/DibTarget.h"
#include "base/Handles.h"

namespace rstrim {

class DibSection final : public DibTarget {
 public:
  bool Allocate(int width, int height, int bpp) override;
  void SetPalette(const Rgb* colours, int n) override;
  uint8_t* Row(int y) override;

  int Bpp() const { return bpp_; }
  const std::vector<Rgb>& Palette() const { return palette_; }
  bool PaletteApplied() const { return paletteApplied_; }
  base::Bitmap Release();

 private:
  base::Bitmap bitmap_;
  uint8_t* bits_ = nullptr;  // inside bitmap_
  int height_ = 0;
  int bpp_ = 0;
  size_t stride_ = 0;
  std::vector<Rgb> palette_;
  bool paletteApplied_ = true;
};

}  // namespace rstrim
