#include "LoaderFixture.h"

namespace loader_test {

std::wstring TempFile(const std::wstring& name) { return TempDir(L"lumo-loader") + L"\\" + name; }

std::wstring Put(const std::wstring& name, const Bytes& bytes) {
  const std::wstring path = TempFile(name);
  imagectl_test::WriteBytes(path, bytes);
  return path;
}

std::wstring Put(const std::wstring& name, const wchar_t* testPicture) {
  return Put(name, imagectl_test::DataBytes(testPicture));
}

std::int64_t FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Pixels ReadPixels(HBITMAP bitmap) {
  Pixels p;
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return p;
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  p.rgb.resize(static_cast<std::size_t>(p.width) * p.height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(p.height), p.rgb.data(), &info,
                             DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != p.height) p.rgb.assign(p.rgb.size(), 0xFF000000u);  // marks a failed read
  for (auto& v : p.rgb) v &= 0x00FFFFFFu;
  return p;
}

std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette) {
  std::vector<PALETTEENTRY> entries(palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0);
  if (!entries.empty())
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  return entries;
}

}  // namespace loader_test
