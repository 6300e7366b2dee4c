// Writing ImageName: the extension key picks the reader; the messages, the
// status text, the picture and its information after each outcome. The
// decoding library's wrappers, and every read without the library.
#include "Program.h"
#include "Recorders.h"
#include "codecs/DecoderLibrary.h"
#include "imagectl/FileTypes.h"
#include "rstrim/dll/Rstrim32Api.h"
#include "tests/wine/imagectl/ImageFixture.h"
#include "toolkit/portable/FileName.h"

namespace imagectl_test {
namespace {

using Res = TLoadResolution;

// A hidden host form with a probe image control, recorded dialogs and beeps.
class LoaderTest : public ::testing::Test {
 protected:
  testing_support::RecordingServices services;
  Host host;
  ProbeImage& image() { return *host.image; }
  std::vector<testing_support::DialogCall>& dialogs() { return services.rec().dialogs; }
  // The dialogs shown, each as "e" (error) or "i" (information), its text and
  // whether it has only OK.
  std::wstring Said() {
    std::wstring s;
    for (const auto& d : dialogs())
      s += (d.kind == tk::MsgKind::Error         ? L"e "
            : d.kind == tk::MsgKind::Information ? L"i "
                                                 : L"? ") +
           d.text + (d.buttons == tk::mbOK ? L"|" : L" not OK|");
    return s;
  }
};

// The size of a file as its bytes read whole.
int SizeOf(const std::wstring& path) { return static_cast<int>(ReadFile(path).size()); }
const wchar_t kNonLibrary[] = L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

std::wstring Upper(const std::wstring& s) { return tk::UpperAscii(s); }

// Type, detail, width, height, depths, extra and file size, as the control holds them.
std::wstring InfoOf(TPMultiImage& c) {
  std::wstring s = c.ImageType() + L" " + c.ImageDetail();
  for (int v : {c.ImageWidth(), c.ImageHeight(), c.ImageDepthA(), c.ImageDepthB(), c.ImageExtra(),
                c.ImageFileSize()})
    s += L" " + std::to_wstring(v);
  return s;
}

TEST(Resolution, AutomaticFollowsTheScreensDepth) {
  const std::pair<int, int> screens[] = {{1, 4},  {4, 4},   {5, 8},   {8, 8},
                                         {15, 8}, {16, 24}, {24, 24}, {32, 24}};
  for (const auto& [bits, code] : screens)
    EXPECT_EQ(imagectl::ResolutionCode(Res::lAutoMatic, bits), code) << bits;
  EXPECT_EQ(imagectl::ResolutionCode(Res::lColor256, 1), 8) << "a fixed setting ignores the screen";
}

TEST_F(LoaderTest, MissingOrEmptyNameEmptiesThePictureSilently) {
  for (const std::wstring& name : {TempPath(L"not-there.bmp"), std::wstring()}) {
    image().SetImageName(Put(L"there.bmp", L"bmp-24.bmp"));
    ASSERT_EQ(image().Picture().Width(), 45);
    image().SetImageName(name);
    EXPECT_TRUE(image().Picture().Empty());
    EXPECT_EQ(image().StatusText(), L"file not found");
    EXPECT_EQ(image().ImageName(), L"file not found");
    EXPECT_EQ(image().ImageWidth(), 45) << "no information query for a missing file";
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, EveryRowReadsItsFormatStopsTheTickerAndNamesItWhenItFails) {
  const struct {
    const wchar_t* ext;
    const wchar_t* picture;
    const wchar_t* failure;
  } rows[] = {{L"bmp", L"bmp-24.bmp", L"Reading bmp file failed"},
              {L"thb", L"bmp-24.bmp", L"Reading bmp file failed"},
              {L"thj", L"jpeg-baseline.jpg", L"Reading jpg file failed"},
              {L"png", L"png-rgb8.png", L"Reading png file failed"},
              {L"gif", L"gif-pal16.gif", L"Reading gif file failed"},
              {L"tif", L"tiff-lzw.tif", L"Reading tif file failed"},
              {L"pcx", L"pcx-24.pcx", L"Reading pcx file failed"},
              {L"jpg", L"jpeg-baseline.jpg", L"Reading jpg file failed"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.ext);
    const std::wstring path = Put(std::wstring(L"a.") + r.ext, r.picture);
    image().Picture().Clear();
    image().SavedColor = tk::clRed;
    image().TickerActive = true;
    dialogs().clear();
    image().SetImageName(path);
    EXPECT_EQ(std::to_wstring(image().Picture().Width()) + L" " + image().StatusText(),
              L"45 " + Upper(path));
    EXPECT_TRUE(image().ImageWidth() == 45 && image().ImageFileSize() == SizeOf(path));
    EXPECT_TRUE(!image().TickerActive && image().GetColor() == tk::clRed && dialogs().empty());
    // Junk: the library's text, then the row's message; what the library
    // returned (an empty bitmap) is shown. The query may report once more.
    const std::wstring junk =
        Put(std::wstring(L"junk.") + r.ext, Bytes{'n', 'o', 't', ' ', 'i', 't'});
    image().SetImageName(junk);
    const std::wstring library = L"e " + dialogs().at(0).text + L"|";
    EXPECT_TRUE(Said() == library + L"i " + r.failure + L"|" ||
                Said() == library + L"i " + r.failure + L"|" + library)
        << Said();
    EXPECT_TRUE(image().Picture().HasBitmap() && image().Picture().Empty());
    EXPECT_EQ(image().StatusText(), Upper(junk));
    EXPECT_EQ(InfoOf(image()), L"ERR  0 0 0 0 0 6");
  }
  EXPECT_TRUE(services.rec().beeps.empty());
}

TEST_F(LoaderTest, SameNameReadsAgainAndLongExtensionsByTheirFirstFourCharacters) {
  const std::wstring path = TempPath(L"twice.png");
  image().SetImageName(Put(L"twice.png", L"png-rgb8.png"));
  EXPECT_EQ(image().Picture().Width(), 45);
  image().SetImageName(Put(L"twice.png", L"photo.png"));
  EXPECT_EQ(image().Picture().Width(), 64);
  EXPECT_EQ(image().ImageWidth(), 64);
  Put(L"twice.png", L"view-352x424.png");
  EXPECT_EQ(image().ImageName(), Upper(path)) << "reading the name loads again";
  EXPECT_EQ(image().Picture().Width(), 352);

  const std::wstring tiff = Put(L"PHOTO.TIFF", L"tiff-lzw.tif");
  image().SetImageName(tiff);
  EXPECT_EQ(image().Picture().Width(), 45) << ".TIFF is read by the TIFF decoder";
  EXPECT_EQ(image().StatusText(), Upper(tiff));
  const HBITMAP shown = image().Picture().AsBitmap().Handle();
  for (const wchar_t* name : {L"PHOTO.JPEG", L"photo.xyz", L"noextension"}) {
    const std::wstring other = Put(name, L"jpeg-baseline.jpg");
    image().SetImageName(other);
    EXPECT_EQ(image().Picture().AsBitmap().Handle(), shown) << "read by nothing: " << name;
    EXPECT_EQ(image().StatusText(), Upper(other));
  }
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, ResolutionAndDitherReachTheLibrary) {
  const std::wstring path = Put(L"depth.bmp", L"bmp-24.bmp");
  const struct {
    TLoadResolution setting;
    int bits;
  } rows[] = {{Res::lColorVga, 4},
              {Res::lMonoChrome, 1},
              {Res::lColor16, 4},
              {Res::lColor256, 8},
              {Res::lColorTrue, 24},
              {Res::lAutoMatic,
               imagectl::ResolutionCode(Res::lAutoMatic, imagectl::DisplayBitsPerPixel(nullptr))}};
  for (const auto& r : rows) {
    image().SetImageReadRes(r.setting);
    image().SetImageName(path);
    const tk::BitmapObject bitmap = image().Picture().AsBitmap();
    EXPECT_EQ(bitmap.BitsPerPixel(), r.bits) << static_cast<int>(r.setting);
    EXPECT_EQ(bitmap.PaletteHandle() != nullptr, r.bits < 24) << static_cast<int>(r.setting);
  }
  image().SetImageReadRes(Res::lColor16);
  image().SetImageDither(true);
  image().SetImageName(path);
  const Pixels dithered = ReadPixels(image().Picture().AsBitmap().Handle());
  image().SetImageDither(false);
  image().SetImageName(path);
  EXPECT_NE(dithered.rgb, ReadPixels(image().Picture().AsBitmap().Handle()).rgb)
      << "diffusion changes a 16-colour picture";
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, IconsAndMetafilesByTheToolkit) {
  const std::wstring ico = Put(L"good.ico", L"icon.ico"), wmf = Put(L"Good.Wmf", L"red.wmf");
  image().SetImageName(ico);
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::IconGraphic);
  EXPECT_TRUE(image().StatusText() == kNonLibrary && image().ImageName() == kNonLibrary);
  EXPECT_EQ(InfoOf(image()), L"ICO ICO 32 32 0 0 0 " + std::to_wstring(SizeOf(ico)));
  image().SetImageName(wmf);
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::MetafileGraphic);
  EXPECT_EQ(image().StatusText(), kNonLibrary);
  EXPECT_EQ(InfoOf(image()), L"WMF WMF " + std::to_wstring(image().Picture().Width()) + L" " +
                                 std::to_wstring(image().Picture().Height()) + L" 0 0 0 126");
  EXPECT_TRUE(dialogs().empty());
}

TEST_F(LoaderTest, UnreadableIconReachesTheCaller) {
  image().SetImageName(Put(L"keep.bmp", L"bmp-24.bmp"));
  const std::wstring status = image().StatusText();
  EXPECT_THROW(image().SetImageName(Put(L"bad.ico", Bytes{0, 0, 1, 0, 1, 0, 9, 9})),
               tk::EInvalidGraphic);
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
  const std::wstring good = Put(L"info.bmp", L"bmp-24.bmp");
  image().SetImageName(good);
  const std::wstring bad = Put(L"raise.png", Bytes{'x'});
  tk::GetServices().dialogs = std::make_unique<RaisingDialogs>();
  EXPECT_NO_THROW(image().SetImageName(bad));
  EXPECT_EQ(image().Picture().Kind(), tk::GraphicKind::None);
  EXPECT_EQ(image().StatusText(), Upper(bad));
  EXPECT_EQ(image().ImageWidth(), 45) << "the information fields keep their values";
  EXPECT_EQ(image().ImageFileSize(), SizeOf(good));
}

TEST_F(LoaderTest, DesignModeKeepsAPictureAlreadyShown) {
  const std::wstring path = Put(L"design.bmp", L"bmp-24.bmp");
  image().SetDesigning(true);
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 45) << "the first read happens";
  Put(L"design.bmp", L"bmp-topdown.bmp");
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 45) << "the same name is not read again";
  EXPECT_EQ(image().StatusText(), Upper(path));
  image().SetDesigning(false);
  image().SetImageName(path);
  EXPECT_EQ(image().Picture().Width(), 2);
}

// ---- .RES names: the running program's bitmap resources

TEST_F(LoaderTest, ResourceNamesNeedNoFile) {
  const struct {
    const wchar_t* name;
    int width, paletteEntries;
    const wchar_t* status;
  } rows[] = {{L"C:\\ANY\\LOGO.RES", 40, 256, L"C:\\ANY\\LOGO.RES"},
              {L"7.res", 24, 16, L"7.RES"},
              {L"MY.LOGO.RES", 9, 2, L"MY.LOGO.RES"},  // the resource named MY
              {L"D:$7.RES", 24, 16, L"D:$7.RES"},
              {L"TRUECOL.RES", 21, 0, L"TRUECOL.RES"},
              {L"OS2.RES", 16, 256, L"OS2.RES"}};
  for (const auto& r : rows) {
    image().SetImageName(r.name);
    EXPECT_EQ(
        std::to_wstring(image().Picture().Width()) + L" " +
            std::to_wstring(PaletteEntries(image().Picture().PaletteHandle()).size()) + L" " +
            image().StatusText(),
        std::to_wstring(r.width) + L" " + std::to_wstring(r.paletteEntries) + L" " + r.status);
  }
  EXPECT_TRUE(dialogs().empty());
  // Header, table of 2^d colours unless d is 24, rows padded to 32 bits.
  image().SetImageName(L"LOGO.RES");
  int d = image().Picture().AsBitmap().BitsPerPixel();
  if (d == 16 || d == 32) d = 24;
  const int size = 40 + (d == 24 ? 0 : 4 * (1 << d)) + 24 * ((40 * d + 31) / 32) * 4;
  EXPECT_EQ(InfoOf(image()), L"RES BMP 40 24 0 0 0 " + std::to_wstring(size));

  image().SetImageName(L"NOSUCH.RES");  // leaves the empty temporary bitmap
  EXPECT_EQ(Said(), L"i Reading resource file failed|");
  EXPECT_TRUE(image().Picture().HasBitmap() && image().Picture().Empty());
  EXPECT_EQ(InfoOf(image()), L"RES BMP 0 0 0 0 0 44") << "depth 0: a table of 2^0 entries";
  EXPECT_EQ(image().StatusText(), L"NOSUCH.RES");
}

// ---- ReadImageInfo alone

TEST_F(LoaderTest, InformationByKind) {
  const struct {
    std::wstring file;
    bool read;
    const wchar_t* info;
    const wchar_t* dialog;
  } rows[] = {
      {TempPath(L"none.wmf"), false, L"ERR ERR -1 -1 -1 -1 -1 -1", nullptr},
      {TempPath(L"none.ico"), false, L"ERR ERR -1 -1 -1 -1 -1 -1", nullptr},
      {TempPath(L"none.scm"), false, L"ERR ERR -1 -1 -1 -1 -1 -1", nullptr},
      {Put(L"ticker.scm", Bytes(123, 'a')), true, L"SCM SCM 0 0 0 0 0 123", nullptr},
      {Put(L"info.gif", L"gif-pal16.gif"), true, L"GIF 89a 45 29 4 1 1 383", nullptr},
      {Put(L"info.jpeg", L"jpeg-baseline.jpg"), true, nullptr, nullptr},  // the library's too
      {TempPath(L"gone.tif"), false, L"ERR  0 0 0 0 0 -1", L"File not found."}};
  for (const auto& r : rows) {
    dialogs().clear();
    EXPECT_EQ(image().ReadImageInfo(r.file), r.read) << r.file.c_str();
    EXPECT_EQ(r.info ? InfoOf(image()) : std::to_wstring(image().ImageWidth()),
              r.info ? r.info : L"45");
    EXPECT_EQ(dialogs().empty() ? L"" : dialogs()[0].text, r.dialog ? r.dialog : L"");
  }
}

TEST(FileLength, DoesNotGetInTheWayOfWriters) {
  const std::wstring path = Put(L"shared.bin", Bytes(777, 1));
  // Another program's open file: one that lets others read, one that may delete
  // or rename it, one that holds it exclusively (length unknown, nothing raised).
  const std::pair<DWORD, DWORD> opens[] = {{GENERIC_WRITE, FILE_SHARE_READ},
                                           {GENERIC_READ | DELETE, FILE_SHARE_READ},
                                           {GENERIC_READ, 0}};
  EXPECT_EQ(imagectl::FileLength(path), 777);
  for (const auto& [access, share] : opens) {
    HANDLE other = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(imagectl::FileLength(path), share ? 777 : -1);
    CloseHandle(other);
  }
  EXPECT_EQ(imagectl::FileLength(TempPath(L"absent.bin")), -1);
  EXPECT_EQ(imagectl::FileLength(L""), -1);
}

// Nothing leaks: a thousand controls, each loading a picture by name (of
// every kind, good, broken or missing, at each resolution), painting it with
// its overlay on either path, and handing it to a second control that
// outlives it.
TEST_F(LoaderTest, AThousandControlsLoadingAndPaintingLeaveNoGdiObjects) {
  {  // the count must see a new object, or the loop below proves nothing
    const long before = GdiObjectCount();
    base::Pen pen(CreatePen(PS_SOLID, 1, 0));
    ASSERT_EQ(GdiObjectCount(), before + 1);
  }
  const std::wstring names[] = {Put(L"leak8.gif", L"gif-pal256-adam.gif"),
                                Put(L"leak24.bmp", L"bmp-24.bmp"),
                                L"LOGO.RES",
                                Put(L"leak.ico", L"icon.ico"),
                                Put(L"leak.wmf", L"red.wmf"),
                                Put(L"leak-broken.png", Bytes{'x', 'y'}),
                                TempPath(L"leak-none.bmp"),
                                L"NOSUCH.RES",
                                L"OS2.RES"};
  const TLoadResolution settings[] = {Res::lColor256, Res::lColorTrue, Res::lColorVga,
                                      Res::lMonoChrome, Res::lAutoMatic};
  Canvas canvas(64, 48);
  auto cycle = [&](int i) {
    const int mode = (i / 9) % 4;  // each name on the palette path, plain or by ratio, and not
    auto a = std::make_unique<TPMultiImage>(), b = std::make_unique<TPMultiImage>();
    for (TPMultiImage* c : {a.get(), b.get()}) {
      c->SetParent(&host.form);
      c->SetBounds(0, 0, 64, 48);
    }
    a->SetRastriumPalette(mode < 2);
    a->SetStretchRatio(mode % 2 == 1);
    a->SetStretch(mode == 2);
    a->SetText(L"Leak?");
    a->SetTextShadow(true);
    a->SetTextTransParent(mode % 2 == 0);
    a->SetImageReadRes(settings[i % 5]);
    a->SetImageName(names[i % 9]);
    b->SetPicture(a->Picture());
    canvas.Render(*a);
    canvas.Render(*b);
    a.reset();
    canvas.Render(*b);  // the copy outlives the original
  };
  for (int i = 0; i < 36; ++i) cycle(i);  // first-use caches (classes, stock objects) settle
  const long gdi = GdiObjectCount();
  const long live = tk::SharedImage::LiveCount();
  for (int i = 0; i < 1000; ++i) cycle(i);
  EXPECT_EQ(tk::SharedImage::LiveCount(), live);
  EXPECT_EQ(GdiObjectCount(), gdi);
}

// ---- the decoding library's wrappers: names whole or refused, never a
// best-fit twin, and the library's error texts; they show nothing themselves

TEST_F(LoaderTest, LibraryNamesUpTo255CharactersPassWhole) {
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
TEST_F(LoaderTest, LibraryNameOutsideTheAnsiCodePageNeverOpensItsBestFitTwin) {
  Put(L"lumo.bmp", L"bmp-24.bmp");
  Put(L"lum\u014D.bmp", L"bmp-topdown.bmp");
  tk::BitmapObject bitmap;
  ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempPath(L"lum\u014D.bmp"), 24, 0, bitmap),
            rstrim::kOk)
      << "by its short name";
  EXPECT_EQ(bitmap.Width(), 2);
  Put(L"lumo2.bmp", L"bmp-24.bmp");
  char buffer[256];
  EXPECT_EQ(codecs::LibraryFileName(TempPath(L"lum\u014D2.bmp"), buffer), rstrim::kFileNotFound)
      << "no file, so no short name";
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempPath(L"lum\u014D2.bmp"), 24, 0, bitmap),
            rstrim::kFileNotFound);
  EXPECT_TRUE(bitmap.Empty());
}

TEST_F(LoaderTest, LibraryErrorTextIsTheStringWithTheResultAsUnsignedIdentifier) {
  EXPECT_EQ(codecs::LibraryErrorText(0), L"The picture could not be read.");
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kDamaged),
            L"The picture data are damaged or truncated.");
  EXPECT_EQ(codecs::LibraryErrorText(-100), L"Error -100 in RSTRIM32.DLL.");
  EXPECT_FALSE(codecs::ShowLibraryError(rstrim::kFileNotFound));
  EXPECT_EQ(Said(), L"e File not found.|");
  EXPECT_TRUE(services.rec().beeps.empty());
}

// ---- without RSTRIM32.DLL every decoder and the information query fail like
// a library failure: an error box, the row's message, no crash. A copy of
// this program runs the checks from a directory where the library is not found.

const wchar_t kChildFlag[] = L"LUMO_LOADER_NO_LIBRARY";
bool InChild() { return GetEnvironmentVariableW(kChildFlag, nullptr, 0) > 0; }
const std::wstring kNoLibDir = TempDir(L"lumo-nolib"), kPassed = kNoLibDir + L"\\passed";

TEST(NoLibrary, RunsInACopyWithoutTheLibrary) {
  if (InChild()) GTEST_SKIP() << "the copy runs the checks below";
  wchar_t self[MAX_PATH], cwd[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const std::wstring copy = kNoLibDir + L"\\loader_copy.exe";
  DeleteFileW(kPassed.c_str());
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
  GetCurrentDirectoryW(MAX_PATH, cwd);  // the library beside the test is not to be found
  SetCurrentDirectoryW(kNoLibDir.c_str());
  SetEnvironmentVariableW(kChildFlag, L"1");
  EXPECT_TRUE(Program(L"--gtest_filter=NoLibraryChild.*", SW_HIDE, copy).WaitForExit(60000));
  SetEnvironmentVariableW(kChildFlag, nullptr);
  SetCurrentDirectoryW(cwd);
  DeleteFileW(copy.c_str());
  EXPECT_NE(ReadFile(kPassed), "<missing>") << "the checks in the copy failed or did not run";
}

class NoLibraryChild : public LoaderTest {
 protected:
  void SetUp() override {
    if (!InChild()) GTEST_SKIP() << "runs only in the copy";
    ASSERT_EQ(LoadLibraryA("RSTRIM32.DLL"), nullptr);
  }
};

TEST_F(NoLibraryChild, DecodersQueryAndLoadFailWithTheMissingLibrarysText) {
  const std::wstring missing = L"The picture library RSTRIM32.DLL could not be loaded.";
  const std::wstring path = Put(L"nolib.gif", L"gif-pal16.gif");
  tk::BitmapObject bitmap;
  bitmap.SetHandle(base::Bitmap(CreateBitmap(2, 2, 1, 1, nullptr)));
  EXPECT_EQ(
      codecs::DecodeFile(codecs::Decoder::kBmp, Put(L"nolib.bmp", L"bmp-24.bmp"), 24, 0, bitmap),
      rstrim::kGeneralFailure);
  EXPECT_TRUE(bitmap.Empty());
  codecs::ImageInfo info;
  EXPECT_EQ(codecs::QueryFileInfo(path, info), rstrim::kGeneralFailure);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(codecs::LibraryErrorText(rstrim::kGeneralFailure), missing);
  image().SetImageName(path);
  EXPECT_EQ(Said(), L"e " + missing + L"|i Reading gif file failed|e " + missing + L"|");
  EXPECT_TRUE(image().Picture().Empty());
  EXPECT_EQ(image().ImageFileSize(), SizeOf(path));
  image().SetImageName(L"LOGO.RES");
  EXPECT_EQ(image().Picture().Width(), 40) << "the program's own resources need no library";
  if (!HasFailure()) WriteFile(kPassed, "x");
}

}  // namespace
}  // namespace imagectl_test
