// Bitmap resources: the program's own (Bitmaps.rc, linked into this test as
// into LUMOS32.EXE) and hostile or unusual ones (Hostile.rc).
#include <functional>

#include "codecs/ResourceBitmap.h"
#include "imagectl/FileTypes.h"
#include "tests/wine/imagectl/ImageFixture.h"

namespace imagectl_test {
namespace {

using codecs::ReadResourceBitmap;
using Colour = std::function<std::uint32_t(int, int)>;

// The formulas of app/bitmaps/make_bitmaps.py: palette entry i.
std::uint32_t LogoColour(int i, int) { return Rgb(i, 255 - i, (7 * i) & 255); }
std::uint32_t SevenColour(int i, int) { return Rgb(17 * i, 255 - 16 * i, 128); }
std::uint32_t Os2Colour(int i, int) { return Rgb(255 - i, i, (3 * i) & 255); }

// A width x height grid of colours at (x, y), top row first.
std::vector<std::uint32_t> Grid(int width, int height, const Colour& at) {
  std::vector<std::uint32_t> all;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) all.push_back(at(x, y));
  return all;
}

TEST(ResourceNames, LastComponentCutBeforeTheFirstDot) {
  const std::pair<std::wstring, std::wstring> rows[] = {
      {L"C:\\ANY\\LOGO.RES", L"LOGO"},
      {L"MY.LOGO.RES", L"MY"},
      {L"D:7.RES", L"7"},
      {L"\\\\server\\share\\$7.res", L"$7"},
      {L".RES", L""},
      {std::wstring(70, L'A') + L".RES", std::wstring(64, L'A')}};
  for (const auto& [stored, name] : rows) EXPECT_EQ(imagectl::ResourceNameOf(stored), name);
}

// Each resource's size, pixels and palette (flags in the top byte) under each
// of its names: names ignore case, integers are identifiers.
TEST(ResourceBitmaps, SoundOnesShowTheirPixelsAndPalette) {
  Host host;
  const auto logo = [](int x, int y) { return LogoColour((x + 11 * y) & 255, 0); };
  const auto seven = [](int x, int y) { return SevenColour((x / 3 + y) & 15, 0); };
  const auto os2 = [](int x, int y) { return Os2Colour((16 * y + x) & 255, 0); };
  const auto my = [](int x, int y) { return (x + y) & 1 ? Rgb(224, 192, 160) : Rgb(32, 64, 96); };
  const struct {
    std::vector<const wchar_t*> names;
    int width, height;
    std::vector<std::uint32_t> pixels, palette;
  } rows[] = {
      {{L"LOGO", L"logo"}, 40, 24, Grid(40, 24, logo), Grid(256, 1, LogoColour)},
      {{L"7", L"$7", L"+7", L"0007"}, 24, 16, Grid(24, 16, seven), Grid(16, 1, SevenColour)},
      {{L"TRUECOL"}, 21, 13, Grid(21, 13, [](int x, int y) { return Rgb(12 * x, 19 * y, 128); })},
      {{L"OS2"}, 16, 8, Grid(16, 8, os2), Grid(256, 1, Os2Colour)},
      {{L"MY"}, 9, 5, Grid(9, 5, my), {Rgb(32, 64, 96), Rgb(224, 192, 160)}},
      {{L"TOPDOWN"}, 2, 2, {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(255, 255, 255)}},
      {{L"BITS565"}, 2, 1, {Rgb(255, 0, 0), Rgb(0, 0, 255)}},
      {{L"V4HDR"}, 1, 1, {Rgb(0x30, 0x20, 0x10)}},
      {{L"CORE24"}, 2, 1, {Rgb(1, 2, 3), Rgb(4, 5, 6)}},
      {{L"PREFER"}, 1, 1, {Rgb(0x0C, 0x0B, 0x0A)}, {Rgb(0x11, 0x22, 0x33), Rgb(0x44, 0x55, 0x66)}}};
  for (const auto& r : rows)
    for (const wchar_t* name : r.names)
      for (HWND wnd : {host.form.Handle(), HWND{}}) {  // without a window the screen serves
        tk::BitmapObject bitmap;
        ASSERT_TRUE(ReadResourceBitmap(L"", name, wnd, bitmap)) << name;
        const Pixels px = ReadPixels(bitmap.Handle());
        std::vector<std::uint32_t> entries;
        for (const PALETTEENTRY& e : PaletteEntries(bitmap.PaletteHandle()))
          entries.push_back(e.peFlags << 24 | Rgb(e.peRed, e.peGreen, e.peBlue));
        EXPECT_EQ(std::tuple(px.width, px.height, px.rgb, entries),
                  std::tuple(r.width, r.height, r.pixels, r.palette))
            << name;
      }
}

// Broken headers and tables, sizes that overflow, layouts no bitmap resource
// has, and names no resource can carry (negative, 0, above 65535).
TEST(ResourceBitmaps, HostileOnesAreRefusedAndLeaveTheObjectAlone) {
  Host host;
  tk::BitmapObject bitmap;
  ASSERT_TRUE(ReadResourceBitmap(L"", L"MY", host.form.Handle(), bitmap));
  const HBITMAP before = bitmap.Handle();
  const long gdi = GdiObjectCount();
  for (const wchar_t* name :
       {L"SHORTHDR", L"BIGTABLE", L"SHORTBITS", L"ODDHDR", L"NOWIDTH", L"HUGE", L"RLE", L"TWOBITS",
        L"NOMASKS", L"CORECUT", L"CORE16", L"NOSUCH", L"", L"-7", L"0", L"$10007"}) {
    EXPECT_FALSE(ReadResourceBitmap(L"", name, host.form.Handle(), bitmap)) << name;
    EXPECT_EQ(bitmap.Handle(), before) << name;
  }
  EXPECT_EQ(GdiObjectCount(), gdi);
}

}  // namespace
}  // namespace imagectl_test
