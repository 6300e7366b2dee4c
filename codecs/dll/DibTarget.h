// The decoders' output on Windows: a DIB section the decoder writes into
// directly. Owns the bitmap until Release() hands it to the caller.
#pragma once

#include <windows.h>

#include <vector>

#include "codecs/core/Bitmap.h"

namespace rstrim32 {

class DibTarget final : public rstrim::BitmapTarget {
 public:
  DibTarget() = default;
  DibTarget(const DibTarget&) = delete;
  DibTarget& operator=(const DibTarget&) = delete;
  ~DibTarget() override;

  bool Allocate(int width, int height, int bpp) override;
  void SetPalette(const rstrim::Rgb* colours, int n) override;
  uint8_t* Row(int y) override;

  int Bpp() const { return bpp_; }
  const std::vector<rstrim::Rgb>& Palette() const { return palette_; }
  bool PaletteApplied() const { return paletteApplied_; }
  HBITMAP Release();

 private:
  HBITMAP bitmap_ = nullptr;  // owned until Release()
  uint8_t* bits_ = nullptr;   // inside bitmap_
  int height_ = 0;
  int bpp_ = 0;
  size_t stride_ = 0;
  std::vector<rstrim::Rgb> palette_;
  bool paletteApplied_ = true;
};

}  // namespace rstrim32
