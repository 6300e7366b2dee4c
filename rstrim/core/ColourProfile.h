// Embedded colour profiles: turns a picture's own colours into sRGB with
// Little CMS 2, perceptual intent (what lcms2's own jpgicc and tificc do by
// default). Building a transform costs far more than a picture's rows, so one
// transform per profile and pixel form is kept for the life of the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "rstrim/core/DibTarget.h"

namespace rstrim {

// A profile larger than this is not looked at: real ones stay well below 1 MiB.
constexpr size_t kMaxProfileBytes = size_t{4} << 20;

// The pixels a transform takes. kBgr: 3 bytes, B G R, or a grey level in all
// three for a grey profile. kCmyk: 4 bytes of ink; kCmykInverted: 255 - ink
// (Adobe's JPEG files).
enum class ColourInput { kBgr, kCmyk, kCmykInverted };

class ColourTransform {
 public:
  // The transform from the profile's colours to sRGB, or null when the
  // picture's colours stay as they are: no profile, one larger than the limit,
  // one lcms2 rejects, one of another colour space than `input` takes, or one
  // that maps every colour onto itself (sRGB under another name).
  static std::shared_ptr<const ColourTransform> For(const uint8_t* profile, size_t size,
                                                    ColourInput input);

  virtual ~ColourTransform() = default;
  // Converts `width` pixels into B, G, R; for kBgr `in` may be `bgr` itself.
  virtual void Convert(const uint8_t* in, uint8_t* bgr, int width) const = 0;
  // Converts a colour table (a grey profile reads each entry's level).
  void Convert(std::vector<Rgb>* palette) const;
};

using ColourTransformPtr = std::shared_ptr<const ColourTransform>;

}  // namespace rstrim
