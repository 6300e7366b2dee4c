// The toolkit's picture object: shared images, its readers on good and
// hostile files, drawing; the control's clipboard exchange.
#include <array>
#include <map>
#include <tuple>

#include "ImageFixture.h"
#include "fuzz/ReaderSamples.h"
#include "imagectl/Loader.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Graphics.h"
#include "toolkit/Picture.h"
#include "toolkit/PictureReaders.h"

namespace imagectl_test {
namespace {

template <typename F>
void ExpectInvalid(F load) {
  tk::Picture picture;
  tk::BitmapObject before;
  before.SetHandle(tk::Bitmap(MakeSolidBitmap(3, 3, 0)));
  picture.Assign(before);
  const long live = tk::SharedImage::LiveCount();
  const long gdi = GdiObjectCount();
  EXPECT_THROW(load(picture), tk::EInvalidGraphic);
  EXPECT_EQ(tk::SharedImage::LiveCount(), live);
  EXPECT_EQ(GdiObjectCount(), gdi);
  EXPECT_EQ(picture.Width(), 3) << "a failed read leaves the picture as it was";
}

TEST(Picture, AssignSharesAndNotifies) {
  tk::Picture a, b;
  int changes = 0;
  b.OnChange = [&](tk::Picture&) { ++changes; };
  tk::BitmapObject temp;
  temp.SetHandles(tk::Bitmap(MakeSolidBitmap(20, 10, 0)), tk::Palette(MakePalette()));
  a.Assign(temp);
  temp.Clear();  // the temporary goes; the picture keeps the image
  EXPECT_EQ(a.Width(), 20);
  b.Assign(a);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b.SharesImageWith(a));
  EXPECT_EQ(b.AsBitmap().Handle(), a.AsBitmap().Handle());
  EXPECT_EQ(b.PaletteHandle(), a.PaletteHandle());
  a.Clear();  // one side changes: the other keeps its contents
  EXPECT_TRUE(a.Empty());
  EXPECT_EQ(b.Width(), 20);
  EXPECT_NE(b.AsBitmap().Handle(), nullptr);
  b.Clear();
  EXPECT_EQ(changes, 2);
}

TEST(Picture, MutableHandleCopiesSharedPixels) {
  tk::BitmapObject a;
  a.SetHandle(tk::Bitmap(MakeSolidBitmap(4, 4, 0)));
  tk::BitmapObject b = a;
  EXPECT_TRUE(b.SharesImageWith(a));
  HBITMAP mine = b.MutableHandle();
  EXPECT_NE(mine, a.Handle());
  EXPECT_FALSE(b.SharesImageWith(a));
  EXPECT_EQ(b.MutableHandle(), mine) << "an unshared image is not copied again";
}

TEST(Picture, SetPaletteOnSharedBitmapKeepsOtherSide) {
  tk::BitmapObject a;
  a.SetHandle(tk::Bitmap(MakeSolidBitmap(4, 4, 0)));
  tk::BitmapObject b = a;
  b.SetPalette(tk::Palette(MakePalette()));
  EXPECT_EQ(a.PaletteHandle(), nullptr);
  EXPECT_NE(b.PaletteHandle(), nullptr);
  EXPECT_NE(b.Handle(), a.Handle());
  EXPECT_EQ(b.Width(), 4);
}

// The readers' hostile samples never reach GDI, and each leaves the picture as it was.
TEST(Picture, RefusesEveryHostileIconAndMetafile) {
  for (const reader_samples::Sample& s : reader_samples::HostileSamples()) {
    SCOPED_TRACE(s.name);
    if (s.target == "icon")
      ExpectInvalid([&](tk::Picture& p) { p.Assign(tk::ReadIcon(s.data.data(), s.data.size())); });
    if (s.target == "metafile")
      ExpectInvalid(
          [&](tk::Picture& p) { p.Assign(tk::ReadMetafile(s.data.data(), s.data.size())); });
  }
}

// Every record kind the readers check, accepted by GDI and played; a
// metafile's size from its placeable header, window extent or frame.
TEST(Picture, ReadsAndDrawsEverySoundSample) {
  const int dpiX = tk::ScreenPixelsPerInch(LOGPIXELSX), dpiY = tk::ScreenPixelsPerInch(LOGPIXELSY);
  const std::map<std::string, SIZE> sizes = {
      {"placeable", {dpiX, dpiY / 2}}, {"wmf", {120, 60}}, {"emf", {dpiX, dpiY / 2}}};
  Canvas c(300, 300);
  for (const reader_samples::Sample& s : reader_samples::SoundSamples()) {
    SCOPED_TRACE(s.name);
    tk::Picture p;
    if (s.target == "icon") p.Assign(tk::ReadIcon(s.data.data(), s.data.size()));
    if (s.target == "metafile") p.Assign(tk::ReadMetafile(s.data.data(), s.data.size()));
    if (s.target == "dibres") continue;
    EXPECT_GT(p.Width(), 0);
    EXPECT_GT(p.Height(), 0);
    if (sizes.count(s.name)) {
      EXPECT_EQ(p.Width(), sizes.at(s.name).cx);
      EXPECT_EQ(p.Height(), sizes.at(s.name).cy);
    }
    p.Draw(c.dc(), RECT{0, 0, 300, 300});
  }
}

// ---- the control's clipboard exchange by window message and key

enum Kind { kNone, kBitmap, kPaletted, kMetafile, kIcon };
const char* const kKinds[] = {"none", "bitmap", "icon", "metafile"};  // as tk::GraphicKind
const std::pair<UINT, const char*> kFormats[] = {{CF_BITMAP, "bitmap "},
                                                 {CF_PALETTE, "palette "},
                                                 {CF_ENHMETAFILE, "metafile "},
                                                 {CF_UNICODETEXT, "text "}};

void Fill(TPMultiImage& image, Kind kind) {
  const Bytes emf = SampleBytes("emf"), ico = DataBytes(L"icon.ico");
  if (kind == kBitmap || kind == kPaletted)
    LoadBitmap(image, MakeSolidBitmap(8, 8, Rgb(255, 0, 0)), kind == kPaletted ? MakePalette() : 0);
  if (kind == kMetafile) image.Picture().Assign(tk::ReadMetafile(emf.data(), emf.size()));
  if (kind == kIcon) image.Picture().Assign(tk::ReadIcon(ico.data(), ico.size()));
}

TEST(Clipboard, MessagesAndKeysCopyCutAndPasteTheirFormats) {
  // Picture; clipboard besides text; message, key, shift state; what the
  // clipboard offers, what the picture holds, whether the ticker runs, the error.
  const std::tuple<Kind, Kind, UINT, WPARAM, unsigned, const char*> rows[] = {
      {kNone, kNone, WM_COPY, 0, 0, "text | none ticker"},
      {kBitmap, kNone, WM_COPY, 0, 0, "bitmap | bitmap ticker"},
      {kPaletted, kNone, WM_CUT, 0, 0, "bitmap palette | none ticker"},
      {kMetafile, kNone, WM_COPY, 0, 0, "metafile | metafile ticker"},
      {kIcon, kNone, WM_CUT, 0, 0, "| icon ticker Zwischenablage unterstützt keine Symbole"},
      {kBitmap, kNone, WM_PASTE, 0, 0, "text | bitmap ticker"},
      {kNone, kPaletted, WM_PASTE, 0, 0, "bitmap palette | bitmap+palette"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssShift, "metafile | metafile"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssShift | tk::ssCtrl, "metafile | metafile"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, tk::ssCtrl, "bitmap | bitmap ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_DELETE, tk::ssShift, "bitmap | none ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_INSERT, 0, "metafile | bitmap ticker"},
      {kBitmap, kMetafile, WM_KEYDOWN, VK_DELETE, 0, "metafile | bitmap ticker"},
      {kBitmap, kMetafile, WM_CHAR, 3, 0, "bitmap | bitmap ticker"},
      {kBitmap, kMetafile, WM_CHAR, 22, 0, "metafile | metafile"},
      {kBitmap, kMetafile, WM_CHAR, 24, 0, "bitmap | none ticker"},
      {kBitmap, kMetafile, WM_CHAR, 'c', 0, "metafile | bitmap ticker"}};
  for (const auto& [picture, before, msg, key, shift, outcome] : rows) {
    Host source, host;
    {
      tk::Clipboard clipboard(source.image->Handle());
      clipboard.Empty();
      tk::GlobalMem text(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4));
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
    for (const auto& [format, name] : kFormats)
      if (IsClipboardFormatAvailable(format)) s += name;
    const tk::Picture& p = image.Picture();
    s += std::string("| ") + kKinds[static_cast<int>(p.Kind())] +
         (p.PaletteHandle() ? "+palette" : "") +
         (image.TickerActive && image.ScrollerActive ? " ticker" : "");
    for (const std::string& e : errors.messages) s += " " + e;
    EXPECT_EQ(s, outcome) << msg << " " << key << " " << shift;
  }
  SetKeyboardState(std::array<BYTE, 256>{}.data());
}

}  // namespace
}  // namespace imagectl_test
