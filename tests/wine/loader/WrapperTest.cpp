// The decoding library's wrappers: names, handles handed over whatever the
// result, the library's error texts, and the information query. The wrappers
// answer with the library's result and show nothing.
#include "LoaderFixture.h"
#include "codecs/DecoderLibrary.h"
#include "rstrim/dll/Rstrim32Api.h"

namespace loader_test {
namespace {

using testing_support::RecordingServices;

class Wrappers : public ::testing::Test {
 protected:
  RecordingServices services;
  std::vector<testing_support::DialogCall>& dialogs() { return services.rec().dialogs; }
};

TEST_F(Wrappers, NamesUpTo255CharactersPassWhole) {
  char buffer[256];
  const std::wstring name255 = L"C:\\" + std::wstring(252, L'a');
  ASSERT_EQ(name255.size(), 255u);
  EXPECT_EQ(codecs::LibraryFileName(name255, buffer), rstrim::kOk);
  EXPECT_EQ(std::string(buffer), std::string(name255.begin(), name255.end()));
  EXPECT_EQ(codecs::LibraryFileName(name255 + L"b", buffer), rstrim::kNameTooLong)
      << "never cut to fit";
  EXPECT_EQ(codecs::LibraryFileName(L"", buffer), rstrim::kOk);
  EXPECT_EQ(buffer[0], '\0');
}

// "lum\u014D" would read "lumo" with best-fit characters: the twin must never open.
TEST_F(Wrappers, NameOutsideTheAnsiCodePageNeverOpensItsBestFitTwin) {
  WriteFileBytes(TempFile(L"lumo.bmp"), GradientBmp(7, 4));
  WriteFileBytes(TempFile(L"lum\u014D.bmp"), GradientBmp(5, 3));
  tk::BitmapObject bitmap;
  ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempFile(L"lum\u014D.bmp"), 24, 0, bitmap),
            rstrim::kOk)
      << "by its short name";
  EXPECT_EQ(bitmap.Width(), 5);
  WriteFileBytes(TempFile(L"lumo2.bmp"), GradientBmp(7, 4));
  char buffer[256];
  EXPECT_EQ(codecs::LibraryFileName(TempFile(L"lum\u014D2.bmp"), buffer), rstrim::kFileNotFound)
      << "no file, so no short name";
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempFile(L"lum\u014D2.bmp"), 24, 0, bitmap),
            rstrim::kFileNotFound);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, TooLongNameIsRefusedWithTheLibrarysCode) {
  tk::BitmapObject bitmap;
  bitmap.SetHandle(
      tk::Bitmap(CreateBitmap(3, 3, 1, 1, nullptr)));  // must give way to what the call hands
  const std::wstring name = TempFile(std::wstring(300, L'x') + L".bmp");
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, name, 24, 0, bitmap), rstrim::kNameTooLong);
  EXPECT_TRUE(bitmap.Empty()) << "the (null) handles are handed over also on failure";
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kNameTooLong),
            L"The file name is too long (more than 255 characters).");
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, MissingFileIsTheLibrarysCode) {
  tk::BitmapObject bitmap;
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kPng, TempFile(L"none.png"), 24, 0, bitmap),
            rstrim::kFileNotFound);
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kFileNotFound), L"File not found.");
  EXPECT_TRUE(bitmap.Empty());
}

TEST_F(Wrappers, ErrorTextIsTheStringWithTheResultAsUnsignedIdentifier) {
  EXPECT_EQ(codecs::LibraryErrorText(0), L"The picture could not be read.");
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kDamaged),
            L"The picture data are damaged or truncated.");
  EXPECT_EQ(codecs::LibraryErrorText(-100), L"Error -100 in RSTRIM32.DLL.");
  EXPECT_FALSE(codecs::ShowLibraryError(rstrim::kFileNotFound));
  ASSERT_EQ(dialogs().size(), 1u);
  EXPECT_EQ(dialogs()[0].text, L"File not found.");
  EXPECT_EQ(dialogs()[0].kind, tk::MsgKind::Error);
  EXPECT_EQ(dialogs()[0].buttons, static_cast<unsigned>(tk::mbOK));
  EXPECT_TRUE(services.rec().beeps.empty());
}

TEST_F(Wrappers, DecodersHandBitmapAndPalette) {
  const std::wstring bmp = TempFile(L"wrap.bmp");
  WriteFileBytes(bmp, GradientBmp(30, 20));
  struct Case {
    int resolution, bits;
    bool palette;
  } cases[] = {{0, 4, true}, {1, 1, true}, {4, 4, true}, {8, 8, true}, {24, 24, false}};
  for (const Case& c : cases) {
    tk::BitmapObject bitmap;
    ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, bmp, c.resolution, 1, bitmap), rstrim::kOk)
        << c.resolution;
    EXPECT_EQ(bitmap.Width(), 30);
    EXPECT_EQ(bitmap.Height(), 20);
    EXPECT_EQ(bitmap.BitsPerPixel(), c.bits) << c.resolution;
    EXPECT_EQ(bitmap.PaletteHandle() != nullptr, c.palette) << c.resolution;
    if (c.palette) {
      EXPECT_EQ(GetObjectType(bitmap.PaletteHandle()), static_cast<DWORD>(OBJ_PAL));
    }
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, EveryDecoderReadsItsFormat) {
  struct Case {
    const wchar_t* name;
    Bytes data;
    codecs::Decoder decoder;
  } cases[] = {
      {L"w.bmp", GradientBmp(17, 9), codecs::Decoder::kBmp},
      {L"w.tif", GradientTiff(17, 9), codecs::Decoder::kTif},
      {L"w.png", GradientPng(17, 9), codecs::Decoder::kPng},
      {L"w.jpg", PhotoJpeg(17, 9), codecs::Decoder::kJpeg},
      {L"w.gif", IndexedGif(17, 9), codecs::Decoder::kGif},
      {L"w.pcx", IndexedPcx(17, 9), codecs::Decoder::kPcx},
  };
  for (const Case& c : cases) {
    const std::wstring path = TempFile(c.name);
    WriteFileBytes(path, c.data);
    tk::BitmapObject bitmap;
    EXPECT_EQ(codecs::DecodeFile(c.decoder, path, 24, 0, bitmap), rstrim::kOk) << path.c_str();
    EXPECT_EQ(bitmap.Width(), 17) << path.c_str();
    EXPECT_EQ(bitmap.Height(), 9) << path.c_str();
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, GradientSurvivesTrueColourExactly) {
  const std::wstring path = TempFile(L"exact.bmp");
  WriteFileBytes(path, GradientBmp(12, 7));
  tk::BitmapObject bitmap;
  ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, path, 24, 0, bitmap), rstrim::kOk);
  const Pixels px = ReadPixels(bitmap.Handle());
  const fixtures::Picture want = fixtures::Gradient(12, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 12; ++x) {
      const fixtures::Rgb c = want.At(x, y);
      ASSERT_EQ(px.At(x, y), Rgb(c.r, c.g, c.b)) << x << "," << y;
    }
}

TEST_F(Wrappers, QueryCopiesTheLibrarysAnswer) {
  const std::wstring path = TempFile(L"query.bmp");
  WriteFileBytes(path, GradientBmp(33, 21));
  codecs::ImageFileInfo info;
  ASSERT_EQ(codecs::QueryFileInfo(path, info), rstrim::kOk);
  EXPECT_EQ(info.type, L"BMP");
  EXPECT_EQ(info.width, 33);
  EXPECT_EQ(info.height, 21);
  EXPECT_EQ(info.depthA * info.depthB, 24);
  EXPECT_LE(info.type.size(), 5u);
  EXPECT_LE(info.detail.size(), 25u);
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, FailedQueryStillFillsTheValues) {
  const std::wstring path = TempFile(L"junk.gif");
  WriteFileBytes(path, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
  codecs::ImageFileInfo info;
  info.width = 99;
  info.type = L"OLD";
  EXPECT_LE(codecs::QueryFileInfo(path, info), 0);
  EXPECT_EQ(info.type, L"ERR");
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(info.height, 0);
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(Wrappers, NoHandleOutlivesItsOwner) {
  const std::wstring good = TempFile(L"own.gif");
  const std::wstring bad = TempFile(L"own-bad.gif");
  WriteFileBytes(good, IndexedGif(20, 20));
  Bytes cut = IndexedGif(20, 20);
  cut.resize(cut.size() / 2);
  WriteFileBytes(bad, cut);
  {
    tk::BitmapObject warm;
    codecs::DecodeFile(codecs::Decoder::kGif, good, 8, 1, warm);
  }
  const long gdi = GdiObjectCount();
  const long live = tk::SharedImage::LiveCount();
  for (int i = 0; i < 50; ++i) {
    tk::BitmapObject bitmap;
    codecs::DecodeFile(codecs::Decoder::kGif, i % 2 ? good : bad, i % 3 ? 8 : 24, i % 2, bitmap);
    codecs::ImageFileInfo info;
    codecs::QueryFileInfo(i % 2 ? good : bad, info);
  }
  EXPECT_EQ(GdiObjectCount(), gdi);
  EXPECT_EQ(tk::SharedImage::LiveCount(), live);
}

}  // namespace
}  // namespace loader_test
