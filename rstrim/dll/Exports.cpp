// The exported entries of RSTRIM32.DLL: thin adapters from the Win32 calling
// convention and handles to the portable decoding core. Every failure is a
// result code; nothing escapes an entry.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "rstrim/core/Rstrim.h"
#include "rstrim/dll/DibSection.h"
#include "rstrim/dll/Rstrim32Api.h"
#include "base/Handles.h"

namespace rstrim {
namespace {

// The largest bitmap the library hands out: GDI keeps a section's size in a
// signed 32-bit number. That holds a 300-megapixel photo at 24 bits (900 MB);
// a larger bitmap is refused before anything is allocated, in both builds alike.
constexpr size_t kMaxSectionBytes = 0x7FFFFFFF;

// Colours of a palette handed in by the caller; empty when it is not a palette.
std::vector<Rgb> PaletteColours(HPALETTE palette) {
  std::vector<Rgb> colours;
  if (palette == nullptr || GetObjectType(palette) != OBJ_PAL) return colours;
  WORD count = 0;
  if (GetObjectW(palette, sizeof count, &count) == 0 || count == 0) return colours;
  std::vector<PALETTEENTRY> entries(std::min<WORD>(count, 256));
  const UINT got = GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  for (UINT i = 0; i < got; ++i)
    colours.push_back(Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
  return colours;
}

short DecodeEntry(Format format, const char* fileName, LONG resolution, LONG dither,
                  HBITMAP* bitmap, HPALETTE* palette, int jpegScale) {
  if (bitmap == nullptr || palette == nullptr) return kBadArgument;
  *bitmap = nullptr;
  try {
    DecodeOptions options;
    options.resolution = resolution;
    options.dither = dither != 0;
    options.jpegScale = jpegScale;
    options.maxBitmapBytes = kMaxSectionBytes;
    // Code 0 always means the VGA colours; only 1..8 bits take the caller's palette.
    if (resolution > 0 && resolution < 9) options.fixedPalette = PaletteColours(*palette);
    const bool useGiven = !options.fixedPalette.empty();

    DibSection target;
    const Result r = DecodeFile(format, fileName, options, target);
    if (r != kOk) return r;
    if (target.Bpp() <= 8) {
      if (!target.PaletteApplied()) return kBitmapFailure;
      if (!useGiven) {
        base::Palette made = base::MakePalette(target.Palette());
        if (!made) return kBitmapFailure;
        *palette = made.release();
      }
    }
    *bitmap = target.Release().release();
    return kOk;
  } catch (...) {
    return kGeneralFailure;
  }
}

void CopyText(char* dst, size_t size, const std::string& text) {
  if (dst == nullptr) return;
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
}

void SetShort(short* dst, int v) {
  if (dst != nullptr) *dst = static_cast<short>(std::clamp(v, -32768, 32767));
}

}  // namespace
}  // namespace rstrim

using rstrim::DecodeEntry;
using rstrim::Format;

extern "C" {

short WINAPI QueryImageFileInfo(const char* fileName, char* type, short* width, short* height,
                                short* depthA, short* depthB, short* extra, char* detail, LONG) {
  rstrim::ImageInfo info;
  short r;
  try {
    r = rstrim::QueryFileInfo(fileName, &info);
  } catch (...) {
    r = rstrim::kGeneralFailure;
  }
  if (r != rstrim::kOk) info = rstrim::ImageInfo{}, info.type = "ERR";
  rstrim::CopyText(type, rstrim::kTypeBufferSize, info.type);
  rstrim::CopyText(detail, rstrim::kDetailBufferSize, info.detail);
  rstrim::SetShort(width, info.width);
  rstrim::SetShort(height, info.height);
  rstrim::SetShort(depthA, info.depthA);
  rstrim::SetShort(depthB, info.depthB);
  rstrim::SetShort(extra, info.count);
  return r;
}

short WINAPI DecodeJpegFile(const char* fileName, LONG resolution, LONG scale, LONG dither,
                            HBITMAP* bitmap, HPALETTE* palette, LONG, LONG) {
  return DecodeEntry(Format::kJpeg, fileName, resolution, dither, bitmap, palette,
                     static_cast<int>(scale));
}

// The other decoders differ only in their format.
#define RSTRIM_DECODER(entry, format)                                                     \
  short WINAPI entry(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap, \
                     HPALETTE* palette, LONG, LONG) {                                     \
    return DecodeEntry(Format::format, fileName, resolution, dither, bitmap, palette, 1); \
  }
RSTRIM_DECODER(DecodeGifFile, kGif)
RSTRIM_DECODER(DecodePcxFile, kPcx)
RSTRIM_DECODER(DecodeBmpFile, kBmp)
RSTRIM_DECODER(DecodePngFile, kPng)
RSTRIM_DECODER(DecodeTifFile, kTiff)
#undef RSTRIM_DECODER

}  // extern "C"
