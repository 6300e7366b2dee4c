// Writing ImageName: the extension key picks the reader; the messages, the
// status text and the picture after each outcome.
#include "LoaderFixture.h"
#include "codecs/DecoderLibrary.h"
#include "imagectl/Readers.h"
#include "util/portable/PathUtil.h"

namespace loader_test {
namespace {

using testing_support::DialogCall;

const wchar_t kNonLibrary[] = L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

std::wstring Upper(const std::wstring& s) { return util::UpperAscii(s); }

TEST(ReaderTable, RowsWithTheirMessages) {
  EXPECT_EQ(imagectl::FindReaderRow(L".THB")->decoder, codecs::Decoder::kBmp);
  EXPECT_EQ(imagectl::FindReaderRow(L".THJ")->decoder, codecs::Decoder::kJpeg);
  EXPECT_EQ(imagectl::FindReaderRow(L".RES")->reader, imagectl::Reader::kResource);
  EXPECT_STREQ(imagectl::FindReaderRow(L".THJ")->failure, L"Reading jpg file failed");
  EXPECT_STREQ(imagectl::FindReaderRow(L".RES")->failure, L"Reading resource file failed");
  EXPECT_EQ(imagectl::FindReaderRow(L".JPE"), nullptr);
  EXPECT_EQ(imagectl::FindReaderRow(L".WMF")->reader, imagectl::Reader::kToolkit);
}

TEST(Resolution, CodesFromTheSetting) {
  using imagectl::ResolutionCode;
  EXPECT_EQ(ResolutionCode(TLoadResolution::lColorVga, 24), 0);
  EXPECT_EQ(ResolutionCode(TLoadResolution::lMonoChrome, 24), 1);
  EXPECT_EQ(ResolutionCode(TLoadResolution::lColor16, 24), 4);
  EXPECT_EQ(ResolutionCode(TLoadResolution::lColor256, 1), 8);
  EXPECT_EQ(ResolutionCode(TLoadResolution::lColorTrue, 4), 24);
  const struct {
    int screen, code;
  } autoCases[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {15, 8}, {16, 24}, {24, 24}, {32, 24}};
  for (const auto& c : autoCases)
    EXPECT_EQ(ResolutionCode(TLoadResolution::lAutoMatic, c.screen), c.code);
}

TEST_F(LoaderTest, MissingFileEmptiesThePictureSilently) {
  const std::wstring good = TempFile(L"there.bmp");
  WriteFileBytes(good, GradientBmp(10, 10));
  image().SetImageName(good);
  ASSERT_EQ(image().Picture().Width(), 10);
  const int infoWidth = image().ImageWidth();
  image().SetImageName(TempFile(L"not-there.bmp"));
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().StatusText(), L"file not found");
  EXPECT_EQ(image().ImageName(), L"file not found");
  EXPECT_EQ(image().ImageWidth(), infoWidth) << "no information query for a missing file";
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, EmptyNameIsFileNotFound) {
  image().SetImageName(L"");
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().ImageName(), L"file not found");
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, BmpReadsWithItsInformation) {
  const std::wstring path = TempFile(L"photo.bmp");
  WriteFileBytes(path, GradientBmp(30, 20));
  image().SetImageReadRes(TLoadResolution::lColorTrue);
  image().SetImageName(path);
  EXPECT_TRUE(dialogs().empty());
  EXPECT_TRUE(image().Picture().HasBitmap());
  EXPECT_EQ(image().Picture().Width(), 30);
  EXPECT_EQ(image().Picture().Height(), 20);
  EXPECT_EQ(image().StatusText(), Upper(path));
  EXPECT_NE(image().StatusText(), path) << "the name has lower-case letters";
  codecs::ImageFileInfo info;
  ASSERT_EQ(codecs::QueryFileInfo(path, info), rstrim::kOk);
  EXPECT_EQ(image().ImageType(), info.type);
  EXPECT_EQ(image().ImageWidth(), 30);
  EXPECT_EQ(image().ImageHeight(), 20);
  EXPECT_EQ(image().ImageDepthA(), info.depthA);
  EXPECT_EQ(image().ImageDepthB(), info.depthB);
  EXPECT_EQ(image().ImageDepthA() * image().ImageDepthB(), 24);
  EXPECT_EQ(image().ImageExtra(), info.extra);
  EXPECT_EQ(image().ImageDetail(), info.detail);
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(path));
}

TEST_F(LoaderTest, SameNameTwiceReadsTwice) {
  const std::wstring path = TempFile(L"twice.png");
  WriteFileBytes(path, GradientPng(8, 6));
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 8);
  WriteFileBytes(path, GradientPng(12, 5));
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 12);
  EXPECT_EQ(image().ImageWidth(), 12);
  WriteFileBytes(path, GradientPng(7, 3));
  EXPECT_EQ(image().ImageName(), Upper(path)) << "reading the name loads again";
  EXPECT_EQ(image().Picture().Width(), 7);
}

TEST_F(LoaderTest, LongExtensionsByTheirFirstFourCharacters) {
  const std::wstring tiff = TempFile(L"PHOTO.TIFF");
  WriteFileBytes(tiff, GradientTiff(14, 9));
  image().SetImageName(tiff);
  EXPECT_TRUE(dialogs().empty());
  EXPECT_EQ(image().Picture().Width(), 14) << ".TIFF is read by the TIFF decoder";
  EXPECT_EQ(image().StatusText(), Upper(tiff));

  const HBITMAP shown = image().Picture().AsBitmap().Handle();
  for (const wchar_t* name : {L"PHOTO.JPEG", L"photo.xyz", L"noextension"}) {
    const std::wstring other = TempFile(name);
    WriteFileBytes(other, PhotoJpeg(16, 16));
    image().SetImageName(other);
    EXPECT_EQ(image().Picture().AsBitmap().Handle(), shown) << "read by nothing: " << other.c_str();
    EXPECT_EQ(image().StatusText(), Upper(other));
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, EveryRowReadsItsFormat) {
  struct Case {
    const wchar_t* name;
    Bytes data;
  } cases[] = {
      {L"a.bmp", GradientBmp(11, 7)}, {L"a.thb", GradientBmp(11, 7)},
      {L"a.thj", PhotoJpeg(11, 7)},   {L"a.png", GradientPng(11, 7)},
      {L"a.gif", IndexedGif(11, 7)},  {L"a.tif", GradientTiff(11, 7)},
      {L"a.pcx", IndexedPcx(11, 7)},  {L"a.jpg", PhotoJpeg(11, 7)},
  };
  for (const Case& c : cases) {
    const std::wstring path = TempFile(c.name);
    WriteFileBytes(path, c.data);
    image().Picture().Clear();
    image().SetImageName(path);
    EXPECT_EQ(image().Picture().Width(), 11) << c.name;
    EXPECT_EQ(image().ImageWidth(), 11) << c.name;
    EXPECT_EQ(image().ImageFileSize(), FileSizeOf(path)) << c.name;
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, DecoderFailureShowsLibraryTextThenRowMessage) {
  const std::wstring good = TempFile(L"before.bmp");
  WriteFileBytes(good, GradientBmp(10, 10));
  image().SetImageName(good);
  const std::wstring path = TempFile(L"broken.bmp");
  Bytes broken = GradientBmp(40, 40);
  broken.resize(200);  // header intact, pixels cut
  WriteFileBytes(path, broken);
  const short code = DirectDecode(15, path, 24);
  ASSERT_LE(code, 0);

  image().SetImageName(path);
  ASSERT_GE(dialogs().size(), 2u);
  EXPECT_EQ(dialogs()[0].kind, tk::MsgKind::Error);
  EXPECT_EQ(dialogs()[0].text, codecs::LibraryErrorText(code));
  EXPECT_EQ(dialogs()[1].kind, tk::MsgKind::Information);
  EXPECT_EQ(dialogs()[1].buttons, static_cast<unsigned>(tk::mbOK));
  EXPECT_EQ(dialogs()[1].text, L"Reading bmp file failed");
  // The information query may report the damage once more; nothing else follows.
  for (std::size_t i = 2; i < dialogs().size(); ++i)
    EXPECT_EQ(dialogs()[i].kind, tk::MsgKind::Error);
  EXPECT_LE(dialogs().size(), 3u);
  EXPECT_TRUE(image().Picture().HasBitmap()) << "what the library returned: an empty bitmap";
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().StatusText(), Upper(path));
  EXPECT_EQ(image().ImageFileSize(), 200);
  EXPECT_TRUE(services.rec().beeps.empty());
}

TEST_F(LoaderTest, EachRowNamesItsFormatWhenItFails) {
  const Bytes junk{'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
  const struct {
    const wchar_t* name;
    const wchar_t* message;
  } cases[] = {
      {L"j.bmp", L"Reading bmp file failed"}, {L"j.thb", L"Reading bmp file failed"},
      {L"j.thj", L"Reading jpg file failed"}, {L"j.png", L"Reading png file failed"},
      {L"j.gif", L"Reading gif file failed"}, {L"j.tif", L"Reading tif file failed"},
      {L"j.pcx", L"Reading pcx file failed"}, {L"j.jpg", L"Reading jpg file failed"},
  };
  for (const auto& c : cases) {
    const std::wstring path = TempFile(c.name);
    WriteFileBytes(path, junk);
    dialogs().clear();
    image().SetImageName(path);
    ASSERT_GE(dialogs().size(), 2u) << c.name;
    EXPECT_EQ(dialogs()[0].kind, tk::MsgKind::Error) << c.name;
    EXPECT_EQ(dialogs()[1].kind, tk::MsgKind::Information) << c.name;
    EXPECT_EQ(dialogs()[1].text, c.message) << c.name;
    EXPECT_EQ(image().ImageType(), L"ERR") << c.name;
  }
}

TEST_F(LoaderTest, ResolutionReachesTheLibrary) {
  const std::wstring path = TempFile(L"depth.bmp");
  WriteFileBytes(path, GradientBmp(32, 16));
  const struct {
    TLoadResolution setting;
    int bits;
    bool palette;
  } cases[] = {{TLoadResolution::lColorVga, 4, true},
               {TLoadResolution::lMonoChrome, 1, true},
               {TLoadResolution::lColor16, 4, true},
               {TLoadResolution::lColor256, 8, true},
               {TLoadResolution::lColorTrue, 24, false}};
  for (const auto& c : cases) {
    image().SetImageReadRes(c.setting);
    image().SetImageName(path);
    const tk::BitmapObject bitmap = image().Picture().AsBitmap();
    EXPECT_EQ(bitmap.BitsPerPixel(), c.bits) << static_cast<int>(c.setting);
    EXPECT_EQ(bitmap.PaletteHandle() != nullptr, c.palette) << static_cast<int>(c.setting);
  }
  image().SetImageReadRes(TLoadResolution::lAutoMatic);
  image().SetImageName(path);
  const int screen = imagectl::DisplayBitsPerPixel(nullptr);
  const int want = imagectl::ResolutionCode(TLoadResolution::lAutoMatic, screen);
  EXPECT_EQ(image().Picture().AsBitmap().BitsPerPixel(), want) << "screen " << screen;
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, DitherFlagReachesTheLibrary) {
  const std::wstring path = TempFile(L"dither.bmp");
  WriteFileBytes(path, GradientBmp(64, 32));
  image().SetImageReadRes(TLoadResolution::lColor16);
  image().SetImageDither(true);
  image().SetImageName(path);
  const Pixels dithered = ReadPixels(image().Picture().AsBitmap().Handle());
  image().SetImageDither(false);
  image().SetImageName(path);
  const Pixels plain = ReadPixels(image().Picture().AsBitmap().Handle());
  ASSERT_EQ(dithered.rgb.size(), plain.rgb.size());
  EXPECT_NE(dithered.rgb, plain.rgb) << "diffusion changes a 16-colour gradient";
}

TEST_F(LoaderTest, ReadingStopsARunningTicker) {
  auto& probe = *host.image;
  probe.SavedColor = tk::clRed;
  probe.TickerActive = true;
  probe.SetImageName(TempFile(L"gone.bmp"));
  EXPECT_TRUE(probe.TickerActive) << "a missing file does not stop the ticker";
  const std::wstring path = TempFile(L"ticker.bmp");
  WriteFileBytes(path, GradientBmp(5, 5));
  probe.SetImageName(path);
  EXPECT_FALSE(probe.TickerActive);
  EXPECT_EQ(probe.GetColor(), tk::clRed);
  EXPECT_EQ(probe.Picture().Width(), 5);
}

TEST_F(LoaderTest, IconsAndMetafilesByTheToolkit) {
  const std::wstring ico = TempFile(L"good.ico");
  WriteFileBytes(ico, imagectl_test::MakeIcoFile());
  image().SetImageName(ico);
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::IconGraphic);
  EXPECT_EQ(image().StatusText(), kNonLibrary);
  EXPECT_EQ(image().ImageName(), kNonLibrary);
  EXPECT_EQ(image().ImageType(), L"ICO");
  EXPECT_EQ(image().ImageDetail(), L"ICO");
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(ico));

  const std::wstring wmf = TempFile(L"good.wmf");
  WriteFileBytes(wmf, imagectl_test::MakePlaceableWmf(1440, 720, 1440));
  image().SetImageName(wmf);
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::MetafileGraphic);
  EXPECT_EQ(image().StatusText(), kNonLibrary);
  EXPECT_EQ(image().ImageType(), L"WMF");
  EXPECT_EQ(image().ImageWidth(), image().Picture().Width());
  EXPECT_GT(image().ImageWidth(), 0);
  EXPECT_EQ(image().ImageHeight(), image().Picture().Height());
  EXPECT_EQ(image().ImageDepthA(), 0);
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(wmf));
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, UnreadableIconReachesTheCaller) {
  const std::wstring good = TempFile(L"keep.bmp");
  WriteFileBytes(good, GradientBmp(6, 6));
  image().SetImageName(good);
  const std::wstring status = image().StatusText();
  const std::wstring bad = TempFile(L"bad.ico");
  WriteFileBytes(bad, Bytes{0, 0, 1, 0, 1, 0, 9, 9});
  EXPECT_THROW(image().SetImageName(bad), tk::EInvalidGraphic);
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().StatusText(), status);
  EXPECT_TRUE(dialogs().empty());
}

// Information dialogs that raise, as a toolkit failure inside the read would.
class RaisingDialogs : public tk::DialogService {
 public:
  int MessageDlg(const std::wstring&, tk::MsgKind kind, unsigned, int) override {
    if (kind == tk::MsgKind::Information) throw std::runtime_error("dialog failed");
    return tk::mrOk;
  }
  bool InputQuery(const std::wstring&, const std::wstring&, std::wstring&) override {
    return false;
  }
};

TEST_F(LoaderTest, ExceptionInTheReadEmptiesThePictureSilently) {
  const std::wstring good = TempFile(L"info.bmp");
  WriteFileBytes(good, GradientBmp(9, 4));
  image().SetImageName(good);
  ASSERT_EQ(image().ImageWidth(), 9);
  const std::wstring bad = TempFile(L"raise.png");
  WriteFileBytes(bad, Bytes{'x'});
  tk::GetServices().dialogs = std::make_unique<RaisingDialogs>();
  EXPECT_NO_THROW(image().SetImageName(bad));
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::None);
  EXPECT_EQ(image().StatusText(), Upper(bad));
  EXPECT_EQ(image().ImageWidth(), 9) << "the information fields keep their values";
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(good));
}

TEST_F(LoaderTest, DesignModeKeepsAPictureAlreadyShown) {
  const std::wstring path = TempFile(L"design.bmp");
  WriteFileBytes(path, GradientBmp(10, 5));
  image().SetDesigning(true);
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 10) << "the first read happens";
  WriteFileBytes(path, GradientBmp(20, 5));
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 10) << "the same name is not read again";
  EXPECT_EQ(image().StatusText(), Upper(path));
  image().SetDesigning(false);
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 20);
}

// ---- .RES names

TEST_F(LoaderTest, ResourceNamesNeedNoFile) {
  image().SetImageName(L"C:\\ANY\\LOGO.RES");
  EXPECT_TRUE(dialogs().empty());
  EXPECT_EQ(image().Picture().Width(), 40);
  EXPECT_EQ(image().Picture().Height(), 24);
  EXPECT_NE(image().Picture().PaletteHandle(), nullptr);
  EXPECT_EQ(image().StatusText(), L"C:\\ANY\\LOGO.RES");
  EXPECT_EQ(image().ImageType(), L"RES");
  EXPECT_EQ(image().ImageDetail(), L"BMP");
  EXPECT_EQ(image().ImageWidth(), 40);
  EXPECT_EQ(image().ImageHeight(), 24);
  EXPECT_EQ(image().ImageDepthA(), 0);
  EXPECT_EQ(image().ImageDepthB(), 0);
  EXPECT_EQ(image().ImageExtra(), 0);
  // Header, table of 2^d colours unless d is 24, rows padded to 32 bits.
  int d = image().Picture().AsBitmap().BitsPerPixel();
  if (d == 16 || d == 32) d = 24;
  const int table = d == 24 ? 0 : 4 * (1 << d);
  EXPECT_EQ(image().ImageFileSize(), 40 + table + 24 * ((40 * d + 31) / 32) * 4);

  image().SetImageName(L"7.res");
  EXPECT_EQ(image().Picture().Width(), 24);
  EXPECT_EQ(image().StatusText(), L"7.RES");
  image().SetImageName(L"MY.LOGO.RES");
  EXPECT_EQ(image().Picture().Width(), 9) << "the resource named MY";
  image().SetImageName(L"D:$7.RES");
  EXPECT_EQ(image().Picture().Width(), 24);
  image().SetImageName(L"TRUECOL.RES");
  EXPECT_EQ(image().Picture().Width(), 21);
  EXPECT_EQ(image().Picture().PaletteHandle(), nullptr);
  image().SetImageName(L"OS2.RES");
  EXPECT_EQ(image().Picture().Width(), 16);
  EXPECT_EQ(PaletteEntries(image().Picture().PaletteHandle()).size(), 256u);
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, MissingResourceLeavesTheEmptyTemporaryBitmap) {
  image().SetImageName(L"LOGO.RES");
  image().SetImageName(L"NOSUCH.RES");
  ASSERT_EQ(dialogs().size(), 1u);
  EXPECT_EQ(dialogs()[0].kind, tk::MsgKind::Information);
  EXPECT_EQ(dialogs()[0].text, L"Reading resource file failed");
  EXPECT_TRUE(image().Picture().HasBitmap());
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().ImageType(), L"RES");
  EXPECT_EQ(image().ImageWidth(), 0);
  EXPECT_EQ(image().ImageFileSize(), 44) << "depth 0: header and a table of 2^0 entries";
  EXPECT_EQ(image().StatusText(), L"NOSUCH.RES");
}

// ---- ReadImageInfo

TEST_F(LoaderTest, InformationOfAMissingMetafile) {
  EXPECT_FALSE(image().ReadImageInfo(TempFile(L"none.wmf")));
  EXPECT_EQ(image().ImageType(), L"ERR");
  EXPECT_EQ(image().ImageDetail(), L"ERR");
  for (int v : {image().ImageWidth(), image().ImageHeight(), image().ImageDepthA(),
                image().ImageDepthB(), image().ImageExtra(), image().ImageFileSize()})
    EXPECT_EQ(v, -1);
  EXPECT_FALSE(image().ReadImageInfo(TempFile(L"none.ico")));
  EXPECT_FALSE(image().ReadImageInfo(TempFile(L"none.scm")));
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, InformationOfMessageFilesIsTheFileLength) {
  const std::wstring scm = TempFile(L"ticker.scm");
  WriteFileBytes(scm, Bytes(123, 'a'));
  EXPECT_TRUE(image().ReadImageInfo(scm));
  EXPECT_EQ(image().ImageType(), L"SCM");
  EXPECT_EQ(image().ImageDetail(), L"SCM");
  EXPECT_EQ(image().ImageFileSize(), 123);
  EXPECT_EQ(image().ImageDepthA(), 0);
}

TEST_F(LoaderTest, InformationOfLibraryKeysCopiesTheQuery) {
  const std::wstring gif = TempFile(L"info.gif");
  WriteFileBytes(gif, IndexedGif(21, 13));
  EXPECT_TRUE(image().ReadImageInfo(gif));
  codecs::ImageFileInfo info;
  ASSERT_EQ(codecs::QueryFileInfo(gif, info), rstrim::kOk);
  EXPECT_EQ(image().ImageType(), info.type);
  EXPECT_EQ(image().ImageWidth(), 21);
  EXPECT_EQ(image().ImageHeight(), 13);
  EXPECT_EQ(image().ImageDepthA(), info.depthA);
  EXPECT_EQ(image().ImageDepthB(), info.depthB);
  EXPECT_EQ(image().ImageExtra(), info.extra);
  EXPECT_EQ(image().ImageDetail(), info.detail);
  EXPECT_EQ(image().ImageFileSize(), FileSizeOf(gif));

  // A key outside the table is the library's to describe too.
  const std::wstring odd = TempFile(L"info.jpeg");
  WriteFileBytes(odd, PhotoJpeg(18, 10));
  EXPECT_TRUE(image().ReadImageInfo(odd));
  EXPECT_EQ(image().ImageWidth(), 18);
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, InformationOfAMissingLibraryFile) {
  const std::wstring path = TempFile(L"gone.tif");
  EXPECT_FALSE(image().ReadImageInfo(path));
  ASSERT_EQ(dialogs().size(), 1u);
  EXPECT_EQ(dialogs()[0].text, L"File not found.");
  EXPECT_EQ(image().ImageType(), L"ERR");
  EXPECT_EQ(image().ImageWidth(), 0);
  EXPECT_EQ(image().ImageFileSize(), -1);
}

TEST(FileLength, DoesNotGetInTheWayOfWriters) {
  const std::wstring path = TempFile(L"shared.bin");
  WriteFileBytes(path, Bytes(777, 1));
  EXPECT_EQ(imagectl::FileLength(path), 777);
  {
    // A writer that lets others read: we measure beside it.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(imagectl::FileLength(path), 777);
    CloseHandle(writer);
  }
  {
    // One that may delete or rename the file: our open must allow that too.
    HANDLE deleter = CreateFileW(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(deleter, INVALID_HANDLE_VALUE);
    EXPECT_EQ(imagectl::FileLength(path), 777);
    CloseHandle(deleter);
  }
  {
    // Held exclusively: the length is unknown, and nothing is raised.
    HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(imagectl::FileLength(path), -1);
    CloseHandle(exclusive);
  }
  EXPECT_EQ(imagectl::FileLength(TempFile(L"absent.bin")), -1);
  EXPECT_EQ(imagectl::FileLength(L""), -1);
}

// ---- ownership

TEST_F(LoaderTest, TwoHundredLoadsLeaveNoHandleBehind) {
  const std::wstring bmp8 = TempFile(L"leak8.gif");
  const std::wstring bmp24 = TempFile(L"leak24.bmp");
  const std::wstring broken = TempFile(L"leak-broken.png");
  WriteFileBytes(bmp8, IndexedGif(24, 24));
  WriteFileBytes(bmp24, GradientBmp(24, 24));
  WriteFileBytes(broken, Bytes{'x', 'y'});
  const std::wstring names[] = {
      bmp8, bmp24, L"LOGO.RES", broken, TempFile(L"leak-none.bmp"), L"NOSUCH.RES", L"OS2.RES"};
  const TLoadResolution settings[] = {TLoadResolution::lColor256, TLoadResolution::lColorTrue,
                                      TLoadResolution::lColorVga, TLoadResolution::lMonoChrome,
                                      TLoadResolution::lAutoMatic};
  auto round = [&](int i) {
    image().SetImageReadRes(settings[i % 5]);
    image().SetImageName(names[i % 7]);
  };
  for (int i = 0; i < 7; ++i) round(i);  // first-use objects (stock, DC caches) settle
  image().Picture().Clear();
  const long gdi = GdiObjectCount();
  const long live = tk::SharedImage::LiveCount();
  for (int i = 0; i < 200; ++i) round(i);
  image().Picture().Clear();
  EXPECT_EQ(tk::SharedImage::LiveCount(), live);
  EXPECT_EQ(GdiObjectCount(), gdi);
  std::printf("GDI objects before and after 200 loads: %ld, %ld\n", gdi, GdiObjectCount());
}

}  // namespace
}  // namespace loader_test
