// The loader's pieces that do not need the control: the resolution code, the
// reader table, the resource name of a .RES name and the file length.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "imagectl/TMultiP.h"
#include "toolkit/Picture.h"

namespace imagectl {

// Bits per pixel asked of the decoders; screenBits (the display's bits per
// pixel) decides for lAutoMatic: up to 4 gives 4, 5 to 15 gives 8, else 24.
int ResolutionCode(TLoadResolution resolution, int screenBits);

// Bits per pixel of the window's display device context (the screen's when
// the window has none yet).
int DisplayBitsPerPixel(HWND wnd);

using FileDecoder = bool (*)(const std::wstring& fileName, int resolution, int dither,
                             tk::BitmapObject& bitmap);

// One row of the reader table; decode is null for the bitmap-resource row.
struct ReaderRow {
  const wchar_t* key;
  FileDecoder decode;
  const wchar_t* failure;  // shown when the reader returns false
};

constexpr std::size_t kReaderCount = 9;
extern const ReaderRow kReaderTable[kReaderCount];

// The first row for the extension key, or null.
const ReaderRow* FindReaderRow(const std::wstring& key);

// C:\ANY\MY.LOGO.RES -> MY: the last path component, at most 64 characters,
// cut before its first dot.
std::wstring ResourceNameOf(const std::wstring& storedName);

// The file's length, opened for reading without locking anyone out; -1 when
// it cannot be opened. Lengths beyond 32 bits are reported as 2^31 - 1.
int FileLength(const std::wstring& name);

}  // namespace imagectl
