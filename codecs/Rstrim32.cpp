#include "codecs/Rstrim32.h"

#include <cstring>
#include <string>
#include <utility>

#include "codecs/dll/Rstrim32Api.h"
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

std::wstring Widen(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

// ANSI form of a name; false when a character has no exact ANSI equivalent.
// Best-fit characters are refused too: "ō" as "o" could name another file.
bool ToAnsi(const std::wstring& name, std::string& out) {
  out.clear();
  if (name.empty()) return true;
  const int length = static_cast<int>(name.size());
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), length, nullptr, 0,
                                    nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), length, out.data(), n, nullptr,
                      &lossy);
  return !lossy;
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

// Frees what a decoder returned unless the caller's bitmap object takes it.
struct ReturnedHandles {
  HBITMAP bitmap = nullptr;
  HPALETTE palette = nullptr;

  ReturnedHandles() = default;
  ReturnedHandles(const ReturnedHandles&) = delete;
  ReturnedHandles& operator=(const ReturnedHandles&) = delete;
  ~ReturnedHandles() {
    if (bitmap) DeleteObject(bitmap);
    if (palette) DeleteObject(palette);
  }
  // First the bitmap, then the palette; each owned by the object once handed.
  void HandTo(tk::BitmapObject& object) {
    tk::Palette pal(std::exchange(palette, nullptr));
    object.SetHandle(std::exchange(bitmap, nullptr));
    object.SetPalette(pal.release());
  }
};

// Runs one decoder entry: call(name, &bitmap, &palette) returns its result.
template <typename Fn, typename Call>
bool RunDecoder(WORD ordinal, const std::wstring& fileName, tk::BitmapObject& bitmap, Call call) {
  ReturnedHandles handles;
  short result = rstrim32::kGeneralFailure;
  char name[256];
  const Fn entry = Entry<Fn>(ordinal);
  if (!entry) {
    result = rstrim32::kGeneralFailure;
  } else {
    result = LibraryFileName(fileName, name);
    if (result > 0) result = call(entry, name, &handles.bitmap, &handles.palette);
  }
  handles.HandTo(bitmap);
  if (result > 0) return true;
  return ShowLibraryError(result);
}

template <typename Fn>
bool RunPlainDecoder(WORD ordinal, const std::wstring& fileName, int resolution, int dither,
                     tk::BitmapObject& bitmap) {
  return RunDecoder<Fn>(ordinal, fileName, bitmap,
                        [&](Fn entry, const char* name, HBITMAP* bmp, HPALETTE* pal) {
                          return entry(name, resolution, dither, bmp, pal, 0, 0);
                        });
}

}  // namespace

short LibraryFileName(const std::wstring& fileName, char (&buffer)[256]) {
  buffer[0] = '\0';
  std::string ansi;
  if (!ToAnsi(fileName, ansi)) {
    // A name outside the ANSI code page may still have an ANSI short form;
    // without one the library could open only some other file.
    const std::wstring shortName = ShortName(fileName);
    if (shortName.empty() || !ToAnsi(shortName, ansi)) return rstrim32::kFileNotFound;
  }
  if (ansi.size() > rstrim32::kMaxFileName) return rstrim32::kNameTooLong;
  if (ansi.find('\0') != std::string::npos) return rstrim32::kFileNotFound;
  std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
  return rstrim32::kOk;
}

bool DecodeJpegFile(const std::wstring& fileName, int resolution, int dither,
                    tk::BitmapObject& bitmap) {
  using Fn = rstrim32::DecodeJpegFileFn;
  return RunDecoder<Fn>(rstrim32::kOrdDecodeJpegFile, fileName, bitmap,
                        [&](Fn entry, const char* name, HBITMAP* bmp, HPALETTE* pal) {
                          // 1: the whole picture, not a reduced preview.
                          return entry(name, resolution, 1, dither, bmp, pal, 0, 0);
                        });
}

bool DecodeGifFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap) {
  return RunPlainDecoder<rstrim32::DecodeFileFn>(rstrim32::kOrdDecodeGifFile, fileName, resolution,
                                                 dither, bitmap);
}

bool DecodePcxFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap) {
  return RunPlainDecoder<rstrim32::DecodeFileFn>(rstrim32::kOrdDecodePcxFile, fileName, resolution,
                                                 dither, bitmap);
}

bool DecodeBmpFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap) {
  return RunPlainDecoder<rstrim32::DecodeFileFn>(rstrim32::kOrdDecodeBmpFile, fileName, resolution,
                                                 dither, bitmap);
}

bool DecodePngFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap) {
  return RunPlainDecoder<rstrim32::DecodeFileFn>(rstrim32::kOrdDecodePngFile, fileName, resolution,
                                                 dither, bitmap);
}

bool DecodeTifFile(const std::wstring& fileName, int resolution, int dither,
                   tk::BitmapObject& bitmap) {
  return RunPlainDecoder<rstrim32::DecodeFileFn>(rstrim32::kOrdDecodeTifFile, fileName, resolution,
                                                 dither, bitmap);
}

bool QueryImageFileInfo(const std::wstring& fileName, ImageFileInfo& info) {
  // Zeroed and terminated, so whatever the library leaves out reads as empty.
  char type[rstrim32::kTypeBufferSize] = {};
  char detail[rstrim32::kDetailBufferSize] = {};
  short width = 0, height = 0, depthA = 0, depthB = 0, extra = 0;
  short result = rstrim32::kGeneralFailure;
  char name[256];
  const auto entry = Entry<rstrim32::QueryImageFileInfoFn>(rstrim32::kOrdQueryImageFileInfo);
  if (!entry) {
    result = rstrim32::kGeneralFailure;
  } else {
    result = LibraryFileName(fileName, name);
    if (result > 0)
      result = entry(name, type, &width, &height, &depthA, &depthB, &extra, detail, 0);
  }
  type[sizeof type - 1] = '\0';
  detail[sizeof detail - 1] = '\0';
  info.type = Widen(type);
  info.width = width;
  info.height = height;
  info.depthA = depthA;
  info.depthB = depthB;
  info.extra = extra;
  info.detail = Widen(detail);
  if (result > 0) return true;
  return ShowLibraryError(result);
}

std::wstring LibraryErrorText(int result) {
  HMODULE module = GetModuleHandleA(kLibraryName);
  if (!module) return L"The picture library RSTRIM32.DLL could not be loaded.";
  char text[256] = {};
  if (LoadStringA(module, static_cast<WORD>(result), text, sizeof text) <= 0)
    return L"Error " + std::to_wstring(result) + L" in RSTRIM32.DLL.";
  return Widen(text);
}

bool ShowLibraryError(int result) {
  tk::MessageDlg(LibraryErrorText(result), tk::MsgKind::Error, tk::mbOK);
  return false;
}

}  // namespace codecs
