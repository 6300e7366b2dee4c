#include "toolkit/portable/DibHeader.h"

#include "base/ByteOrder.h"

namespace tk {
namespace {

using base::Le16;
using base::Le32;

constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
constexpr std::uint32_t kLargestHeader = 124;
constexpr std::int64_t kMaxSide = 65535;

bool KnownBitCount(unsigned bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The core header has no compression and no colour count: a table of
// 2^depth triples up to 8 bits, none at 24; 16 and 32 bits did not exist.
bool ReadCoreFields(const std::uint8_t* p, DibHeader& h, std::int64_t& rows) {
  h.width = Le16(p + 4);
  rows = Le16(p + 6);
  h.height = static_cast<std::int32_t>(rows);
  h.bitCount = Le16(p + 10);
  if (Le16(p + 8) != 1 || !KnownBitCount(h.bitCount) || h.bitCount == 16 || h.bitCount == 32)
    return false;
  h.entrySize = 3;
  h.tableEntries = h.bitCount == 24 ? 0 : (1u << h.bitCount);
  return true;
}

bool ReadInfoFields(const std::uint8_t* p, DibHeader& h, std::int64_t& rows,
                    std::uint32_t& sizeImage) {
  h.width = static_cast<std::int32_t>(Le32(p + 4));
  h.height = static_cast<std::int32_t>(Le32(p + 8));
  rows = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
  h.bitCount = Le16(p + 14);
  h.compression = Le32(p + 16);
  sizeImage = Le32(p + 20);
  const std::uint32_t used = Le32(p + 32);
  if (Le16(p + 12) != 1 || !KnownBitCount(h.bitCount)) return false;
  if (h.bitCount <= 8) {
    const std::uint32_t full = 1u << h.bitCount;
    if (used > full) return false;
    h.tableEntries = used ? used : full;
  } else {
    // Deep bitmaps may carry a table of colours to prefer on palette devices.
    if (used > 256) return false;
    h.tableEntries = used;
  }
  switch (h.compression) {
    case kBiRgb:
      return true;
    case kBiBitFields:
      // The masks follow a 40-byte header and lie inside the larger ones.
      if (h.bitCount != 16 && h.bitCount != 32) return false;
      if (h.headerSize == kInfoHeader) h.masksSize = 12;
      return h.headerSize == kInfoHeader || h.headerSize >= kInfoHeader + 12;
    case kBiRle8:
      return h.bitCount == 8 && sizeImage != 0;
    case kBiRle4:
      return h.bitCount == 4 && sizeImage != 0;
    default:
      return false;
  }
}

}  // namespace

bool ReadDibHeader(const std::uint8_t* p, std::size_t avail, DibHeader& h, int heightDivisor) {
  h = DibHeader();
  if (!p || avail < 4 || heightDivisor < 1) return false;
  h.headerSize = Le32(p);
  std::int64_t rows = 0;
  std::uint32_t sizeImage = 0;
  if (h.headerSize == kCoreHeader) {
    if (avail < kCoreHeader || !ReadCoreFields(p, h, rows)) return false;
  } else if (h.headerSize >= kInfoHeader && h.headerSize <= kLargestHeader) {
    if (avail < h.headerSize || !ReadInfoFields(p, h, rows, sizeImage)) return false;
  } else {
    return false;
  }
  rows /= heightDivisor;
  if (h.width <= 0 || rows <= 0 || h.width > kMaxSide || rows > kMaxSide) return false;
  h.rows = static_cast<std::uint64_t>(rows);
  h.stride = ((static_cast<std::uint64_t>(h.width) * h.bitCount + 31) / 32) * 4;
  const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  h.bitsSize = rle ? sizeImage : h.stride * h.rows;
  return true;
}

}  // namespace tk
