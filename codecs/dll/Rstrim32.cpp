// The exported entries of RSTRIM32.DLL: thin adapters from the Win32 calling
// convention and handles to the portable decoding core.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "codecs/core/Rstrim.h"
#include "codecs/dll/DibTarget.h"
#include "codecs/dll/Rstrim32Api.h"

namespace rstrim32 {

constexpr bool Same(Result a, rstrim::Result b) {
  return static_cast<int>(a) == static_cast<int>(b);
}
static_assert(Same(kOk, rstrim::kOk) && Same(kGeneralFailure, rstrim::kGeneralFailure) &&
                  Same(kFileNotFound, rstrim::kFileNotFound) &&
                  Same(kNotThisFormat, rstrim::kNotThisFormat) &&
                  Same(kDamaged, rstrim::kDamaged) && Same(kUnsupported, rstrim::kUnsupported) &&
                  Same(kTooLarge, rstrim::kTooLarge) && Same(kNameTooLong, rstrim::kNameTooLong) &&
                  Same(kOutOfMemory, rstrim::kOutOfMemory) &&
                  Same(kReadError, rstrim::kReadError) &&
                  Same(kBadArgument, rstrim::kBadArgument) &&
                  Same(kBitmapFailure, rstrim::kBitmapFailure) && rstrim::kLowestResult == -10,
              "the public codes are the core's codes");

namespace {

struct PaletteDeleter {
  void operator()(HPALETTE p) const { DeleteObject(p); }
};
using PalettePtr = std::unique_ptr<std::remove_pointer_t<HPALETTE>, PaletteDeleter>;

// Colours of a palette handed in by the caller; empty when it is not a palette.
std::vector<rstrim::Rgb> PaletteColours(HPALETTE palette) {
  std::vector<rstrim::Rgb> colours;
  if (palette == nullptr || GetObjectType(palette) != OBJ_PAL) return colours;
  WORD count = 0;
  if (GetObjectW(palette, sizeof count, &count) == 0 || count == 0) return colours;
  std::vector<PALETTEENTRY> entries(std::min<WORD>(count, 256));
  const UINT got = GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  for (UINT i = 0; i < got; ++i)
    colours.push_back(rstrim::Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
  return colours;
}

HPALETTE MakePalette(const std::vector<rstrim::Rgb>& colours) {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } log{};
  log.version = 0x300;
  log.count = static_cast<WORD>(std::min<size_t>(colours.size(), 256));
  for (WORD i = 0; i < log.count; ++i) {
    log.entries[i] = PALETTEENTRY{colours[i].r, colours[i].g, colours[i].b, 0};
  }
  return CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
}

short Decode(rstrim::Format format, const char* fileName, LONG resolution, LONG dither,
             HBITMAP* bitmap, HPALETTE* palette, int jpegScale) {
  if (bitmap == nullptr || palette == nullptr) return kBadArgument;
  *bitmap = nullptr;
  try {
    rstrim::DecodeOptions options;
    options.resolution = resolution;
    options.dither = dither != 0;
    options.jpegScale = jpegScale;
    HPALETTE given = *palette;
    // Code 0 always means the VGA colours; only 1..8 bits take the caller's palette.
    if (resolution > 0 && resolution < 9) options.fixedPalette = PaletteColours(given);
    const bool useGiven = !options.fixedPalette.empty();

    DibTarget target;
    const rstrim::Result r = rstrim::DecodeFile(format, fileName, options, target);
    if (r != rstrim::kOk) return r;
    if (target.Bpp() <= 8) {
      if (!target.PaletteApplied()) return kBitmapFailure;
      if (!useGiven) {
        PalettePtr made(MakePalette(target.Palette()));
        if (!made) return kBitmapFailure;
        *palette = made.release();
      }
    }
    *bitmap = target.Release();
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

}  // namespace rstrim32

using rstrim::Format;
using rstrim32::Decode;

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
  rstrim32::CopyText(type, rstrim32::kTypeBufferSize, info.type);
  rstrim32::CopyText(detail, rstrim32::kDetailBufferSize, info.detail);
  rstrim32::SetShort(width, info.width);
  rstrim32::SetShort(height, info.height);
  rstrim32::SetShort(depthA, info.depthA);
  rstrim32::SetShort(depthB, info.depthB);
  rstrim32::SetShort(extra, info.count);
  return r;
}

short WINAPI DecodeJpegFile(const char* fileName, LONG resolution, LONG scale, LONG dither,
                            HBITMAP* bitmap, HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kJpeg, fileName, resolution, dither, bitmap, palette,
                static_cast<int>(scale));
}

short WINAPI DecodeGifFile(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap,
                           HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kGif, fileName, resolution, dither, bitmap, palette, 1);
}

short WINAPI DecodePcxFile(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap,
                           HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kPcx, fileName, resolution, dither, bitmap, palette, 1);
}

short WINAPI DecodeBmpFile(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap,
                           HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kBmp, fileName, resolution, dither, bitmap, palette, 1);
}

short WINAPI DecodePngFile(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap,
                           HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kPng, fileName, resolution, dither, bitmap, palette, 1);
}

short WINAPI DecodeTifFile(const char* fileName, LONG resolution, LONG dither, HBITMAP* bitmap,
                           HPALETTE* palette, LONG, LONG) {
  return Decode(Format::kTiff, fileName, resolution, dither, bitmap, palette, 1);
}

}  // extern "C"
