#include "imagectl/FileTypes.h"

#include <algorithm>

#include "base/Handles.h"
#include "toolkit/portable/FileName.h"

namespace imagectl {
namespace {

using codecs::Decoder;

// Every key the loader reads: the decoding library's and the resource types
// in the order the loader tries them, then the toolkit's and the message files.
const FileType kFileTypes[] = {
    {L".BMP", Reader::kLibrary, Decoder::kBmp, L"Reading bmp file failed"},
    {L".THB", Reader::kLibrary, Decoder::kBmp, L"Reading bmp file failed"},
    {L".THJ", Reader::kLibrary, Decoder::kJpeg, L"Reading jpg file failed"},
    {L".RES", Reader::kResource, Decoder{}, L"Reading resource file failed"},
    {L".PNG", Reader::kLibrary, Decoder::kPng, L"Reading png file failed"},
    {L".GIF", Reader::kLibrary, Decoder::kGif, L"Reading gif file failed"},
    {L".TIF", Reader::kLibrary, Decoder::kTif, L"Reading tif file failed"},
    {L".PCX", Reader::kLibrary, Decoder::kPcx, L"Reading pcx file failed"},
    {L".JPG", Reader::kLibrary, Decoder::kJpeg, L"Reading jpg file failed"},
    {L".WMF", Reader::kToolkit, Decoder{}, nullptr},
    {L".ICO", Reader::kToolkit, Decoder{}, nullptr},
    {L".SCM", Reader::kTicker, Decoder{}, nullptr},
    {L".CMS", Reader::kScroller, Decoder{}, nullptr},
};

}  // namespace

const FileType* FindFileType(const std::wstring& key) {
  const auto* type = std::find_if(std::begin(kFileTypes), std::end(kFileTypes),
                                  [&](const FileType& t) { return key == t.key; });
  return type == std::end(kFileTypes) ? nullptr : type;
}

int ResolutionCode(TLoadResolution resolution, int screenBits) {
  switch (resolution) {
    case TLoadResolution::lColorVga:
      return 0;
    case TLoadResolution::lMonoChrome:
      return 1;
    case TLoadResolution::lColor16:
      return 4;
    case TLoadResolution::lColor256:
      return 8;
    case TLoadResolution::lColorTrue:
      return 24;
    case TLoadResolution::lAutoMatic:
      break;
  }
  if (screenBits <= 4) return 4;
  if (screenBits < 16) return 8;
  return 24;
}

int DisplayBitsPerPixel(HWND wnd) {
  base::WindowDc dc(wnd);
  return dc.get() ? GetDeviceCaps(dc.get(), BITSPIXEL) : 0;
}

std::wstring ResourceNameOf(const std::wstring& storedName) {
  std::wstring name = tk::FileNamePart(storedName).substr(0, 64);
  const auto dot = name.find(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

int FileLength(const std::wstring& name) {
  // Shared for reading, writing and deleting: measuring must not get in the
  // way of a program that is writing or replacing the file.
  base::File f(CreateFileW(name.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!f || !GetFileSizeEx(f.get(), &size)) return -1;
  return size.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size.QuadPart);
}

}  // namespace imagectl
