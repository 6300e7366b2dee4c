// Standard (16-bit) metafiles: a header of 9 words, then records of a length
// in words, a function number and parameter words, up to the end record.
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "base/ByteOrder.h"
#include "toolkit/portable/DibHeader.h"
#include "toolkit/portable/MetafileRecords.h"

namespace tk {
namespace {

using base::Le16;
using base::Le32;

// Every record GDI plays, with the parameter words of its fixed layout. The
// device-dependent bitmap records (BITBLT, STRETCHBLT, CREATEPATTERNBRUSH) are
// left out on purpose: nothing checks their bitmaps, so they are refused.
struct WmfRecord {
  std::uint16_t function;
  std::uint8_t minWords;
};
constexpr WmfRecord kWmfRecords[] = {
    {0x001E, 0},   // SAVEDC
    {0x0035, 0},   // REALIZEPALETTE
    {0x0037, 2},   // SETPALENTRIES
    {0x00F7, 2},   // CREATEPALETTE
    {0x0102, 1},   // SETBKMODE
    {0x0103, 1},   // SETMAPMODE
    {0x0104, 1},   // SETROP2
    {0x0105, 1},   // SETRELABS
    {0x0106, 1},   // SETPOLYFILLMODE
    {0x0107, 1},   // SETSTRETCHBLTMODE
    {0x0108, 1},   // SETTEXTCHAREXTRA
    {0x0127, 1},   // RESTOREDC
    {0x012A, 1},   // INVERTREGION
    {0x012B, 1},   // PAINTREGION
    {0x012C, 1},   // SELECTCLIPREGION
    {0x012D, 1},   // SELECTOBJECT
    {0x012E, 1},   // SETTEXTALIGN
    {0x0139, 1},   // RESIZEPALETTE
    {0x0142, 2},   // DIBCREATEPATTERNBRUSH
    {0x0149, 2},   // SETLAYOUT
    {0x01F0, 1},   // DELETEOBJECT
    {0x0201, 2},   // SETBKCOLOR
    {0x0209, 2},   // SETTEXTCOLOR
    {0x020A, 2},   // SETTEXTJUSTIFICATION
    {0x020B, 2},   // SETWINDOWORG
    {0x020C, 2},   // SETWINDOWEXT
    {0x020D, 2},   // SETVIEWPORTORG
    {0x020E, 2},   // SETVIEWPORTEXT
    {0x020F, 2},   // OFFSETWINDOWORG
    {0x0211, 2},   // OFFSETVIEWPORTORG
    {0x0213, 2},   // LINETO
    {0x0214, 2},   // MOVETO
    {0x0220, 2},   // OFFSETCLIPRGN
    {0x0228, 2},   // FILLREGION
    {0x0231, 2},   // SETMAPPERFLAGS
    {0x0234, 1},   // SELECTPALETTE
    {0x02FA, 5},   // CREATEPENINDIRECT
    {0x02FB, 9},   // CREATEFONTINDIRECT
    {0x02FC, 4},   // CREATEBRUSHINDIRECT
    {0x0324, 1},   // POLYGON
    {0x0325, 1},   // POLYLINE
    {0x0410, 4},   // SCALEWINDOWEXT
    {0x0412, 4},   // SCALEVIEWPORTEXT
    {0x0415, 4},   // EXCLUDECLIPRECT
    {0x0416, 4},   // INTERSECTCLIPRECT
    {0x0418, 4},   // ELLIPSE
    {0x0419, 4},   // FLOODFILL
    {0x041B, 4},   // RECTANGLE
    {0x041F, 4},   // SETPIXEL
    {0x0429, 4},   // FRAMEREGION
    {0x0436, 2},   // ANIMATEPALETTE
    {0x0521, 3},   // TEXTOUT
    {0x0538, 1},   // POLYPOLYGON
    {0x0548, 5},   // EXTFLOODFILL
    {0x061C, 6},   // ROUNDRECT
    {0x061D, 6},   // PATBLT
    {0x0626, 2},   // ESCAPE
    {0x06FF, 11},  // CREATEREGION
    {0x0817, 8},   // ARC
    {0x081A, 8},   // PIE
    {0x0830, 8},   // CHORD
    {0x0940, 9},   // DIBBITBLT
    {0x0A32, 4},   // EXTTEXTOUT
    {0x0B41, 11},  // DIBSTRETCHBLT
    {0x0D33, 9},   // SETDIBTODEV
    {0x0F43, 11},  // STRETCHDIB
};

constexpr std::uint16_t kEof = 0x0000;
constexpr std::uint16_t kSetWindowExt = 0x020C;
constexpr unsigned kEtoOpaque = 0x0002, kEtoClipped = 0x0004;

const WmfRecord* FindRecord(std::uint16_t function) {
  const auto* end = std::end(kWmfRecords);
  const auto* r = std::find_if(std::begin(kWmfRecords), end,
                               [&](const WmfRecord& k) { return k.function == function; });
  return r == end ? nullptr : r;
}

// A region object: an 11-word header, then scans of count + 4 words each.
bool RegionFits(std::size_t words, const std::uint8_t* param) {
  auto w = [&](std::size_t i) -> std::size_t { return Le16(param + 2 * i); };
  std::size_t at = 11;
  for (std::size_t scan = 0; scan < w(5); ++scan) {
    if (at >= words) return false;
    const std::size_t count = w(at);
    if (count % 2 || at + count + 4 > words) return false;
    at += count + 4;
  }
  return true;
}

// SETDIBTODEV: colour use, scan count, first scan, ..., then the bitmap.
// Converting a record that sends only some of the bitmap's scans corrupts
// GDI's memory (seen in Wine), so the scans must be the whole bitmap.
bool SendsWholeBitmap(const std::uint8_t* param, std::size_t words) {
  DibHeader h;
  return words > 9 && ReadDibHeader(param + 18, 2 * (words - 9), h) && Le16(param + 4) == 0 &&
         Le16(param + 2) == h.rows;
}

// The parts of a record whose length its own counts give; the fixed part has
// been checked against the table already.
bool VariablePartFits(std::uint16_t function, const std::uint8_t* param, std::size_t words) {
  auto w = [&](std::size_t i) -> std::size_t { return i < words ? Le16(param + 2 * i) : 0; };
  // A bitmap with its colour table and pixels from parameter word at on.
  auto dibAt = [&](std::size_t at) {
    return words > at && PackedDibFits(param + 2 * at, 2 * (words - at));
  };
  switch (function) {
    case 0x0037:  // SETPALENTRIES, CREATEPALETTE, ANIMATEPALETTE: start, count, entries
    case 0x00F7:
    case 0x0436:
      return 2 + 2 * w(1) <= words;
    case 0x0324:  // POLYGON, POLYLINE: count, points
    case 0x0325:
      return 1 + 2 * w(0) <= words;
    case 0x0538: {  // POLYPOLYGON: polygons, points of each, points
      const std::size_t polys = w(0);
      if (1 + polys > words) return false;
      std::size_t points = 0;
      for (std::size_t i = 0; i < polys; ++i) points += w(1 + i);
      return 1 + polys + 2 * points <= words;
    }
    case 0x0521:  // TEXTOUT: length, string (padded), y, x
      return 1 + (w(0) + 1) / 2 + 2 <= words;
    case 0x0A32: {  // EXTTEXTOUT: y, x, length, options, [rectangle], string, [dx]
      const std::size_t rect = (w(3) & (kEtoOpaque | kEtoClipped)) ? 4 : 0;
      return 4 + rect + (w(2) + 1) / 2 <= words;
    }
    case 0x0626:  // ESCAPE: function, byte count, data
      return 2 + (w(1) + 1) / 2 <= words;
    case 0x02FB: {  // CREATEFONTINDIRECT: 18 bytes, then a face name of up to 32
      if (words >= 25) return true;
      const std::uint8_t* name = param + 18;
      return std::find(name, param + 2 * words, 0) != param + 2 * words;
    }
    case 0x06FF:  // CREATEREGION
      return RegionFits(words, param);
    case 0x0940:  // DIBBITBLT: 9 words without a source bitmap, else 8 and the bitmap
      return words == 9 || dibAt(8);
    case 0x0B41:  // DIBSTRETCHBLT: 11 words without a source bitmap, else 10 and the bitmap
      return words == 11 || dibAt(10);
    case 0x0F43:  // STRETCHDIB
      return dibAt(11);
    case 0x0D33:  // SETDIBTODEV
      return dibAt(9) && SendsWholeBitmap(param, words);
    case 0x0142:  // DIBCREATEPATTERNBRUSH: style, colour use, bitmap
      return dibAt(2);
    default:
      return true;
  }
}

}  // namespace

bool ParseWindowsMetafile(const std::uint8_t* p, std::size_t size, Metafile& m) {
  constexpr std::size_t kHeader = 18, kRecordHeader = 6;
  if (size < kHeader) return false;
  const std::uint16_t type = Le16(p), headerWords = Le16(p + 2), version = Le16(p + 4);
  const std::uint64_t total = std::uint64_t{Le32(p + 6)} * 2;
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300))
    return false;
  if (total < kHeader + kRecordHeader || total > size) return false;
  std::size_t at = kHeader;
  while (true) {
    if (at + kRecordHeader > total) return false;
    const std::uint64_t bytes = std::uint64_t{Le32(p + at)} * 2;
    const std::uint16_t function = Le16(p + at + 4);
    if (bytes < kRecordHeader || bytes > total - at) return false;
    if (function == kEof) {
      m.kind = MetafileKind::kWindows;
      m.length = static_cast<std::size_t>(at + bytes);
      return true;
    }
    const std::uint8_t* param = p + at + kRecordHeader;
    const std::size_t words = static_cast<std::size_t>((bytes - kRecordHeader) / 2);
    const WmfRecord* known = FindRecord(function);
    if (!known || words < known->minWords || !VariablePartFits(function, param, words))
      return false;
    if (function == kSetWindowExt) {  // y, x
      m.windowExtY = std::abs(static_cast<int>(static_cast<std::int16_t>(Le16(param))));
      m.windowExtX = std::abs(static_cast<int>(static_cast<std::int16_t>(Le16(param + 2))));
    }
    at += static_cast<std::size_t>(bytes);
  }
}

}  // namespace tk
