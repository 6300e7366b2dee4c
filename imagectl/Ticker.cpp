// The moving text of TPMultiImage: the set-ups from .SCM and .CMS message
// files, the two step messages, and the rendering of each scroller line. Each
// step draws the text bitmap straight onto the control's canvas; painting
// does not draw it.
#include <climits>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>

#include "codecs/msgfile/MessageFile.h"
#include "imagectl/TMultiP.h"
#include "toolkit/CodePages.h"
#include "toolkit/WholeFile.h"
#include "toolkit/FileExists.h"

namespace {

// Read whole, opened so that others may read the file meanwhile but not write it.
std::string ReadMessageBytes(const std::wstring& fileName) {
  return tk::ReadWholeFile(fileName, msgfile::kMaxFileBytes, FILE_SHARE_READ);
}

// The values read, in file order; a value that could not be read raises
// after the ones before it have taken effect.
void Apply(const msgfile::Settings& s, tk::FontDesc& font, int& speed, tk::Color& color) {
  if (s.fontColor) font.color = static_cast<tk::Color>(*s.fontColor);
  if (s.fontHeight) font.height = *s.fontHeight;
  if (s.fontName) font.name = tk::FromAnsi(*s.fontName);
  if (s.fontSize) {
    const int pixels = MulDiv(*s.fontSize, tk::ScreenPixelsPerInch(LOGPIXELSY), 72);
    font.height = pixels == INT_MIN ? INT_MAX : -pixels;
  }
  if (s.fontStyle) {
    font.bold = s.fontStyle->bold;
    font.italic = s.fontStyle->italic;
    font.underline = s.fontStyle->underline;
    font.strikeOut = s.fontStyle->strikeOut;
  }
  if (s.background) color = static_cast<tk::Color>(*s.background);
  if (s.speed) speed = *s.speed;
  if (!s.error.empty()) throw std::runtime_error(s.error);
}

// False only when the file does not exist.
bool ParseTickerFile(const std::wstring& fileName, tk::FontDesc& font, int& speed,
                     std::wstring& text, tk::Color& color) {
  if (!tk::FileExists(fileName)) return false;
  const msgfile::TickerSettings s = msgfile::ParseTickerText(ReadMessageBytes(fileName));
  Apply(s, font, speed, color);
  if (s.message) text = tk::FromAnsi(*s.message);
  return true;
}

bool ParseScrollerFile(const std::wstring& fileName, tk::FontDesc& font, int& speed,
                       tk::Color& color, msgfile::LineList& lines) {
  lines.Release();
  if (!tk::FileExists(fileName)) return false;
  msgfile::ScrollerSettings s = msgfile::ParseScrollerText(ReadMessageBytes(fileName));
  Apply(s, font, speed, color);
  lines = std::move(s.lines);
  return true;
}

// Two blanks before a line that does not begin with one, one after a line
// that does not end with one.
std::wstring PadScrollLine(std::wstring line) {
  if (line.front() != L' ') line.insert(0, L"  ");
  if (line.back() != L' ') line += L' ';
  return line;
}

// A line is widened by its width shared over its characters but two; a line
// of two characters or fewer has nothing to share it over and stays as measured.
int WidenedWidth(int width, std::size_t length) {
  if (length <= 2) return width;
  const std::int64_t wide = std::int64_t{width} + width / static_cast<std::int64_t>(length - 2);
  return wide > INT_MAX ? INT_MAX : static_cast<int>(wide);
}

}  // namespace

void TPMultiImage::OnCanvas(const std::function<void(HDC)>& draw) {
  const HWND wnd = Handle();
  if (!wnd) return;  // no parent window yet: nothing to draw on
  base::WindowDc dc(wnd);
  if (dc.get()) draw(dc.get());
}

SIZE TPMultiImage::MeasureTickerText(const std::wstring& text) {
  // As a label sizes itself to its caption, a blank standing in for an empty
  // one; measured as one line, the way the text is drawn.
  const std::wstring caption = text.empty() ? L" " : text;
  base::WindowDc dc(HandleIfCreated());
  const base::Font font = tk::MakeFont(TickerFont);
  std::optional<base::SelectGuard> selectFont;
  if (font) selectFont.emplace(dc.get(), font.get());
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
  return size;
}

void TPMultiImage::RenderTickerBitmap(int width, int height) {
  // A text too long for any bitmap is refused before GDI is asked to hold it.
  if (width <= 0 || height <= 0 || std::int64_t{width} * height * 4 > INT_MAX)
    throw tk::EOutOfResources();
  TickerBitmap.SetSize(width, height);
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) throw tk::EOutOfResources();
  base::SelectGuard selectBitmap(dc.get(), TickerBitmap.MutableHandle());
  const COLORREF background = tk::ColorToRGB(TickerColor);
  const base::Brush brush(CreateSolidBrush(background));
  const RECT all{0, 0, width, height};
  FillRect(dc.get(), &all, brush.get());
  const base::Font font = tk::MakeFont(TickerFont);
  std::optional<base::SelectGuard> selectFont;
  if (font) selectFont.emplace(dc.get(), font.get());
  SetBkMode(dc.get(), OPAQUE);
  SetBkColor(dc.get(), background);
  SetTextColor(dc.get(), tk::ColorToRGB(TickerFont.color));
  TextOutW(dc.get(), 0, 0, TickerText.c_str(), static_cast<int>(TickerText.size()));
}

void TPMultiImage::DrawTickerBitmap() {
  OnCanvas([this](HDC dc) {
    base::MemoryDc mem(CreateMemoryDc(dc));
    if (!mem) return;
    base::SelectGuard select(mem.get(), TickerBitmap.Handle());
    BitBlt(dc, TickerX, TickerY, TickerBitmap.Width(), TickerBitmap.Height(), mem.get(), 0, 0,
           copyMode_);
  });
}

void TPMultiImage::LoadTickerFile(const std::wstring& fileName) {
  picture_.Clear();
  TickerStartX = Width();
  TickerStartY = Height();
  ParseTickerFile(fileName, TickerFont, TickerSpeed, TickerText, TickerColor);
  Repaint();
  const SIZE size = MeasureTickerText(TickerText);
  RenderTickerBitmap(size.cx, size.cy);  // first: it refuses sizes no position could add up
  TickerTextWidth = size.cx;
  TickerX = TickerStartX;  // just beyond the right edge
  TickerXEnd = TickerStartX + size.cx;
  TickerY = (TickerStartY - size.cy) / 2;
  SavedColor = GetColor();
  SetColor(TickerColor);
  TickerActive = true;
}

void TPMultiImage::LoadScrollerFile(const std::wstring& fileName) {
  picture_.Clear();
  ParseScrollerFile(fileName, TickerFont, TickerSpeed, TickerColor, TickerLines);
  TickerLineIndex = 0;
  // The loader has stopped any ticker, so the first line saves the colour.
  PrepareScrollLine();
  if (!ScrollerActive) ReleaseTickerText();  // nothing will read the lines
}

void TPMultiImage::ReleaseTickerText() {
  TickerLines.Release();
  std::wstring().swap(TickerText);
}

bool TPMultiImage::TickDue(int speed) {
  // The same count as adding one and comparing, without counting past the
  // divider, so the largest divider cannot overflow it.
  if (TickCount >= speed) {
    TickCount = 0;
    return true;
  }
  ++TickCount;
  return false;
}

void TPMultiImage::HorizontalStep() {
  if (!TickerActive || !TickDue(TickerSpeed)) return;
  --TickerX;
  --TickerXEnd;
  if (TickerXEnd < 0) {  // the text has left on the left: in again from the right
    TickerX = TickerStartX;
    TickerXEnd = TickerX + TickerTextWidth;
  }
  DrawTickerBitmap();
}

void TPMultiImage::VerticalStep() {
  if (!ScrollerActive || !TickDue(TickerSpeed)) return;
  --TickerY;
  --TickerYEnd;
  if (TickerY < -TickerLineHeight - 5) {  // the whole bitmap has left at the top
    if (!TickerLines.Empty()) {
      const bool last = TickerLineIndex >= static_cast<int>(TickerLines.Size()) - 1;
      TickerLineIndex = last ? 0 : TickerLineIndex + 1;
      try {
        PrepareScrollLine();
      } catch (const std::exception&) {
        StopTicker();  // a line no bitmap can hold ends the scroller quietly
        return;
      }
    } else {
      TickerY = TickerStartY;
      TickerYEnd = TickerY + TickerLineHeight;
    }
  }
  DrawTickerBitmap();
}

void TPMultiImage::PrepareScrollLine() {
  if (TickerLines.Empty()) return;
  if (TickerLineIndex < 0 || TickerLineIndex >= static_cast<int>(TickerLines.Size()))
    TickerLineIndex = 0;
  TickerText =
      tk::FromAnsi(std::string(TickerLines.Line(static_cast<std::size_t>(TickerLineIndex))));
  // An empty line leaves TickerY above the top edge: the next step moves on.
  if (TickerText.empty()) return;
  TickerText = PadScrollLine(TickerText);
  TickerStartX = Width();
  TickerStartY = Height();
  Repaint();
  const SIZE size = MeasureTickerText(TickerText);
  const int width = WidenedWidth(size.cx, TickerText.size());
  RenderTickerBitmap(width, size.cy < INT_MAX - 5 ? size.cy + 5 : INT_MAX);
  TickerLineHeight = size.cy;
  TickerTextWidth = width;
  TickerX = (TickerStartX - width) / 2;  // centred
  TickerY = TickerStartY;                // just below the bottom edge
  TickerYEnd = TickerY + size.cy;
  if (!ScrollerActive) SavedColor = GetColor();
  SetColor(TickerColor);
  OnCanvas([this](HDC dc) {
    // Filled in the ticker colour and outlined with the canvas's own pen.
    const base::Brush brush(CreateSolidBrush(tk::ColorToRGB(TickerColor)));
    base::SelectGuard select(dc, brush.get());
    Rectangle(dc, 0, 0, Width(), Height());
  });
  ScrollerActive = true;
}
