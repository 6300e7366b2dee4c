// The profile fuzzer's input: a profile, then kRows rows of kRowBytes bytes
// (16 B G R pixels or 12 CMYK pixels each).
#pragma once

#include <cstddef>

namespace fuzz_profile {

constexpr size_t kRows = 4;
constexpr size_t kRowBytes = 48;

}  // namespace fuzz_profile
