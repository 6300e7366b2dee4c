// The file types the control loads: which reader an extension key picks, and
// the pieces the loader builds on: the resolution code, the resource name of
// a .RES name, and the file length of the loader and the moving text.
#pragma once
#include <windows.h>

#include <string>

#include "codecs/DecoderLibrary.h"
#include "imagectl/Enumerations.h"

namespace imagectl {

enum class Reader {
  kNone,      // a key without a type: nothing is read
  kLibrary,   // a decoder of the decoding library
  kResource,  // a bitmap resource of an already-loaded module; needs no file
  kToolkit,   // the toolkit's icon or metafile reader
  kTicker,    // the .SCM message file
  kScroller,  // the .CMS message file
};

struct FileType {
  const wchar_t* key;
  Reader reader;
  codecs::Decoder decoder;  // kLibrary types
  const wchar_t* failure;   // kLibrary and kResource types: shown when the read fails
};

// The type of an extension key, or null: a key without a type reads nothing.
const FileType* FindFileType(const std::wstring& key);

// Bits per pixel asked of the decoders; screenBits (the display's bits per
// pixel) decides for lAutoMatic: up to 4 gives 4, 5 to 15 gives 8, else 24.
int ResolutionCode(TLoadResolution resolution, int screenBits);

// Bits per pixel of the window's display device context (the screen's when
// the window has none yet).
int DisplayBitsPerPixel(HWND wnd);

// C:\ANY\MY.LOGO.RES -> MY: the last path component, at most 64 characters,
// cut before its first dot.
std::wstring ResourceNameOf(const std::wstring& storedName);

// The file's length, opened for reading without locking anyone out; -1 when
// it cannot be opened. Lengths beyond 32 bits are reported as 2^31 - 1.
int FileLength(const std::wstring& name);

}  // namespace imagectl
