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
  ProbeImage& c = *host.image;
  // The dialogs shown since the last call, each as "e" (error) or "i"
  // (information), its text and whether it has only OK.
  std::wstring Said() {
    std::wstring s;
    for (const auto& d : services.rec().dialogs)
      s += (d.kind == tk::MsgKind::Error         ? L"e "
            : d.kind == tk::MsgKind::Information ? L"i "
                                                 : L"? ") +
           d.text + (d.buttons == tk::mbOK ? L"|" : L" not OK|");
    services.rec().dialogs.clear();
    return s;
  }
  // The picture's width, the status text (NAME: the path in capitals), the
  // information's width and the dialogs.
  std::wstring Seen(const std::wstring& path) {
    const std::wstring status = c.StatusText();
    return std::to_wstring(c.Picture().Width()) + L" " +
           (status == tk::UpperAscii(path) ? L"NAME" : status) + L" " +
           std::to_wstring(c.ImageWidth()) + L" " + Said();
  }
};

// The size of a file as its bytes read whole.
int SizeOf(const std::wstring& path) { return static_cast<int>(ReadFile(path).size()); }

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
}

// Steps in turn: the file put first (a test picture, unless none), then
// ImageName written ('w'), written at design time ('d') or read ('r').
TEST_F(LoaderTest, NamesWrittenAndReadInTurn) {
  const struct {
    char how;
    const wchar_t *name, *picture, *seen;
  } steps[] = {
      {'w', L"there.bmp", L"bmp-24.bmp", L"45 NAME 45 "},
      // A missing file or no name: no information query, no dialog.
      {'w', L"not-there.bmp", nullptr, L"0 file not found 45 "},
      {'r', L"not-there.bmp", nullptr, L"0 file not found 45 "},
      {'w', L"there.bmp", nullptr, L"45 NAME 45 "},
      {'w', L"", nullptr, L"0 file not found 45 "},
      // The same name reads again, whether written or read.
      {'w', L"twice.png", L"png-rgb8.png", L"45 NAME 45 "},
      {'w', L"twice.png", L"photo.png", L"64 NAME 64 "},
      {'r', L"twice.png", L"view-352x424.png", L"352 NAME 352 "},
      // Long extensions count by their first four characters: only .TIFF is read.
      {'w', L"PHOTO.TIFF", L"tiff-lzw.tif", L"45 NAME 45 "},
      {'w', L"b.png", L"photo.png", L"64 NAME 64 "},
      {'w', L"PHOTO.JPEG", L"view-1024x768.jpg", L"64 NAME 64 "},
      {'w', L"photo.xyz", L"view-1024x768.jpg", L"64 NAME 64 "},
      {'w', L"noextension", L"view-1024x768.jpg", L"64 NAME 64 "},
      // Icons and metafiles are the toolkit's.
      {'w', L"good.ico", L"icon.ico", L"32 Non TIF, JPeg, BMP, GIF, PNG or PCX Image 32 "},
      {'w', L"Good.Wmf", L"red.wmf", L"200 Non TIF, JPeg, BMP, GIF, PNG or PCX Image 200 "},
      // At design time a picture already shown is not read again.
      {'d', L"design.bmp", L"bmp-24.bmp", L"45 NAME 45 "},
      {'d', L"design.bmp", L"bmp-topdown.bmp", L"45 NAME 45 "},
      {'w', L"design.bmp", nullptr, L"2 NAME 2 "}};
  for (const auto& s : steps) {
    const std::wstring path = *s.name ? TempPath(s.name) : std::wstring();
    if (s.picture) Put(s.name, s.picture);
    c.SetDesigning(s.how == 'd');
    s.how == 'r' ? void(c.ImageName()) : c.SetImageName(path);
    EXPECT_EQ(Seen(path), s.seen) << s.how << " " << s.name;
  }
  EXPECT_TRUE(services.rec().beeps.empty());
}

TEST_F(LoaderTest, EveryRowReadsItsFormatStopsTheTickerAndNamesItWhenItFails) {
  const wchar_t* const rows[][3] = {
      {L"bmp", L"bmp-24.bmp", L"bmp"},        {L"thb", L"bmp-24.bmp", L"bmp"},
      {L"thj", L"jpeg-baseline.jpg", L"jpg"}, {L"png", L"png-rgb8.png", L"png"},
      {L"gif", L"gif-pal16.gif", L"gif"},     {L"tif", L"tiff-lzw.tif", L"tif"},
      {L"pcx", L"pcx-24.pcx", L"pcx"},        {L"jpg", L"jpeg-baseline.jpg", L"jpg"}};
  for (const auto& [ext, picture, kind] : rows) {
    SCOPED_TRACE(ext);
    const std::wstring path = Put(std::wstring(L"a.") + ext, picture);
    c.SavedColor = tk::clRed;
    c.TickerActive = true;
    c.SetImageName(path);
    EXPECT_EQ(Seen(path), L"45 NAME 45 ");
    EXPECT_TRUE(c.ImageFileSize() == SizeOf(path) && !c.TickerActive && c.GetColor() == tk::clRed);
    // Junk: the library's text, then the row's message; what the library
    // returned (an empty bitmap) is shown. The query may report once more.
    const std::wstring junk = Put(std::wstring(L"junk.") + ext, Bytes{'n', 'o', 't'});
    c.SetImageName(junk);
    const std::wstring library = L"e " + services.rec().dialogs.at(0).text + L"|", said = Said(),
                       failed = library + L"i Reading " + kind + L" file failed|";
    EXPECT_TRUE(said == failed || said == failed + library) << said;
    EXPECT_EQ(Seen(junk) + std::to_wstring(c.Picture().HasBitmap()) + InfoOf(c),
              L"0 NAME 0 1ERR  0 0 0 0 0 3");
  }
  EXPECT_TRUE(services.rec().beeps.empty());
}

TEST_F(LoaderTest, ResolutionAndDitherReachTheLibrary) {
  const std::wstring path = Put(L"depth.bmp", L"bmp-24.bmp");
  const int automatic =
      imagectl::ResolutionCode(Res::lAutoMatic, imagectl::DisplayBitsPerPixel(nullptr));
  const std::pair<Res, int> rows[] = {{Res::lColorVga, 4},          {Res::lMonoChrome, 1},
                                      {Res::lColor256, 8},          {Res::lColorTrue, 24},
                                      {Res::lAutoMatic, automatic}, {Res::lColor16, 4}};
  for (const auto& [setting, bits] : rows) {
    c.SetImageReadRes(setting);
    c.SetImageName(path);
    const tk::BitmapObject bitmap = c.Picture().AsBitmap();
    EXPECT_EQ(std::to_wstring(bitmap.BitsPerPixel()) + (bitmap.PaletteHandle() ? L" palette" : L""),
              std::to_wstring(bits) + (bits < 24 ? L" palette" : L""));
  }
  // The 16 colours came last, dithered as by default.
  const Pixels dithered = ReadPixels(c.Picture().AsBitmap().Handle());
  c.SetImageDither(false);
  c.SetImageName(path);
  EXPECT_NE(dithered.rgb, ReadPixels(c.Picture().AsBitmap().Handle()).rgb)
      << "diffusion changes a 16-colour picture";
  EXPECT_EQ(Said(), L"");
}

// An unreadable icon's error reaches the caller and leaves the status alone.
TEST_F(LoaderTest, UnreadableIconReachesTheCaller) {
  const std::wstring keep = Put(L"keep.bmp", L"bmp-24.bmp");
  c.SetImageName(keep);
  EXPECT_THROW(c.SetImageName(Put(L"bad.ico", Bytes{0, 0, 1, 0, 1, 0, 9, 9})), tk::EInvalidGraphic);
  EXPECT_TRUE(c.Picture().Empty() && c.StatusText() == tk::UpperAscii(keep));
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

// The picture goes; the information fields keep their values.
TEST_F(LoaderTest, ExceptionInTheReadEmptiesThePictureSilently) {
  const std::wstring good = Put(L"info.bmp", L"bmp-24.bmp"), bad = Put(L"raise.png", Bytes{'x'});
  c.SetImageName(good);
  tk::GetServices().dialogs = std::make_unique<RaisingDialogs>();
  EXPECT_NO_THROW(c.SetImageName(bad));
  EXPECT_EQ(std::to_wstring(c.Picture().Kind() == tk::GraphicKind::None) + Seen(bad) +
                std::to_wstring(c.ImageFileSize()),
            L"10 NAME 45 " + std::to_wstring(SizeOf(good)));
}

// ---- .RES names: the running program's bitmap resources

TEST_F(LoaderTest, ResourceNamesNeedNoFile) {
  for (const auto& [name, seen] : {std::pair{L"7.res", L"24 16 7.RES"},
                                   {L"TRUECOL.RES", L"21 0 TRUECOL.RES"},
                                   {L"c:\\any\\logo.res", L"40 256 C:\\ANY\\LOGO.RES"}}) {
    c.SetImageName(name);
    EXPECT_EQ(std::to_wstring(c.Picture().Width()) + L" " +
                  std::to_wstring(PaletteEntries(c.Picture().PaletteHandle()).size()) + L" " +
                  c.StatusText() + Said(),
              seen);
  }
  // Header, table of 2^d colours unless d is 24, rows padded to 32 bits.
  int d = c.Picture().AsBitmap().BitsPerPixel();
  if (d == 16 || d == 32) d = 24;
  const int size = 40 + (d == 24 ? 0 : 4 * (1 << d)) + 24 * ((40 * d + 31) / 32) * 4;
  EXPECT_EQ(InfoOf(c), L"RES BMP 40 24 0 0 0 " + std::to_wstring(size));
  // The empty temporary bitmap stays; depth 0 counts a table of 2^0 entries.
  c.SetImageName(L"NOSUCH.RES");
  EXPECT_EQ(
      Said() + InfoOf(c) + L" " + c.StatusText() + L" " + std::to_wstring(c.Picture().HasBitmap()),
      L"i Reading resource file failed|RES BMP 0 0 0 0 0 44 NOSUCH.RES 1");
}

// ---- ReadImageInfo alone: whether it knows the file, the information, the dialogs

TEST_F(LoaderTest, InformationByKind) {
  for (const auto& [file, seen] :
       {std::pair{TempPath(L"none.wmf"), L"0 ERR ERR -1 -1 -1 -1 -1 -1 "},
        {Put(L"info.ico", L"icon.ico"), L"1 ICO ICO 0 0 0 0 0 5430 "},  // the picture's size
        {TempPath(L"none.scm"), L"0 ERR ERR -1 -1 -1 -1 -1 -1 "},
        {Put(L"ticker.scm", Bytes(123, 'a')), L"1 SCM SCM 0 0 0 0 0 123 "},
        {Put(L"info.gif", L"gif-pal16.gif"), L"1 GIF 89a 45 29 4 1 1 383 "},
        {Put(L"info.jpeg", L"jpeg-baseline.jpg"), L"1 JPEG Baseline 45 29 8 3 1 635 "},
        {TempPath(L"gone.tif"), L"0 ERR  0 0 0 0 0 -1 e File not found.|"}}) {
    const bool known = c.ReadImageInfo(file);
    EXPECT_EQ(std::to_wstring(known) + L" " + InfoOf(c) + L" " + Said(), seen) << file.c_str();
  }
}

TEST(FileLength, DoesNotGetInTheWayOfWriters) {
  const std::wstring path = Put(L"shared.bin", Bytes(777, 1));
  // Another program's open file: one that lets others read, one that may delete
  // or rename it, one that holds it exclusively (length unknown, nothing raised).
  const std::pair<DWORD, DWORD> opens[] = {{GENERIC_WRITE, FILE_SHARE_READ},
                                           {GENERIC_READ | DELETE, FILE_SHARE_READ},
                                           {GENERIC_READ, 0}};
  for (const auto& [access, share] : opens) {
    HANDLE other = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(imagectl::FileLength(path), share ? 777 : -1);
    CloseHandle(other);
  }
}

// Nothing leaks: a thousand controls, each loading a picture by name (of
// every kind, good, broken or missing, at each resolution), painting it with
// its overlay on either path, and handing it to a second control that
// outlives it.
TEST_F(LoaderTest, AThousandControlsLoadingAndPaintingLeaveNoGdiObjects) {
  const long before = GdiObjectCount();  // the count must see a new object, or this proves nothing
  const base::Pen pen(CreatePen(PS_SOLID, 1, 0));
  ASSERT_EQ(GdiObjectCount(), before + 1);
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
    for (TPMultiImage* one : {a.get(), b.get()}) {
      one->SetParent(&host.form);
      one->SetBounds(0, 0, 64, 48);
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
  const long gdi = GdiObjectCount(), live = tk::SharedImage::LiveCount();
  for (int i = 0; i < 1000; ++i) cycle(i);
  EXPECT_EQ(std::pair(GdiObjectCount(), tk::SharedImage::LiveCount()), std::pair(gdi, live));
}

// ---- the decoding library's wrappers: names whole or refused, never a
// best-fit twin, and the library's error texts; they show nothing themselves

TEST(Library, NamesUpTo255CharactersPassWholeErrorsByTheirUnsignedIdentifier) {
  char buffer[256];
  const std::wstring name255 = L"C:\\" + std::wstring(252, L'a');
  EXPECT_EQ(codecs::LibraryFileName(name255, buffer), rstrim::kOk);
  EXPECT_EQ(std::string(buffer), std::string(name255.begin(), name255.end()));
  // Never cut to fit.
  EXPECT_EQ(codecs::LibraryFileName(name255 + L"b", buffer), rstrim::kNameTooLong);
  EXPECT_EQ(codecs::LibraryFileName(L"", buffer), rstrim::kOk);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(codecs::LibraryErrorText(0) + L"|" + codecs::LibraryErrorText(rstrim::kDamaged) + L"|" +
                codecs::LibraryErrorText(-100),
            L"The picture could not be read.|The picture data are damaged or truncated.|"
            L"Error -100 in RSTRIM32.DLL.");
}

// "lum\u014D" would read "lumo" with best-fit characters: the twin must never
// open; a file that has one opens by its short name.
TEST(Library, NameOutsideTheAnsiCodePageNeverOpensItsBestFitTwin) {
  Put(L"lumo.bmp", L"bmp-24.bmp");
  Put(L"lum\u014D.bmp", L"bmp-topdown.bmp");
  Put(L"lumo2.bmp", L"bmp-24.bmp");
  tk::BitmapObject bitmap;
  ASSERT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempPath(L"lum\u014D.bmp"), 24, 0, bitmap),
            rstrim::kOk);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(codecs::DecodeFile(codecs::Decoder::kBmp, TempPath(L"lum\u014D2.bmp"), 24, 0, bitmap),
            rstrim::kFileNotFound);
  EXPECT_TRUE(bitmap.Empty());
}

// ---- without RSTRIM32.DLL every decoder and the information query fail like
// a library failure: an error box, the row's message, no crash. A copy of
// this program runs the checks from a directory where the library is not found.

bool InChild() { return GetModuleHandleW(L"loader_copy.exe") != nullptr; }
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
  EXPECT_TRUE(Program(L"--gtest_filter=NoLibraryChild.*", SW_HIDE, copy).WaitForExit(60000));
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
  const std::wstring missing = L"e The picture library RSTRIM32.DLL could not be loaded.|";
  const std::wstring path = Put(L"nolib.gif", L"gif-pal16.gif");
  c.SetImageName(path);  // the decoder's failure, the row's message, the query's failure
  EXPECT_EQ(Said() + InfoOf(c), missing + L"i Reading gif file failed|" + missing +
                                    L"  0 0 0 0 0 " + std::to_wstring(SizeOf(path)));
  EXPECT_TRUE(c.Picture().Empty());
  c.SetImageName(L"LOGO.RES");
  EXPECT_EQ(c.Picture().Width(), 40) << "the program's own resources need no library";
  if (!HasFailure()) WriteFile(kPassed, "x");
}

}  // namespace
}  // namespace imagectl_test
