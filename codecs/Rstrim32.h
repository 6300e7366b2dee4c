// The program's side of RSTRIM32.DLL: one wrapper per entry, each importing
// its entry by ordinal. A decoder's wrapper hands both returned handles to the
// caller's bitmap object whatever the result (bitmap first, then palette); a
// result of 0 or below shows the library's own text for it in an error box.
#pragma once
#include <windows.h>

#include <string>

#include "toolkit/Picture.h"

namespace codecs {

// The library's module name; its string resources hold the error texts.
extern const char kLibraryName[];  // "RSTRIM32.DLL"

// Decoders: resolution is the bits per pixel wanted (0, 1, 4, 8 or 24),
// dither 1 or 0. True when the library reports success.
bool DecodeJpegFile(const std::wstring& fileName, int resolution, int dither,
                    tk::BitmapObject& bitmap);
bool DecodeGifFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap);
bool DecodePcxFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap);
bool DecodeBmpFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap);
bool DecodePngFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap);
bool DecodeTifFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap);

// What the information entry reports about a file.
struct ImageFileInfo {
  std::wstring type;  // at most 5 characters
  short width = 0;
  short height = 0;
  short depthA = 0;  // depthA * depthB = bits per pixel
  short depthB = 0;
  short extra = 0;
  std::wstring detail;  // at most 25 characters
};

// Fills info with whatever the library wrote, also on failure.
bool QueryImageFileInfo(const std::wstring& fileName, ImageFileInfo& info);

// The library's text for a result of 0 or below in an error box; false.
bool ShowLibraryError(int result);

// The text ShowLibraryError shows for a result.
std::wstring LibraryErrorText(int result);

// The name as the library takes it: ANSI, into a buffer of 256 bytes. A name
// the ANSI code page cannot spell exactly goes by its short form. Answers the
// library's result code: kOk; kFileNotFound when there is no exact ANSI form,
// as the library answers a file it cannot open; kNameTooLong when the name
// does not fit, for such a name is refused, never cut.
short LibraryFileName(const std::wstring& fileName, char (&buffer)[256]);

}  // namespace codecs
