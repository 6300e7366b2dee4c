// Clipboard exchange of TPMultiImage, by call, by window message and by the
// editing keys.
#include "toolkit/Clipboard.h"

#include "imagectl/TMultiP.h"

void TPMultiImage::CopyToClipboard() {
  if (picture_.Empty()) return;
  tk::Clipboard clipboard(Handle());
  // Emptied first: an icon raises only after the old contents are gone.
  clipboard.Empty();
  tk::ClipboardContent content = picture_.SaveToClipboardFormat();
  if (content.format == CF_BITMAP)
    clipboard.SetData(CF_BITMAP, content.bitmap);
  else
    clipboard.SetData(CF_ENHMETAFILE, content.metafile);
  if (content.palette) clipboard.SetData(CF_PALETTE, content.palette);
}

void TPMultiImage::CutToClipboard() {
  if (picture_.Empty()) return;
  CopyToClipboard();  // a failed copy raises and keeps the picture
  picture_.Clear();
}

void TPMultiImage::PasteFromClipboard() {
  if (!IsClipboardFormatAvailable(CF_BITMAP) && !IsClipboardFormatAvailable(CF_ENHMETAFILE)) return;
  // The ticker stops drawing; unlike StopTicker its colour stays.
  TickerActive = false;
  ScrollerActive = false;
  tk::Clipboard clipboard(Handle());
  for (const UINT format : clipboard.Formats()) {
    if (!tk::Picture::SupportsClipboardFormat(format)) continue;
    const auto palette =
        static_cast<HPALETTE>(format == CF_BITMAP ? clipboard.Data(CF_PALETTE) : nullptr);
    picture_.LoadFromClipboardFormat(format, clipboard.Data(format), palette);
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
