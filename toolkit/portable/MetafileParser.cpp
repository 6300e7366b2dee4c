#include "toolkit/portable/MetafileParser.h"

#include "base/ByteOrder.h"
#include "toolkit/portable/DibHeader.h"
#include "toolkit/portable/MetafileRecords.h"

namespace tk {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t kEmrHeader = 1;

}  // namespace

bool DibFits(const std::uint8_t* p, std::size_t size, std::uint64_t bitsRoom) {
  DibHeader h;
  return ReadDibHeader(p, size, h) && h.BitsOffset() <= size && h.bitsSize <= bitsRoom;
}

bool PackedDibFits(const std::uint8_t* p, std::size_t size) {
  DibHeader h;
  return ReadDibHeader(p, size, h) && h.TotalSize() <= size;
}

bool ParseMetafile(const std::uint8_t* data, std::size_t size, Metafile& m) {
  m = Metafile();
  if (!data || size < 4) return false;
  const std::uint32_t key = base::Le32(data);
  if (key == kEmrHeader) return ParseEnhancedMetafile(data, size, m);
  if (key != kPlaceableKey) return ParseWindowsMetafile(data, size, m);
  // The placeable header: key, handle, box (left, top, right, bottom), units
  // per inch, reserved, checksum; the standard metafile follows.
  constexpr std::size_t kPlaceableHeader = 22;
  if (size < kPlaceableHeader) return false;
  const int left = static_cast<std::int16_t>(base::Le16(data + 6));
  const int top = static_cast<std::int16_t>(base::Le16(data + 8));
  const int right = static_cast<std::int16_t>(base::Le16(data + 10));
  const int bottom = static_cast<std::int16_t>(base::Le16(data + 12));
  const int inch = base::Le16(data + 14);
  const int w = right > left ? right - left : left - right;
  const int h = bottom > top ? bottom - top : top - bottom;
  if (inch == 0 || w == 0 || h == 0) return false;
  if (!ParseWindowsMetafile(data + kPlaceableHeader, size - kPlaceableHeader, m)) return false;
  m.kind = MetafileKind::kPlaceable;
  m.offset = kPlaceableHeader;
  m.boxWidth = w;
  m.boxHeight = h;
  m.unitsPerInch = inch;
  return true;
}

}  // namespace tk
