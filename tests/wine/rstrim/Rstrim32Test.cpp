// RSTRIM32.DLL through its ordinals, as the program uses it: the exports, the
// JPEG scale, a caller's palette, no handles on failure, the texts
// of the result codes and the information query's buffers.
// Every test picture is decoded through the ordinals by the variant suites
// (DecodeViaDll.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "DllEntries.h"
#include "base/Handles.h"
#include "rstrim/core/Result.h"
#include "rstrim/dll/Rstrim32Api.h"
#include "tests/native/codecs/TestSupport.h"

namespace {

using namespace testing_rstrim;

const auto decodePng = Entry<rstrim::DecodeFileFn>(rstrim::kOrdDecodePngFile);

// A missing library fails here; the variant suites, which reach every decode
// ordinal and the query, fail on a missing ordinal.
TEST(Rstrim32, ExportsOrdinalsOnly) {
  ASSERT_NE(Library(), nullptr) << "RSTRIM32.DLL not found";
  EXPECT_EQ(GetProcAddress(Library(), "DecodeJpegFile"), nullptr);
  EXPECT_EQ(GetProcAddress(Library(), "QueryImageFileInfo"), nullptr);
  EXPECT_EQ(GetProcAddress(Library(), MAKEINTRESOURCEA(2)), nullptr);
}

TEST(Rstrim32, JpegScaleReachesTheDecoder) {
  const std::string jpg = WriteTemp("a.jpg", ReadData("jpeg-baseline.jpg"));
  auto jpeg = Entry<rstrim::DecodeJpegFileFn>(rstrim::kOrdDecodeJpegFile);
  for (const auto& [scale, width] : {std::pair{1, 45}, {2, 23}}) {
    HBITMAP bmp = nullptr;
    HPALETTE pal = nullptr;
    ASSERT_EQ(jpeg(jpg.c_str(), 24, scale, 0, &bmp, &pal, 0, 0), 1);
    base::Bitmap owned(bmp);
    BITMAP bm{};
    EXPECT_EQ(GetObjectW(bmp, sizeof bm, &bm) ? bm.bmWidth : -1, width);
  }
}

TEST(Rstrim32, CallersPaletteIsUsedAndGivenBack) {
  const std::string file = WriteTemp("pal.png", ReadData("png-rgb8.png"));
  struct {
    WORD version, count;
    PALETTEENTRY e[4];
  } log = {0x300, 4, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}}};
  base::Palette mine(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log)));
  HPALETTE pal = mine.get();
  HBITMAP bmp = nullptr;
  ASSERT_EQ(decodePng(file.c_str(), 8, 1, &bmp, &pal, 0, 0), 1);
  EXPECT_EQ(pal, mine.get());
  base::Bitmap owned(bmp);
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  base::SelectGuard select(dc.get(), bmp);
  RGBQUAD table[256];
  // Room for 256; the first four are ours.
  ASSERT_GE(GetDIBColorTable(dc.get(), 0, 256, table), 4u);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue),
              RGB(log.e[i].peRed, log.e[i].peGreen, log.e[i].peBlue));
}

TEST(Rstrim32, FailuresReturnNoHandles) {
  const std::string junk =
      WriteTemp("junk.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  Bytes half = ReadData("photo.png");
  half.resize(half.size() / 2);
  const std::string cut = WriteTemp("cut.png", half), missing = TempPath("missing.png");
  const struct {
    const std::string* file;
    LONG resolution;
    short want;
  } cases[] = {{&junk, 24, -2}, {&cut, 8, -3}, {&missing, 24, -1}, {&cut, -5, -9}};
  for (const auto& c : cases) {
    HBITMAP bmp = reinterpret_cast<HBITMAP>(1);
    HPALETTE pal = nullptr;
    const short r = decodePng(c.file->c_str(), c.resolution, 1, &bmp, &pal, 0, 0);
    EXPECT_EQ(std::tuple(r, bmp, pal), std::tuple(c.want, HBITMAP{}, HPALETTE{})) << *c.file;
  }
  EXPECT_EQ(decodePng(junk.c_str(), 24, 0, nullptr, nullptr, 0, 0), -9);
}

TEST(Rstrim32, ErrorTextsFromTheStringTable) {
#define RSTRIM_FAILURE_ROW(name, code, text) {code, text},
  const std::pair<int, const char*> failures[] = {RSTRIM_FAILURES(RSTRIM_FAILURE_ROW)};
#undef RSTRIM_FAILURE_ROW
  for (const auto& [code, want] : failures) {
    char text[256] = {};
    LoadStringA(Library(), static_cast<UINT>(static_cast<WORD>(code)), text, sizeof text);
    EXPECT_STREQ(text, want) << code;
  }
}

TEST(Rstrim32, QueryFillsItsBuffersAndNoMore) {
  const std::string file = WriteTemp("info.jpg", ReadData("jpeg-exif6.jpg"));
  char type[8], detail[28];
  std::memset(type, 'x', sizeof type);
  std::memset(detail, 'x', sizeof detail);
  short w = 0, h, a, b, extra;
  // The result, the texts and the width, and what lies past the 6 and 26 byte buffers.
  const auto seen = [&](const std::string& name) {
    const short r = Entry<rstrim::QueryImageFileInfoFn>(rstrim::kOrdQueryImageFileInfo)(
        name.c_str(), type, &w, &h, &a, &b, &extra, detail, 0);
    return std::to_string(r) + " " + type + " " + std::to_string(w) + " " + detail + " " + type[6] +
           detail[26];
  };
  EXPECT_EQ(seen(file), "1 JPEG 29 Baseline xx");  // turned upright
  EXPECT_EQ(seen(TempPath("none.jpg")), "-1 ERR 0  xx");
}

}  // namespace
