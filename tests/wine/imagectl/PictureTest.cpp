// The toolkit's picture object: shared images, its readers on good and
// hostile files, drawing; the control's clipboard exchange.
#include <array>
#include <cstring>
#include <map>
#include <tuple>

#include "ImageFixture.h"
#include "tests/wine/common/Program.h"
#include "tests/common/SampleFiles.h"
#include "imagectl/Loader.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Graphics.h"
#include "toolkit/Picture.h"
#include "toolkit/PictureReaders.h"

namespace imagectl_test {
namespace {

// A sample's bytes through the reader of its target ("icon" or "metafile").
tk::Picture Read(const std::string& target, const Bytes& data) {
  return (target == "icon" ? tk::ReadIcon : tk::ReadMetafile)(data.data(), data.size());
}

// Copies share one image until one side changes; the other keeps its contents.
TEST(Picture, CopiesShareUntilOneSideChanges) {
  tk::Picture a, b;
  int changes = 0;
  b.OnChange = [&](tk::Picture&) { ++changes; };
  tk::BitmapObject temp;
  temp.SetHandles(base::Bitmap(MakeSolidBitmap(20, 10, 0)),
                  base::Palette(CreateHalftonePalette(nullptr)));
  a.Assign(temp);
  temp.Clear();  // the temporary goes; the picture keeps the image
  b.Assign(a);
  EXPECT_TRUE(b.SharesImageWith(a) && b.AsBitmap().Handle() == a.AsBitmap().Handle() &&
              b.PaletteHandle() == a.PaletteHandle() && changes == 1);
  a.Clear();
  EXPECT_TRUE(a.Empty() && b.Width() == 20 && b.AsBitmap().Handle());
  b.Clear();
  EXPECT_EQ(changes, 2);
  tk::BitmapObject shared;
  shared.SetHandle(base::Bitmap(MakeSolidBitmap(4, 4, 0)));
  tk::BitmapObject drawn = shared, paletted = shared;
  EXPECT_TRUE(drawn.SharesImageWith(shared));
  HBITMAP mine = drawn.MutableHandle();
  EXPECT_TRUE(mine != shared.Handle() && !drawn.SharesImageWith(shared) &&
              drawn.MutableHandle() == mine)
      << "copied once, and not again while unshared";
  paletted.SetPalette(base::Palette(CreateHalftonePalette(nullptr)));
  EXPECT_TRUE(!shared.PaletteHandle() && paletted.PaletteHandle() &&
              paletted.Handle() != shared.Handle() && paletted.Width() == 4);
}

// The readers' hostile samples never reach GDI and leave the picture as it
// was. Every record kind of the sound ones is accepted by GDI and played; a
// metafile's size from its placeable header, window extent or frame.
TEST(Picture, ReadersRefuseHostileSamplesAndDrawSoundOnes) {
  const int dpiX = tk::ScreenPixelsPerInch(LOGPIXELSX), dpiY = tk::ScreenPixelsPerInch(LOGPIXELSY);
  std::map<std::string, std::pair<int, int>> sizes = {
      {"placeable", {dpiX, dpiY / 2}}, {"wmf", {120, 60}}, {"emf", {dpiX, dpiY / 2}}};
  Canvas c(300, 300);
  tk::Picture picture = Read("icon", DataBytes(L"icon.ico"));
  for (const std::string kind : {"hostile", "sound"})
    for (const sample_files::Sample& s : sample_files::Samples(kind.c_str())) {
      if (s.target == "dibres") continue;
      if (kind == "hostile") {
        const long live = tk::SharedImage::LiveCount(), gdi = GdiObjectCount();
        EXPECT_THROW(picture.Assign(Read(s.target, s.data)), tk::EInvalidGraphic) << s.name;
        EXPECT_TRUE(tk::SharedImage::LiveCount() == live && GdiObjectCount() == gdi &&
                    picture.Width() == 32)
            << s.name;
        continue;
      }
      const tk::Picture p = Read(s.target, s.data);
      const std::pair size(p.Width(), p.Height());
      EXPECT_TRUE(size.first > 0 && size.second > 0 &&
                  (!sizes.count(s.name) || sizes[s.name] == size))
          << s.name;
      p.Draw(c.dc(), RECT{0, 0, 300, 300});
    }
}

// ---- the control's clipboard exchange by window message and key

enum Kind { kNone, kBitmap, kPaletted, kMetafile, kIcon };
const char* const kKinds[] = {"none", "bitmap", "icon", "metafile"};  // as tk::GraphicKind

void Fill(TPMultiImage& image, Kind kind) {
  if (kind == kBitmap || kind == kPaletted)
    LoadBitmap(image, MakeSolidBitmap(8, 8, Rgb(255, 0, 0)),
               kind == kPaletted ? CreateHalftonePalette(nullptr) : 0);
  if (kind == kMetafile)
    image.Picture().Assign(Read("metafile", DataBytes(L"parsers\\sound\\metafile\\emf.emf")));
  if (kind == kIcon) image.Picture().Assign(Read("icon", DataBytes(L"icon.ico")));
}

TEST(Clipboard, MessagesAndKeysCopyCutAndPasteTheirFormats) {
  // Picture; clipboard besides text; message, key, shift state; the formats
  // the clipboard offers (2 bitmap, 9 palette, 13 text, 14 enhanced
  // metafile), what the picture holds, whether the ticker runs, the error.
  const std::tuple<Kind, Kind, UINT, WPARAM, unsigned, const char*> rows[] = {
      {kNone, kNone, WM_COPY, 0, 0, "13 | none ticker"},
      {kBitmap, kNone, WM_COPY, 0, 0, "2 | bitmap ticker"},
      {kPaletted, kNone, WM_CUT, 0, 0, "2 9 | none ticker"},
      {kMetafile, kNone, WM_COPY, 0, 0, "14 | metafile ticker"},
      {kIcon, kNone, WM_CUT, 0, 0, "| icon ticker Zwischenablage unterstützt keine Symbole"},
      {kBitmap, kNone, WM_PASTE, 0, 0, "13 | bitmap ticker"},
      {kNone, kPaletted, WM_PASTE, 0, 0, "2 9 | bitmap+palette"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssShift, "14 | metafile"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssShift | tk::ssCtrl, "14 | metafile"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssCtrl, "2 | bitmap ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_DELETE, tk::ssShift, "2 | none ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, 0, "14 | bitmap ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_DELETE, 0, "14 | bitmap ticker"},
      {kBitmap, kMetafile, WM_CHAR, 3, 0, "2 | bitmap ticker"},
      {kBitmap, kMetafile, WM_CHAR, 22, 0, "14 | metafile"},
      {kBitmap, kMetafile, WM_CHAR, 24, 0, "2 | none ticker"},
      {kBitmap, kMetafile, WM_CHAR, 'c', 0, "14 | bitmap ticker"}};
  for (const auto& [picture, before, msg, key, shift, outcome] : rows) {
    Host source, host;
    {
      tk::Clipboard clipboard(source.image->Handle());
      clipboard.Empty();
      base::GlobalMem text(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4));
      clipboard.SetData(CF_UNICODETEXT, text);
    }
    Fill(*source.image, before);
    source.image->CopyToClipboard();
    ProbeImage& image = *host.image;
    Fill(image, picture);
    image.TickerActive = image.ScrollerActive = true;
    BYTE keys[256] = {};
    keys[VK_SHIFT] = (shift & tk::ssShift) ? 0x80 : 0;
    keys[VK_CONTROL] = (shift & tk::ssCtrl) ? 0x80 : 0;
    SetKeyboardState(keys);
    ExceptionCatcher errors;
    SendMessageW(image.Handle(), msg, key, 0);
    std::string s;
    for (const UINT format : {CF_BITMAP, CF_PALETTE, CF_UNICODETEXT, CF_ENHMETAFILE})
      if (IsClipboardFormatAvailable(format)) s += std::to_string(format) + " ";
    const tk::Picture& p = image.Picture();
    s += std::string("| ") + kKinds[static_cast<int>(p.Kind())] +
         (p.PaletteHandle() ? "+palette" : "") +
         (image.TickerActive && image.ScrollerActive ? " ticker" : "");
    for (const std::string& e : errors.messages) s += " " + e;
    EXPECT_EQ(s, outcome) << msg << " " << key << " " << shift;
  }
  SetKeyboardState(std::array<BYTE, 256>{}.data());
}

// ---- the exchange with other programs: a second process, and the X side
// through xclip

// A DIB section of the depth whose bytes all differ, with a table of 256 colours.
HBITMAP MakePatternDib(WORD bits) {
  std::vector<std::uint8_t> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(block.data());
  bi->bmiHeader = {sizeof(BITMAPINFOHEADER), 37, 23, 1, bits};
  for (int i = 0; i < 256; ++i) bi->bmiColors[i] = {BYTE(i * 7), BYTE(255 - i), BYTE(i * 3), 0};
  void* pixels = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
  for (int i = 0; i < (37 * bits + 31) / 32 * 4 * 23; ++i)
    static_cast<BYTE*>(pixels)[i] = BYTE(i * 37 + i / 97);
  return b;
}

// A picture drawn at its size on white, as the peer writes pixels: 32 bits
// top-down, without the fourth byte.
std::string Drawn(const tk::Picture& p) {
  Canvas c(p.Width(), p.Height());
  c.Fill(Rgb(255, 255, 255));
  p.Draw(c.dc(), RECT{0, 0, p.Width(), p.Height()});
  GdiFlush();
  std::string s;
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const std::uint32_t v = c.At(x, y);
      s.append(reinterpret_cast<const char*>(&v), 4);
    }
  return s;
}

// A BMP file as GDI reads it, drawn the same way.
std::string DrawnFile(const std::wstring& file) {
  Host host;
  LoadBitmap(*host.image, static_cast<HBITMAP>(LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                                          LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  return Drawn(host.image->Picture());
}

const std::wstring kPeerDir = TempDir(L"lumo-peer");

// Starts the peer and waits for it; false when it did not end.
bool RunPeer(const std::wstring& args) {
  Program peer(args, SW_HIDE, BinDir() + L"clipboard_peer.exe");
  return peer.Started() && peer.WaitForExit(60000);
}

TEST(Clipboard, AnotherProgramReadsEveryPixelOfACopyAndGivesAPicture) {
  // Picture depth (0: a metafile), with a palette; the formats and depth the
  // peer finds, and the formats whose pixels equal the picture's.
  const std::tuple<WORD, bool, const char*> rows[] = {{24, false, "8 2 | dib 24: 8 2"},
                                                      {8, true, "8 2 9 | dib 8: 8 2"},
                                                      {1, false, "8 2 | dib 1: 8 2"},
                                                      {0, false, "14 : 14"}};
  for (const auto& [bits, paletted, outcome] : rows) {
    Host host;
    if (bits)
      LoadBitmap(*host.image, MakePatternDib(bits),
                 paletted ? CreateHalftonePalette(nullptr) : nullptr);
    else
      Fill(*host.image, kMetafile);
    host.image->CopyToClipboard();
    const tk::Picture& p = host.image->Picture();
    for (const wchar_t* f : {L"formats.txt", L"2.raw", L"8.raw", L"14.raw"})
      DeleteFileW((kPeerDir + L"\\" + f).c_str());
    ASSERT_TRUE(RunPeer(L"read " + kPeerDir + L" " + std::to_wstring(p.Width()) + L" " +
                        std::to_wstring(p.Height())));
    std::string s = ReadFile(kPeerDir + L"\\formats.txt") + ":";
    for (const char* f : {"8", "2", "14"}) {
      std::string raw = ReadFile(kPeerDir + L"\\" + std::wstring(f, f + std::strlen(f)) + L".raw");
      for (std::size_t i = 3; i < raw.size(); i += 4) raw[i] = 0;
      if (raw == Drawn(p)) s += std::string(" ") + f;
    }
    EXPECT_EQ(s, outcome) << bits;
  }
  // Only a CF_DIB: the bitmap the system makes of it pastes.
  for (const wchar_t* file : {L"bmp-24.bmp", L"bmp-8.bmp", L"bmp-1.bmp"}) {
    ASSERT_TRUE(RunPeer(L"put \"" + DataFile(file) + L"\""));
    Host host;
    SendMessageW(host.image->Handle(), WM_PASTE, 0, 0);
    EXPECT_TRUE(Drawn(host.image->Picture()) == DrawnFile(DataFile(file))) << file;
  }
}

// Runs a command in the Unix shell Wine starts for a Unix program, away from
// the test's output, and gives its exit status; "" where there is no Unix
// side. Wine cannot wait for a Unix process: the command's last act moves
// its status into place.
std::string RunUnix(const std::string& command) {
  const std::wstring done = TempPath(L"unix-status");
  DeleteFileW(done.c_str());
  const std::string status = UnixPath(done);
  if (status.empty()) return "";
  const std::string line = "-c \"exec </dev/null >/dev/null 2>&1; " + command + "; echo $? >'" +
                           status + ".tmp'; mv '" + status + ".tmp' '" + status + "'\"";
  Program shell(std::wstring(line.begin(), line.end()), SW_HIDE, L"Z:\\bin\\sh");
  for (int i = 0; i < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);
  const std::string s = ReadFile(done);
  return s.substr(0, s.find('\n'));
}

TEST(Clipboard, TheXSideReadsEveryPixelOfACopyAndGivesAPicture) {
  const std::string available = RunUnix("command -v xclip");
  if (available.empty()) GTEST_SKIP() << "no Unix side here: the X clipboard is not checked";
  if (available != "0") GTEST_SKIP() << "xclip is not installed: the X clipboard is not checked";
  const std::wstring got = TempPath(L"x.bmp");
  for (const WORD bits : {24, 8, 1}) {
    Host host;
    LoadBitmap(*host.image, MakePatternDib(bits),
               bits == 8 ? CreateHalftonePalette(nullptr) : nullptr);
    host.image->CopyToClipboard();
    // Wine takes the X selection a moment after the copy.
    ASSERT_EQ(
        RunUnix("for i in $(seq 100); do xclip -selection clipboard -t image/bmp -o >'" +
                UnixPath(got) + "' && break; sleep 0.1; done; test -s '" + UnixPath(got) + "'"),
        "0");
    EXPECT_TRUE(DrawnFile(got) == Drawn(host.image->Picture())) << bits;
  }
  Host host;
  {
    tk::Clipboard clipboard(host.image->Handle());
    clipboard.Empty();
  }
  ASSERT_EQ(RunUnix("xclip -selection clipboard -t image/bmp -i '" +
                    UnixPath(DataFile(L"bmp-24.bmp")) + "'"),
            "0");
  for (int i = 0; i < 600 && !IsClipboardFormatAvailable(CF_DIB); ++i) Sleep(100);
  SendMessageW(host.image->Handle(), WM_PASTE, 0, 0);
  EXPECT_TRUE(Drawn(host.image->Picture()) == DrawnFile(DataFile(L"bmp-24.bmp")));
  tk::Clipboard(host.image->Handle()).Empty();  // takes the X selection back: xclip ends
}

}  // namespace
}  // namespace imagectl_test
