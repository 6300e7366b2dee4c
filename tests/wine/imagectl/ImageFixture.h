// Image-control tests: a host form holding a probe control whose seams count
// repaint requests and record the overlay fonts, a 32-bit DIB canvas to paint
// into, bitmaps made on the spot, and the test pictures under tests/data.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "imagectl/TMultiP.h"
#include "tests/wine/common/Files.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace imagectl_test {

class ProbeImage : public TPMultiImage {
 public:
  int invalidations = 0;
  std::vector<LOGFONTW> fonts;  // every record the overlay passed to GDI
  bool failMemoryDc = false;
  HDC tickerDc = nullptr;  // where the ticker draws instead of the window
  SIZE textSize{0, 0};     // every ticker text measures this when cx > 0

  // TickerX, TickerY, the text bitmap's width and height, TickerLineIndex.
  std::vector<int> Where() const {
    return {TickerX, TickerY, TickerBitmap.Width(), TickerBitmap.Height(), TickerLineIndex};
  }
  using TPMultiImage::Opaque;
  using TPMultiImage::SavedColor;
  using TPMultiImage::ScrollerActive;
  using TPMultiImage::TickerActive;
  using TPMultiImage::TickerFont;
  using TPMultiImage::TickerLines;
  using TPMultiImage::TickerSpeed;

 protected:
  void InvalidateControl() override {
    ++invalidations;
    TPMultiImage::InvalidateControl();
  }
  HFONT CreateOverlayFont(const LOGFONTW& lf) override {
    fonts.push_back(lf);
    return TPMultiImage::CreateOverlayFont(lf);
  }
  HDC CreateMemoryDc(HDC dc) override {
    return failMemoryDc ? nullptr : TPMultiImage::CreateMemoryDc(dc);
  }
  void OnCanvas(const std::function<void(HDC)>& draw) override {
    tickerDc ? draw(tickerDc) : TPMultiImage::OnCanvas(draw);
  }
  SIZE MeasureTickerText(const std::wstring& text) override {
    return textSize.cx > 0 ? textSize : TPMultiImage::MeasureTickerText(text);
  }
};

// A hidden form with one probe control at (4, 4).
struct Host {
  tk::Form form;
  ProbeImage* image;
  explicit Host(int width = 352, int height = 264) {
    form.SetBounds(0, 0, 900, 700);
    form.Handle();
    auto c = std::make_unique<ProbeImage>();
    image = c.get();
    form.AddComponent(std::move(c));
    image->SetParent(&form);
    image->SetBounds(4, 4, width, height);
  }
};

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r << 16) | (g << 8) | b; }
inline unsigned R(std::uint32_t p) { return (p >> 16) & 0xFF; }
inline unsigned G(std::uint32_t p) { return (p >> 8) & 0xFF; }
inline unsigned B(std::uint32_t p) { return p & 0xFF; }

// A top-down 32-bit DIB section in a memory DC; pixels read as 0x00RRGGBB.
class Canvas {
 public:
  Canvas(int width, int height);
  HDC dc() const { return dc_.get(); }
  std::uint32_t At(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
  void Fill(std::uint32_t rgb);
  // Paints the control into the canvas as WM_PRINTCLIENT does.
  void Render(TPMultiImage& image, bool erase = true);
  // Bounding box of the pixels for which pred holds; empty rect if none.
  template <typename Pred>
  RECT Bounds(Pred pred) const {
    RECT r{width_, height_, -1, -1};
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (pred(At(x, y))) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.right < 0) r = RECT{0, 0, 0, 0};
    return r;
  }
  template <typename Pred>
  int Count(Pred pred) const {
    return static_cast<int>(std::count_if(bits_, bits_ + width_ * height_,
                                          [&](std::uint32_t p) { return pred(p & 0xFFFFFF); }));
  }

 private:
  int width_, height_;
  std::uint32_t* bits_ = nullptr;
  base::Bitmap bitmap_;
  base::MemoryDc dc_;
  base::SelectGuard select_;  // restored before the DC and the bitmap go
};

// A 32-bit DIB whose pixel (x, y) is RGB(x & 255, y & 255, 0x80): where a
// picture pixel lands tells which source pixel it is.
HBITMAP MakeCodedBitmap(int width, int height);
// A 32-bit DIB filled with one colour.
HBITMAP MakeSolidBitmap(int width, int height, std::uint32_t rgb);
// Hands a bitmap (and palette) to the control's picture.
void LoadBitmap(TPMultiImage& image, HBITMAP bitmap, HPALETTE palette = nullptr);
inline bool IsCoded(std::uint32_t p) { return B(p) == 0x80; }

// A test picture's bytes.
using Bytes = std::vector<std::uint8_t>;
Bytes DataBytes(const std::wstring& name);
// %TEMP%\lumo-imagectl\name, and writing a scratch file there.
std::wstring TempPath(const std::wstring& name);
void WriteBytes(const std::wstring& path, const Bytes& bytes);
// Writes bytes, or a copy of a test picture, as TempPath(name); returns the path.
std::wstring Put(const std::wstring& name, const Bytes& bytes);
inline std::wstring Put(const std::wstring& name, const wchar_t* testPicture) {
  return Put(name, DataBytes(testPicture));
}

// Any bitmap's pixels as 0x00RRGGBB, top row first; 0 x 0 where it cannot be read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};
Pixels ReadPixels(HBITMAP bitmap);
std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette);

// GDI objects of this process: the system's count, or where Wine reports
// none, the live entries of its handle table.
long GdiObjectCount();
// Committed private memory of this process in bytes.
std::uint64_t PrivateBytes();

constexpr std::uint32_t kBackground = Rgb(0, 255, 0);  // reads the same as a COLORREF

// A host whose control has the background colour, painted into a canvas of its
// client size; counts the control's OnPaint.
class Painted : public ::testing::Test {
 protected:
  void Make(int width, int height, bool paletteManaged) {
    host = std::make_unique<Host>(width, height);
    paints = 0;
    c().SetColor(kBackground);
    c().SetRastriumPalette(paletteManaged);
    c().OnPaint = [this](tk::Control&) { ++paints; };
  }
  ProbeImage& c() { return *host->image; }
  Canvas& Paint() {
    canvas = std::make_unique<Canvas>(c().ClientWidth(), c().ClientHeight());
    canvas->Render(c());
    return *canvas;
  }
  std::unique_ptr<Host> host;
  std::unique_ptr<Canvas> canvas;
  int paints = 0;
};

// Collects what the general exception handler would show.
struct ExceptionCatcher {
  std::vector<std::string> messages;
  ExceptionCatcher() {
    tk::Application::Instance().OnException = [this](const std::exception& e) {
      messages.push_back(e.what());
    };
  }
  ~ExceptionCatcher() { tk::Application::Instance().OnException = nullptr; }
};

}  // namespace imagectl_test
