#include "toolkit/Graphics.h"

#include <algorithm>

#include "base/Handles.h"

namespace tk {

COLORREF ColorToRGB(Color c) {
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFF));
  return c & 0x00FFFFFFu;
}

LOGFONTW ToLogFont(const FontDesc& f) {
  LOGFONTW lf{};
  lf.lfHeight = f.height;
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = f.italic;
  lf.lfUnderline = f.underline;
  lf.lfStrikeOut = f.strikeOut;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = f.pitch == FontPitch::Fixed      ? FIXED_PITCH
                        : f.pitch == FontPitch::Variable ? VARIABLE_PITCH
                                                         : DEFAULT_PITCH;
  const size_t n = std::min<size_t>(f.name.size(), LF_FACESIZE - 1);
  std::copy_n(f.name.begin(), n, lf.lfFaceName);
  lf.lfFaceName[n] = 0;
  return lf;
}

base::Font MakeFont(const FontDesc& f) {
  const LOGFONTW lf = ToLogFont(f);
  return base::Font(CreateFontIndirectW(&lf));
}

int ScreenPixelsPerInch(int index) {
  base::WindowDc screen(nullptr);
  const int v = screen.get() ? GetDeviceCaps(screen.get(), index) : 0;
  return v > 0 ? v : 96;
}

}  // namespace tk
