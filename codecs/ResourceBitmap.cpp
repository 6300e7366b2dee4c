#include "codecs/ResourceBitmap.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "codecs/portable/DibResource.h"
#include "base/Handles.h"
#include "toolkit/portable/Convert.h"

namespace codecs {
namespace {

HMODULE ResourceModule(const std::wstring& moduleName) {
  return GetModuleHandleW(moduleName.empty() ? nullptr : moduleName.c_str());
}

// The resource's bytes, or an empty range when it is missing or unreadable.
struct ResourceData {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

ResourceData FindBitmapResource(HMODULE module, const std::wstring& resourceName) {
  const wchar_t* name = resourceName.c_str();
  if (const auto id = tk::TryStrToInt(resourceName)) {
    // Only 1..65535 fit an integer identifier; others name no resource.
    if (*id < 1 || *id > 0xFFFF) return {};
    name = MAKEINTRESOURCEW(static_cast<WORD>(*id));
  } else if (resourceName.empty()) {
    return {};
  }
  HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(2));  // RT_BITMAP
  if (!info) return {};
  HGLOBAL loaded = LoadResource(module, info);  // part of the module, nothing to free
  if (!loaded) return {};
  const void* locked = LockResource(loaded);
  if (!locked) return {};
  return ResourceData{static_cast<const std::uint8_t*>(locked), SizeofResource(module, info)};
}

// A Windows header with its masks and table, built from the checked layout so
// that GDI reads nothing but what was checked, whichever header the resource has.
std::vector<std::uint8_t> MakeBitmapInfo(const DibLayout& l) {
  std::vector<std::uint8_t> block(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) +
                                  l.colours.size() * sizeof(RGBQUAD));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = l.width;
  header.biHeight = l.height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(l.bitCount);
  header.biCompression = l.bitFields ? BI_BITFIELDS : BI_RGB;
  header.biClrUsed = static_cast<DWORD>(l.colours.size());
  std::memcpy(block.data(), &header, sizeof header);
  std::size_t at = sizeof header;
  if (l.bitFields) {
    std::memcpy(block.data() + at, l.masks, sizeof l.masks);
    at += sizeof l.masks;
  }
  for (const base::Rgb& c : l.colours) {
    const RGBQUAD q{c.b, c.g, c.r, 0};
    std::memcpy(block.data() + at, &q, sizeof q);
    at += sizeof q;
  }
  return block;
}

}  // namespace

bool ReadResourceBitmap(const std::wstring& moduleName, const std::wstring& resourceName, HWND wnd,
                        tk::BitmapObject& bitmap) {
  HMODULE module = ResourceModule(moduleName);
  if (!module) return false;
  const ResourceData res = FindBitmapResource(module, resourceName);
  DibLayout layout;
  if (!ParseDibResource(res.data, res.size, layout)) return false;

  base::Palette palette = base::MakePalette(layout.colours);
  if (!layout.colours.empty() && !palette) return false;
  const std::vector<std::uint8_t> info = MakeBitmapInfo(layout);
  base::Bitmap made;
  {
    base::WindowDc dc(wnd);
    if (!dc.get()) return false;
    base::PaletteGuard selected(dc.get(), palette.get(), FALSE);
    if (palette) RealizePalette(dc.get());
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info.data());
    made.reset(CreateDIBitmap(dc.get(), header, CBM_INIT, res.data + layout.bitsOffset,
                              reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS));
  }
  if (!made) return false;
  bitmap.SetHandles(std::move(made), std::move(palette));
  return true;
}

}  // namespace codecs
