// RSTRIM32.DLL as the program sees it: entries imported by ordinal only (the
// DLL exports no names), all __stdcall, results signed 16-bit (Result.h:
// above 0 success; 0 and below an error whose text is the DLL's string
// resource with the identifier (WORD)result). Load the module with
// LoadLibraryA("RSTRIM32.DLL") and resolve each entry with
// GetProcAddress(module, MAKEINTRESOURCEA(ordinal)).
#pragma once

#include <windows.h>

#include "rstrim/core/Result.h"

namespace rstrim {

enum Ordinal : WORD {
  kOrdQueryImageFileInfo = 1,
  kOrdDecodeJpegFile = 5,
  kOrdDecodeGifFile = 7,
  kOrdDecodePcxFile = 8,
  kOrdDecodeBmpFile = 15,
  kOrdDecodePngFile = 17,
  kOrdDecodeTifFile = 25,
};

// File names are zero-terminated ANSI text of at most kMaxFileName (255)
// characters; longer names are refused with kNameTooLong, never cut.
constexpr size_t kTypeBufferSize = 6;     // type text, at most 5 characters
constexpr size_t kDetailBufferSize = 26;  // detail text, at most 25 characters

// Ordinal 1. Reads only the headers. On failure type is "ERR", the numbers 0
// and the detail text empty. Width and height are upright (EXIF/TIFF
// orientation applied) and capped at 32767; depthA * depthB is the bits per
// pixel; extra is the number of images or pages.
using QueryImageFileInfoFn = short(WINAPI*)(const char* fileName, char* type, short* width,
                                            short* height, short* depthA, short* depthB,
                                            short* extra, char* detail, LONG reserved);

// Resolution: 24, 8, 4 or 1 bits per pixel, or 0 for 4 bits with the 16
// standard VGA colours. 2..3 give 4, 5..7 give 8, above 8 give 24; below 0 is
// kBadArgument. Dither: 1 = Floyd-Steinberg diffusion when colours must be
// reduced, 0 = nearest colour.
// *bitmap receives a DIB section (bottom-up) owned by the caller from then on.
// *palette: if it holds a palette on entry and the output has a palette, the
// picture is mapped onto that palette's colours and the same handle is given
// back; otherwise a new palette (owned by the caller) comes back for 1/4/8-bit
// output, and *palette is left unchanged for 24-bit output. On failure no
// handle is returned (*bitmap is 0 and *palette unchanged).
// The reserved arguments are ignored (pass 0).

// Ordinal 5. scale: 1 = full size; 2, 4 or 8 decode at 1/2, 1/4 or 1/8 size
// (other values count as 1).
using DecodeJpegFileFn = short(WINAPI*)(const char* fileName, LONG resolution, LONG scale,
                                        LONG dither, HBITMAP* bitmap, HPALETTE* palette,
                                        LONG reserved1, LONG reserved2);

// Ordinals 7 (GIF), 8 (PCX), 15 (BMP), 17 (PNG), 25 (TIFF).
using DecodeFileFn = short(WINAPI*)(const char* fileName, LONG resolution, LONG dither,
                                    HBITMAP* bitmap, HPALETTE* palette, LONG reserved1,
                                    LONG reserved2);

}  // namespace rstrim
