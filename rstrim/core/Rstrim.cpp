#include "rstrim/core/Rstrim.h"

#include <cstring>
#include <new>

namespace rstrim {
namespace {

// Signatures, from the first bytes of a file (n of them at hand, at most 8).
bool IsJpeg(const uint8_t* b, size_t n) {
  return n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

bool IsPng(const uint8_t* b, size_t n) {
  return n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0;
}

bool IsGif(const uint8_t* b, size_t n) {
  return n >= 6 && (std::memcmp(b, "GIF87a", 6) == 0 || std::memcmp(b, "GIF89a", 6) == 0);
}

// Classic TIFF and BigTIFF, both byte orders.
bool IsTiff(const uint8_t* b, size_t n) {
  return n >= 4 && (std::memcmp(b, "II*\0", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0 ||
                    std::memcmp(b, "II+\0", 4) == 0 || std::memcmp(b, "MM\0+", 4) == 0);
}

bool IsBmp(const uint8_t* b, size_t n) { return n >= 2 && b[0] == 'B' && b[1] == 'M'; }

// PCX has no real signature: maker byte, a known version, RLE flag, bit depth.
bool IsPcx(const uint8_t* b, size_t n) {
  return n >= 4 && b[0] == 0x0A && (b[1] <= 5 && b[1] != 1) && b[2] <= 1 &&
         (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8);
}

struct Codec {
  Format format;
  bool (*matches)(const uint8_t* head, size_t n);
  Result (*decode)(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
  Result (*query)(ByteSource& src, ImageInfo* info);
};

// Every format the library reads, in the order detection tries them.
const Codec kCodecs[] = {
    {Format::kJpeg, IsJpeg, DecodeJpeg, QueryJpeg}, {Format::kPng, IsPng, DecodePng, QueryPng},
    {Format::kGif, IsGif, DecodeGif, QueryGif},     {Format::kTiff, IsTiff, DecodeTiff, QueryTiff},
    {Format::kBmp, IsBmp, DecodeBmp, QueryBmp},     {Format::kPcx, IsPcx, DecodePcx, QueryPcx},
};

// The codec of the file's first bytes, or null; leaves the source at offset 0.
const Codec* Detect(ByteSource& src) {
  uint8_t head[8] = {};
  src.Seek(0);
  const size_t n = src.Read(head, sizeof head);
  src.Seek(0);
  for (const Codec& codec : kCodecs)
    if (codec.matches(head, n)) return &codec;
  return nullptr;
}

// Runs a codec's work; what escapes it becomes a result code.
template <typename Work>
Result Guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kGeneralFailure;
  }
}

}  // namespace

Format DetectFormat(ByteSource& src) {
  const Codec* codec = Detect(src);
  return codec ? codec->format : Format::kUnknown;
}

Result Decode(Format format, ByteSource& src, const DecodeOptions& options, DibTarget& target) {
  const Codec* codec = Detect(src);
  if (!codec || codec->format != format) return kNotThisFormat;
  DecodeOptions normalised = options;
  if (!NormaliseResolution(options.resolution, &normalised.resolution)) return kBadArgument;
  return Guarded([&] {
    PixelSink sink(normalised, target);
    return codec->decode(src, sink, normalised);
  });
}

Result DecodeFile(Format format, const char* path, const DecodeOptions& options,
                  DibTarget& target) {
  Result r = kGeneralFailure;
  auto file = FileSource::Open(path, &r);
  if (!file) return r;
  return Decode(format, *file, options, target);
}

Result QueryInfo(ByteSource& src, ImageInfo* info) {
  *info = ImageInfo{};
  return Guarded([&] {
    const Codec* codec = Detect(src);
    return codec ? codec->query(src, info) : kNotThisFormat;
  });
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
