// Bitmap resources: the program's own (Bitmaps.rc, linked into this test as
// into LUMOS32.EXE) and hostile or unusual ones (Hostile.rc).
#include <cstring>

#include "LoaderFixture.h"
#include "codecs/readers/DibResource.h"
#include "codecs/ResourceBitmap.h"
#include "imagectl/Readers.h"
#include "util/portable/PathUtil.h"

namespace loader_test {
namespace {

using codecs::ReadResourceBitmap;

// The formulas of app/bitmaps/make_bitmaps.py.
std::uint32_t LogoColour(int i) { return Rgb(i, 255 - i, (7 * i) & 255); }
std::uint32_t LogoPixel(int x, int y) { return LogoColour((x + 11 * y) & 255); }
std::uint32_t SevenColour(int i) { return Rgb(17 * i, 255 - 16 * i, 128); }
std::uint32_t SevenPixel(int x, int y) { return SevenColour((x / 3 + y) & 15); }
std::uint32_t TrueColPixel(int x, int y) { return Rgb(12 * x, 19 * y, 128); }
std::uint32_t Os2Colour(int i) { return Rgb(255 - i, i, (3 * i) & 255); }
std::uint32_t Os2Pixel(int x, int y) { return Os2Colour((16 * y + x) & 255); }
std::uint32_t MyPixel(int x, int y) { return (x + y) & 1 ? Rgb(224, 192, 160) : Rgb(32, 64, 96); }

std::uint32_t EntryRgb(const PALETTEENTRY& e) { return Rgb(e.peRed, e.peGreen, e.peBlue); }

template <typename F>
void ExpectPixels(const tk::BitmapObject& bitmap, int width, int height, F want) {
  const Pixels px = ReadPixels(bitmap.Handle());
  ASSERT_EQ(px.width, width);
  ASSERT_EQ(px.height, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) ASSERT_EQ(px.At(x, y), want(x, y)) << x << "," << y;
}

class ResourceBitmaps : public ::testing::Test {
 protected:
  HWND wnd() { return host.form.Handle(); }
  bool Read(const std::wstring& name, tk::BitmapObject& bitmap) {
    return ReadResourceBitmap(L"", name, wnd(), bitmap);
  }
  Host host;
};

TEST(ResourceNames, LastComponentCutBeforeTheFirstDot) {
  using imagectl::ResourceNameOf;
  EXPECT_EQ(ResourceNameOf(L"C:\\ANY\\LOGO.RES"), L"LOGO");
  EXPECT_EQ(ResourceNameOf(L"MY.LOGO.RES"), L"MY");
  EXPECT_EQ(ResourceNameOf(L"D:7.RES"), L"7");
  EXPECT_EQ(ResourceNameOf(L"\\\\server\\share\\$7.res"), L"$7");
  EXPECT_EQ(ResourceNameOf(std::wstring(70, L'A') + L".RES"), std::wstring(64, L'A'));
  EXPECT_EQ(ResourceNameOf(L".RES"), L"");
}

TEST_F(ResourceBitmaps, NamedEightBitWithItsPalette) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"LOGO", bitmap));
  ExpectPixels(bitmap, 40, 24, LogoPixel);
  const auto entries = PaletteEntries(bitmap.PaletteHandle());
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(EntryRgb(entries[i]), LogoColour(i)) << i;
    EXPECT_EQ(entries[i].peFlags, 0);
  }
}

TEST_F(ResourceBitmaps, NamesIgnoreCase) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"logo", bitmap));
  EXPECT_EQ(bitmap.Width(), 40);
}

TEST_F(ResourceBitmaps, IntegerIdentifierDecimalOrHex) {
  for (const wchar_t* name : {L"7", L"$7", L"+7", L"0007"}) {
    tk::BitmapObject bitmap;
    ASSERT_TRUE(Read(name, bitmap)) << name;
    ExpectPixels(bitmap, 24, 16, SevenPixel);
    const auto entries = PaletteEntries(bitmap.PaletteHandle());
    ASSERT_EQ(entries.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(EntryRgb(entries[i]), SevenColour(i));
  }
  tk::BitmapObject bitmap;
  EXPECT_FALSE(Read(L"-7", bitmap)) << "no resource can carry a negative identifier";
  EXPECT_FALSE(Read(L"0", bitmap));
  EXPECT_FALSE(Read(L"$10007", bitmap)) << "above 65535 is no identifier";
}

TEST_F(ResourceBitmaps, TrueColourHasNoPalette) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"TRUECOL", bitmap));
  ExpectPixels(bitmap, 21, 13, TrueColPixel);
  EXPECT_EQ(bitmap.PaletteHandle(), nullptr);
}

TEST_F(ResourceBitmaps, CoreHeaderColoursAreTriples) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"OS2", bitmap));
  ExpectPixels(bitmap, 16, 8, Os2Pixel);
  const auto entries = PaletteEntries(bitmap.PaletteHandle());
  ASSERT_EQ(entries.size(), 256u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(EntryRgb(entries[i]), Os2Colour(i)) << i;
}

TEST_F(ResourceBitmaps, OneBit) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"MY", bitmap));
  ExpectPixels(bitmap, 9, 5, MyPixel);
  EXPECT_EQ(PaletteEntries(bitmap.PaletteHandle()).size(), 2u);
}

TEST_F(ResourceBitmaps, UnusualButSoundOnes) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"TOPDOWN", bitmap));
  ExpectPixels(bitmap, 2, 2, [](int x, int y) {
    static const std::uint32_t want[2][2] = {{Rgb(255, 0, 0), Rgb(0, 255, 0)},
                                             {Rgb(0, 0, 255), Rgb(255, 255, 255)}};
    return want[y][x];
  });
  EXPECT_EQ(bitmap.PaletteHandle(), nullptr);

  ASSERT_TRUE(Read(L"BITS565", bitmap));
  ExpectPixels(bitmap, 2, 1, [](int x, int) { return x ? Rgb(0, 0, 255) : Rgb(255, 0, 0); });

  ASSERT_TRUE(Read(L"V4HDR", bitmap));
  ExpectPixels(bitmap, 1, 1, [](int, int) { return Rgb(0x30, 0x20, 0x10); });

  ASSERT_TRUE(Read(L"CORE24", bitmap));
  ExpectPixels(bitmap, 2, 1, [](int x, int) { return x ? Rgb(4, 5, 6) : Rgb(1, 2, 3); });
  EXPECT_EQ(bitmap.PaletteHandle(), nullptr);

  ASSERT_TRUE(Read(L"PREFER", bitmap));
  ExpectPixels(bitmap, 1, 1, [](int, int) { return Rgb(0x0C, 0x0B, 0x0A); });
  const auto entries = PaletteEntries(bitmap.PaletteHandle());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(EntryRgb(entries[0]), Rgb(0x11, 0x22, 0x33));
  EXPECT_EQ(EntryRgb(entries[1]), Rgb(0x44, 0x55, 0x66));
}

TEST_F(ResourceBitmaps, HostileOnesAreRefusedAndLeaveTheObjectAlone) {
  tk::BitmapObject warm;
  Read(L"LOGO", warm);
  warm.Clear();
  tk::BitmapObject bitmap;
  ASSERT_TRUE(Read(L"MY", bitmap));
  const HBITMAP before = bitmap.Handle();
  const long gdi = GdiObjectCount();
  for (const wchar_t* name :
       {L"SHORTHDR", L"BIGTABLE", L"SHORTBITS", L"ODDHDR", L"NOWIDTH", L"HUGE", L"RLE", L"TWOBITS",
        L"NOMASKS", L"CORECUT", L"CORE16", L"NOSUCH", L""}) {
    EXPECT_FALSE(Read(name, bitmap)) << name;
    EXPECT_EQ(bitmap.Handle(), before) << name;
  }
  EXPECT_EQ(GdiObjectCount(), gdi);
}

TEST_F(ResourceBitmaps, ModuleByName) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring self = util::FileNamePart(path);
  tk::BitmapObject bitmap;
  EXPECT_TRUE(ReadResourceBitmap(self, L"LOGO", wnd(), bitmap));
  EXPECT_EQ(bitmap.Width(), 40);
  EXPECT_FALSE(ReadResourceBitmap(L"NOSUCH.DLL", L"LOGO", wnd(), bitmap));
  // A module that is loaded but has no such bitmap.
  HMODULE lib = LoadLibraryA("RSTRIM32.DLL");
  ASSERT_NE(lib, nullptr);
  EXPECT_FALSE(ReadResourceBitmap(L"RSTRIM32.DLL", L"LOGO", wnd(), bitmap));
  FreeLibrary(lib);
}

TEST_F(ResourceBitmaps, WithoutAWindowTheScreenServes) {
  tk::BitmapObject bitmap;
  ASSERT_TRUE(ReadResourceBitmap(L"", L"LOGO", nullptr, bitmap));
  ExpectPixels(bitmap, 40, 24, LogoPixel);
}

// The layout parser on every cut of the program's own resources.
TEST(DibLayout, EveryTruncationIsRefused) {
  for (const wchar_t* name : {L"LOGO", L"TRUECOL", L"OS2", L"MY", L"BITS565", L"V4HDR"}) {
    HRSRC info = FindResourceW(nullptr, name, MAKEINTRESOURCEW(2));
    ASSERT_NE(info, nullptr) << name;
    const DWORD size = SizeofResource(nullptr, info);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, info)));
    readers::DibLayout layout;
    ASSERT_TRUE(readers::ParseDibResource(data, size, layout)) << name;
    EXPECT_EQ(layout.bitsOffset + layout.bitsSize, size) << name;
    for (DWORD n = 0; n < size; ++n) {
      // An exact-size copy, so a read past the end lands outside the block.
      std::vector<std::uint8_t> cut(data, data + n);
      ASSERT_FALSE(readers::ParseDibResource(cut.data(), n, layout)) << name << " cut at " << n;
    }
  }
}

TEST(DibLayout, CoreHeaderTableAtTwelveWithTriples) {
  HRSRC info = FindResourceW(nullptr, L"OS2", MAKEINTRESOURCEW(2));
  ASSERT_NE(info, nullptr);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, info)));
  readers::DibLayout layout;
  ASSERT_TRUE(readers::ParseDibResource(data, SizeofResource(nullptr, info), layout));
  EXPECT_EQ(layout.headerSize, 12u);
  EXPECT_EQ(layout.tableOffset, 12u);
  EXPECT_EQ(layout.entrySize, 3u);
  EXPECT_EQ(layout.tableEntries, 256u);
  EXPECT_EQ(layout.bitsOffset, 12u + 3u * 256u);
  ASSERT_EQ(layout.colours.size(), 256u);
  EXPECT_EQ(layout.colours[1].red, 254);
  EXPECT_EQ(layout.colours[1].green, 1);
  EXPECT_EQ(layout.colours[1].blue, 3);
}

TEST(DibLayout, NullAndTiny) {
  readers::DibLayout layout;
  EXPECT_FALSE(readers::ParseDibResource(nullptr, 100, layout));
  const std::uint8_t four[4] = {12, 0, 0, 0};
  EXPECT_FALSE(readers::ParseDibResource(four, 4, layout));
}

}  // namespace
}  // namespace loader_test
