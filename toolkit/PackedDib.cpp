#include "toolkit/PackedDib.h"

#include <cstdint>
#include <cstring>

#include "toolkit/Picture.h"

namespace tk {
namespace {

// The depths a DIB keeps exactly; 16-bit pixels go as 24, which holds every
// colour a 5-6-5 or 5-5-5 pixel shows.
WORD PackedDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      return static_cast<WORD>(bitsPerPixel);
    default:
      return 24;
  }
}

// Far beyond any picture the viewer shows, and within what a 32-bit process
// can address in one block.
constexpr std::uint64_t kMaxPackedBytes = 0x7FFFFFFF;

// The header of a bitmap's packed copy; biSizeImage counts the rows' bytes.
BITMAPINFOHEADER PackedHeader(const BITMAP& bm) {
  const WORD depth = PackedDepth(bm.bmPlanes * bm.bmBitsPixel);
  const std::uint64_t stride =
      (std::uint64_t{static_cast<std::uint32_t>(bm.bmWidth)} * depth + 31) / 32 * 4;
  const std::uint64_t rows = stride * static_cast<std::uint32_t>(bm.bmHeight);
  if (rows > kMaxPackedBytes) throw EOutOfResources();
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = bm.bmWidth;
  h.biHeight = bm.bmHeight;  // bottom-up, as the clipboard's readers expect
  h.biPlanes = 1;
  h.biBitCount = depth;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(rows);
  h.biClrUsed = depth <= 8 ? 1u << depth : 0;
  return h;
}

}  // namespace

base::GlobalMem PackDib(HBITMAP bitmap, HPALETTE palette) {
  BITMAP bm{};
  if (!GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    throw EOutOfResources();
  const BITMAPINFOHEADER header = PackedHeader(bm);
  const std::size_t bitsOffset = sizeof header + header.biClrUsed * sizeof(RGBQUAD);
  base::GlobalMem packed(GlobalAlloc(GMEM_MOVEABLE, bitsOffset + header.biSizeImage));
  if (!packed) throw EOutOfResources();
  base::LockedGlobal block(packed.get());
  if (!block.data()) throw EOutOfResources();
  std::memcpy(block.data(), &header, sizeof header);
  // GetDIBits fills the table: a DIB section's own, a device-dependent
  // bitmap's from the palette selected into the DC.
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) throw EOutOfResources();
  base::PaletteGuard selected(dc.get(), palette, FALSE);
  if (palette) RealizePalette(dc.get());
  auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
  if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), block.data() + bitsOffset,
                info, DIB_RGB_COLORS) != bm.bmHeight)
    throw EOutOfResources();
  // GetDIBits may rewrite the count as 0, which means the same full table.
  info->bmiHeader.biClrUsed = header.biClrUsed;
  return packed;
}

base::Bitmap ScreenBitmapOf(HGLOBAL packed) {
  base::LockedGlobal block(packed);
  if (!block.data()) throw EOutOfResources();
  const auto* info = reinterpret_cast<const BITMAPINFO*>(block.data());
  const BITMAPINFOHEADER& h = info->bmiHeader;
  base::WindowDc screen(nullptr);
  base::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), h.biWidth, h.biHeight));
  if (!bitmap || SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(h.biHeight),
                           block.data() + h.biSize + h.biClrUsed * sizeof(RGBQUAD), info,
                           DIB_RGB_COLORS) != h.biHeight)
    throw EOutOfResources();
  return bitmap;
}

}  // namespace tk
