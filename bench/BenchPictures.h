// The benchmarks' pictures, written on the spot: natural-looking rows (broad
// soft gradients, finer texture and sensor-like noise) as a JPEG or a PNG,
// and a JPEG's copy with an embedded colour profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

bool WriteJpeg(const std::string& path, int width, int height);
bool WritePng(const std::string& path, int width, int height);
// `src` with the profile in APP2 "ICC_PROFILE" markers right after its start.
bool WriteTaggedJpeg(const std::string& src, const std::string& dst,
                     const std::vector<uint8_t>& profile);

}  // namespace bench
