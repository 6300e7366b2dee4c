// TIFF pictures whose samples the plain paths cannot take: any integer depth
// from 1 to 32 bits, signed integers, 16-, 32- and 64-bit floating point, and
// CIE L*a*b*, in strips or tiles, with contiguous or separate planes. The
// picture is read one band (a strip, or a row of tiles) at a time and every
// sample is scaled to 8 bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include <tiffio.h>

#include "rstrim/core/PixelSink.h"
#include "rstrim/core/Result.h"

namespace rstrim {

struct TiffTags {
  uint32_t width = 0, height = 0;
  uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE, orientation = ORIENTATION_TOPLEFT;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT, inkSet = INKSET_CMYK;
  bool tiled = false;
};

// Whether the sample reader can convert this photometric kind and sample form.
bool SampleReaderTakes(const TiffTags& g);

// Begins the sink with `layout` (size and orientation set; a palette picture
// brings its colour table), reads every row and finishes the sink.
Result DecodeTiffSamples(TIFF* t, const TiffTags& g, size_t workLimit, ImageLayout layout,
                         PixelSink& sink);

// CIE L*a*b* (D65 white) to 8-bit sRGB, written as B, G, R.
void LabToBgr(double l, double a, double b, uint8_t* bgr);

}  // namespace rstrim
