// The per-format decoders behind the public entry points in Rstrim.h.
#pragma once

#include <string>

#include "rstrim/core/ByteSource.h"
#include "rstrim/core/PixelSink.h"
#include "rstrim/core/Result.h"

namespace rstrim {

struct ImageInfo {
  std::string type;  // at most 5 characters: "JPEG", "PNG", "GIF", "TIFF", "BMP", "PCX"
  int width = 0;     // upright
  int height = 0;
  int depthA = 0;  // depthA * depthB = bits per pixel
  int depthB = 0;
  int count = 0;       // images or pages in the file
  std::string detail;  // at most 25 characters
};

Result DecodeJpeg(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
Result DecodePng(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
Result DecodeGif(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
Result DecodeTiff(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
Result DecodeBmp(ByteSource& src, PixelSink& sink, const DecodeOptions& options);
Result DecodePcx(ByteSource& src, PixelSink& sink, const DecodeOptions& options);

Result QueryJpeg(ByteSource& src, ImageInfo* info);
Result QueryPng(ByteSource& src, ImageInfo* info);
Result QueryGif(ByteSource& src, ImageInfo* info);
Result QueryTiff(ByteSource& src, ImageInfo* info);
Result QueryBmp(ByteSource& src, ImageInfo* info);
Result QueryPcx(ByteSource& src, ImageInfo* info);

}  // namespace rstrim
