// Colours and fonts as the form resources describe them.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace tk {

// 0x00BBGGRR for plain RGB; system colours carry the high bit and the COLOR_ index.
using Color = DWORD;
constexpr Color SysColor(int index) { return 0x80000000u | static_cast<Color>(index); }
constexpr Color clBlack = 0x000000;
constexpr Color clMaroon = 0x000080;
constexpr Color clOlive = 0x008080;
constexpr Color clRed = 0x0000FF;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clBtnFace = SysColor(COLOR_BTNFACE);
constexpr Color clWindow = SysColor(COLOR_WINDOW);
constexpr Color clWindowText = SysColor(COLOR_WINDOWTEXT);

COLORREF ColorToRGB(Color c);

enum class FontPitch { Default, Fixed, Variable };

struct FontDesc {
  std::wstring name = L"MS Sans Serif";
  int height = -11;  // negative: character height in pixels
  Color color = clWindowText;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  FontPitch pitch = FontPitch::Default;

  bool operator==(const FontDesc& o) const {
    return name == o.name && height == o.height && color == o.color && bold == o.bold &&
           italic == o.italic && underline == o.underline && strikeOut == o.strikeOut &&
           pitch == o.pitch;
  }
  bool operator!=(const FontDesc& o) const { return !(*this == o); }
};

// The LOGFONT a control's font is realised with.
LOGFONTW ToLogFont(const FontDesc& f);
// A font realised from the description; null when GDI refuses it.
base::Font MakeFont(const FontDesc& f);

// The screen's pixels per logical inch across (LOGPIXELSX) or down
// (LOGPIXELSY); 96 when the screen does not say.
int ScreenPixelsPerInch(int index);

}  // namespace tk
