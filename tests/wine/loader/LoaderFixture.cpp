#include "LoaderFixture.h"

#include "rstrim/dll/Rstrim32Api.h"

namespace loader_test {
namespace {

fixtures::Picture Gradient(int width, int height) { return fixtures::Gradient(width, height); }

Bytes RgbRows(const fixtures::Picture& p) {
  Bytes rows;
  for (const fixtures::Rgb& c : p.pixels) {
    rows.push_back(c.r);
    rows.push_back(c.g);
    rows.push_back(c.b);
  }
  return rows;
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out.push_back(static_cast<char>(c));
  return out;
}

}  // namespace

std::wstring TempFile(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring dir = std::wstring(base) + L"lumo-loader";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + name;
}

void WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
  ASSERT_EQ(put, bytes.size());
}

std::int64_t FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Bytes GradientBmp(int width, int height) {
  const fixtures::Picture p = Gradient(width, height);
  return fixtures::EncodeBmp(width, height, fixtures::BmpSpec{}, {}, {}, &p);
}

Bytes GradientTiff(int width, int height) {
  fixtures::TiffSpec layout;
  layout.width = width;
  layout.height = height;
  return fixtures::EncodeTiff(layout, RgbRows(Gradient(width, height)));
}

Bytes GradientPng(int width, int height) { return fixtures::EncodePngRgb(Gradient(width, height)); }

Bytes PhotoJpeg(int width, int height) {
  return fixtures::EncodeJpeg(fixtures::Photo(width, height), fixtures::JpegSpec{});
}

Bytes IndexedGif(int width, int height) {
  fixtures::GifSpec layout;
  layout.screenWidth = layout.width = width;
  layout.screenHeight = layout.height = height;
  layout.globalMap = fixtures::TestPalette(16);
  return fixtures::EncodeGif(layout, fixtures::Indices(width, height, 16));
}

Bytes IndexedPcx(int width, int height) {
  return fixtures::EncodePcx(width, height, fixtures::PcxSpec{},
                             fixtures::Indices(width, height, 16), fixtures::TestPalette(16));
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
  std::vector<PALETTEENTRY> entries;
  if (!palette) return entries;
  const UINT n = GetPaletteEntries(palette, 0, 0, nullptr);
  entries.resize(n);
  if (n) GetPaletteEntries(palette, 0, n, entries.data());
  return entries;
}

short DirectDecode(WORD ordinal, const std::wstring& file, LONG resolution) {
  HMODULE module = LoadLibraryA("RSTRIM32.DLL");
  if (!module) return -1000;
  auto decode = reinterpret_cast<rstrim::DecodeFileFn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  const short r = decode ? decode(Narrow(file).c_str(), resolution, 0, &bitmap, &palette, 0, 0)
                         : static_cast<short>(-1000);
  if (bitmap) DeleteObject(bitmap);
  if (palette) DeleteObject(palette);
  FreeLibrary(module);
  return r;
}

}  // namespace loader_test
