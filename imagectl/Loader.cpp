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

ImageInfo ResourceInfo(const tk::Picture& picture) {
  ImageInfo info;
  info.type = L"RES";
  info.width = picture.Width();
  info.height = picture.Height();
  info.detail = L"BMP";
  info.fileSize = DibFileSize(picture.AsBitmap());
  return info;
}

// An icon, metafile or message file: the picture's size and the file's length.
InfoQuery OwnFileInfo(const std::wstring& fileName, const std::wstring& key,
                      const tk::Picture& picture) {
  InfoQuery q;
  q.known = tk::FileExists(fileName);
  if (!q.known) {
    q.info = ImageInfo{L"ERR", -1, -1, -1, -1, -1, -1, L"ERR"};
    return q;
  }
  q.info.type = q.info.detail = key.substr(1);
  q.info.width = picture.Width();
  q.info.height = picture.Height();
  q.info.fileSize = FileLength(fileName);
  return q;
}

// The library's seven values, whatever it answers; the length is the file's.
InfoQuery LibraryInfo(const std::wstring& fileName) {
  codecs::ImageFileInfo answer;
  InfoQuery q;
  q.libraryResult = codecs::QueryFileInfo(fileName, answer);
  q.known = q.libraryResult > 0;
  q.info.type = answer.type;
  q.info.width = answer.width;
  q.info.height = answer.height;
  q.info.depthA = answer.depthA;
  q.info.depthB = answer.depthB;
  q.info.extra = answer.extra;
  q.info.detail = answer.detail;
  q.info.fileSize = FileLength(fileName);
  return q;
}

}  // namespace

BitmapRead ReadBitmap(const ReaderRow& row, const std::wstring& name, int resolution, int dither,
                      const std::wstring& resourceModule, HWND wnd) {
  BitmapRead r;
  if (row.reader == Reader::kResource) {
    r.read = codecs::ReadResourceBitmap(resourceModule, ResourceNameOf(name), wnd, r.bitmap);
  } else {
    r.libraryResult = codecs::DecodeFile(row.decoder, name, resolution, dither, r.bitmap);
    r.read = r.libraryResult > 0;
  }
  return r;
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
  const std::wstring key = tk::ExtensionKey(fileName);
  const ReaderRow* row = FindReaderRow(key);
  const Reader reader = row ? row->reader : Reader::kLibrary;
  switch (reader) {
    case Reader::kResource:
      return InfoQuery{ResourceInfo(picture), true, 1};
    case Reader::kToolkit:
    case Reader::kTicker:
    case Reader::kScroller:
      return OwnFileInfo(fileName, key, picture);
    case Reader::kLibrary:
      break;
  }
  // Every other key, known or not, is the decoding library's to describe.
  return LibraryInfo(fileName);
}

}  // namespace imagectl
