// The decoding library's wrappers: names whole or refused, never a best-fit
// twin, and the library's error texts. The wrappers answer with the library's
// result and show nothing.
#include "LoaderFixture.h"
#include "codecs/DecoderLibrary.h"

namespace loader_test {
namespace {

class Wrappers : public ::testing::Test {
 protected:
  testing_support::RecordingServices services;
  std::vector<testing_support::DialogCall>& dialogs() { return services.rec().dialogs; }
};

TEST_F(Wrappers, NamesUpTo255CharactersPassWhole) {
  char buffer[256];
  const std::wstring name255 = L"C:\\" + std::wstring(252, L'a');
  EXPECT_EQ(codecs::LibraryFileName(name255, buffer), rstrim::kOk);
  EXPECT_EQ(std::string(buffer), std::string(name255.begin(), name255.end()));
  EXPECT_EQ(codecs::LibraryFileName(name255 + L"b", buffer), rstrim::kNameTooLong)
      << "never cut to fit";
  EXPECT_EQ(codecs::LibraryFileName(L"", buffer), rstrim::kOk);
  EXPECT_EQ(buffer[0], '\0');
}

// "lum\u014D" would read "lumo" with best-fit characters: the twin must never open.
TEST_F(Wrappers, NameOutsideTheAnsiCodePageNeverOpensItsBestFitTwin) {
  Put(L"lumo.bmp", L"bmp-24.bmp");
  Put(L"lum\u014D.bmp", L"bmp-topdown.bmp");
  tk::BitmapObject bitmap;
  ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempFile(L"lum\u014D.bmp"), 24, 0, bitmap),
            rstrim::kOk)
      << "by its short name";
  EXPECT_EQ(bitmap.Width(), 2);
  Put(L"lumo2.bmp", L"bmp-24.bmp");
  char buffer[256];
  EXPECT_EQ(codecs::LibraryFileName(TempFile(L"lum\u014D2.bmp"), buffer), rstrim::kFileNotFound)
      << "no file, so no short name";
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempFile(L"lum\u014D2.bmp"), 24, 0, bitmap),
            rstrim::kFileNotFound);
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

}  // namespace
}  // namespace loader_test
