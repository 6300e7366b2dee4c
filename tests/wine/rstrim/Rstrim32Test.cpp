// RSTRIM32.DLL through its ordinals, as the program uses it: the exports, the
// JPEG scale, a caller's palette, no handles on failure and no leaks, the texts
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

class Rstrim32 : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(module_, nullptr) << "RSTRIM32.DLL not found"; }
  rstrim::DecodeFileFn Decoder(WORD ordinal) { return Entry<rstrim::DecodeFileFn>(ordinal); }
  short Query(const std::string& file, char* type, short* w, char* detail) {
    short h = 0, a = 0, b = 0, extra = 0;
    return Entry<rstrim::QueryImageFileInfoFn>(rstrim::kOrdQueryImageFileInfo)(
        file.c_str(), type, w, &h, &a, &b, &extra, detail, 0);
  }

  HMODULE module_ = Library();
};

TEST_F(Rstrim32, ExportsOrdinalsOnly) {
  for (WORD ord : {1, 5, 7, 8, 15, 17, 25})
    EXPECT_NE(GetProcAddress(module_, MAKEINTRESOURCEA(ord)), nullptr) << ord;
  EXPECT_EQ(GetProcAddress(module_, "DecodeJpegFile"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, "QueryImageFileInfo"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(2)), nullptr);
}

TEST_F(Rstrim32, JpegScaleReachesTheDecoder) {
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

TEST_F(Rstrim32, CallersPaletteIsUsedAndGivenBack) {
  const std::string file = WriteTemp("pal.png", ReadData("png-rgb8.png"));
  struct {
    WORD version, count;
    PALETTEENTRY e[4];
  } log = {0x300, 4, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}}};
  base::Palette mine(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log)));
  HPALETTE pal = mine.get();
  HBITMAP bmp = nullptr;
  ASSERT_EQ(Decoder(rstrim::kOrdDecodePngFile)(file.c_str(), 8, 1, &bmp, &pal, 0, 0), 1);
  EXPECT_EQ(pal, mine.get());
  base::Bitmap owned(bmp);
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  base::SelectGuard select(dc.get(), bmp);
  RGBQUAD table[256];
  ASSERT_GE(GetDIBColorTable(dc.get(), 0, 256, table),
            4u);  // room for 256; the first four are ours
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue),
              RGB(log.e[i].peRed, log.e[i].peGreen, log.e[i].peBlue));
  }
}

TEST_F(Rstrim32, FailuresReturnNoHandles) {
  const std::string junk =
      WriteTemp("junk.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  Bytes png = ReadData("photo.png");
  png.resize(png.size() / 2);
  const std::string cut = WriteTemp("cut.png", png), missing = TempPath("missing.png");
  const struct {
    const std::string* file;
    LONG resolution;
    short want;
  } cases[] = {{&junk, 24, -2}, {&cut, 8, -3}, {&missing, 24, -1}, {&cut, -5, -9}};
  for (const auto& c : cases) {
    HBITMAP bmp = reinterpret_cast<HBITMAP>(1);
    HPALETTE pal = nullptr;
    const short r =
        Decoder(rstrim::kOrdDecodePngFile)(c.file->c_str(), c.resolution, 1, &bmp, &pal, 0, 0);
    EXPECT_EQ(std::tuple(r, bmp, pal), std::tuple(c.want, HBITMAP{}, HPALETTE{})) << *c.file;
  }
  EXPECT_EQ(Decoder(rstrim::kOrdDecodePngFile)(junk.c_str(), 24, 0, nullptr, nullptr, 0, 0), -9);
}

TEST_F(Rstrim32, ErrorTextsFromTheStringTable) {
#define RSTRIM_FAILURE_ROW(name, code, text) {code, text},
  const std::pair<int, const char*> failures[] = {RSTRIM_FAILURES(RSTRIM_FAILURE_ROW)};
#undef RSTRIM_FAILURE_ROW
  for (const auto& [code, want] : failures) {
    char text[256] = {};
    EXPECT_GT(LoadStringA(module_, static_cast<UINT>(static_cast<WORD>(code)), text, sizeof text),
              0)
        << code;
    EXPECT_STREQ(text, want) << code;
  }
}

TEST_F(Rstrim32, QueryFillsItsBuffersAndNoMore) {
  const std::string file = WriteTemp("info.jpg", ReadData("jpeg-exif6.jpg"));
  char type[8], detail[28];
  std::memset(type, 'x', sizeof type);
  std::memset(detail, 'x', sizeof detail);
  short w = 0;
  // The result, the texts and the width, and what lies past the 6 and 26 byte buffers.
  const auto seen = [&](short r) {
    return std::to_string(r) + " " + type + " " + std::to_string(w) + " " + detail + " " + type[6] +
           detail[26];
  };
  EXPECT_EQ(seen(Query(file, type, &w, detail)), "1 JPEG 29 Baseline xx");  // turned upright
  EXPECT_EQ(seen(Query(TempPath("none.jpg"), type, &w, detail)), "-1 ERR 0  xx");
}

}  // namespace
