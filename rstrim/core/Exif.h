// Orientation tag (0x0112) of an EXIF block, as found in a JPEG APP1 segment.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rstrim {

// data points at the segment contents ("Exif\0\0" then a TIFF header).
// Returns 1..8, or 1 when there is no valid orientation.
int ExifOrientation(const uint8_t* data, size_t size);

}  // namespace rstrim
