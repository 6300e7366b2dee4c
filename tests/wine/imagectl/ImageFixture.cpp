#include "ImageFixture.h"

#include <psapi.h>

namespace imagectl_test {
namespace {

// A top-down DIB section and its pixels.
HBITMAP TopDownDib(int width, int height, WORD bits, void** pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, bits};
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, pixels, nullptr, 0);
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      bitmap_(TopDownDib(width, height, 32, reinterpret_cast<void**>(&bits_))),
      dc_(CreateCompatibleDC(nullptr)),
      select_(dc_.get(), bitmap_.get()) {
  Fill(Rgb(0x12, 0x34, 0x56));
}

void Canvas::Fill(std::uint32_t rgb) {
  GdiFlush();
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = rgb;
}

void Canvas::Render(TPMultiImage& image, bool erase) {
  SendMessageW(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.get()),
               PRF_CLIENT | (erase ? PRF_ERASEBKGND : 0));
  GdiFlush();
}

HBITMAP MakeCodedBitmap(int width, int height) {
  void* bits = nullptr;
  HBITMAP b = TopDownDib(width, height, 32, &bits);
  for (int i = 0; i < width * height; ++i)
    static_cast<std::uint32_t*>(bits)[i] = Rgb(i % width & 0xFF, i / width & 0xFF, 0x80);
  return b;
}

HBITMAP MakeSolidBitmap(int width, int height, std::uint32_t rgb) {
  void* bits = nullptr;
  HBITMAP b = TopDownDib(width, height, 32, &bits);
  if (b)
    std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(width) * height, rgb);
  return b;
}

void LoadBitmap(TPMultiImage& image, HBITMAP bitmap, HPALETTE palette) {
  tk::BitmapObject temp;
  temp.SetHandle(base::Bitmap(bitmap));
  temp.SetPalette(base::Palette(palette));
  image.Picture().Assign(temp);
}

Bytes DataBytes(const std::wstring& name) {
  const std::string s = ReadData(name);
  return Bytes(s.begin(), s.end());
}

std::wstring TempPath(const std::wstring& name) { return TempDir(L"lumo-imagectl") + L"\\" + name; }

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::wstring Put(const std::wstring& name, const Bytes& bytes) {
  WriteBytes(TempPath(name), bytes);
  return TempPath(name);
}

Pixels ReadPixels(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return {};
  Pixels p{bm.bmWidth, bm.bmHeight, std::vector<std::uint32_t>(bm.bmWidth * bm.bmHeight)};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32};  // top-down
  HDC screen = GetDC(nullptr);
  if (GetDIBits(screen, bitmap, 0, p.height, p.rgb.data(), &info, DIB_RGB_COLORS) != p.height)
    p = {};
  ReleaseDC(nullptr, screen);
  for (auto& v : p.rgb) v &= 0xFFFFFF;
  return p;
}

std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette) {
  std::vector<PALETTEENTRY> entries(palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0);
  if (!entries.empty())
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  return entries;
}

long GdiObjectCount() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported > 0) return static_cast<long>(reported);
  // Wine answers 0; its handle table takes a bare slot index as a handle.
  long n = 0;
  for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++n;
  return n;
}

std::uint64_t PrivateBytes() {
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION mbi;
  const std::uint8_t* at = nullptr;
  while (VirtualQuery(at, &mbi, sizeof(mbi)) == sizeof(mbi)) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    const std::uint8_t* next = static_cast<const std::uint8_t*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace imagectl_test
