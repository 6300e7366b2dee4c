// Clipboard exchange of TPMultiImage, by call, by window message and by the
// editing keys: a bitmap (as a packed DIB and a screen bitmap) with its
// palette, or an enhanced metafile.
#include "toolkit/Clipboard.h"

#include <utility>

#include "imagectl/TMultiP.h"
#include "toolkit/Graphics.h"
#include "toolkit/PackedDib.h"

namespace {

// Copies of the picture for the clipboard, owned until SetClipboardData takes them.
struct ClipboardContent {
  base::GlobalMem dib;  // a bitmap's exact pixels, which any process can read
  base::Bitmap bitmap;  // the same in the screen's format
  base::EnhMetaFile metafile;
  base::Palette palette;
};

// An icon cannot go to the clipboard: EInvalidGraphic. A bitmap travels as a
// packed DIB and as a screen bitmap made from it, never as the picture's own
// handle: a DIB section's pixels live in this process, and another one reads
// nothing from it.
ClipboardContent CopyForClipboard(const tk::Picture& picture) {
  ClipboardContent out;
  switch (picture.Kind()) {
    case tk::GraphicKind::BitmapGraphic:
      out.dib = tk::PackDib(picture.AsBitmap().Handle(), picture.PaletteHandle());
      out.bitmap = tk::ScreenBitmapOf(out.dib.get());
      out.palette = tk::CopyPalette(picture.PaletteHandle());
      break;
    case tk::GraphicKind::MetafileGraphic:
      out.metafile.reset(CopyEnhMetaFileW(picture.MetafileHandle(), nullptr));
      if (!out.metafile) throw tk::EOutOfResources();
      break;
    case tk::GraphicKind::IconGraphic:
      throw tk::EInvalidGraphic("Zwischenablage unterstützt keine Symbole");
    case tk::GraphicKind::None:
      break;
  }
  return out;
}

bool PictureFormat(UINT format) { return format == CF_BITMAP || format == CF_ENHMETAFILE; }

// A copy of the clipboard's data, which stays the clipboard's; palette may be null.
void ReadClipboardData(tk::Picture& picture, UINT format, HANDLE data, HPALETTE palette) {
  if (format == CF_BITMAP && data) {
    tk::BitmapObject bitmap;
    bitmap.SetHandles(tk::CopyBitmap(static_cast<HBITMAP>(data)), tk::CopyPalette(palette));
    picture.Assign(bitmap);
  } else if (format == CF_ENHMETAFILE && data) {
    base::EnhMetaFile emf(CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr));
    if (!emf) throw tk::EOutOfResources();
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h))
      throw tk::EInvalidGraphic("Metadatei ist ungültig");
    // The frame is in 0.01 mm.
    const int width =
        MulDiv(h.rclFrame.right - h.rclFrame.left, tk::ScreenPixelsPerInch(LOGPIXELSX), 2540);
    const int height =
        MulDiv(h.rclFrame.bottom - h.rclFrame.top, tk::ScreenPixelsPerInch(LOGPIXELSY), 2540);
    picture.SetMetafile(std::move(emf), width, height);
  } else {
    throw tk::EInvalidGraphic("Nicht unterstütztes Zwischenablageformat");
  }
}

}  // namespace

void TPMultiImage::CopyToClipboard() {
  if (picture_.Empty()) return;
  tk::Clipboard clipboard(Handle());
  // Emptied first: an icon raises only after the old contents are gone.
  clipboard.Empty();
  ClipboardContent content = CopyForClipboard(picture_);
  // The most descriptive format first, as readers take the first they know.
  if (content.dib) {
    clipboard.SetData(CF_DIB, content.dib);
    clipboard.SetData(CF_BITMAP, content.bitmap);
  } else {
    clipboard.SetData(CF_ENHMETAFILE, content.metafile);
  }
  if (content.palette) clipboard.SetData(CF_PALETTE, content.palette);
}

void TPMultiImage::CutToClipboard() {
  if (picture_.Empty()) return;
  CopyToClipboard();  // a failed copy raises and keeps the picture
  picture_.Clear();
}

void TPMultiImage::PasteFromClipboard() {
  // A clipboard of only a CF_DIB (as most programs and the X side leave it)
  // offers CF_BITMAP too: the system makes it from the DIB on demand.
  if (!IsClipboardFormatAvailable(CF_BITMAP) && !IsClipboardFormatAvailable(CF_ENHMETAFILE)) return;
  // The ticker stops drawing; unlike StopTicker its colour stays.
  TickerActive = false;
  ScrollerActive = false;
  ReleaseTickerText();
  tk::Clipboard clipboard(Handle());
  for (const UINT format : clipboard.Formats()) {
    if (!PictureFormat(format)) continue;
    const auto palette =
        static_cast<HPALETTE>(format == CF_BITMAP ? clipboard.Data(CF_PALETTE) : nullptr);
    ReadClipboardData(picture_, format, clipboard.Data(format), palette);
    return;
  }
}

// The key is read after the event handler ran: clearing it suppresses the action.
void TPMultiImage::KeyDown(WORD& key, unsigned shift) {
  Control::KeyDown(key, shift);
  if (key == VK_INSERT && (shift & tk::ssShift))
    PasteFromClipboard();
  else if (key == VK_INSERT && (shift & tk::ssCtrl))
    CopyToClipboard();
  else if (key == VK_DELETE && (shift & tk::ssShift))
    CutToClipboard();
}

void TPMultiImage::KeyPress(wchar_t& key) {
  Control::KeyPress(key);
  switch (key) {
    case 3:  // Ctrl+C
      CopyToClipboard();
      break;
    case 22:  // Ctrl+V
      PasteFromClipboard();
      break;
    case 24:  // Ctrl+X
      CutToClipboard();
      break;
    default:
      break;
  }
}
