// Decoding for the variant suites under Wine: every picture goes through a
// file and RSTRIM32.DLL's ordinal entries, and the returned DIB section and
// palette are read back into the suites' bitmap type.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "DllEntries.h"
#include "rstrim/dll/Rstrim32Api.h"
#include "tests/native/codecs/TestSupport.h"
#include "base/Handles.h"

namespace testing_rstrim {
namespace {

// Copies a bottom-up or top-down DIB section and its palette into the bitmap.
bool ReadBack(HBITMAP bitmap, HPALETTE palette, rstrim::MemoryDib& out) {
  DIBSECTION ds{};
  if (GetObjectW(bitmap, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) return false;
  const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight, bpp = ds.dsBm.bmBitsPixel;
  if (!out.Allocate(w, h, bpp)) return false;
  if (palette) {
    // What GDI draws with is the section's own table: it must be the palette.
    const UINT n = GetPaletteEntries(palette, 0, 0, nullptr);
    std::vector<PALETTEENTRY> entries(n);
    GetPaletteEntries(palette, 0, n, entries.data());
    base::MemoryDc dc(CreateCompatibleDC(nullptr));
    base::SelectGuard select(dc.get(), bitmap);
    RGBQUAD table[256];
    const UINT inTable = GetDIBColorTable(dc.get(), 0, 256, table);
    std::vector<rstrim::Rgb> colours, drawn;
    for (UINT i = 0; i < n; ++i) {
      colours.push_back(rstrim::Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
      if (i < inTable)
        drawn.push_back(rstrim::Rgb{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue});
    }
    EXPECT_EQ(drawn, colours) << "the palette is not the section's table";
    out.SetPalette(colours.data(), static_cast<int>(colours.size()));
  }
  const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
  const size_t stride = static_cast<size_t>(ds.dsBm.bmWidthBytes);
  const bool bottomUp = ds.dsBmih.biHeight > 0;
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = bits + stride * static_cast<size_t>(bottomUp ? h - 1 - y : y);
    std::copy(src, src + std::min(stride, out.Stride()), out.Row(y));
  }
  return true;
}

}  // namespace

Decoded DecodeBytes(rstrim::Format format, const Bytes& data, int resolution, bool dither) {
  Decoded d;
  const std::string path = WriteTemp("via_dll.bin", data);
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;
  short r = rstrim::kGeneralFailure;
  const WORD ordinals[] = {0,  // by the order of rstrim::Format
                           rstrim::kOrdDecodeJpegFile,
                           rstrim::kOrdDecodePngFile,
                           rstrim::kOrdDecodeGifFile,
                           rstrim::kOrdDecodeTifFile,
                           rstrim::kOrdDecodeBmpFile,
                           rstrim::kOrdDecodePcxFile};
  const WORD ordinal = ordinals[static_cast<int>(format)];
  if (ordinal == rstrim::kOrdDecodeJpegFile) {
    r = Entry<rstrim::DecodeJpegFileFn>(ordinal)(path.c_str(), resolution, 1, dither ? 1 : 0,
                                                 &bitmap, &palette, 0, 0);
  } else if (ordinal) {
    r = Entry<rstrim::DecodeFileFn>(ordinal)(path.c_str(), resolution, dither ? 1 : 0, &bitmap,
                                             &palette, 0, 0);
  }
  base::Bitmap ownedBitmap(bitmap);
  base::Palette ownedPalette(palette);
  d.result = static_cast<rstrim::Result>(r);
  if (r > 0 && !ReadBack(bitmap, palette, d.bitmap)) d.result = rstrim::kGeneralFailure;
  std::remove(path.c_str());
  return d;
}

rstrim::Result Info(const Bytes& data, rstrim::ImageInfo* info) {
  const std::string path = WriteTemp("via_dll.bin", data);
  char type[rstrim::kTypeBufferSize] = {};
  char detail[rstrim::kDetailBufferSize] = {};
  short width = 0, height = 0, depthA = 0, depthB = 0, extra = 0;
  const short r = Entry<rstrim::QueryImageFileInfoFn>(rstrim::kOrdQueryImageFileInfo)(
      path.c_str(), type, &width, &height, &depthA, &depthB, &extra, detail, 0);
  std::remove(path.c_str());
  *info = rstrim::ImageInfo{type, width, height, depthA, depthB, extra, detail};
  return static_cast<rstrim::Result>(r);
}

}  // namespace testing_rstrim
