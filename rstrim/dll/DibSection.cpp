#include "rstrim/dll/DibSection.h"

#include <utility>

namespace rstrim {

bool DibSection::Allocate(int width, int height, int bpp) {
  if (bitmap_ || width <= 0 || height <= 0) return false;
  const size_t stride = DibStride(static_cast<uint32_t>(width), bpp);
  if (stride == 0) return false;
  // The colour table is filled later (SetPalette); the section needs room for it now.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = height;  // bottom-up, the layout every consumer of DIBs accepts
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bpp);
  info.header.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &bits, nullptr, 0));
  if (!bitmap_ || bits == nullptr) return false;
  bits_ = static_cast<uint8_t*>(bits);
  height_ = height;
  bpp_ = bpp;
  stride_ = stride;
  return true;
}

void DibSection::SetPalette(const Rgb* colours, int n) {
  palette_.assign(colours, colours + n);
  std::vector<RGBQUAD> quads;
  for (const Rgb& c : palette_) quads.push_back(RGBQUAD{c.b, c.g, c.r, 0});
  // SetDIBColorTable works on the bitmap selected into a memory DC.
  paletteApplied_ = false;
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return;
  base::SelectGuard select(dc.get(), bitmap_.get());
  paletteApplied_ =
      SetDIBColorTable(dc.get(), 0, static_cast<UINT>(n), quads.data()) == static_cast<UINT>(n);
}

uint8_t* DibSection::Row(int y) { return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_; }

base::Bitmap DibSection::Release() {
  bits_ = nullptr;
  return std::move(bitmap_);
}

}  // namespace rstrim
