// The program's side of RSTRIM32.DLL: each entry imported by ordinal on first
// use. Like the library, this layer reports by result code (above 0: success;
// rstrim/core/ResultCodes.h) and shows nothing; ShowLibraryError is the one
// function here that shows the library's text for a failure.
#pragma once
#include <windows.h>

#include <string>

#include "rstrim/dll/Rstrim32Api.h"
#include "toolkit/Picture.h"

namespace codecs {

// The library's module name; its string resources hold the error texts.
extern const char kLibraryName[];  // "RSTRIM32.DLL"

// The library's decoders, each by the ordinal of its entry.
enum class Decoder : WORD {
  kJpeg = rstrim::kOrdDecodeJpegFile,
  kGif = rstrim::kOrdDecodeGifFile,
  kPcx = rstrim::kOrdDecodePcxFile,
  kBmp = rstrim::kOrdDecodeBmpFile,
  kPng = rstrim::kOrdDecodePngFile,
  kTif = rstrim::kOrdDecodeTifFile,
};

// Decodes the file at resolution bits per pixel (0, 1, 4, 8 or 24), dithered
// when dither is 1. Whatever the result, bitmap takes both returned handles,
// the bitmap and then the palette (none on failure). Returns the library's result.
short DecodeFile(Decoder decoder, const std::wstring& fileName, int resolution, int dither,
                 tk::BitmapObject& bitmap);

// The picture information, as the library's information entry reports it
// and as the image control keeps it for the status line. The control fills
// it for the pictures it reads itself, and the file's length for all.
struct ImageInfo {
  std::wstring type;  // at most 5 characters
  int width = 0;
  int height = 0;
  int depthA = 0;  // depthA * depthB = bits per pixel; 0 when no depth is reported
  int depthB = 0;
  int extra = 0;        // images or pages
  int fileSize = 0;     // not the library's: the loader measures the file
  std::wstring detail;  // at most 25 characters
};

// Fills the library's fields of info with whatever it wrote, also on failure;
// returns its result.
short QueryFileInfo(const std::wstring& fileName, ImageInfo& info);

// Whether a result says that the picture's bitmap cannot be had: too large
// to be allocated, or the allocation failed.
bool IsMemoryFailure(short result);

// The library's text for a result of 0 or below.
std::wstring LibraryErrorText(int result);

// Shows LibraryErrorText in an error box; returns false.
bool ShowLibraryError(int result);

// The name as the library takes it: ANSI, into a buffer of 256 bytes. A name
// the ANSI code page cannot spell exactly goes by its short form. Answers the
// library's result code: kOk; kFileNotFound when there is no exact ANSI form,
// as the library answers a file it cannot open; kNameTooLong when the name
// does not fit, for such a name is refused, never cut.
short LibraryFileName(const std::wstring& fileName, char (&buffer)[256]);

}  // namespace codecs
