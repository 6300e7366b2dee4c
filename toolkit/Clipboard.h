// The Windows clipboard, open for the life of one object.
#pragma once
#include <windows.h>

#include <vector>

#include "base/Handles.h"
#include "toolkit/portable/Errors.h"

namespace tk {

class Clipboard {
 public:
  // Opens the clipboard for the window; raises EClipboardError when another
  // window holds it.
  explicit Clipboard(HWND owner);
  ~Clipboard();
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Empties the clipboard and makes the owner window its owner.
  void Empty();
  // Hands the handle over to the clipboard. SetClipboardData takes ownership
  // only when it succeeds; on failure the handle stays with the wrapper.
  template <typename H, typename Traits>
  void SetData(UINT format, base::UniqueHandle<H, Traits>& data) {
    if (!SetClipboardData(format, data.get()))
      throw EClipboardError("Zwischenablage kann nicht beschrieben werden");
    data.release();
  }
  // The clipboard's own handle (it stays the clipboard's), or null.
  HANDLE Data(UINT format) const { return GetClipboardData(format); }
  // Every format on the clipboard, in the clipboard's own order.
  std::vector<UINT> Formats() const;
};

}  // namespace tk
