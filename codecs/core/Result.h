// Result codes of the decoding library. Success is positive; failures are 0 or
// negative so that a caller can look the text up by the code taken as an
// unsigned 16-bit number.
#pragma once

#include <cstdint>

namespace rstrim {

enum Result : int16_t {
  kOk = 1,
  kGeneralFailure = 0,
  kFileNotFound = -1,
  kNotThisFormat = -2,
  kDamaged = -3,
  kUnsupported = -4,
  kTooLarge = -5,
  kNameTooLong = -6,
  kOutOfMemory = -7,
  kReadError = -8,
  kBadArgument = -9,
  kBitmapFailure = -10,
};

// Lowest code in use; every code from here to 0 has a text.
constexpr int kLowestResult = -10;

// English text for a failure code; "" for success and unknown codes.
const char* ResultText(int code);

}  // namespace rstrim
