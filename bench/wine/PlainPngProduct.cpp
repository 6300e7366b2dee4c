// Plain decoding with the product's libpng.
#include <png.h>

#include "bench/wine/PlainPng.h"

#define PLAIN_PNG_DECODE DecodeProduct
#include "bench/wine/PlainPng.inc"
