#include "codecs/core/Result.h"

namespace rstrim {

const char* ResultText(int code) {
  switch (code) {
    case kGeneralFailure:
      return "The picture could not be read.";
    case kFileNotFound:
      return "File not found.";
    case kNotThisFormat:
      return "The file is not a picture of this format.";
    case kDamaged:
      return "The picture data are damaged or truncated.";
    case kUnsupported:
      return "This variant of the picture format is not supported.";
    case kTooLarge:
      return "The picture is too large for memory.";
    case kNameTooLong:
      return "The file name is too long (more than 255 characters).";
    case kOutOfMemory:
      return "Out of memory.";
    case kReadError:
      return "The file could not be read.";
    case kBadArgument:
      return "Invalid argument passed to the picture library.";
    case kBitmapFailure:
      return "Windows could not create the bitmap.";
    default:
      return "";
  }
}

}  // namespace rstrim
