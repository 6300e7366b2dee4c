// Enhanced metafiles: a header record, then records of a type and a size in
// bytes (a multiple of 4) up to the end record.
#include "base/ByteOrder.h"
#include "toolkit/portable/MetafileRecords.h"

namespace tk {
namespace {

using base::Le16;
using base::Le32;

constexpr std::uint32_t kEmfSignature = 0x464D4520u;  // " EMF"
constexpr std::uint32_t kHeaderType = 1, kEofType = 14;
constexpr std::uint32_t kEtoNoRect = 0x0100, kEtoSmallChars = 0x0200, kEtoPdy = 0x2000;

// Bytes of each record type's fixed layout, header included; 0 for the type
// numbers GDI does not know (0, 69, 107, 117) and for the header, which only
// comes first.
constexpr std::uint16_t kEmfMinSize[] = {
    0,  0,  28,  28, 28,  28, 28,  32,  32,  16,   // 0-9
    16, 16, 16,  16, 20,  20, 12,  12,  12,  12,   // 10-19
    12, 12, 12,  32, 12,  12, 16,  16,  8,   24,   // 20-29
    24, 24, 24,  8,  12,  32, 36,  12,  28,  24,   // 30-39
    12, 28, 24,  24, 32,  40, 40,  40,  12,  16,   // 40-49
    20, 16, 8,   24, 16,  40, 28,  12,  12,  8,    // 50-59
    8,  8,  24,  24, 24,  8,  8,   12,  8,   0,    // 60-69
    12, 32, 40,  28, 28,  16, 100, 108, 128, 140,  // 70-79
    76, 80, 104, 76, 76,  28, 28,  28,  28,  28,   // 80-89
    32, 32, 28,  32, 32,  52, 40,  40,  12,  340,  // 90-99
    12, 12, 12,  28, 48,  16, 16,  0,   36,  16,   // 100-109
    20, 24, 20,  20, 108, 12, 108, 0,   36,  20,   // 110-119
    16, 24, 608,                                   // 120-122
};

// One record and its bytes; fields outside it read as all ones, which no
// count or offset check lets through.
struct Record {
  const std::uint8_t* p;
  std::uint32_t size;
  std::uint32_t type;
  std::uint32_t U(std::uint64_t at) const { return at + 4 <= size ? Le32(p + at) : 0xFFFFFFFFu; }
  // count items of itemSize bytes from byte at.
  bool Holds(std::uint64_t at, std::uint64_t count, std::uint64_t itemSize) const {
    return Inside(at, count * itemSize, size);
  }
};

// A bitmap given by offset and size of its header (with colour table) at
// fields at, at+4, and of its pixels at fields at+8, at+12. No header: no bitmap.
bool BitmapFits(const Record& r, std::uint32_t at) {
  const std::uint32_t offBmi = r.U(at), cbBmi = r.U(at + 4), offBits = r.U(at + 8),
                      cbBits = r.U(at + 12);
  if (cbBmi == 0) return true;
  if (!Inside(offBmi, cbBmi, r.size) || !Inside(offBits, cbBits, r.size)) return false;
  return DibFits(r.p + offBmi, cbBmi, cbBits);
}

// An EMRTEXT at byte at: reference point, nChars, offString, options, rectangle, offDx.
bool TextFits(const Record& r, std::uint32_t at, std::uint64_t charSize) {
  const std::uint64_t chars = r.U(at + 8), offString = r.U(at + 12), options = r.U(at + 16),
                      offDx = r.U(at + 36);
  if (!r.Holds(offString, chars, charSize)) return false;
  // Spacing: one value a character, or an x and a y with ETO_PDY.
  return offDx == 0 || r.Holds(offDx, chars, (options & kEtoPdy) ? 8 : 4);
}

bool PolyPolyFits(const Record& r, std::uint64_t pointSize) {
  const std::uint64_t polys = r.U(24), points = r.U(28);
  if (!r.Holds(32, polys, 4) || !r.Holds(32 + polys * 4, points, pointSize)) return false;
  std::uint64_t sum = 0;
  for (std::uint64_t i = 0; i < polys; ++i) sum += Le32(r.p + 32 + 4 * i);
  return sum <= points;
}

// A region: its data's size at field at, the data (RGNDATAHEADER, rectangles)
// at byte dataAt.
bool RegionFits(const Record& r, std::uint32_t at, std::uint32_t dataAt) {
  const std::uint32_t cb = r.U(at);
  if (cb == 0) return true;
  if (cb < 32 || !Inside(dataAt, cb, r.size)) return false;
  const std::uint8_t* rgn = r.p + dataAt;
  const std::uint32_t headerSize = Le32(rgn), rects = Le32(rgn + 8);
  return headerSize >= 32 && Inside(headerSize, std::uint64_t{rects} * 16, cb);
}

bool GradientFits(const Record& r) {
  const std::uint64_t vertices = r.U(24), shapes = r.U(28), mode = r.U(32);
  if (mode > 2) return false;  // rectangles across, down, or triangles
  const std::uint64_t corners = mode == 2 ? 3 : 2;
  const std::uint64_t shapesAt = 36 + vertices * 16;
  if (!r.Holds(36, vertices, 16) || !r.Holds(shapesAt, shapes, corners * 4)) return false;
  // GDI looks the vertices up by these indices.
  for (std::uint64_t i = 0; i < shapes * corners; ++i)
    if (Le32(r.p + shapesAt + 4 * i) >= vertices) return false;
  return true;
}

bool SmallTextFits(const Record& r) {
  const std::uint64_t chars = r.U(16), options = r.U(20);
  const std::uint64_t textAt = (options & kEtoNoRect) ? 36 : 52;
  return r.Holds(textAt, chars, (options & kEtoSmallChars) ? 1 : 2);
}

// The parts of a record whose length its own counts and offsets give.
bool VariablePartFits(const Record& r) {
  switch (r.type) {
    case 2:  // POLYBEZIER, POLYGON, POLYLINE, POLYBEZIERTO, POLYLINETO
    case 3:
    case 4:
    case 5:
    case 6:
      return r.Holds(28, r.U(24), 8);
    case 85:  // the same with 16-bit points
    case 86:
    case 87:
    case 88:
    case 89:
      return r.Holds(28, r.U(24), 4);
    case 7:  // POLYPOLYLINE, POLYPOLYGON
    case 8:
      return PolyPolyFits(r, 8);
    case 90:  // POLYPOLYLINE16, POLYPOLYGON16
    case 91:
      return PolyPolyFits(r, 4);
    case 56:  // POLYDRAW: points, then a type byte each
      return r.Holds(28, r.U(24), 9);
    case 92:  // POLYDRAW16
      return r.Holds(28, r.U(24), 5);
    case kEofType:
      return r.U(8) == 0 || r.Holds(r.U(12), r.U(8), 4);
    case 49:  // CREATEPALETTE: 16-bit entry count at 14
      return r.Holds(16, Le16(r.p + 14), 4);
    case 50:  // SETPALETTEENTRIES
      return r.Holds(20, r.U(16), 4);
    case 70:  // GDICOMMENT
      return r.Holds(12, r.U(8), 1);
    case 71:  // FILLRGN
      return RegionFits(r, 24, 32);
    case 72:  // FRAMERGN
      return RegionFits(r, 24, 40);
    case 73:  // INVERTRGN, PAINTRGN
    case 74:
      return RegionFits(r, 24, 28);
    case 75:  // EXTSELECTCLIPRGN
      return RegionFits(r, 8, 16);
    case 76:  // BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT: a source bitmap
    case 77:
    case 114:
    case 116:
      return BitmapFits(r, 84);
    case 78:  // MASKBLT: source and mask
      return BitmapFits(r, 84) && BitmapFits(r, 112);
    case 79:  // PLGBLT: source and mask
      return BitmapFits(r, 96) && BitmapFits(r, 124);
    case 80:  // SETDIBITSTODEVICE, STRETCHDIBITS
    case 81:
      return BitmapFits(r, 48);
    case 93:  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
    case 94:
      return BitmapFits(r, 16);
    case 95:  // EXTCREATEPEN: pattern bitmap, then the style entries
      return BitmapFits(r, 12) && r.Holds(52, r.U(48), 4);
    case 83:  // EXTTEXTOUTA, EXTTEXTOUTW
      return TextFits(r, 36, 1);
    case 84:
      return TextFits(r, 36, 2);
    case 96:  // POLYTEXTOUTA, POLYTEXTOUTW: strings, then one EMRTEXT each
    case 97: {
      const std::uint64_t strings = r.U(36);
      if (!r.Holds(40, strings, 40)) return false;
      for (std::uint64_t i = 0; i < strings; ++i)
        if (!TextFits(r, static_cast<std::uint32_t>(40 + 40 * i), r.type == 96 ? 1 : 2))
          return false;
      return true;
    }
    case 108:
      return SmallTextFits(r);
    case 118:
      return GradientFits(r);
    case 102:  // GLSRECORD
      return r.Holds(12, r.U(8), 1);
    case 103:  // GLSBOUNDEDRECORD
      return r.Holds(28, r.U(24), 1);
    case 105:  // DRAWESCAPE, EXTESCAPE
    case 106:
      return r.Holds(16, r.U(12), 1);
    case 110:  // NAMEDESCAPE: driver name, then data
      return r.Holds(20, std::uint64_t{r.U(12)} + r.U(16), 1);
    case 112:  // SETICMPROFILEA, SETICMPROFILEW: name, then data
    case 113:
      return r.Holds(20, std::uint64_t{r.U(12)} + r.U(16), 1);
    case 121:  // COLORMATCHTOPROFILEW
      return r.Holds(24, std::uint64_t{r.U(16)} + r.U(20), 1);
    case 122:  // CREATECOLORSPACEW
      return r.Holds(608, r.U(604), 1);
    case 119:  // SETLINKEDUFIS: identifiers, then 8 reserved bytes
      return r.Holds(12, std::uint64_t{r.U(8)} + 1, 8);
    default:
      return true;
  }
}

bool HeaderFits(const std::uint8_t* p, std::uint32_t headerSize) {
  const std::uint32_t descChars = Le32(p + 60), descAt = Le32(p + 64);
  if (descChars && !Inside(descAt, std::uint64_t{descChars} * 2, headerSize)) return false;
  // Headers from 100 bytes on describe a pixel format too.
  if (headerSize >= 100) {
    const std::uint32_t cb = Le32(p + 88), at = Le32(p + 92);
    if (cb && !Inside(at, cb, headerSize)) return false;
  }
  return true;
}

}  // namespace

bool ParseEnhancedMetafile(const std::uint8_t* p, std::size_t size, Metafile& m) {
  constexpr std::uint32_t kHeaderMin = 88;
  if (size < kHeaderMin) return false;
  const std::uint32_t headerSize = Le32(p + 4), bytes = Le32(p + 48);
  if (Le32(p) != kHeaderType || Le32(p + 40) != kEmfSignature) return false;
  if (headerSize < kHeaderMin || headerSize % 4 || bytes > size || headerSize > bytes || bytes % 4)
    return false;
  if (!HeaderFits(p, headerSize)) return false;
  std::uint32_t at = headerSize;
  while (true) {
    if (bytes - at < 8) return false;
    Record r{p + at, Le32(p + at + 4), Le32(p + at)};
    if (r.size < 8 || r.size % 4 || r.size > bytes - at) return false;
    const bool known = r.type < sizeof kEmfMinSize / sizeof kEmfMinSize[0] && kEmfMinSize[r.type];
    if (!known || r.size < kEmfMinSize[r.type] || !VariablePartFits(r)) return false;
    if (r.type == kEofType) break;
    at += r.size;
  }
  m.kind = MetafileKind::kEnhanced;
  m.length = bytes;
  for (int i = 0; i < 4; ++i) {
    m.bounds[i] = static_cast<std::int32_t>(Le32(p + 8 + 4 * i));
    m.frame[i] = static_cast<std::int32_t>(Le32(p + 24 + 4 * i));
  }
  return true;
}

}  // namespace tk
