#include "codecs/core/Rstrim.h"

#include <cstring>
#include <new>

namespace rstrim {

Format DetectFormat(ByteSource& src) {
  uint8_t b[8] = {};
  src.Seek(0);
  const size_t n = src.Read(b, sizeof b);
  src.Seek(0);
  if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return Format::kJpeg;
  if (n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return Format::kPng;
  if (n >= 6 && (std::memcmp(b, "GIF87a", 6) == 0 || std::memcmp(b, "GIF89a", 6) == 0)) {
    return Format::kGif;
  }
  // Classic TIFF and BigTIFF, both byte orders.
  if (n >= 4 && (std::memcmp(b, "II*\0", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0 ||
                 std::memcmp(b, "II+\0", 4) == 0 || std::memcmp(b, "MM\0+", 4) == 0)) {
    return Format::kTiff;
  }
  if (n >= 2 && b[0] == 'B' && b[1] == 'M') return Format::kBmp;
  // PCX has no real signature: maker byte, a known version, RLE flag, bit depth.
  if (n >= 4 && b[0] == 0x0A && (b[1] <= 5 && b[1] != 1) && b[2] <= 1 &&
      (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8)) {
    return Format::kPcx;
  }
  return Format::kUnknown;
}

namespace {

Result Dispatch(Format format, ByteSource& src, PixelSink& sink, const DecodeOptions& options) {
  switch (format) {
    case Format::kJpeg:
      return DecodeJpeg(src, sink, options);
    case Format::kPng:
      return DecodePng(src, sink, options);
    case Format::kGif:
      return DecodeGif(src, sink, options);
    case Format::kTiff:
      return DecodeTiff(src, sink, options);
    case Format::kBmp:
      return DecodeBmp(src, sink, options);
    case Format::kPcx:
      return DecodePcx(src, sink, options);
    default:
      return kNotThisFormat;
  }
}

}  // namespace

Result Decode(Format format, ByteSource& src, const DecodeOptions& options, BitmapTarget& target) {
  if (DetectFormat(src) != format || format == Format::kUnknown) return kNotThisFormat;
  DecodeOptions normalised = options;
  if (!NormaliseResolution(options.resolution, &normalised.resolution)) return kBadArgument;
  try {
    PixelSink sink(normalised, target);
    return Dispatch(format, src, sink, normalised);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kGeneralFailure;
  }
}

Result DecodeFile(Format format, const char* path, const DecodeOptions& options,
                  BitmapTarget& target) {
  Result r = kGeneralFailure;
  auto file = FileSource::Open(path, &r);
  if (!file) return r;
  return Decode(format, *file, options, target);
}

Result QueryInfo(ByteSource& src, ImageInfo* info) {
  *info = ImageInfo{};
  try {
    switch (DetectFormat(src)) {
      case Format::kJpeg:
        return QueryJpeg(src, info);
      case Format::kPng:
        return QueryPng(src, info);
      case Format::kGif:
        return QueryGif(src, info);
      case Format::kTiff:
        return QueryTiff(src, info);
      case Format::kBmp:
        return QueryBmp(src, info);
      case Format::kPcx:
        return QueryPcx(src, info);
      default:
        return kNotThisFormat;
    }
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kGeneralFailure;
  }
}

Result QueryFileInfo(const char* path, ImageInfo* info) {
  Result r = kGeneralFailure;
  auto file = FileSource::Open(path, &r);
  if (!file) {
    *info = ImageInfo{};
    return r;
  }
  return QueryInfo(*file, info);
}

}  // namespace rstrim
