// Bitmap resources: the program's own (Bitmaps.rc, linked into this test as
// into LUMOS32.EXE) and hostile or unusual ones (Hostile.rc).
#include <functional>

#include "codecs/ResourceBitmap.h"
#include "codecs/portable/DibResource.h"
#include "imagectl/FileTypes.h"
#include "tests/wine/imagectl/ImageFixture.h"

namespace imagectl_test {
namespace {

using codecs::ReadResourceBitmap;
using Colour = std::function<std::uint32_t(int, int)>;

// The formulas of app/bitmaps/make_bitmaps.py.
std::uint32_t LogoColour(int i) { return Rgb(i, 255 - i, (7 * i) & 255); }
std::uint32_t SevenColour(int i) { return Rgb(17 * i, 255 - 16 * i, 128); }
std::uint32_t Os2Colour(int i) { return Rgb(255 - i, i, (3 * i) & 255); }

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

class ResourceBitmaps : public ::testing::Test {
 protected:
  Host host;
};

// Each resource's pixels, and its palette entry by entry (none: no palette).
TEST_F(ResourceBitmaps, SoundOnesShowTheirPixelsAndPalette) {
  const Colour logo = [](int x, int y) { return LogoColour((x + 11 * y) & 255); };
  const Colour seven = [](int x, int y) { return SevenColour((x / 3 + y) & 15); };
  const struct {
    const wchar_t* name;
    int width, height;
    Colour pixel;
    int entries;
    std::function<std::uint32_t(int)> entry;
  } rows[] = {
      {L"LOGO", 40, 24, logo, 256, LogoColour},  // names ignore case
      {L"logo", 40, 24, logo, 256, LogoColour},
      {L"7", 24, 16, seven, 16, SevenColour},  // an integer identifier, decimal or hex
      {L"$7", 24, 16, seven, 16, SevenColour},
      {L"+7", 24, 16, seven, 16, SevenColour},
      {L"0007", 24, 16, seven, 16, SevenColour},
      {L"TRUECOL", 21, 13, [](int x, int y) { return Rgb(12 * x, 19 * y, 128); }, 0, nullptr},
      {L"OS2", 16, 8, [](int x, int y) { return Os2Colour((16 * y + x) & 255); }, 256, Os2Colour},
      {L"MY", 9, 5, [](int x, int y) { return (x + y) & 1 ? Rgb(224, 192, 160) : Rgb(32, 64, 96); },
       2, nullptr},
      {L"TOPDOWN", 2, 2,
       [](int x, int y) {
         return y ? x ? Rgb(255, 255, 255) : Rgb(0, 0, 255) : x ? Rgb(0, 255, 0) : Rgb(255, 0, 0);
       },
       0, nullptr},
      {L"BITS565", 2, 1, [](int x, int) { return x ? Rgb(0, 0, 255) : Rgb(255, 0, 0); }, 0,
       nullptr},
      {L"V4HDR", 1, 1, [](int, int) { return Rgb(0x30, 0x20, 0x10); }, 0, nullptr},
      {L"CORE24", 2, 1, [](int x, int) { return x ? Rgb(4, 5, 6) : Rgb(1, 2, 3); }, 0, nullptr},
      {L"PREFER", 1, 1, [](int, int) { return Rgb(0x0C, 0x0B, 0x0A); }, 2,
       [](int i) { return i ? Rgb(0x44, 0x55, 0x66) : Rgb(0x11, 0x22, 0x33); }}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    for (HWND wnd : {host.form.Handle(), HWND{}}) {  // without a window the screen serves
      tk::BitmapObject bitmap;
      ASSERT_TRUE(ReadResourceBitmap(L"", r.name, wnd, bitmap));
      const Pixels px = ReadPixels(bitmap.Handle());
      ASSERT_EQ(px.width, r.width);
      ASSERT_EQ(px.height, r.height);
      for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) ASSERT_EQ(px.At(x, y), r.pixel(x, y)) << x << "," << y;
      const auto entries = PaletteEntries(bitmap.PaletteHandle());
      ASSERT_EQ(entries.size(), static_cast<size_t>(r.entries));
      for (int i = 0; r.entry && i < r.entries; ++i) {
        EXPECT_EQ(Rgb(entries[i].peRed, entries[i].peGreen, entries[i].peBlue), r.entry(i)) << i;
        EXPECT_EQ(entries[i].peFlags, 0);
      }
    }
  }
}

TEST_F(ResourceBitmaps, HostileOnesAreRefusedAndLeaveTheObjectAlone) {
  tk::BitmapObject warm;
  ReadResourceBitmap(L"", L"LOGO", host.form.Handle(), warm);
  warm.Clear();
  tk::BitmapObject bitmap;
  ASSERT_TRUE(ReadResourceBitmap(L"", L"MY", host.form.Handle(), bitmap));
  const HBITMAP before = bitmap.Handle();
  const long gdi = GdiObjectCount();
  // Broken headers and tables, sizes that overflow, layouts no bitmap resource
  // has, and names no resource can carry (negative, 0, above 65535).
  for (const wchar_t* name :
       {L"SHORTHDR", L"BIGTABLE", L"SHORTBITS", L"ODDHDR", L"NOWIDTH", L"HUGE", L"RLE", L"TWOBITS",
        L"NOMASKS", L"CORECUT", L"CORE16", L"NOSUCH", L"", L"-7", L"0", L"$10007"}) {
    EXPECT_FALSE(ReadResourceBitmap(L"", name, host.form.Handle(), bitmap)) << name;
    EXPECT_EQ(bitmap.Handle(), before) << name;
  }
  EXPECT_EQ(GdiObjectCount(), gdi);
}

// The layout parser on every cut of the program's own resources.
TEST(DibLayout, EveryTruncationIsRefused) {
  codecs::DibLayout layout;
  EXPECT_FALSE(codecs::ParseDibResource(nullptr, 100, layout));
  for (const wchar_t* name : {L"LOGO", L"TRUECOL", L"OS2", L"MY", L"BITS565", L"V4HDR"}) {
    HRSRC info = FindResourceW(nullptr, name, MAKEINTRESOURCEW(2));
    ASSERT_NE(info, nullptr) << name;
    const DWORD size = SizeofResource(nullptr, info);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, info)));
    ASSERT_TRUE(codecs::ParseDibResource(data, size, layout)) << name;
    EXPECT_EQ(layout.bitsOffset + layout.bitsSize, size) << name;
    for (DWORD n = 0; n < size; ++n) {
      // An exact-size copy, so a read past the end lands outside the block.
      std::vector<std::uint8_t> cut(data, data + n);
      ASSERT_FALSE(codecs::ParseDibResource(cut.data(), n, layout)) << name << " cut at " << n;
    }
  }
}

}  // namespace
}  // namespace imagectl_test
