// TPMultiImage: the control that shows a picture (bitmap, icon or metafile) at
// its own size, centred, stretched, or stretched with its aspect ratio kept,
// with an optional overlay text. Writing ImageName loads a file through the
// loader (Loader.h); a message file runs a moving text instead (Ticker.cpp).
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/msgfile/LineList.h"
#include "imagectl/Enumerations.h"
#include "imagectl/Loader.h"
#include "toolkit/Control.h"
#include "toolkit/Picture.h"

// The overlay's font record: the control's font turned by angle degrees
// (tenths of a degree in the record), drawn with stroke clipping and proof
// quality in the ANSI character set.
LOGFONTW OverlayLogFont(const tk::FontDesc& font, int angle);

// Makes the class known to form resources as "TPMultiImage".
void RegisterImageControl();

class TPMultiImage : public tk::Control {
 public:
  TPMultiImage();
  ~TPMultiImage() override;

  // ---- published properties
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { align_ = v; }
  const std::wstring& DefSaveFilename() const { return defSaveFilename_; }
  void SetDefSaveFilename(const std::wstring& v) { defSaveFilename_ = v; }
  // The control's own picture object; assigning copies the contents into it.
  tk::Picture& Picture() { return picture_; }
  const tk::Picture& Picture() const { return picture_; }
  void SetPicture(const tk::Picture& v) { picture_.Assign(v); }
  // Reading runs the loader again on the stored name and returns StatusText.
  std::wstring ImageName();
  void SetImageName(const std::wstring& v);
  const std::wstring& StoredImageName() const { return imageName_; }
  bool RastriumPalette() const { return rastriumPalette_; }
  void SetRastriumPalette(bool v) { rastriumPalette_ = v; }
  bool ImageDither() const { return imageDither_; }
  void SetImageDither(bool v) { imageDither_ = v; }
  TLoadResolution ImageReadRes() const { return imageReadRes_; }
  void SetImageReadRes(TLoadResolution v) { imageReadRes_ = v; }
  TSaveResolution ImageWriteRes() const { return imageWriteRes_; }
  void SetImageWriteRes(TSaveResolution v) { imageWriteRes_ = v; }
  TTiffCompression TifSaveCompress() const { return tifSaveCompress_; }
  void SetTifSaveCompress(TTiffCompression v) { tifSaveCompress_ = v; }
  std::uint8_t JPegSaveQuality() const { return jpegSaveQuality_; }
  void SetJPegSaveQuality(std::uint8_t v);
  std::uint8_t JPegSaveSmooth() const { return jpegSaveSmooth_; }
  void SetJPegSaveSmooth(std::uint8_t v);
  bool PNGInterLaced() const { return pngInterLaced_; }
  void SetPNGInterLaced(bool v) { pngInterLaced_ = v; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool StretchRatio() const { return stretchRatio_; }
  void SetStretchRatio(bool v);
  const std::wstring& Text() const { return text_; }
  void SetText(const std::wstring& v);
  bool TextShadow() const { return textShadow_; }
  void SetTextShadow(bool v);
  tk::Color TextShadowColor() const { return textShadowColor_; }
  void SetTextShadowColor(tk::Color v) { textShadowColor_ = v; }
  int TextLeft() const { return textLeft_; }
  void SetTextLeft(int v);
  int TextTop() const { return textTop_; }
  void SetTextTop(int v);
  int TextRotate() const { return textRotate_; }
  void SetTextRotate(int v);
  bool TextTransParent() const { return textTransParent_; }
  void SetTextTransParent(bool v);
  bool UseTwainWindow() const { return useTwainWindow_; }
  void SetUseTwainWindow(bool v) { useTwainWindow_ = v; }
  // Called at the end of every paint, after the overlay text.
  Notify OnPaint;

  // The canvas's raster operation for every block transfer.
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }
  // The toolkit's design mode: paints a dashed outline; the loader keeps the picture.
  bool Designing() const { return designing_; }
  void SetDesigning(bool v) { designing_ = v; }

  // ---- the loader's result and the picture information
  const std::wstring& StatusText() const { return statusText_; }
  // The last load's picture could not be held: the decoding library found its
  // bitmap too large for memory.
  bool NoMemoryForPicture() const { return noMemoryForPicture_; }
  // Fills the information fields for the name; a failure of the decoding
  // library's query shows the library's error box.
  bool ReadImageInfo(const std::wstring& fileName);
  const std::wstring& ImageType() const { return info_.type; }
  int ImageWidth() const { return info_.width; }
  int ImageHeight() const { return info_.height; }
  int ImageDepthA() const { return info_.depthA; }
  int ImageDepthB() const { return info_.depthB; }
  int ImageExtra() const { return info_.extra; }
  int ImageFileSize() const { return info_.fileSize; }
  const std::wstring& ImageDetail() const { return info_.detail; }

  // Ends a running ticker or scroller: its colour goes back, the picture is emptied.
  void StopTicker();

  // ---- clipboard exchange (ImageClipboard.cpp): a bitmap (a packed DIB and a
  // screen bitmap) with its palette, or an enhanced metafile; an icon cannot
  // be copied.
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  // Paints the control into any device context (what WM_PRINTCLIENT does).
  void PaintTo(HDC dc) { Paint(dc); }

  void SetProperty(const std::wstring& prop, const std::wstring& value) override;
  // The bitmap's palette for the form to realise, only when the control does
  // not manage it itself while painting.
  HPALETTE GetPalette() override;

 protected:
  void CreateParams(tk::CreateArgs& args) override;
  void Paint(HDC dc) override;
  // The clipboard messages and the ticker's step messages; the editing keys.
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void KeyDown(WORD& key, unsigned shift) override;
  void KeyPress(wchar_t& key) override;

  // Seams: every repaint request of the control's own setters, the overlay
  // font's creation, and the memory DC of the palette-managed path.
  virtual void InvalidateControl() { Invalidate(); }
  virtual HFONT CreateOverlayFont(const LOGFONTW& lf) { return CreateFontIndirectW(&lf); }
  virtual HDC CreateMemoryDc(HDC dc) { return CreateCompatibleDC(dc); }
  // The load by file name: returns StatusText.
  virtual std::wstring GetImageName();

  void PictureChanged();
  // The setters' pattern: a new value is stored and the control repainted
  // later; the same value changes nothing. True when the value changed.
  template <typename T>
  bool Update(T& field, const T& v) {
    if (v == field) return false;
    field = v;
    InvalidateControl();
    return true;
  }

  // ---- the loader's steps, one for each reader GetImageName picks
  // The toolkit's icon and metafile reader; its errors go to the caller.
  void ReadToolkitFile();
  // The message files (.SCM ticker, .CMS scroller).
  void ReadMessageFile(imagectl::Reader reader);
  // A library decoder or a resource: StopTicker, read into a temporary
  // bitmap, the messages on failure, the picture takes the result, then its
  // information.
  void ReadBitmapFile(const imagectl::FileType& type,
                      const std::function<imagectl::BitmapRead()>& read,
                      const std::function<imagectl::InfoQuery()>& info);
  // Keeps a reader's information; a failure of the library's query shows the
  // library's error box.
  bool ApplyInfo(const imagectl::InfoQuery& q);

  // ---- the moving text (Ticker.cpp)
  // Seams: the control's canvas outside painting (its window's DC), and the
  // size of a text in TickerFont as an auto-sizing label would take.
  virtual void OnCanvas(const std::function<void(HDC)>& draw);
  virtual SIZE MeasureTickerText(const std::wstring& text);
  // The set-ups; they raise when the file cannot be read or made into a ticker.
  void LoadTickerFile(const std::wstring& fileName);
  void LoadScrollerFile(const std::wstring& fileName);
  // The step messages WM_USER+1 and WM_USER+2.
  void HorizontalStep();
  void VerticalStep();
  // Whether this step message moves the text: every (speed + 1)-th one does.
  bool TickDue(int speed);
  // Renders the scroller line at TickerLineIndex below the bottom edge.
  void PrepareScrollLine();
  // Gives back the memory of the lines and the text once no display needs
  // them: when the ticker stops, a paste ends it, or a set-up starts none.
  void ReleaseTickerText();
  // TickerText in TickerFont on TickerColor into a new TickerBitmap.
  void RenderTickerBitmap(int width, int height);
  void DrawTickerBitmap();

  // ---- ticker state; the ticker's steps and set-ups fill it
  bool TickerActive = false;
  bool ScrollerActive = false;
  tk::FontDesc TickerFont;
  tk::Color TickerColor = tk::clBlack;
  int TickerSpeed = 0;
  int TickCount = 0;
  std::wstring TickerText;
  msgfile::LineList TickerLines;
  int TickerLineIndex = 0;
  tk::BitmapObject TickerBitmap;
  int TickerX = 0, TickerY = 0;
  int TickerXEnd = 0, TickerYEnd = 0;
  int TickerStartX = 0, TickerStartY = 0;
  int TickerTextWidth = 0;
  int TickerLineHeight = 0;
  tk::Color SavedColor = tk::clBtnFace;

 private:
  RECT ClientArea() const;
  void DrawDesignOutline(HDC dc);
  void DrawGraphic(HDC dc);
  bool DrawScaledCopy(HDC dc, const RECT& r);
  void DrawPaletteManaged(HDC dc);
  void TransferBitmap(HDC dc, const tk::BitmapObject& bitmap, int x, int y, int w, int h,
                      bool stretched);
  void FinishPaint(HDC dc);
  void DrawTextOverlay(HDC dc);

  tk::Picture picture_;
  // The stretched bitmap kept for the size it was made for; dropped with
  // every change of the picture (and so of its palette).
  base::Bitmap scaled_;
  SIZE scaledSize_{0, 0};
  std::wstring imageName_;
  std::wstring statusText_;
  bool noMemoryForPicture_ = false;
  std::wstring resourceModule_;  // module of .RES names; empty: the program's own
  codecs::ImageInfo info_;

  bool autoSize_ = false;
  bool center_ = false;
  TBorderStyle borderStyle_ = TBorderStyle::bsNone;
  TAlign align_ = TAlign::alNone;
  std::wstring defSaveFilename_;
  bool rastriumPalette_ = true;
  bool imageDither_ = true;
  TLoadResolution imageReadRes_ = TLoadResolution::lAutoMatic;
  TSaveResolution imageWriteRes_ = TSaveResolution::sAutoMatic;
  TTiffCompression tifSaveCompress_ = TTiffCompression::sNONE;
  std::uint8_t jpegSaveQuality_ = 25;
  std::uint8_t jpegSaveSmooth_ = 0;
  bool pngInterLaced_ = false;
  bool stretch_ = false;
  bool stretchRatio_ = false;
  std::wstring text_;
  bool textShadow_ = false;
  tk::Color textShadowColor_ = tk::clBlack;
  int textLeft_ = 0;
  int textTop_ = 0;
  int textRotate_ = 0;
  bool textTransParent_ = true;
  bool useTwainWindow_ = true;
  DWORD copyMode_ = SRCCOPY;
  bool designing_ = false;
};
