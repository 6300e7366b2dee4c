// Loader tests: a host form with a probe image control, recorded dialogs,
// picture files written on the spot and pixels read back from bitmaps.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Recorders.h"
#include "tests/native/codecs/Fixtures.h"
#include "tests/wine/imagectl/Fixture.h"

namespace loader_test {

using fixtures::Bytes;
using imagectl_test::GdiObjectCount;
using imagectl_test::Host;

// %TEMP%\lumo-loader\name (the directory is made on first use).
std::wstring TempFile(const std::wstring& name);
void WriteFileBytes(const std::wstring& path, const Bytes& bytes);
std::int64_t FileSizeOf(const std::wstring& path);

// Picture files: a gradient (smooth colours) of the given size in each format.
Bytes GradientBmp(int width, int height);
Bytes GradientTiff(int width, int height);
Bytes GradientPng(int width, int height);
Bytes PhotoJpeg(int width, int height);
Bytes IndexedGif(int width, int height);
Bytes IndexedPcx(int width, int height);

// Pixels of any bitmap as 0x00RRGGBB, read through GetDIBits; y from the top.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
Pixels ReadPixels(HBITMAP bitmap);
constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }
std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette);

// Result of a decoder entry of the library called directly, handles freed.
short DirectDecode(WORD ordinal, const std::wstring& file, LONG resolution);

// A test with a hidden host form and recorded dialogs and beeps.
class LoaderTest : public ::testing::Test {
 protected:
  testing_support::RecordingServices services;
  Host host;
  TPMultiImage& image() { return *host.image; }
  std::vector<testing_support::DialogCall>& dialogs() { return services.rec().dialogs; }
};

}  // namespace loader_test
