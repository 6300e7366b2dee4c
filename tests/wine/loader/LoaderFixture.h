// Loader tests: a host form with a probe image control, recorded dialogs,
// the test pictures copied under the names a case needs, and pixels read back
// from bitmaps.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Recorders.h"
#include "tests/wine/imagectl/ImageFixture.h"

namespace loader_test {

using imagectl_test::Bytes;
using imagectl_test::GdiObjectCount;
using imagectl_test::Host;

// %TEMP%\lumo-loader\name (the directory is made on first use).
std::wstring TempFile(const std::wstring& name);
// Writes bytes, or a copy of a test picture, as TempFile(name); returns its path.
std::wstring Put(const std::wstring& name, const Bytes& bytes);
std::wstring Put(const std::wstring& name, const wchar_t* testPicture);
std::int64_t FileSizeOf(const std::wstring& path);

// Pixels of any bitmap as 0x00RRGGBB, read through GetDIBits; y from the top.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
Pixels ReadPixels(HBITMAP bitmap);
constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }
std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette);

// A test with a hidden host form and recorded dialogs and beeps.
class LoaderTest : public ::testing::Test {
 protected:
  testing_support::RecordingServices services;
  Host host;
  imagectl_test::ProbeImage& image() { return *host.image; }
  std::vector<testing_support::DialogCall>& dialogs() { return services.rec().dialogs; }
};

}  // namespace loader_test
