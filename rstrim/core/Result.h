// Result codes of the decoding library. Success is positive; the failures
// (ResultCodes.h) are 0 or negative. The core reports every failure as a
// Result and throws nothing out of its entry points.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rstrim/core/ResultCodes.h"

namespace rstrim {

#define RSTRIM_ENUMERATOR(name, code, text) name = (code),
enum Result : int16_t { kOk = 1, RSTRIM_FAILURES(RSTRIM_ENUMERATOR) };
#undef RSTRIM_ENUMERATOR

// Longest file name the library accepts; longer names are refused with
// kNameTooLong, never cut.
constexpr size_t kMaxFileName = 255;

}  // namespace rstrim
