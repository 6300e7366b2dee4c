#include "rstrim/core/Exif.h"

#include <cstring>

#include "base/ByteOrder.h"

namespace rstrim {

int ExifOrientation(const uint8_t* data, size_t size) {
  if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
  const uint8_t* tiff = data + 6;
  const size_t len = size - 6;
  bool little;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    little = true;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    little = false;
  } else {
    return 1;
  }
  auto u16 = [&](size_t off) { return little ? base::Le16(tiff + off) : base::Be16(tiff + off); };
  auto u32 = [&](size_t off) { return little ? base::Le32(tiff + off) : base::Be32(tiff + off); };
  if (u16(2) != 42) return 1;
  const uint32_t ifd = u32(4);
  if (ifd < 8 || ifd > len - 2) return 1;
  const unsigned count = u16(ifd);
  for (unsigned i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + static_cast<size_t>(i) * 12;
    if (entry + 12 > len) return 1;
    if (u16(entry) != 0x0112) continue;
    if (u16(entry + 2) != 3 || u32(entry + 4) != 1) return 1;  // one SHORT
    const unsigned v = u16(entry + 8);
    return (v >= 1 && v <= 8) ? static_cast<int>(v) : 1;
  }
  return 1;
}

}  // namespace rstrim
