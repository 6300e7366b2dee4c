// Plain decoding with the reference libpng (its names prefixed lumosref_).
#include <pngref/png.h>

#include "bench/wine/PlainPng.h"

#define PLAIN_PNG_DECODE DecodeReference
#include "bench/wine/PlainPng.inc"
