#include "Fixture.h"

#include <psapi.h>

#include <cstring>

namespace imagectl_test {
namespace {

void Put16(std::vector<std::uint8_t>& v, unsigned x) {
  v.push_back(static_cast<std::uint8_t>(x & 0xFF));
  v.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void Set32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>((x >> (8 * i)) & 0xFF);
}

// One icon image: 32-bit colour bits, all opaque, and an empty AND mask.
std::vector<std::uint8_t> IconImage(int side, std::uint32_t bgra) {
  std::vector<std::uint8_t> v;
  Put32(v, 40);
  Put32(v, static_cast<std::uint32_t>(side));
  Put32(v, static_cast<std::uint32_t>(side * 2));
  Put16(v, 1);
  Put16(v, 32);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  for (int i = 0; i < side * side; ++i) Put32(v, bgra);
  const int maskStride = ((side + 31) / 32) * 4;
  v.insert(v.end(), static_cast<std::size_t>(maskStride * side), 0);
  return v;
}

void Record(std::vector<std::uint8_t>& v, unsigned function, std::vector<unsigned> params) {
  Put32(v, static_cast<std::uint32_t>(3 + params.size()));
  Put16(v, function);
  for (unsigned p : params) Put16(v, p);
}

// A standard metafile that fills (0, 0, right, bottom) with red and no pen.
std::vector<std::uint8_t> RedRectangleWmf(int right, int bottom) {
  std::vector<std::uint8_t> v;
  Put16(v, 1);
  Put16(v, 9);
  Put16(v, 0x300);
  Put32(v, 0);  // size, set below
  Put16(v, 2);
  Put32(v, 8);
  Put16(v, 0);
  Record(v, 0x020B, {0, 0});                                                         // SETWINDOWORG
  Record(v, 0x020C, {static_cast<unsigned>(bottom), static_cast<unsigned>(right)});  // EXT
  Record(v, 0x02FA, {PS_NULL, 0, 0, 0, 0});          // CREATEPENINDIRECT
  Record(v, 0x012D, {0});                            // SELECTOBJECT
  Record(v, 0x02FC, {BS_SOLID, 0x00FF, 0x0000, 0});  // CREATEBRUSHINDIRECT
  Record(v, 0x012D, {1});                            // SELECTOBJECT
  Record(v, 0x041B,
         {static_cast<unsigned>(bottom + 1), static_cast<unsigned>(right + 1), 0,
          0});       // RECTANGLE: bottom, right, top, left
  Record(v, 0, {});  // EOF
  Set32(v, 6, static_cast<std::uint32_t>(v.size() / 2));
  return v;
}

}  // namespace

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<std::uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  old_ = SelectObject(dc_, bitmap_);
  Fill(Rgb(0x12, 0x34, 0x56));
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

void Canvas::Fill(std::uint32_t rgb) {
  GdiFlush();
  for (int i = 0; i < width_ * height_; ++i) bits_[i] = rgb;
}

void Canvas::Render(TPMultiImage& image, bool erase) {
  SendMessageW(image.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
               PRF_CLIENT | (erase ? PRF_ERASEBKGND : 0));
  GdiFlush();
}

HBITMAP MakeCodedBitmap(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p[static_cast<std::size_t>(y) * width + x] = Rgb(x & 0xFF, y & 0xFF, 0x80);
  return b;
}

HBITMAP MakeSolidBitmap(int width, int height, std::uint32_t rgb) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!b) return nullptr;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  auto* p = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = p + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(B(rgb));
      row[3 * x + 1] = static_cast<std::uint8_t>(G(rgb));
      row[3 * x + 2] = static_cast<std::uint8_t>(R(rgb));
    }
  }
  return b;
}

HPALETTE MakePalette() {
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 16;
  for (int i = 0; i < 16; ++i) {
    lp->palPalEntry[i].peRed = static_cast<BYTE>(i * 16);
    lp->palPalEntry[i].peGreen = static_cast<BYTE>(255 - i * 16);
    lp->palPalEntry[i].peBlue = static_cast<BYTE>(i * 8);
  }
  return CreatePalette(lp);
}

void LoadBitmap(TPMultiImage& image, HBITMAP bitmap, HPALETTE palette) {
  tk::BitmapObject temp;
  temp.SetHandle(tk::Bitmap(bitmap));
  temp.SetPalette(tk::Palette(palette));
  image.Picture().Assign(temp);
}

std::vector<std::uint8_t> MakeIcoFile(bool withSmallImage) {
  std::vector<std::vector<std::uint8_t>> images;
  std::vector<int> sides;
  if (withSmallImage) {
    images.push_back(IconImage(16, 0xFF0000FFu));  // blue, 16 x 16
    sides.push_back(16);
  }
  images.push_back(IconImage(32, 0xFFFF0000u));  // red, 32 x 32
  sides.push_back(32);
  std::vector<std::uint8_t> v;
  Put16(v, 0);
  Put16(v, 1);
  Put16(v, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    v.push_back(static_cast<std::uint8_t>(sides[i]));
    v.push_back(static_cast<std::uint8_t>(sides[i]));
    v.push_back(0);
    v.push_back(0);
    Put16(v, 1);
    Put16(v, 32);
    Put32(v, static_cast<std::uint32_t>(images[i].size()));
    Put32(v, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& img : images) v.insert(v.end(), img.begin(), img.end());
  return v;
}

std::vector<std::uint8_t> MakePlaceableWmf(int right, int bottom, int inch) {
  std::vector<std::uint8_t> v;
  Put32(v, 0x9AC6CDD7u);
  Put16(v, 0);
  Put16(v, 0);
  Put16(v, 0);
  Put16(v, static_cast<unsigned>(right));
  Put16(v, static_cast<unsigned>(bottom));
  Put16(v, static_cast<unsigned>(inch));
  Put32(v, 0);
  unsigned sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= static_cast<unsigned>(v[2 * i] | (v[2 * i + 1] << 8));
  Put16(v, sum);
  const std::vector<std::uint8_t> body = RedRectangleWmf(right, bottom);
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

std::vector<std::uint8_t> MakePlainWmf(int right, int bottom) {
  return RedRectangleWmf(right, bottom);
}

std::vector<std::uint8_t> MakeEmf(int widthMm100, int heightMm100) {
  RECT frame{0, 0, widthMm100, heightMm100};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 50, 50};
  FillRect(dc, &all, red);
  DeleteObject(red);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  std::vector<std::uint8_t> v(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(v.size()), v.data());
  DeleteEnhMetaFile(emf);
  return v;
}

std::wstring TempPath(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + L"lumo-imagectl";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + name;
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
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
