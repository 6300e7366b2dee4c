// Loading by file name and the picture-information query of TPMultiImage.
// The icon and metafile branch is complete; the decoding library's readers,
// the bitmap resources and the message files join the reader table here.
#include <cstdint>

#include "imagectl/TMultiP.h"
#include "util/Support.h"
#include "util/portable/PathUtil.h"

namespace {

const wchar_t kFileNotFound[] = L"file not found";
const wchar_t kNonLibraryImage[] = L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

// The file's length, opened for reading only; -1 when it cannot be opened.
int FileLength(const std::wstring& name) {
  tk::File f(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!f || !GetFileSizeEx(f.get(), &size)) return -1;
  return size.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size.QuadPart);
}

// Size of the bitmap in device-independent form: header, colour table and rows.
int DibFileSize(const tk::BitmapObject& bitmap) {
  if (bitmap.Empty()) return 40;
  int d = bitmap.BitsPerPixel();
  if (d == 16 || d == 32) d = 24;
  std::int64_t size = 40;
  if (d != 24 && d < 31) size += 4 * (std::int64_t{1} << d);
  size += static_cast<std::int64_t>(bitmap.Height()) *
          ((static_cast<std::int64_t>(bitmap.Width()) * d + 31) / 32) * 4;
  return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
}

}  // namespace

std::wstring TPMultiImage::GetImageName() {
  const std::wstring key = util::ExtensionKey(imageName_);
  if (key != L".RES" && (imageName_.empty() || !util::FileExists(imageName_))) {
    picture_.Clear();  // a running ticker is not stopped
    statusText_ = kFileNotFound;
    return statusText_;
  }
  if (key == L".WMF" || key == L".ICO") {
    // Not protected: a reader error goes to whoever wrote or read ImageName.
    StopTicker();
    picture_.LoadFromFile(imageName_);
    statusText_ = kNonLibraryImage;
    ReadImageInfo(imageName_);
    return statusText_;
  }
  // The other readers (decoding library, bitmap resources, message files) come
  // here; until then the picture stays as it is.
  statusText_ = util::UpperAscii(imageName_);
  return statusText_;
}

bool TPMultiImage::ReadImageInfo(const std::wstring& fileName) {
  const std::wstring key = util::ExtensionKey(fileName);
  if (key == L".RES") {
    const tk::BitmapObject bitmap = picture_.AsBitmap();
    imageType_ = L"RES";
    imageWidth_ = picture_.Width();
    imageHeight_ = picture_.Height();
    imageDepthA_ = imageDepthB_ = imageExtra_ = 0;
    imageDetail_ = L"BMP";
    imageFileSize_ = DibFileSize(bitmap);
    return true;
  }
  if (key == L".WMF" || key == L".ICO" || key == L".SCM" || key == L".CMS") {
    if (util::FileExists(fileName)) {
      imageType_ = imageDetail_ = key.substr(1);
      imageWidth_ = picture_.Width();
      imageHeight_ = picture_.Height();
      imageDepthA_ = imageDepthB_ = imageExtra_ = 0;
      imageFileSize_ = FileLength(fileName);
      return true;
    }
    imageType_ = imageDetail_ = L"ERR";
    imageWidth_ = imageHeight_ = imageDepthA_ = imageDepthB_ = imageExtra_ = imageFileSize_ = -1;
    return false;
  }
  // The decoding library's information query answers here; without it the
  // query reports nothing and fails.
  imageType_.clear();
  imageDetail_.clear();
  imageWidth_ = imageHeight_ = imageDepthA_ = imageDepthB_ = imageExtra_ = 0;
  imageFileSize_ = FileLength(fileName);
  return false;
}
