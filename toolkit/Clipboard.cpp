#include "toolkit/Clipboard.h"

namespace tk {

Clipboard::Clipboard(HWND owner) {
  if (!OpenClipboard(owner)) throw EClipboardError("Zwischenablage kann nicht geöffnet werden");
}

Clipboard::~Clipboard() { CloseClipboard(); }

void Clipboard::Empty() { EmptyClipboard(); }

std::vector<UINT> Clipboard::Formats() const {
  std::vector<UINT> formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  return formats;
}

}  // namespace tk
