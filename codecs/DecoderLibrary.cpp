#include "codecs/DecoderLibrary.h"

#include <cstring>
#include <optional>
#include <string>

#include "toolkit/CodePages.h"
#include "base/Handles.h"
#include "toolkit/Services.h"

namespace codecs {

const char kLibraryName[] = "RSTRIM32.DLL";

namespace {

// Loaded on first use and kept for the life of the process, as a load-time
// import would be; a missing library is looked for again on the next call.
HMODULE LibraryModule() {
  static HMODULE module = nullptr;
  if (!module) module = LoadLibraryA(kLibraryName);
  return module;
}

template <typename Fn>
Fn Entry(WORD ordinal) {
  HMODULE module = LibraryModule();
  if (!module) return nullptr;
  // Through void*: the entry's real type is only known to us, not to GetProcAddress.
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

// The short form of an existing file's name; empty when there is none.
std::wstring ShortName(const std::wstring& name) {
  const DWORD n = GetShortPathNameW(name.c_str(), nullptr, 0);
  if (n == 0) return std::wstring();
  std::wstring shortName(n, L'\0');
  const DWORD got = GetShortPathNameW(name.c_str(), shortName.data(), n);
  if (got == 0 || got >= n) return std::wstring();
  shortName.resize(got);
  return shortName;
}

// The entry is resolved before the name is looked at: loading the library
// is what lets a refused name be told with the library's own text.
short CallDecoder(Decoder decoder, const std::wstring& fileName, int resolution, int dither,
                  HBITMAP* bitmap, HPALETTE* palette) {
  const auto ordinal = static_cast<WORD>(decoder);
  const bool jpeg = decoder == Decoder::kJpeg;
  const auto jpegEntry = jpeg ? Entry<rstrim::DecodeJpegFileFn>(ordinal) : nullptr;
  const auto entry = jpeg ? nullptr : Entry<rstrim::DecodeFileFn>(ordinal);
  if (!jpegEntry && !entry) return rstrim::kGeneralFailure;
  char name[256];
  const short named = LibraryFileName(fileName, name);
  if (named <= 0) return named;
  // 1: the whole picture, not a reduced preview.
  return jpeg ? jpegEntry(name, resolution, 1, dither, bitmap, palette, 0, 0)
              : entry(name, resolution, dither, bitmap, palette, 0, 0);
}

}  // namespace

short LibraryFileName(const std::wstring& fileName, char (&buffer)[256]) {
  buffer[0] = '\0';
  std::optional<std::string> ansi = tk::ToAnsiExact(fileName);
  if (!ansi) {
    // A name outside the ANSI code page may still have an ANSI short form;
    // without one the library could open only some other file.
    const std::wstring shortName = ShortName(fileName);
    if (shortName.empty() || !(ansi = tk::ToAnsiExact(shortName))) return rstrim::kFileNotFound;
  }
  if (ansi->size() > rstrim::kMaxFileName) return rstrim::kNameTooLong;
  if (ansi->find('\0') != std::string::npos) return rstrim::kFileNotFound;
  std::memcpy(buffer, ansi->c_str(), ansi->size() + 1);
  return rstrim::kOk;
}

short DecodeFile(Decoder decoder, const std::wstring& fileName, int resolution, int dither,
                 tk::BitmapObject& bitmap) {
  HBITMAP returned = nullptr;
  HPALETTE palette = nullptr;
  const short result = CallDecoder(decoder, fileName, resolution, dither, &returned, &palette);
  bitmap.SetHandles(base::Bitmap(returned), base::Palette(palette));
  return result;
}

short QueryFileInfo(const std::wstring& fileName, ImageInfo& info) {
  // Zeroed and terminated, so whatever the library leaves out reads as empty.
  char type[rstrim::kTypeBufferSize] = {};
  char detail[rstrim::kDetailBufferSize] = {};
  short width = 0, height = 0, depthA = 0, depthB = 0, extra = 0;
  short result = rstrim::kGeneralFailure;
  char name[256];
  if (const auto entry = Entry<rstrim::QueryImageFileInfoFn>(rstrim::kOrdQueryImageFileInfo)) {
    result = LibraryFileName(fileName, name);
    if (result > 0)
      result = entry(name, type, &width, &height, &depthA, &depthB, &extra, detail, 0);
  }
  type[sizeof type - 1] = '\0';
  detail[sizeof detail - 1] = '\0';
  info.type = tk::FromAnsi(type);
  info.width = width;
  info.height = height;
  info.depthA = depthA;
  info.depthB = depthB;
  info.extra = extra;
  info.detail = tk::FromAnsi(detail);
  return result;
}

bool IsMemoryFailure(short result) {
  return result == rstrim::kTooLarge || result == rstrim::kOutOfMemory;
}

std::wstring LibraryErrorText(int result) {
  HMODULE module = GetModuleHandleA(kLibraryName);
  if (!module) return L"The picture library RSTRIM32.DLL could not be loaded.";
  char text[256] = {};
  if (LoadStringA(module, static_cast<WORD>(result), text, sizeof text) <= 0)
    return L"Error " + std::to_wstring(result) + L" in RSTRIM32.DLL.";
  return tk::FromAnsi(text);
}

bool ShowLibraryError(int result) {
  tk::MessageDlg(LibraryErrorText(result), tk::MsgKind::Error, tk::mbOK);
  return false;
}

}  // namespace codecs
