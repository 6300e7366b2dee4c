// Another program at the clipboard, for the tests of the control's exchange:
//   clipboard_peer read DIR WIDTH HEIGHT
//     writes DIR\formats.txt (the picture formats in the clipboard's order,
//     and the depth of the CF_DIB) and what it reads of CF_DIB, CF_BITMAP and
//     CF_ENHMETAFILE as WIDTH x HEIGHT pixels of 32 bits, top-down, drawn on
//     white: DIR\<format number>.raw.
//   clipboard_peer put FILE.BMP
//     puts the file's DIB as the only format, as most programs do.
// Exit code 0 when it did what was asked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "base/Handles.h"

namespace {

bool WriteAll(const std::string& name, const void* data, std::size_t size) {
  std::ofstream f(name, std::ios::binary);
  return static_cast<bool>(f.write(static_cast<const char*>(data), static_cast<long>(size)));
}

// What draw puts on a white 32-bit canvas of the size, as a file.
bool WritePixels(const std::string& name, int width, int height,
                 const std::function<bool(HDC, const RECT&)>& draw) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32};
  void* bits = nullptr;
  base::Bitmap canvas(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!canvas || !dc) return false;
  base::SelectGuard select(dc.get(), canvas.get());
  const RECT r{0, 0, width, height};
  FillRect(dc.get(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const bool drawn = draw(dc.get(), r);
  GdiFlush();
  return drawn && WriteAll(name, bits, std::size_t{4} * width * height);
}

int Read(const std::string& dir, int w, int h) {
  if (!OpenClipboard(nullptr)) return 1;
  std::string formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
    if (f == CF_BITMAP || f == CF_DIB || f == CF_PALETTE || f == CF_ENHMETAFILE)
      formats += std::to_string(f) + " ";
  bool ok = true;
  if (const base::LockedGlobal dib(GetClipboardData(CF_DIB)); dib.data()) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const DWORD colours = info->bmiHeader.biClrUsed         ? info->bmiHeader.biClrUsed
                          : info->bmiHeader.biBitCount <= 8 ? 1u << info->bmiHeader.biBitCount
                                                            : 0;
    const std::uint8_t* bits = dib.data() + info->bmiHeader.biSize + 4 * colours;
    formats += "| dib " + std::to_string(info->bmiHeader.biBitCount);
    ok = WritePixels(dir + "\\8.raw", w, h, [&](HDC dc, const RECT&) {
      return SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, bits, info, DIB_RGB_COLORS) == h;
    });
  }
  if (const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)))
    ok = ok && WritePixels(dir + "\\2.raw", w, h, [&](HDC dc, const RECT&) {
           base::MemoryDc mem(CreateCompatibleDC(dc));
           base::SelectGuard select(mem.get(), bitmap);
           return BitBlt(dc, 0, 0, w, h, mem.get(), 0, 0, SRCCOPY) != FALSE;
         });
  if (const auto emf = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)))
    ok = ok && WritePixels(dir + "\\14.raw", w, h, [&](HDC dc, const RECT& r) {
           return PlayEnhMetaFile(dc, emf, &r) != FALSE;
         });
  CloseClipboard();
  return ok && WriteAll(dir + "\\formats.txt", formats.data(), formats.size()) ? 0 : 1;
}

int Put(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bmp.size() <= sizeof(BITMAPFILEHEADER)) return 1;
  const std::size_t size = bmp.size() - sizeof(BITMAPFILEHEADER);
  base::GlobalMem dib(GlobalAlloc(GMEM_MOVEABLE, size));
  if (const base::LockedGlobal block(dib.get()); block.data())
    std::memcpy(block.data(), &bmp[sizeof(BITMAPFILEHEADER)], size);
  if (!OpenClipboard(nullptr)) return 1;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_DIB, dib.get()) != nullptr;
  if (ok) dib.release();
  CloseClipboard();
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "read" && argc == 5) return Read(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (command == "put" && argc == 3) return Put(argv[2]);
  std::fprintf(stderr, "usage: clipboard_peer read DIR WIDTH HEIGHT | put FILE.BMP\n");
  return 2;
}
