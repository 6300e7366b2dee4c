// The directory of an icon file and the images it points to, each checked
// against the file before any of it reaches the system's icon functions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tk {

struct IconEntry {
  std::size_t offset = 0;  // of the image's bytes in the file
  std::size_t size = 0;
  int width = 0;
  int height = 0;
  int bits = 0;  // colour depth; 32 for a PNG image
  bool png = false;
};

// The sound images of an icon file, in directory order; entries pointing
// outside the file or at a broken image are passed over. False when the file
// is no icon file or has no sound image.
bool ParseIcon(const std::uint8_t* data, std::size_t size, std::vector<IconEntry>& images);

}  // namespace tk
