#include "toolkit/Picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/StdCtrls.h"

namespace tk {
namespace {

long g_liveImages = 0;

// Files larger than this are not pictures the viewer means to read.
constexpr std::size_t kMaxPictureFile = 256u * 1024u * 1024u;
// Icons larger than this are not icons.
constexpr int kMaxIconSide = 1024;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }
std::uint32_t U32BigEndian(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

[[noreturn]] void Invalid(const char* what) { throw EInvalidGraphic(what); }

const char kBadIcon[] = "Symbol ist ungültig";
const char kBadMetafile[] = "Metadatei ist ungültig";

int ScreenPixelsPerInch(int index) {
  WindowDc screen(nullptr);
  const int v = screen.get() ? GetDeviceCaps(screen.get(), index) : 0;
  return v > 0 ? v : 96;
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& fileName) {
  File f(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw EInOutError("Datei kann nicht geöffnet werden");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f.get(), &size)) throw EInOutError("Lesefehler");
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxPictureFile)
    Invalid("Grafikdatei ist zu groß");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
    if (!ReadFile(f.get(), data.data() + done, want, &got, nullptr))
      throw EInOutError("Lesefehler");
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  data.resize(done);
  return data;
}

// Bytes a DIB described by the header at p needs (header, colour table and
// bits), or 0 when the header is not a sound DIB header. avail bounds the header.
std::uint64_t DibSize(const std::uint8_t* p, std::size_t avail, int heightDivisor = 1) {
  if (avail < 12) return 0;
  const std::uint32_t headerSize = U32(p);
  std::int64_t width = 0, height = 0;
  unsigned bits = 0, planes = 0;
  std::uint32_t compression = BI_RGB, clrUsed = 0, sizeImage = 0;
  std::uint64_t entrySize = 4;
  if (headerSize == 12) {
    width = U16(p + 4);
    height = U16(p + 6);
    planes = U16(p + 8);
    bits = U16(p + 10);
    entrySize = 3;
  } else if (headerSize >= 40 && headerSize <= avail && headerSize <= 124) {
    width = S32(p + 4);
    height = S32(p + 8);
    planes = U16(p + 12);
    bits = U16(p + 14);
    compression = U32(p + 16);
    sizeImage = U32(p + 20);
    clrUsed = U32(p + 32);
  } else {
    return 0;
  }
  if (headerSize > avail) return 0;
  if (height < 0) height = -height;
  height /= heightDivisor;
  if (planes != 1 || width <= 0 || height <= 0 || width > 65535 || height > 65535) return 0;
  std::uint64_t colours = 0;
  switch (bits) {
    case 1:
    case 4:
    case 8:
      colours = clrUsed ? clrUsed : (1u << bits);
      if (colours > (1u << bits)) return 0;
      break;
    case 16:
    case 24:
    case 32:
      colours = clrUsed;
      if (colours > 256) return 0;
      break;
    default:
      return 0;
  }
  std::uint64_t masks = 0;
  std::uint64_t bitsSize = 0;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  switch (compression) {
    case BI_RGB:
      bitsSize = stride * static_cast<std::uint64_t>(height);
      break;
    case BI_BITFIELDS:
      if (bits != 16 && bits != 32) return 0;
      if (headerSize == 40) masks = 12;
      bitsSize = stride * static_cast<std::uint64_t>(height);
      break;
    case BI_RLE8:
    case BI_RLE4:
      if ((compression == BI_RLE8 && bits != 8) || (compression == BI_RLE4 && bits != 4)) return 0;
      if (sizeImage == 0) return 0;
      bitsSize = sizeImage;
      break;
    default:
      return 0;
  }
  return headerSize + masks + colours * entrySize + bitsSize;
}

// ---- icons ---------------------------------------------------------------

struct IconEntry {
  std::size_t offset = 0;
  std::size_t size = 0;
  int width = 0;
  int height = 0;
  int bits = 0;
};

bool CheckIconImage(const std::uint8_t* p, std::size_t size, IconEntry& e) {
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(p, kPng, 8) == 0) {
    if (size < 8 + 8 + 13 + 4 || std::memcmp(p + 12, "IHDR", 4) != 0) return false;
    const std::uint32_t w = U32BigEndian(p + 16), h = U32BigEndian(p + 20);
    if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide) return false;
    e.width = static_cast<int>(w);
    e.height = static_cast<int>(h);
    e.bits = 32;
    return true;
  }
  if (size < 40 || U32(p) < 40) return false;
  const std::int32_t w = S32(p + 4), h2 = S32(p + 8);
  if (w <= 0 || h2 < 2 || w > kMaxIconSide || h2 > 2 * kMaxIconSide) return false;
  const std::uint64_t xorPart = DibSize(p, size, 2);
  if (!xorPart) return false;
  const std::uint64_t andStride = ((static_cast<std::uint64_t>(w) + 31) / 32) * 4;
  if (xorPart + andStride * static_cast<std::uint64_t>(h2 / 2) > size) return false;
  e.width = w;
  e.height = h2 / 2;
  e.bits = U16(p + 14);
  return true;
}

// The image the system itself picks for a 32 x 32 icon: its lookup works on a
// resource directory, so the file's directory is rewritten into one.
std::size_t ChooseIconEntry(const std::vector<IconEntry>& entries) {
  std::vector<std::uint8_t> dir(6 + 14 * entries.size());
  dir[2] = 1;
  dir[4] = static_cast<std::uint8_t>(entries.size() & 0xFF);
  dir[5] = static_cast<std::uint8_t>(entries.size() >> 8);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::uint8_t* d = dir.data() + 6 + 14 * i;
    const IconEntry& e = entries[i];
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
  if (id >= 1 && static_cast<std::size_t>(id) <= entries.size())
    return static_cast<std::size_t>(id - 1);
  return 0;
}

// ---- metafiles -------------------------------------------------------------

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t kEmfSignature = 0x464D4520u;  // " EMF"

// Records whose length is given by counts inside them, checked against the
// record; fixed-size records are followed by at least the end record, so a
// short one never reads outside the data.
bool CheckWmfRecord(std::uint16_t function, const std::uint8_t* param, std::size_t words) {
  auto w = [&](std::size_t i) -> std::size_t { return i < words ? U16(param + 2 * i) : 0; };
  auto dibAt = [&](std::size_t at) {
    if (words <= at) return false;
    const std::uint64_t need = DibSize(param + 2 * at, 2 * (words - at));
    return need != 0 && need <= 2 * (words - at);
  };
  switch (function) {
    case 0x0324:  // META_POLYGON
    case 0x0325:  // META_POLYLINE
      return words >= 1 && 1 + 2 * w(0) <= words;
    case 0x0538: {  // META_POLYPOLYGON
      if (words < 1) return false;
      const std::size_t polys = w(0);
      if (1 + polys > words) return false;
      std::size_t points = 0;
      for (std::size_t i = 0; i < polys; ++i) points += w(1 + i);
      return 1 + polys + 2 * points <= words;
    }
    case 0x00F7:  // META_CREATEPALETTE
    case 0x0037:  // META_SETPALENTRIES
    case 0x0436:  // META_ANIMATEPALETTE
      return words >= 2 && 2 + 2 * w(1) <= words;
    case 0x0521:  // META_TEXTOUT
      return words >= 1 && 1 + (w(0) + 1) / 2 + 2 <= words;
    case 0x0A32: {  // META_EXTTEXTOUT
      if (words < 4) return false;
      const std::size_t rect = (w(3) & (ETO_CLIPPED | ETO_OPAQUE)) ? 4 : 0;
      return 4 + rect + (w(2) + 1) / 2 <= words;
    }
    case 0x0626:  // META_ESCAPE
      return words >= 2 && 2 + (w(1) + 1) / 2 <= words;
    case 0x02FB:  // META_CREATEFONTINDIRECT
      return words >= 9;
    case 0x0940:  // META_DIBBITBLT
      return words <= 9 || dibAt(8);
    case 0x0B41:  // META_DIBSTRETCHBLT
      return words <= 11 || dibAt(10);
    case 0x0F43:  // META_STRETCHDIB
      return dibAt(11);
    case 0x0D33:  // META_SETDIBTODEV
      return dibAt(9);
    case 0x0142:  // META_DIBCREATEPATTERNBRUSH
      return dibAt(2);
    case 0x01F9:  // META_CREATEPATTERNBRUSH (device-dependent, obsolete)
    case 0x0922:  // META_BITBLT
    case 0x0B23:  // META_STRETCHBLT
      return false;
    case 0x06FF: {  // META_CREATEREGION
      if (words < 11) return false;
      std::size_t at = 11;
      for (std::size_t band = 0; band < w(5); ++band) {
        if (at >= words) return false;
        const std::size_t count = w(at);
        if (count % 2 || at + count + 3 >= words) return false;
        at += count + 4;
      }
      return true;
    }
    default:
      return true;
  }
}

// Checks a standard metafile (header and every record); answers its length in
// bytes and the window extent it sets, if any.
std::size_t CheckWmf(const std::uint8_t* p, std::size_t size, SIZE& windowExt) {
  windowExt = SIZE{0, 0};
  if (size < 18) Invalid(kBadMetafile);
  const std::uint16_t type = U16(p), headerWords = U16(p + 2), version = U16(p + 4);
  const std::uint64_t total = static_cast<std::uint64_t>(U32(p + 6)) * 2;
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300))
    Invalid(kBadMetafile);
  if (total < 18 + 6 || total > size) Invalid(kBadMetafile);
  std::size_t at = 18;
  while (true) {
    if (at + 6 > total) Invalid(kBadMetafile);
    const std::uint64_t bytes = static_cast<std::uint64_t>(U32(p + at)) * 2;
    const std::uint16_t function = U16(p + at + 4);
    if (bytes < 6 || bytes > total - at) Invalid(kBadMetafile);
    if (function == 0) return static_cast<std::size_t>(at + bytes);  // META_EOF
    const std::uint8_t* param = p + at + 6;
    const std::size_t words = static_cast<std::size_t>((bytes - 6) / 2);
    if (!CheckWmfRecord(function, param, words)) Invalid(kBadMetafile);
    if (function == 0x020C && words >= 2) {  // META_SETWINDOWEXT: y, x
      windowExt.cy = std::abs(static_cast<int>(S16(param)));
      windowExt.cx = std::abs(static_cast<int>(S16(param + 2)));
    }
    at += static_cast<std::size_t>(bytes);
  }
}

bool InRecord(std::uint64_t off, std::uint64_t len, std::uint64_t recordSize) {
  return off <= recordSize && len <= recordSize - off;
}

// Variable-length parts of the enhanced records that carry counts or offsets.
bool CheckEmfRecord(std::uint32_t type, const std::uint8_t* r, std::uint32_t n) {
  auto u = [&](std::uint32_t at) -> std::uint32_t {
    return at + 4 <= n ? U32(r + at) : 0xFFFFFFFFu;
  };
  auto bitmapAt = [&](std::uint32_t offBmi, std::uint32_t offBits) {
    const std::uint32_t bmi = u(offBmi), cbBmi = u(offBmi + 4), bits = u(offBits),
                        cbBits = u(offBits + 4);
    if (cbBmi == 0) return true;  // no source bitmap
    if (!InRecord(bmi, cbBmi, n) || !InRecord(bits, cbBits, n)) return false;
    const std::uint64_t need = DibSize(r + bmi, cbBmi);
    return need && need <= static_cast<std::uint64_t>(cbBmi) + cbBits;
  };
  switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
      return n >= 28 && InRecord(28, static_cast<std::uint64_t>(u(24)) * 8, n);
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
      return n >= 28 && InRecord(28, static_cast<std::uint64_t>(u(24)) * 4, n);
    case EMR_POLYDRAW:
      return n >= 28 && InRecord(28, static_cast<std::uint64_t>(u(24)) * 9, n);
    case EMR_POLYDRAW16:
      return n >= 28 && InRecord(28, static_cast<std::uint64_t>(u(24)) * 5, n);
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
      if (n < 32) return false;
      const std::uint64_t polys = u(24), points = u(28);
      const std::uint64_t pointSize = (type == EMR_POLYPOLYLINE || type == EMR_POLYPOLYGON) ? 8 : 4;
      if (!InRecord(32, polys * 4 + points * pointSize, n)) return false;
      std::uint64_t sum = 0;
      for (std::uint64_t i = 0; i < polys; ++i) sum += U32(r + 32 + 4 * i);
      return sum <= points;
    }
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
      if (n < 76) return false;
      const std::uint64_t chars = u(44), offString = u(48), offDx = u(72);
      const std::uint64_t charSize = type == EMR_EXTTEXTOUTW ? 2 : 1;
      if (!InRecord(offString, chars * charSize, n)) return false;
      return offDx == 0 || InRecord(offDx, chars * 4, n);
    }
    case EMR_CREATEPALETTE:
      return n >= 16 && InRecord(16, static_cast<std::uint64_t>(U16(r + 14)) * 4, n);
    case EMR_SETPALETTEENTRIES:
      return n >= 20 && InRecord(20, static_cast<std::uint64_t>(u(16)) * 4, n);
    case EMR_EXTSELECTCLIPRGN:
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN: {
      // Size of the region data, and where it starts.
      const std::uint32_t at = type == EMR_EXTSELECTCLIPRGN ? 8 : 24;
      const std::uint32_t dataAt = type == EMR_EXTSELECTCLIPRGN ? 16
                                   : type == EMR_FRAMERGN       ? 40
                                   : type == EMR_FILLRGN        ? 32
                                                                : 28;
      const std::uint32_t cb = u(at);
      if (cb == 0) return true;
      if (!InRecord(dataAt, cb, n) || cb < 32) return false;
      const std::uint8_t* rgn = r + dataAt;  // RGNDATAHEADER then rectangles
      const std::uint64_t rects = U32(rgn + 8);
      return U32(rgn) >= 32 && InRecord(U32(rgn), rects * 16, cb);
    }
    case EMR_BITBLT:
      return n < 100 || bitmapAt(84, 92);
    case EMR_STRETCHBLT:
      return n < 108 || bitmapAt(84, 92);
    case EMR_MASKBLT:
      return n >= 128 && bitmapAt(84, 92) && bitmapAt(112, 120);
    case EMR_PLGBLT:
      return n >= 140 && bitmapAt(96, 104) && bitmapAt(124, 132);
    case EMR_SETDIBITSTODEVICE:
      return n >= 76 && bitmapAt(48, 56);
    case EMR_STRETCHDIBITS:
      return n >= 80 && bitmapAt(48, 56);
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
      return n >= 32 && bitmapAt(16, 24);
    case EMR_EXTCREATEPEN:
      return n >= 52 && bitmapAt(12, 20) && InRecord(52, static_cast<std::uint64_t>(u(48)) * 4, n);
    case EMR_GDICOMMENT:
      return n >= 12 && InRecord(12, u(8), n);
    case EMR_EOF:
      return n >= 20 && (u(8) == 0 || InRecord(u(12), static_cast<std::uint64_t>(u(8)) * 4, n));
    default:
      return true;
  }
}

void CheckEmf(const std::uint8_t* p, std::size_t size) {
  if (size < 88) Invalid(kBadMetafile);
  const std::uint32_t headerSize = U32(p + 4), bytes = U32(p + 48);
  if (U32(p) != EMR_HEADER || U32(p + 40) != kEmfSignature) Invalid(kBadMetafile);
  if (headerSize < 88 || headerSize % 4 || bytes > size || headerSize > bytes || bytes % 4)
    Invalid(kBadMetafile);
  const std::uint32_t descChars = U32(p + 60), descAt = U32(p + 64);
  if (descChars && !InRecord(descAt, static_cast<std::uint64_t>(descChars) * 2, headerSize))
    Invalid(kBadMetafile);
  std::uint32_t at = headerSize;
  while (true) {
    if (bytes - at < 8) Invalid(kBadMetafile);
    const std::uint32_t type = U32(p + at), n = U32(p + at + 4);
    if (n < 8 || n % 4 || n > bytes - at) Invalid(kBadMetafile);
    if (type == EMR_HEADER || !CheckEmfRecord(type, p + at, n)) Invalid(kBadMetafile);
    if (type == EMR_EOF) return;
    at += n;
  }
}

// Pixels for a length in logical units of which unitsPerInch make an inch.
int ToPixels(int length, int unitsPerInch, int pixelsPerInch) {
  return MulDiv(length, pixelsPerInch, unitsPerInch);
}

std::shared_ptr<const MetafileImage> FromWmf(const std::uint8_t* p, std::size_t size,
                                             const METAFILEPICT* pict, int width, int height) {
  WindowDc screen(nullptr);
  EnhMetaFile emf(SetWinMetaFileBits(static_cast<UINT>(size), p, screen.get(), pict));
  if (!emf) Invalid(kBadMetafile);
  if (width <= 0 || height <= 0) {
    // No size in the file: the bounds of what it draws.
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h)) Invalid(kBadMetafile);
    width = h.rclBounds.right - h.rclBounds.left + 1;
    height = h.rclBounds.bottom - h.rclBounds.top + 1;
    if (width <= 0 || height <= 0) Invalid(kBadMetafile);
  }
  return std::make_shared<MetafileImage>(std::move(emf), width, height);
}

std::shared_ptr<const MetafileImage> ReadPlaceable(const std::uint8_t* p, std::size_t size) {
  if (size < 22) Invalid(kBadMetafile);
  const int left = S16(p + 6), top = S16(p + 8), right = S16(p + 10), bottom = S16(p + 12);
  const int inch = U16(p + 14);
  const int w = std::abs(right - left), h = std::abs(bottom - top);
  if (inch == 0 || w == 0 || h == 0) Invalid(kBadMetafile);
  SIZE ext;
  const std::size_t length = CheckWmf(p + 22, size - 22, ext);
  const int width = ToPixels(w, inch, ScreenPixelsPerInch(LOGPIXELSX));
  const int height = ToPixels(h, inch, ScreenPixelsPerInch(LOGPIXELSY));
  METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(w, 2540, inch), MulDiv(h, 2540, inch), nullptr};
  return FromWmf(p + 22, length, &pict, width, height);
}

std::shared_ptr<const MetafileImage> ReadPlainWmf(const std::uint8_t* p, std::size_t size) {
  SIZE ext;
  const std::size_t length = CheckWmf(p, size, ext);
  if (ext.cx > 0 && ext.cy > 0) {
    // The window extent in logical units, taken as screen pixels.
    const int dpiX = ScreenPixelsPerInch(LOGPIXELSX), dpiY = ScreenPixelsPerInch(LOGPIXELSY);
    METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(ext.cx, 2540, dpiX), MulDiv(ext.cy, 2540, dpiY),
                      nullptr};
    return FromWmf(p, length, &pict, ext.cx, ext.cy);
  }
  return FromWmf(p, length, nullptr, 0, 0);
}

std::shared_ptr<const MetafileImage> ReadEmf(const std::uint8_t* p, std::size_t size) {
  CheckEmf(p, size);
  const std::uint32_t bytes = U32(p + 48);
  // rclBounds (device units, inclusive) at 8, rclFrame (0.01 mm, inclusive) at 24.
  const std::int64_t frameW = static_cast<std::int64_t>(S32(p + 32)) - S32(p + 24);
  const std::int64_t frameH = static_cast<std::int64_t>(S32(p + 36)) - S32(p + 28);
  int width = 0, height = 0;
  if (frameW > 0 && frameH > 0 && frameW < 0x7FFFFFFF && frameH < 0x7FFFFFFF) {
    width = ToPixels(static_cast<int>(frameW), 2540, ScreenPixelsPerInch(LOGPIXELSX));
    height = ToPixels(static_cast<int>(frameH), 2540, ScreenPixelsPerInch(LOGPIXELSY));
  }
  if (width <= 0 || height <= 0) {
    const std::int64_t bw = static_cast<std::int64_t>(S32(p + 16)) - S32(p + 8) + 1;
    const std::int64_t bh = static_cast<std::int64_t>(S32(p + 20)) - S32(p + 12) + 1;
    if (bw <= 0 || bh <= 0 || bw > 0x7FFFFFFF || bh > 0x7FFFFFFF) Invalid(kBadMetafile);
    width = static_cast<int>(bw);
    height = static_cast<int>(bh);
  }
  EnhMetaFile emf(SetEnhMetaFileBits(bytes, p));
  if (!emf) Invalid(kBadMetafile);
  return std::make_shared<MetafileImage>(std::move(emf), width, height);
}

std::wstring UpperExtension(const std::wstring& fileName) {
  const std::size_t slash = fileName.find_last_of(L"\\/:");
  const std::size_t dot = fileName.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
  std::wstring ext = fileName.substr(dot);
  for (wchar_t& c : ext)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return ext;
}

}  // namespace

EOutOfResources::EOutOfResources() : std::runtime_error("Systemressourcen erschöpft.") {}

SharedImage::SharedImage() { ++g_liveImages; }
SharedImage::~SharedImage() { --g_liveImages; }
long SharedImage::LiveCount() { return g_liveImages; }

// ---- bitmaps ----------------------------------------------------------------

BitmapImage::BitmapImage(Bitmap bitmap, Palette palette)
    : bitmap_(std::move(bitmap)), palette_(std::move(palette)) {
  BITMAP bm{};
  if (bitmap_ && GetObjectW(bitmap_.get(), sizeof(bm), &bm)) {
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    bitsPerPixel_ = bm.bmPlanes * bm.bmBitsPixel;
  }
}

Bitmap CopyBitmap(HBITMAP bitmap) {
  if (!bitmap) return Bitmap();
  DIBSECTION ds{};
  const bool dib = GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(ds);
  Bitmap copy(
      static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, dib ? LR_CREATEDIBSECTION : 0)));
  if (!copy) throw EOutOfResources();
  return copy;
}

Palette CopyPalette(HPALETTE palette) {
  if (!palette) return Palette();
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * std::max(count, 1u));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(palette, 0, count, lp->palPalEntry);
  Palette copy(CreatePalette(lp));
  if (!copy) throw EOutOfResources();
  return copy;
}

void BitmapObject::SetHandle(HBITMAP bitmap) {
  if (bitmap && bitmap == Handle()) return;
  Bitmap owned(bitmap);
  Palette palette;
  if (image_ && image_.use_count() == 1)
    palette = std::move(const_cast<BitmapImage&>(*image_).palette_);  // made non-const by us
  else if (image_)
    palette = CopyPalette(image_->PaletteHandle());
  image_ = std::make_shared<BitmapImage>(std::move(owned), std::move(palette));
}

void BitmapObject::SetPalette(HPALETTE palette) {
  if (palette && palette == PaletteHandle()) return;
  Palette owned(palette);
  Bitmap bitmap;
  if (image_ && image_.use_count() == 1)
    bitmap = std::move(const_cast<BitmapImage&>(*image_).bitmap_);  // made non-const by us
  else if (image_)
    bitmap = CopyBitmap(image_->Handle());
  image_ = std::make_shared<BitmapImage>(std::move(bitmap), std::move(owned));
}

void BitmapObject::SetHandles(HBITMAP bitmap, HPALETTE palette) {
  Bitmap b(bitmap);
  Palette p(palette);
  if (image_ && image_.use_count() == 1) {
    // Handles we already own must not get a second owner.
    auto& img = const_cast<BitmapImage&>(*image_);
    if (bitmap && bitmap == img.bitmap_.get()) img.bitmap_.release();
    if (palette && palette == img.palette_.get()) img.palette_.release();
  }
  image_ = std::make_shared<BitmapImage>(std::move(b), std::move(p));
}

void BitmapObject::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    image_.reset();
    return;
  }
  WindowDc screen(nullptr);
  Bitmap b(CreateCompatibleBitmap(screen.get(), width, height));
  if (!b) throw EOutOfResources();
  image_ = std::make_shared<BitmapImage>(std::move(b), Palette());
}

HBITMAP BitmapObject::MutableHandle() {
  if (image_ && image_.use_count() > 1)
    image_ = std::make_shared<BitmapImage>(CopyBitmap(image_->Handle()),
                                           CopyPalette(image_->PaletteHandle()));
  return Handle();
}

IconImage::IconImage(Icon icon, int width, int height)
    : icon_(std::move(icon)), width_(width), height_(height) {}

MetafileImage::MetafileImage(EnhMetaFile metafile, int width, int height)
    : metafile_(std::move(metafile)), width_(width), height_(height) {}

// ---- readers ------------------------------------------------------------------

std::shared_ptr<const IconImage> ReadIcon(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) Invalid(kBadIcon);
  const std::size_t count = U16(data + 4);
  if (count == 0 || 6 + 16 * count > size) Invalid(kBadIcon);
  std::vector<IconEntry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* d = data + 6 + 16 * i;
    IconEntry e;
    e.size = U32(d + 8);
    e.offset = U32(d + 12);
    if (e.offset > size || e.size > size - e.offset || e.size == 0) continue;
    if (CheckIconImage(data + e.offset, e.size, e)) entries.push_back(e);
  }
  if (entries.empty()) Invalid(kBadIcon);
  const IconEntry& e = entries[ChooseIconEntry(entries)];
  // The resource functions want a writable block of their own.
  std::vector<std::uint8_t> bits(data + e.offset, data + e.offset + e.size);
  Icon icon(CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000,
                                     e.width, e.height, LR_DEFAULTCOLOR));
  if (!icon) Invalid(kBadIcon);
  return std::make_shared<IconImage>(std::move(icon), e.width, e.height);
}

std::shared_ptr<const MetafileImage> ReadMetafile(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 4) Invalid(kBadMetafile);
  if (U32(data) == kPlaceableKey) return ReadPlaceable(data, size);
  if (U32(data) == EMR_HEADER) return ReadEmf(data, size);
  return ReadPlainWmf(data, size);
}

// ---- the picture -----------------------------------------------------------------

void Picture::Replace(Content c) {
  content_ = std::move(c);
  if (OnChange) OnChange(*this);
}

void Picture::Assign(const Picture& o) {
  if (&o == this) return;
  Replace(o.content_);
}

void Picture::Assign(const BitmapObject& b) {
  Content c;
  c.kind = GraphicKind::BitmapGraphic;
  c.bitmap = b.Image() ? b.Image() : std::make_shared<BitmapImage>(Bitmap(), Palette());
  Replace(std::move(c));
}

void Picture::SetIcon(Icon icon, int width, int height) {
  Content c;
  c.kind = GraphicKind::IconGraphic;
  c.icon = std::make_shared<IconImage>(std::move(icon), width, height);
  Replace(std::move(c));
}

void Picture::SetMetafile(EnhMetaFile metafile, int width, int height) {
  Content c;
  c.kind = GraphicKind::MetafileGraphic;
  c.metafile = std::make_shared<MetafileImage>(std::move(metafile), width, height);
  Replace(std::move(c));
}

void Picture::Clear() { Replace(Content()); }

bool Picture::Empty() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return !content_.bitmap->Handle();
    case GraphicKind::IconGraphic:
      return !content_.icon->Handle();
    case GraphicKind::MetafileGraphic:
      return !content_.metafile->Handle();
    case GraphicKind::None:
      break;
  }
  return true;
}

int Picture::Width() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap->Width();
    case GraphicKind::IconGraphic:
      return content_.icon->Width();
    case GraphicKind::MetafileGraphic:
      return content_.metafile->Width();
    case GraphicKind::None:
      break;
  }
  return 0;
}

int Picture::Height() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap->Height();
    case GraphicKind::IconGraphic:
      return content_.icon->Height();
    case GraphicKind::MetafileGraphic:
      return content_.metafile->Height();
    case GraphicKind::None:
      break;
  }
  return 0;
}

BitmapObject Picture::AsBitmap() const {
  return content_.kind == GraphicKind::BitmapGraphic ? BitmapObject(content_.bitmap)
                                                     : BitmapObject();
}

HICON Picture::IconHandle() const {
  return content_.kind == GraphicKind::IconGraphic ? content_.icon->Handle() : nullptr;
}

HENHMETAFILE Picture::MetafileHandle() const {
  return content_.kind == GraphicKind::MetafileGraphic ? content_.metafile->Handle() : nullptr;
}

HPALETTE Picture::PaletteHandle() const {
  return content_.kind == GraphicKind::BitmapGraphic ? content_.bitmap->PaletteHandle() : nullptr;
}

bool Picture::SharesImageWith(const Picture& o) const {
  if (content_.kind != o.content_.kind) return false;
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap == o.content_.bitmap;
    case GraphicKind::IconGraphic:
      return content_.icon == o.content_.icon;
    case GraphicKind::MetafileGraphic:
      return content_.metafile == o.content_.metafile;
    case GraphicKind::None:
      break;
  }
  return false;
}

void Picture::Draw(HDC dc, const RECT& r, DWORD rop) const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic: {
      const BitmapImage& img = *content_.bitmap;
      if (!img.Handle()) return;
      PaletteGuard canvasPalette(dc, img.PaletteHandle(), TRUE);
      if (img.PaletteHandle()) RealizePalette(dc);
      MemoryDc mem(CreateCompatibleDC(dc));
      if (!mem) throw EOutOfResources();
      SelectGuard select(mem.get(), img.Handle());
      PaletteGuard memPalette(mem.get(), img.PaletteHandle(), TRUE);
      const int oldMode = img.Monochrome() ? 0 : SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem.get(), 0, 0,
                 img.Width(), img.Height(), rop);
      if (oldMode) SetStretchBltMode(dc, oldMode);
      return;
    }
    case GraphicKind::IconGraphic: {
      const IconImage& img = *content_.icon;
      if (img.Handle())
        DrawIconEx(dc, r.left, r.top, img.Handle(), img.Width(), img.Height(), 0, nullptr,
                   DI_NORMAL);
      return;
    }
    case GraphicKind::MetafileGraphic:
      if (content_.metafile->Handle()) PlayEnhMetaFile(dc, content_.metafile->Handle(), &r);
      return;
    case GraphicKind::None:
      return;
  }
}

void Picture::LoadFromFile(const std::wstring& fileName) {
  const std::wstring ext = UpperExtension(fileName);
  if (ext == L".ICO")
    LoadIconFile(fileName);
  else if (ext == L".WMF" || ext == L".EMF")
    LoadMetafileFile(fileName);
  else
    Invalid("Unbekannte Erweiterung der Grafikdatei");
}

void Picture::LoadIconFile(const std::wstring& fileName) {
  const std::vector<std::uint8_t> data = ReadWholeFile(fileName);
  LoadIconFromMemory(data.data(), data.size());
}

void Picture::LoadMetafileFile(const std::wstring& fileName) {
  const std::vector<std::uint8_t> data = ReadWholeFile(fileName);
  LoadMetafileFromMemory(data.data(), data.size());
}

void Picture::LoadIconFromMemory(const std::uint8_t* data, std::size_t size) {
  Content c;
  c.kind = GraphicKind::IconGraphic;
  c.icon = ReadIcon(data, size);
  Replace(std::move(c));
}

void Picture::LoadMetafileFromMemory(const std::uint8_t* data, std::size_t size) {
  Content c;
  c.kind = GraphicKind::MetafileGraphic;
  c.metafile = ReadMetafile(data, size);
  Replace(std::move(c));
}

// ---- clipboard ---------------------------------------------------------------------

bool Picture::SupportsClipboardFormat(UINT format) {
  return format == CF_BITMAP || format == CF_ENHMETAFILE;
}

void Picture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  if (format == CF_BITMAP && data) {
    // Both copies are owned before either is handed on: a failing palette
    // copy must not leave the bitmap copy behind.
    Bitmap bitmap = CopyBitmap(static_cast<HBITMAP>(data));
    Palette copy = CopyPalette(palette);
    BitmapObject b;
    b.SetHandles(bitmap.release(), copy.release());
    Assign(b);
  } else if (format == CF_ENHMETAFILE && data) {
    EnhMetaFile emf(CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr));
    if (!emf) throw EOutOfResources();
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h)) Invalid(kBadMetafile);
    const int w =
        ToPixels(h.rclFrame.right - h.rclFrame.left, 2540, ScreenPixelsPerInch(LOGPIXELSX));
    const int ht =
        ToPixels(h.rclFrame.bottom - h.rclFrame.top, 2540, ScreenPixelsPerInch(LOGPIXELSY));
    SetMetafile(std::move(emf), w, ht);
  } else {
    Invalid("Nicht unterstütztes Zwischenablageformat");
  }
}

ClipboardContent Picture::SaveToClipboardFormat() const {
  ClipboardContent out;
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      out.format = CF_BITMAP;
      out.bitmap = CopyBitmap(content_.bitmap->Handle());
      out.palette = CopyPalette(content_.bitmap->PaletteHandle());
      break;
    case GraphicKind::MetafileGraphic:
      out.format = CF_ENHMETAFILE;
      out.metafile.reset(CopyEnhMetaFileW(content_.metafile->Handle(), nullptr));
      if (!out.metafile) throw EOutOfResources();
      break;
    case GraphicKind::IconGraphic:
      Invalid("Zwischenablage unterstützt keine Symbole");
    case GraphicKind::None:
      break;
  }
  return out;
}

}  // namespace tk
