#include "toolkit/portable/IconParser.h"

#include <cstring>

#include "base/ByteOrder.h"
#include "toolkit/portable/DibHeader.h"

namespace tk {
namespace {

using base::Be32;
using base::Le16;
using base::Le32;

// Icons larger than this are not icons.
constexpr std::uint32_t kMaxIconSide = 1024;
constexpr std::size_t kDirectoryEntry = 16;

bool ReadPngImage(const std::uint8_t* p, std::size_t size, IconEntry& e) {
  // Signature, then the IHDR chunk: length, type, width, height.
  if (size < 8 + 8 + 13 + 4 || std::memcmp(p + 12, "IHDR", 4) != 0) return false;
  const std::uint32_t w = Be32(p + 16), h = Be32(p + 20);
  if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide) return false;
  e.width = static_cast<int>(w);
  e.height = static_cast<int>(h);
  e.bits = 32;
  e.png = true;
  return true;
}

// A DIB whose height counts the colour rows and the AND mask's rows below them.
bool ReadDibImage(const std::uint8_t* p, std::size_t size, IconEntry& e) {
  DibHeader h;
  if (size < 40 || Le32(p) < 40 || !ReadDibHeader(p, size, h, 2)) return false;
  if (h.height < 0 || static_cast<std::uint32_t>(h.width) > kMaxIconSide || h.rows > kMaxIconSide)
    return false;
  const std::uint64_t maskStride = ((static_cast<std::uint64_t>(h.width) + 31) / 32) * 4;
  if (h.TotalSize() + maskStride * h.rows > size) return false;
  e.width = h.width;
  e.height = static_cast<int>(h.rows);
  e.bits = static_cast<int>(h.bitCount);
  return true;
}

bool ReadImage(const std::uint8_t* p, std::size_t size, IconEntry& e) {
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(p, kPng, 8) == 0) return ReadPngImage(p, size, e);
  return ReadDibImage(p, size, e);
}

}  // namespace

bool ParseIcon(const std::uint8_t* data, std::size_t size, std::vector<IconEntry>& images) {
  images.clear();
  if (!data || size < 6 || Le16(data) != 0 || Le16(data + 2) != 1) return false;
  const std::size_t count = Le16(data + 4);
  if (count == 0 || 6 + kDirectoryEntry * count > size) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* d = data + 6 + kDirectoryEntry * i;
    IconEntry e;
    e.size = Le32(d + 8);
    e.offset = Le32(d + 12);
    if (e.size == 0 || e.offset > size || e.size > size - e.offset) continue;
    if (ReadImage(data + e.offset, e.size, e)) images.push_back(e);
  }
  return !images.empty();
}

}  // namespace tk
