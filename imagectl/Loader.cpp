#include "imagectl/Loader.h"

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/ResourceBitmap.h"
#include "toolkit/PictureReaders.h"
#include "toolkit/WholeFile.h"
#include "toolkit/portable/FileName.h"
#include "toolkit/FileExists.h"

namespace imagectl {
namespace {

// Files larger than this are not pictures the viewer means to read.
constexpr std::size_t kMaxPictureFile = 256u * 1024u * 1024u;

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

BitmapRead ReadLibraryBitmap(codecs::Decoder decoder, const std::wstring& name, int resolution,
                             int dither) {
  BitmapRead r;
  r.libraryResult = codecs::DecodeFile(decoder, name, resolution, dither, r.bitmap);
  r.read = r.libraryResult > 0;
  return r;
}

InfoQuery LibraryInfo(const std::wstring& fileName) {
  InfoQuery q;
  q.libraryResult = codecs::QueryFileInfo(fileName, q.info);
  q.known = q.libraryResult > 0;
  q.info.fileSize = FileLength(fileName);
  return q;
}

BitmapRead ReadResourceBitmap(const std::wstring& name, const std::wstring& resourceModule,
                              HWND wnd) {
  BitmapRead r;
  r.read = codecs::ReadResourceBitmap(resourceModule, ResourceNameOf(name), wnd, r.bitmap);
  return r;
}

InfoQuery ResourceInfo(const tk::Picture& picture) {
  InfoQuery q;
  q.known = true;
  q.info.type = L"RES";
  q.info.width = picture.Width();
  q.info.height = picture.Height();
  q.info.detail = L"BMP";
  q.info.fileSize = DibFileSize(picture.AsBitmap());
  return q;
}

InfoQuery OwnFileInfo(const std::wstring& fileName, const tk::Picture& picture) {
  InfoQuery q;
  q.known = tk::FileExists(fileName);
  if (!q.known) {
    q.info = codecs::ImageInfo{L"ERR", -1, -1, -1, -1, -1, -1, L"ERR"};
    return q;
  }
  q.info.type = q.info.detail = tk::ExtensionKey(fileName).substr(1);
  q.info.width = picture.Width();
  q.info.height = picture.Height();
  q.info.fileSize = FileLength(fileName);
  return q;
}

tk::Picture ReadToolkitPicture(const std::wstring& name) {
  // The toolkit's readers go by the whole extension, which the four
  // characters of a key may have cut: "X.ICON" is none of theirs.
  const std::wstring key = tk::ExtensionKey(name);
  if (name.size() - name.find_last_of(L'.') > key.size() ||
      (key != L".ICO" && key != L".WMF" && key != L".EMF"))
    throw tk::EInvalidGraphic("Unbekannte Erweiterung der Grafikdatei");
  const std::optional<std::string> bytes =
      tk::ReadWholeFileUpTo(name, kMaxPictureFile, FILE_SHARE_READ | FILE_SHARE_WRITE);
  // A file too large is a bad picture, not a failed read.
  if (!bytes) throw tk::EInvalidGraphic("Grafikdatei ist zu groß");
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
  return key == L".ICO" ? tk::ReadIcon(data, bytes->size()) : tk::ReadMetafile(data, bytes->size());
}

InfoQuery QueryImageInfo(const std::wstring& fileName, const tk::Picture& picture) {
  const FileType* type = FindFileType(tk::ExtensionKey(fileName));
  switch (type ? type->reader : Reader::kLibrary) {
    case Reader::kResource:
      return ResourceInfo(picture);
    case Reader::kToolkit:
    case Reader::kTicker:
    case Reader::kScroller:
      return OwnFileInfo(fileName, picture);
    case Reader::kNone:
    case Reader::kLibrary:
      break;
  }
  return LibraryInfo(fileName);
}

}  // namespace imagectl
