// Public entry points of the portable decoding core: format detection, the
// header-only information query and decoding into a caller's DIB target.
#pragma once

#include "rstrim/core/ByteSource.h"
#include "rstrim/core/Codecs.h"
#include "rstrim/core/DibTarget.h"
#include "rstrim/core/PixelSink.h"
#include "rstrim/core/Result.h"

namespace rstrim {

enum class Format { kUnknown, kJpeg, kPng, kGif, kTiff, kBmp, kPcx };

// Recognises the format from the first bytes; leaves the source at offset 0.
Format DetectFormat(ByteSource& src);

// Decodes a picture that must be of `format`. On failure the target's contents
// are undefined and the caller discards it.
Result Decode(Format format, ByteSource& src, const DecodeOptions& options, DibTarget& target);
Result DecodeFile(Format format, const char* path, const DecodeOptions& options, DibTarget& target);

// Reads only the headers of a file of any supported format.
Result QueryInfo(ByteSource& src, ImageInfo* info);
Result QueryFileInfo(const char* path, ImageInfo* info);

}  // namespace rstrim
