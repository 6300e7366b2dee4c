#include "imagectl/Readers.h"

#include "codecs/Rstrim32.h"
#include "toolkit/Handles.h"
#include "util/portable/PathUtil.h"

namespace imagectl {

int ResolutionCode(TLoadResolution resolution, int screenBits) {
  switch (resolution) {
    case lColorVga:
      return 0;
    case lMonoChrome:
      return 1;
    case lColor16:
      return 4;
    case lColor256:
      return 8;
    case lColorTrue:
      return 24;
    case lAutoMatic:
      break;
  }
  if (screenBits <= 4) return 4;
  if (screenBits < 16) return 8;
  return 24;
}

int DisplayBitsPerPixel(HWND wnd) {
  tk::WindowDc dc(wnd);
  return dc.get() ? GetDeviceCaps(dc.get(), BITSPIXEL) : 0;
}

const ReaderRow kReaderTable[kReaderCount] = {
    {L".BMP", codecs::DecodeBmpFile, L"Reading bmp file failed"},
    {L".THB", codecs::DecodeBmpFile, L"Reading bmp file failed"},
    {L".THJ", codecs::DecodeJpegFile, L"Reading jpg file failed"},
    {L".RES", nullptr, L"Reading resource file failed"},
    {L".PNG", codecs::DecodePngFile, L"Reading png file failed"},
    {L".GIF", codecs::DecodeGifFile, L"Reading gif file failed"},
    {L".TIF", codecs::DecodeTifFile, L"Reading tif file failed"},
    {L".PCX", codecs::DecodePcxFile, L"Reading pcx file failed"},
    {L".JPG", codecs::DecodeJpegFile, L"Reading jpg file failed"},
};

const ReaderRow* FindReaderRow(const std::wstring& key) {
  for (const ReaderRow& row : kReaderTable)
    if (key == row.key) return &row;
  return nullptr;
}

std::wstring ResourceNameOf(const std::wstring& storedName) {
  std::wstring name = util::FileNamePart(storedName).substr(0, 64);
  const auto dot = name.find(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

int FileLength(const std::wstring& name) {
  // Shared for reading, writing and deleting: measuring must not get in the
  // way of a program that is writing or replacing the file.
  tk::File f(CreateFileW(name.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!f || !GetFileSizeEx(f.get(), &size)) return -1;
  return size.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size.QuadPart);
}

}  // namespace imagectl
