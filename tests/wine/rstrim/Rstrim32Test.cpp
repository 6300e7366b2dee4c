// RSTRIM32.DLL through its ordinals, as the program uses it: every entry, each
// resolution code with and without dithering, handle ownership, the texts of
// the result codes and the refusal of over-long names.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rstrim/core/Result.h"
#include "rstrim/dll/Rstrim32Api.h"
#include "tests/native/codecs/Fixtures.h"

namespace {

using fixtures::Bytes;
using fixtures::Picture;
using rstrim::Rgb;

class Rstrim32 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryA("RSTRIM32.DLL");
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    dir_ = std::string(tmp) + "rstrim32_test\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  void SetUp() override { ASSERT_NE(module_, nullptr) << "RSTRIM32.DLL not found"; }

  template <typename Fn>
  Fn Entry(WORD ordinal) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))));
  }
  rstrim::DecodeFileFn Decoder(WORD ordinal) { return Entry<rstrim::DecodeFileFn>(ordinal); }

  static std::string Write(const std::string& name, const Bytes& data) {
    const std::string path = dir_ + name;
    EXPECT_TRUE(fixtures::WriteFile(path, data));
    return path;
  }

  static HMODULE module_;
  static std::string dir_;
};

HMODULE Rstrim32::module_ = nullptr;
std::string Rstrim32::dir_;

// The picture a returned DIB section holds, read back through its own colour table.
struct Dib {
  int width = 0, height = 0, bpp = 0;
  std::vector<Rgb> table;
  Picture picture;
};

Dib ReadDib(HBITMAP bitmap) {
  Dib d;
  DIBSECTION ds{};
  if (GetObjectW(bitmap, sizeof ds, &ds) != sizeof ds || ds.dsBm.bmBits == nullptr) return d;
  d.width = ds.dsBmih.biWidth, d.height = std::abs(ds.dsBmih.biHeight),
  d.bpp = ds.dsBmih.biBitCount;
  if (d.bpp <= 8) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RGBQUAD q[256];
    const UINT n = GetDIBColorTable(dc, 0, 256, q);
    for (UINT i = 0; i < n; ++i) d.table.push_back(Rgb{q[i].rgbRed, q[i].rgbGreen, q[i].rgbBlue});
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  const bool bottomUp = ds.dsBmih.biHeight > 0;
  const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
  d.picture.width = d.width, d.picture.height = d.height;
  for (int y = 0; y < d.height; ++y) {
    const uint8_t* row =
        bits + static_cast<size_t>(bottomUp ? d.height - 1 - y : y) * ds.dsBm.bmWidthBytes;
    for (int x = 0; x < d.width; ++x) {
      int i = 0;
      switch (d.bpp) {
        case 24:
          d.picture.pixels.push_back(Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
          continue;
        case 8:
          i = row[x];
          break;
        case 4:
          i = (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
          break;
        default:
          i = (row[x / 8] >> (7 - x % 8)) & 1;
          break;
      }
      d.picture.pixels.push_back(i < static_cast<int>(d.table.size()) ? d.table[i] : Rgb{1, 2, 3});
    }
  }
  return d;
}

double MeanError(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return 1000;
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    sum += std::abs(a.pixels[i].r - b.pixels[i].r) + std::abs(a.pixels[i].g - b.pixels[i].g) +
           std::abs(a.pixels[i].b - b.pixels[i].b);
  }
  return sum / (3.0 * a.pixels.size());
}

double BlockError(const Picture& a, const Picture& b, int n) {
  if (a.width != b.width || a.height != b.height) return 1000;
  double sum = 0;
  int blocks = 0;
  for (int by = 0; by + n <= a.height; by += n) {
    for (int bx = 0; bx + n <= a.width; bx += n) {
      double d[3] = {0, 0, 0};
      for (int y = by; y < by + n; ++y) {
        for (int x = bx; x < bx + n; ++x) {
          const Rgb p = a.At(x, y), q = b.At(x, y);
          d[0] += p.r - q.r, d[1] += p.g - q.g, d[2] += p.b - q.b;
        }
      }
      sum += (std::abs(d[0]) + std::abs(d[1]) + std::abs(d[2])) / (3.0 * n * n);
      ++blocks;
    }
  }
  return sum / blocks;
}

std::vector<Rgb> PaletteOf(HPALETTE p) {
  std::vector<Rgb> colours;
  PALETTEENTRY e[256];
  const UINT n = GetPaletteEntries(p, 0, 256, e);
  for (UINT i = 0; i < n; ++i) colours.push_back(Rgb{e[i].peRed, e[i].peGreen, e[i].peBlue});
  return colours;
}

TEST_F(Rstrim32, ExportsOrdinalsOnly) {
  for (WORD ord : {1, 5, 7, 8, 15, 17, 25}) {
    EXPECT_NE(GetProcAddress(module_, MAKEINTRESOURCEA(ord)), nullptr) << ord;
  }
  EXPECT_EQ(GetProcAddress(module_, "DecodeJpegFile"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, "QueryImageFileInfo"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(2)), nullptr);
}

TEST_F(Rstrim32, EveryDecoderReturnsADibSection) {
  const Picture p = fixtures::Gradient(37, 21);
  const auto pal = fixtures::TestPalette(16);
  const auto idx = fixtures::Indices(37, 21, 16);
  const Picture indexed = [&] {
    Picture q;
    q.width = 37, q.height = 21;
    for (uint8_t i : idx) q.pixels.push_back(pal[i]);
    return q;
  }();
  Bytes rgbRows;
  for (const Rgb& c : p.pixels)
    rgbRows.push_back(c.r), rgbRows.push_back(c.g), rgbRows.push_back(c.b);
  fixtures::TiffSpec tiff;
  tiff.width = 37, tiff.height = 21, tiff.compression = 5;  // LZW
  fixtures::GifSpec gif;
  gif.screenWidth = gif.width = 37, gif.screenHeight = gif.height = 21, gif.globalMap = pal;
  fixtures::PcxSpec pcx;
  pcx.bitsPerPixel = 1, pcx.planes = 4;
  struct Case {
    WORD ordinal;
    std::string file;
    const Picture* want;
  } cases[] = {
      {7, Write("a.gif", fixtures::EncodeGif(gif, idx)), &indexed},
      {8, Write("a.pcx", fixtures::EncodePcx(37, 21, pcx, idx, pal)), &indexed},
      {15, Write("a.bmp", fixtures::EncodeBmp(37, 21, fixtures::BmpSpec{}, {}, {}, &p)), &p},
      {17, Write("a.png", fixtures::EncodePngRgb(p)), &p},
      {25, Write("a.tif", fixtures::EncodeTiff(tiff, rgbRows)), &p},
  };
  for (const Case& c : cases) {
    HBITMAP bmp = nullptr;
    HPALETTE hpal = nullptr;
    ASSERT_EQ(Decoder(c.ordinal)(c.file.c_str(), 24, 0, &bmp, &hpal, 0, 0), 1) << c.ordinal;
    ASSERT_EQ(GetObjectType(bmp), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(hpal, nullptr);
    const Dib d = ReadDib(bmp);
    EXPECT_EQ(d.bpp, 24);
    EXPECT_EQ(MeanError(d.picture, *c.want), 0.0) << c.ordinal;
    EXPECT_TRUE(DeleteObject(bmp));
  }
  const Picture photo = fixtures::Photo(64, 40);
  const std::string jpg = Write("a.jpg", fixtures::EncodeJpeg(photo, {}));
  auto jpeg = Entry<rstrim::DecodeJpegFileFn>(5);
  HBITMAP bmp = nullptr;
  HPALETTE hpal = nullptr;
  ASSERT_EQ(jpeg(jpg.c_str(), 24, 1, 0, &bmp, &hpal, 0, 0), 1);
  EXPECT_LT(MeanError(ReadDib(bmp).picture, photo), 3.0);
  DeleteObject(bmp);
  ASSERT_EQ(jpeg(jpg.c_str(), 24, 2, 0, &bmp, &hpal, 0, 0), 1);  // half size
  EXPECT_EQ(ReadDib(bmp).width, 32);
  DeleteObject(bmp);
}

struct Bounds {
  LONG resolution;
  int bpp;
  double plain, block;
};

TEST_F(Rstrim32, ResolutionCodesWithAndWithoutDither) {
  const Picture photo = fixtures::Photo(96, 64, 5);
  const std::string file = Write("photo.png", fixtures::EncodePngRgb(photo));
  const Bounds all[] = {
      {24, 24, 0, 0}, {8, 8, 4, 2.5}, {4, 4, 14, 6}, {1, 1, 60, 30}, {0, 4, 40, 14}};
  for (const Bounds& b : all) {
    double blockError[2] = {0, 0};
    for (LONG dither : {0, 1}) {
      HBITMAP bmp = nullptr;
      HPALETTE pal = nullptr;
      ASSERT_EQ(Decoder(17)(file.c_str(), b.resolution, dither, &bmp, &pal, 0, 0), 1);
      const Dib d = ReadDib(bmp);
      EXPECT_EQ(d.bpp, b.bpp) << b.resolution;
      if (b.bpp == 24) {
        EXPECT_EQ(pal, nullptr);
      } else {
        ASSERT_EQ(GetObjectType(pal), static_cast<DWORD>(OBJ_PAL));
        const auto colours = PaletteOf(pal);
        EXPECT_LE(colours.size(), 1u << b.bpp);
        EXPECT_EQ(colours.size(), d.table.size());
        EXPECT_EQ(colours, std::vector<Rgb>(d.table.begin(),
                                            d.table.begin() + static_cast<long>(colours.size())));
        if (b.resolution == 0) {
          EXPECT_EQ(colours.size(), 16u);
          EXPECT_EQ(colours[12], (Rgb{0, 0, 255}));
        }
        EXPECT_TRUE(DeleteObject(pal));
      }
      if (dither == 0) {
        EXPECT_LE(MeanError(d.picture, photo), b.plain + 1e-9) << b.resolution;
      } else {
        EXPECT_LE(BlockError(d.picture, photo, 4), b.block + 1e-9) << b.resolution;
      }
      blockError[dither] = BlockError(d.picture, photo, 4);
      EXPECT_TRUE(DeleteObject(bmp));
    }
    if (b.bpp < 24) {
      EXPECT_LT(blockError[1], blockError[0]) << b.resolution;
    }
  }
}

TEST_F(Rstrim32, CallersPaletteIsUsedAndGivenBack) {
  const std::string file = Write("pal.png", fixtures::EncodePngRgb(fixtures::Gradient(32, 32)));
  struct {
    WORD version, count;
    PALETTEENTRY e[4];
  } log = {0x300, 4, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}}};
  HPALETTE mine = CreatePalette(reinterpret_cast<LOGPALETTE*>(&log));
  HPALETTE pal = mine;
  HBITMAP bmp = nullptr;
  ASSERT_EQ(Decoder(17)(file.c_str(), 8, 1, &bmp, &pal, 0, 0), 1);
  EXPECT_EQ(pal, mine);
  const Dib d = ReadDib(bmp);
  // The section's table has room for 256 entries; the first four are the caller's.
  ASSERT_GE(d.table.size(), 4u);
  EXPECT_EQ(std::vector<Rgb>(d.table.begin(), d.table.begin() + 4),
            (std::vector<Rgb>{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}));
  for (const Rgb& c : d.picture.pixels) {
    ASSERT_TRUE((c == Rgb{0, 0, 0}) || c.r + c.g + c.b == 255) << "only the caller's colours";
  }
  DeleteObject(bmp);
  DeleteObject(mine);
}

TEST_F(Rstrim32, FailuresReturnNoHandles) {
  const std::string junk = Write("junk.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  Bytes png = fixtures::EncodePngRgb(fixtures::Photo(40, 40));
  png.resize(png.size() / 2);
  const std::string cut = Write("cut.png", png);
  const std::string missing = dir_ + "missing.png";
  const struct {
    const std::string* file;
    LONG resolution;
    short want;
  } cases[] = {{&junk, 24, -2}, {&cut, 8, -3}, {&missing, 24, -1}, {&cut, -5, -9}};
  for (const auto& c : cases) {
    HBITMAP bmp = reinterpret_cast<HBITMAP>(1);
    HPALETTE pal = nullptr;
    EXPECT_EQ(Decoder(17)(c.file->c_str(), c.resolution, 1, &bmp, &pal, 0, 0), c.want);
    EXPECT_EQ(bmp, nullptr);
    EXPECT_EQ(pal, nullptr);
  }
  EXPECT_EQ(Decoder(17)(junk.c_str(), 24, 0, nullptr, nullptr, 0, 0), -9);
}

TEST_F(Rstrim32, NoGdiObjectsLeak) {
  const std::string file = Write("leak.gif", [] {
    fixtures::GifSpec g;
    g.screenWidth = g.width = 20, g.screenHeight = g.height = 20,
    g.globalMap = fixtures::TestPalette(256);
    return fixtures::EncodeGif(g, fixtures::Indices(20, 20, 256));
  }());
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 50; ++i) {
    HBITMAP bmp = nullptr;
    HPALETTE pal = nullptr;
    ASSERT_EQ(Decoder(7)(file.c_str(), i % 2 ? 4 : 8, i % 3 == 0, &bmp, &pal, 0, 0), 1);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_TRUE(DeleteObject(pal));
    EXPECT_EQ(GetObjectType(bmp), 0u);
    HBITMAP none = nullptr;
    HPALETTE nopal = nullptr;
    EXPECT_EQ(Decoder(15)(file.c_str(), 8, 0, &none, &nopal, 0, 0), -2);
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (before != 0) {
    EXPECT_LE(after, before + 2);  // Wine may not count; Windows does
  }
}

TEST_F(Rstrim32, ErrorTextsFromTheStringTable) {
#define RSTRIM_FAILURE_ROW(name, code, text) {code, text},
  const std::pair<int, const char*> failures[] = {RSTRIM_FAILURES(RSTRIM_FAILURE_ROW)};
#undef RSTRIM_FAILURE_ROW
  for (const auto& [code, want] : failures) {
    char text[256] = {};
    const int n =
        LoadStringA(module_, static_cast<UINT>(static_cast<WORD>(code)), text, sizeof text);
    EXPECT_GT(n, 0) << code;
    EXPECT_STREQ(text, want) << code;
  }
}

TEST_F(Rstrim32, QueryImageFileInfo) {
  auto query = Entry<rstrim::QueryImageFileInfoFn>(1);
  fixtures::JpegSpec layout;
  layout.progressive = true;
  layout.orientation = 6;
  const std::string file =
      Write("info.jpg", fixtures::EncodeJpeg(fixtures::Gradient(30, 20), layout));
  char type[8], detail[28];
  std::memset(type, 'x', sizeof type);
  std::memset(detail, 'x', sizeof detail);
  short w = 0, h = 0, a = 0, b = 0, extra = 0;
  ASSERT_EQ(query(file.c_str(), type, &w, &h, &a, &b, &extra, detail, 0), 1);
  EXPECT_STREQ(type, "JPEG");
  EXPECT_EQ(w, 20);  // turned upright
  EXPECT_EQ(h, 30);
  EXPECT_EQ(a * b, 24);
  EXPECT_EQ(extra, 1);
  EXPECT_STREQ(detail, "Progressive");
  EXPECT_EQ(type[6], 'x');  // nothing written past the 6-byte buffer
  EXPECT_EQ(detail[26], 'x');

  EXPECT_EQ(query((dir_ + "none.jpg").c_str(), type, &w, &h, &a, &b, &extra, detail, 0), -1);
  EXPECT_STREQ(type, "ERR");
  EXPECT_EQ(w, 0);
}

TEST_F(Rstrim32, NamesLongerThan255AreRefused) {
  const Bytes png = fixtures::EncodePngRgb(fixtures::Gradient(8, 8));
  // A name of exactly 255 characters reaches the file; one more is refused, not cut.
  std::string name = dir_;
  name += std::string(255 - name.size() - 4, 'n') + ".png";
  ASSERT_EQ(name.size(), 255u);
  ASSERT_TRUE(fixtures::WriteFile(name, png));
  HBITMAP bmp = nullptr;
  HPALETTE pal = nullptr;
  ASSERT_EQ(Decoder(17)(name.c_str(), 24, 0, &bmp, &pal, 0, 0), 1);
  DeleteObject(bmp);
  bmp = nullptr;
  // A dot folder after the drive names the same file with two more characters.
  const std::string longer = name.substr(0, 3) + ".\\" + name.substr(3);
  EXPECT_EQ(Decoder(17)(longer.c_str(), 24, 0, &bmp, &pal, 0, 0), -6);
  EXPECT_EQ(bmp, nullptr);
  const std::string veryLong(300, 'a');
  auto query = Entry<rstrim::QueryImageFileInfoFn>(1);
  char type[6], detail[26];
  short w, h, a, b, extra;
  EXPECT_EQ(query(veryLong.c_str(), type, &w, &h, &a, &b, &extra, detail, 0), -6);
  DeleteFileA(name.c_str());
}

}  // namespace
