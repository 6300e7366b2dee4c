#include "toolkit/PictureReaders.h"

#include <cstring>
#include <utility>
#include <vector>

#include "toolkit/portable/IconParser.h"
#include "toolkit/portable/MetafileParser.h"
#include "toolkit/Graphics.h"

namespace tk {
namespace {

const char kBadIcon[] = "Symbol ist ungültig";
const char kBadMetafile[] = "Metadatei ist ungültig";

// The image the system itself picks for a 32 x 32 icon: its lookup works on a
// resource directory, so the file's directory is rewritten into one.
std::size_t ChooseIconImage(const std::vector<IconEntry>& images) {
  std::vector<std::uint8_t> dir(6 + 14 * images.size());
  dir[2] = 1;
  dir[4] = static_cast<std::uint8_t>(images.size() & 0xFF);
  dir[5] = static_cast<std::uint8_t>(images.size() >> 8);
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::uint8_t* d = dir.data() + 6 + 14 * i;
    const IconEntry& e = images[i];
    d[0] = static_cast<std::uint8_t>(e.width >= 256 ? 0 : e.width);
    d[1] = static_cast<std::uint8_t>(e.height >= 256 ? 0 : e.height);
    d[4] = 1;
    d[6] = static_cast<std::uint8_t>(e.bits);
    const std::uint32_t bytes = static_cast<std::uint32_t>(e.size);
    std::memcpy(d + 8, &bytes, 4);
    const std::uint16_t id = static_cast<std::uint16_t>(i + 1);
    std::memcpy(d + 12, &id, 2);
  }
  const int id = LookupIconIdFromDirectoryEx(dir.data(), TRUE, 32, 32, LR_DEFAULTCOLOR);
  if (id >= 1 && static_cast<std::size_t>(id) <= images.size())
    return static_cast<std::size_t>(id - 1);
  return 0;
}

// Pixels for a length in logical units of which unitsPerInch make an inch.
int ToPixels(int length, int unitsPerInch, int pixelsPerInch) {
  return MulDiv(length, pixelsPerInch, unitsPerInch);
}

Picture MetafilePicture(base::EnhMetaFile emf, int width, int height) {
  Picture picture;
  picture.SetMetafile(std::move(emf), width, height);
  return picture;
}

Picture FromWmf(const std::uint8_t* p, std::size_t size, const METAFILEPICT* pict, int width,
                int height) {
  base::WindowDc screen(nullptr);
  base::EnhMetaFile emf(SetWinMetaFileBits(static_cast<UINT>(size), p, screen.get(), pict));
  if (!emf) throw EInvalidGraphic(kBadMetafile);
  if (width <= 0 || height <= 0) {
    // No size in the file: the bounds of what it draws.
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h)) throw EInvalidGraphic(kBadMetafile);
    width = h.rclBounds.right - h.rclBounds.left + 1;
    height = h.rclBounds.bottom - h.rclBounds.top + 1;
    if (width <= 0 || height <= 0) throw EInvalidGraphic(kBadMetafile);
  }
  return MetafilePicture(std::move(emf), width, height);
}

// Sized by the placeable header's box.
Picture ReadPlaceable(const std::uint8_t* data, const Metafile& m) {
  const int width = ToPixels(m.boxWidth, m.unitsPerInch, ScreenPixelsPerInch(LOGPIXELSX));
  const int height = ToPixels(m.boxHeight, m.unitsPerInch, ScreenPixelsPerInch(LOGPIXELSY));
  METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(m.boxWidth, 2540, m.unitsPerInch),
                    MulDiv(m.boxHeight, 2540, m.unitsPerInch), nullptr};
  return FromWmf(data + m.offset, m.length, &pict, width, height);
}

Picture ReadPlainWmf(const std::uint8_t* data, const Metafile& m) {
  if (m.windowExtX > 0 && m.windowExtY > 0) {
    // The window extent in logical units, taken as screen pixels.
    const int dpiX = ScreenPixelsPerInch(LOGPIXELSX), dpiY = ScreenPixelsPerInch(LOGPIXELSY);
    METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(m.windowExtX, 2540, dpiX),
                      MulDiv(m.windowExtY, 2540, dpiY), nullptr};
    return FromWmf(data, m.length, &pict, m.windowExtX, m.windowExtY);
  }
  return FromWmf(data, m.length, nullptr, 0, 0);
}

// Sized by the frame (0.01 mm), else by the bounds (device units, inclusive).
Picture ReadEmf(const std::uint8_t* data, const Metafile& m) {
  const std::int64_t frameW = static_cast<std::int64_t>(m.frame[2]) - m.frame[0];
  const std::int64_t frameH = static_cast<std::int64_t>(m.frame[3]) - m.frame[1];
  int width = 0, height = 0;
  if (frameW > 0 && frameH > 0 && frameW < 0x7FFFFFFF && frameH < 0x7FFFFFFF) {
    width = ToPixels(static_cast<int>(frameW), 2540, ScreenPixelsPerInch(LOGPIXELSX));
    height = ToPixels(static_cast<int>(frameH), 2540, ScreenPixelsPerInch(LOGPIXELSY));
  }
  if (width <= 0 || height <= 0) {
    const std::int64_t bw = static_cast<std::int64_t>(m.bounds[2]) - m.bounds[0] + 1;
    const std::int64_t bh = static_cast<std::int64_t>(m.bounds[3]) - m.bounds[1] + 1;
    if (bw <= 0 || bh <= 0 || bw > 0x7FFFFFFF || bh > 0x7FFFFFFF)
      throw EInvalidGraphic(kBadMetafile);
    width = static_cast<int>(bw);
    height = static_cast<int>(bh);
  }
  base::EnhMetaFile emf(SetEnhMetaFileBits(static_cast<UINT>(m.length), data));
  if (!emf) throw EInvalidGraphic(kBadMetafile);
  return MetafilePicture(std::move(emf), width, height);
}

}  // namespace

Picture ReadIcon(const std::uint8_t* data, std::size_t size) {
  std::vector<IconEntry> images;
  if (!ParseIcon(data, size, images)) throw EInvalidGraphic(kBadIcon);
  const IconEntry& e = images[ChooseIconImage(images)];
  // The resource functions want a writable block of their own.
  std::vector<std::uint8_t> bits(data + e.offset, data + e.offset + e.size);
  base::Icon icon(CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE,
                                           0x00030000, e.width, e.height, LR_DEFAULTCOLOR));
  if (!icon) throw EInvalidGraphic(kBadIcon);
  Picture picture;
  picture.SetIcon(std::move(icon), e.width, e.height);
  return picture;
}

Picture ReadMetafile(const std::uint8_t* data, std::size_t size) {
  Metafile m;
  if (!ParseMetafile(data, size, m)) throw EInvalidGraphic(kBadMetafile);
  switch (m.kind) {
    case MetafileKind::kPlaceable:
      return ReadPlaceable(data, m);
    case MetafileKind::kEnhanced:
      return ReadEmf(data, m);
    case MetafileKind::kWindows:
      break;
  }
  return ReadPlainWmf(data, m);
}

}  // namespace tk
