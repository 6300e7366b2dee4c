// Loading by file name and the picture-information query of TPMultiImage. The
// extension key picks the reader: the toolkit's own for icons and metafiles,
// the decoding library or the program's bitmap resources through the reader
// table (Readers.cpp), the message files in their own branch.
#include <cstdint>
#include <exception>

#include "codecs/ResourceBitmap.h"
#include "codecs/Rstrim32.h"
#include "imagectl/Readers.h"
#include "imagectl/TMultiP.h"
#include "toolkit/Services.h"
#include "util/Support.h"
#include "util/portable/PathUtil.h"

namespace {

const wchar_t kFileNotFound[] = L"file not found";
const wchar_t kNonLibraryImage[] = L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

// Size of the bitmap in device-independent form: header, colour table and rows.
// An empty bitmap has depth 0: the header and a one-entry table.
int DibFileSize(const tk::BitmapObject& bitmap) {
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
  const int resolution =
      imagectl::ResolutionCode(imageReadRes_, imagectl::DisplayBitsPerPixel(HandleIfCreated()));
  const int dither = imageDither_ ? 1 : 0;

  if (key == L".WMF" || key == L".ICO") {
    // Not protected: a reader error goes to whoever wrote or read ImageName.
    StopTicker();
    picture_.LoadFromFile(imageName_);
    statusText_ = kNonLibraryImage;
    ReadImageInfo(imageName_);
    return statusText_;
  }
  if (key == L".SCM" || key == L".CMS") ReadMessageFile(key);

  // At design time a name already shown is not read again.
  const bool shown = designing_ && util::UpperAscii(imageName_) == statusText_;
  if (!shown) ReadWithRow(key, resolution, dither);

  statusText_ = util::UpperAscii(imageName_);
  return statusText_;
}

void TPMultiImage::ReadMessageFile(const std::wstring& key) {
  try {
    StopTicker();
    if (key == L".SCM")
      LoadTickerFile(imageName_);
    else
      LoadScrollerFile(imageName_);
  } catch (const std::exception&) {
    // A broken or hostile message file ends the load quietly.
    picture_.Clear();
    return;
  }
  ReadImageInfo(imageName_);
}

void TPMultiImage::ReadWithRow(const std::wstring& key, int resolution, int dither) {
  const imagectl::ReaderRow* row = imagectl::FindReaderRow(key);
  if (!row) return;  // no reader for this key: the picture stays, no message
  tk::BitmapObject temp;
  try {
    StopTicker();
    const bool read =
        row->decode ? row->decode(imageName_, resolution, dither, temp)
                    : codecs::ReadResourceBitmap(
                          resourceModule_, imagectl::ResourceNameOf(imageName_), Handle(), temp);
    if (!read) tk::MessageDlg(row->failure, tk::MsgKind::Information, tk::mbOK);
  } catch (const std::exception&) {
    // The load ends silently; the information fields keep their values.
    picture_.Clear();
    temp.Clear();
    return;
  }
  picture_.Assign(temp);
  temp.Clear();
  ReadImageInfo(imageName_);
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
      imageFileSize_ = imagectl::FileLength(fileName);
      return true;
    }
    imageType_ = imageDetail_ = L"ERR";
    imageWidth_ = imageHeight_ = imageDepthA_ = imageDepthB_ = imageExtra_ = imageFileSize_ = -1;
    return false;
  }
  // Every other key, known or not, is the decoding library's to describe; its
  // values are taken whatever it answers.
  codecs::ImageFileInfo info;
  const bool known = codecs::QueryImageFileInfo(fileName, info);
  imageType_ = info.type;
  imageWidth_ = info.width;
  imageHeight_ = info.height;
  imageDepthA_ = info.depthA;
  imageDepthB_ = info.depthB;
  imageExtra_ = info.extra;
  imageDetail_ = info.detail;
  imageFileSize_ = imagectl::FileLength(fileName);
  return known;
}
