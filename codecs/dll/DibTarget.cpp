#include "codecs/dll/DibTarget.h"

namespace rstrim32 {

DibTarget::~DibTarget() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool DibTarget::Allocate(int width, int height, int bpp) {
  if (bitmap_ != nullptr || width <= 0 || height <= 0) return false;
  const size_t stride = rstrim::DibStride(static_cast<uint32_t>(width), bpp);
  if (stride == 0) return false;
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;  // bottom-up, the layout every consumer of DIBs accepts
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bpp);
  h.biCompression = BI_RGB;
  // The colour table is filled later (SetPalette); the section needs room for it now.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header = h;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                             nullptr, 0);
  if (bitmap_ == nullptr || bits == nullptr) return false;
  bits_ = static_cast<uint8_t*>(bits);
  height_ = height;
  bpp_ = bpp;
  stride_ = stride;
  return true;
}

void DibTarget::SetPalette(const rstrim::Rgb* colours, int n) {
  palette_.assign(colours, colours + n);
  std::vector<RGBQUAD> quads;
  for (const rstrim::Rgb& c : palette_) quads.push_back(RGBQUAD{c.b, c.g, c.r, 0});
  // SetDIBColorTable works on the bitmap selected into a memory DC.
  paletteApplied_ = false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, bitmap_);
  paletteApplied_ =
      SetDIBColorTable(dc, 0, static_cast<UINT>(n), quads.data()) == static_cast<UINT>(n);
  SelectObject(dc, old);
  DeleteDC(dc);
}

uint8_t* DibTarget::Row(int y) { return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_; }

HBITMAP DibTarget::Release() {
  HBITMAP b = bitmap_;
  bitmap_ = nullptr;
  bits_ = nullptr;
  return b;
}

}  // namespace rstrim32
