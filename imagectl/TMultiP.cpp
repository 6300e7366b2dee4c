#include "imagectl/TMultiP.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "imagectl/Geometry.h"
#include "toolkit/Form.h"
#include "toolkit/Services.h"
#include "toolkit/portable/FileName.h"
#include "toolkit/FileExists.h"

namespace {

// A form resource's name of an enumeration value.
template <typename Enum, std::size_t N>
Enum ParseEnum(const wchar_t* const (&names)[N], const std::wstring& v, const char* unknown) {
  for (std::size_t i = 0; i < N; ++i)
    if (v == names[i]) return static_cast<Enum>(i);
  throw std::invalid_argument(unknown);
}

// Form resources may carry base properties that this toolkit does not model;
// they are read and dropped.
bool IsIgnoredBaseProperty(const std::wstring& p) {
  static const wchar_t* const kNames[] = {
      L"Cursor",      L"Hint",       L"Ctl3D",          L"DragCursor", L"DragMode",
      L"ParentColor", L"ParentFont", L"ParentShowHint", L"ShowHint",   L"PopupMenu"};
  return std::find_if(std::begin(kNames), std::end(kNames),
                      [&](const wchar_t* n) { return p == n; }) != std::end(kNames);
}

// Byte-typed properties take the low byte, as the resource's value type does.
std::uint8_t ParseByte(const std::wstring& v) {
  return static_cast<std::uint8_t>(tk::ParseInt(v) & 0xFF);
}

const wchar_t kFileNotFound[] = L"file not found";
const wchar_t kNonLibraryImage[] = L"Non TIF, JPeg, BMP, GIF, PNG or PCX Image";

}  // namespace

LOGFONTW OverlayLogFont(const tk::FontDesc& font, int angle) {
  LOGFONTW lf = tk::ToLogFont(font);
  const long long tenths = static_cast<long long>(angle) * 10;
  lf.lfEscapement = static_cast<LONG>(tenths);
  lf.lfOrientation = static_cast<LONG>(tenths);
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfClipPrecision = CLIP_STROKE_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  return lf;
}

void RegisterImageControl() {
  tk::RegisterControlClass(L"TPMultiImage", [] { return std::make_unique<TPMultiImage>(); });
}

// ---- construction --------------------------------------------------------------

TPMultiImage::TPMultiImage() {
  // The picture's notification is wired before anything else is set; the
  // other defaults are the members' own. What is seen from outside: size,
  // then colour.
  picture_.OnChange = [this](tk::Picture&) { PictureChanged(); };
  SetHeight(105);
  SetWidth(105);
  SetColor(tk::clBtnFace);
}

TPMultiImage::~TPMultiImage() {
  // The members go before the base destroys the window; no notification may
  // reach a half-destroyed control.
  picture_.OnChange = nullptr;
}

void TPMultiImage::CreateParams(tk::CreateArgs& args) {
  Control::CreateParams(args);
  args.className = L"TPMultiImage";
  args.ownClass = true;
  args.classStyle |= CS_HREDRAW | CS_VREDRAW;  // centred and stretched pictures move on resize
  if (borderStyle_ == TBorderStyle::bsSingle) args.style |= WS_BORDER;
}

LRESULT TPMultiImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CUT:
      CutToClipboard();
      return 0;
    case WM_COPY:
      CopyToClipboard();
      return 0;
    case WM_PASTE:
      PasteFromClipboard();
      return 0;
    case WM_USER + 1:
      HorizontalStep();
      return 0;
    case WM_USER + 2:
      VerticalStep();
      return 0;
    default:
      return Control::WndProc(msg, wp, lp);
  }
}

// ---- properties ------------------------------------------------------------------

void TPMultiImage::SetAutoSize(bool v) {
  autoSize_ = v;
  PictureChanged();
}

void TPMultiImage::SetCenter(bool v) { Update(center_, v); }

void TPMultiImage::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  RecreateWnd();
}

std::wstring TPMultiImage::ImageName() { return GetImageName(); }

void TPMultiImage::SetImageName(const std::wstring& v) {
  imageName_ = v;
  GetImageName();
}

void TPMultiImage::SetJPegSaveQuality(std::uint8_t v) {
  jpegSaveQuality_ = (v >= 1 && v <= 100) ? v : 25;
}

void TPMultiImage::SetJPegSaveSmooth(std::uint8_t v) { jpegSaveSmooth_ = v <= 100 ? v : 5; }

void TPMultiImage::SetStretch(bool v) {
  if (Update(stretch_, v) && v) stretchRatio_ = false;
}

void TPMultiImage::SetStretchRatio(bool v) {
  if (Update(stretchRatio_, v) && v) stretch_ = false;
}

void TPMultiImage::SetText(const std::wstring& v) { Update(text_, v); }

void TPMultiImage::SetTextShadow(bool v) { Update(textShadow_, v); }

void TPMultiImage::SetTextLeft(int v) { Update(textLeft_, v); }

void TPMultiImage::SetTextTop(int v) { Update(textTop_, v); }

void TPMultiImage::SetTextRotate(int v) { Update(textRotate_, v); }

void TPMultiImage::SetTextTransParent(bool v) { Update(textTransParent_, v); }

void TPMultiImage::SetProperty(const std::wstring& prop, const std::wstring& value) {
  using tk::ParseBool;
  using tk::ParseInt;
  if (prop == L"AutoSize") {
    SetAutoSize(ParseBool(value));
  } else if (prop == L"Center") {
    SetCenter(ParseBool(value));
  } else if (prop == L"BorderStyle") {
    SetBorderStyle(ParseEnum<TBorderStyle>(kBorderStyleNames, value, "Unknown TBorderStyle"));
  } else if (prop == L"Align") {
    SetAlign(ParseEnum<TAlign>(kAlignNames, value, "Unknown TAlign"));
  } else if (prop == L"DefSaveFilename") {
    SetDefSaveFilename(value);
  } else if (prop == L"ImageName") {
    SetImageName(value);
  } else if (prop == L"RastriumPalette") {
    SetRastriumPalette(ParseBool(value));
  } else if (prop == L"ImageDither") {
    SetImageDither(ParseBool(value));
  } else if (prop == L"ImageReadRes") {
    SetImageReadRes(
        ParseEnum<TLoadResolution>(kLoadResolutionNames, value, "Unknown TLoadResolution"));
  } else if (prop == L"ImageWriteRes") {
    SetImageWriteRes(
        ParseEnum<TSaveResolution>(kSaveResolutionNames, value, "Unknown TSaveResolution"));
  } else if (prop == L"TifSaveCompress") {
    SetTifSaveCompress(
        ParseEnum<TTiffCompression>(kTiffCompressionNames, value, "Unknown TTiffCompression"));
  } else if (prop == L"JPegSaveQuality") {
    SetJPegSaveQuality(ParseByte(value));
  } else if (prop == L"JPegSaveSmooth") {
    SetJPegSaveSmooth(ParseByte(value));
  } else if (prop == L"PNGInterLaced") {
    SetPNGInterLaced(ParseBool(value));
  } else if (prop == L"Stretch") {
    SetStretch(ParseBool(value));
  } else if (prop == L"StretchRatio") {
    SetStretchRatio(ParseBool(value));
  } else if (prop == L"Text") {
    SetText(value);
  } else if (prop == L"TextShadow") {
    SetTextShadow(ParseBool(value));
  } else if (prop == L"TextShadowColor") {
    SetTextShadowColor(tk::ParseColor(value));
  } else if (prop == L"TextLeft") {
    SetTextLeft(ParseInt(value));
  } else if (prop == L"TextTop") {
    SetTextTop(ParseInt(value));
  } else if (prop == L"TextRotate") {
    SetTextRotate(ParseInt(value));
  } else if (prop == L"TextTransParent") {
    SetTextTransParent(ParseBool(value));
  } else if (prop == L"UseTwainWindow") {
    SetUseTwainWindow(ParseBool(value));
  } else if (IsIgnoredBaseProperty(prop)) {
    return;
  } else {
    Control::SetProperty(prop, value);
  }
}

HPALETTE TPMultiImage::GetPalette() {
  if (!rastriumPalette_ && picture_.HasBitmap()) return picture_.PaletteHandle();
  return nullptr;
}

// ---- picture changes and the ticker's end ------------------------------------------

void TPMultiImage::PictureChanged() {
  scaled_.reset();
  const int pw = picture_.Width(), ph = picture_.Height();
  if (autoSize_ && pw > 0 && ph > 0) SetBounds(Left(), Top(), pw, ph);
  // A bitmap that covers the control leaves no background to erase.
  SetOpaque(picture_.HasBitmap() && pw == Width() && ph == Height());
  InvalidateControl();
}

void TPMultiImage::StopTicker() {
  if (TickerActive) SetColor(SavedColor);
  if (ScrollerActive) SetColor(SavedColor);
  ScrollerActive = false;
  TickerActive = false;
  ReleaseTickerText();
  picture_.Clear();
}

// ---- loading by name -----------------------------------------------------------

std::wstring TPMultiImage::GetImageName() {
  using imagectl::Reader;
  const imagectl::FileType* type = imagectl::FindFileType(tk::ExtensionKey(imageName_));
  noMemoryForPicture_ = false;
  const bool needsFile = !type || type->reader != Reader::kResource;
  if (needsFile && (imageName_.empty() || !tk::FileExists(imageName_))) {
    picture_.Clear();  // a running ticker is not stopped
    statusText_ = kFileNotFound;
    return statusText_;
  }
  // At design time a name already shown is not read again.
  const bool shown = designing_ && tk::UpperAscii(imageName_) == statusText_;
  switch (type ? type->reader : Reader::kNone) {
    case Reader::kToolkit:
      ReadToolkitFile();
      statusText_ = kNonLibraryImage;
      return statusText_;
    case Reader::kTicker:
    case Reader::kScroller:
      ReadMessageFile(type->reader);
      break;
    case Reader::kLibrary: {
      if (shown) break;
      const int bits =
          imagectl::ResolutionCode(imageReadRes_, imagectl::DisplayBitsPerPixel(HandleIfCreated()));
      const int dither = imageDither_ ? 1 : 0;
      const auto read = [&] {
        return imagectl::ReadLibraryBitmap(type->decoder, imageName_, bits, dither);
      };
      ReadBitmapFile(*type, read, [&] { return imagectl::LibraryInfo(imageName_); });
      break;
    }
    case Reader::kResource: {
      if (shown) break;
      // A resource bitmap is made for the control's own window, created if need be.
      const auto read = [&] {
        return imagectl::ReadResourceBitmap(imageName_, resourceModule_, Handle());
      };
      ReadBitmapFile(*type, read, [&] { return imagectl::ResourceInfo(picture_); });
      break;
    }
    case Reader::kNone:
      break;
  }
  statusText_ = tk::UpperAscii(imageName_);
  return statusText_;
}

void TPMultiImage::ReadToolkitFile() {
  // Not protected: a reader error goes to whoever wrote or read ImageName.
  StopTicker();
  try {
    picture_.Assign(imagectl::ReadToolkitPicture(imageName_));
  } catch (const std::exception&) {
    // The information then tells of the empty picture, not of the one
    // before it, whose size would still fit a pane to nothing.
    ApplyInfo(imagectl::OwnFileInfo(imageName_, picture_));
    throw;
  }
  ApplyInfo(imagectl::OwnFileInfo(imageName_, picture_));
}

void TPMultiImage::ReadMessageFile(imagectl::Reader reader) {
  try {
    StopTicker();
    if (reader == imagectl::Reader::kTicker)
      LoadTickerFile(imageName_);
    else
      LoadScrollerFile(imageName_);
  } catch (const std::exception&) {
    // A broken or hostile message file ends the load quietly, and keeps none
    // of what it brought.
    ReleaseTickerText();
    picture_.Clear();
    return;
  }
  ApplyInfo(imagectl::OwnFileInfo(imageName_, picture_));
}

void TPMultiImage::ReadBitmapFile(const imagectl::FileType& type,
                                  const std::function<imagectl::BitmapRead()>& read,
                                  const std::function<imagectl::InfoQuery()>& info) {
  imagectl::BitmapRead r;
  try {
    StopTicker();
    r = read();
    noMemoryForPicture_ = codecs::IsMemoryFailure(r.libraryResult);
    if (r.libraryResult <= 0) codecs::ShowLibraryError(r.libraryResult);
    if (!r.read) tk::MessageDlg(type.failure, tk::MsgKind::Information, tk::mbOK);
  } catch (const std::exception&) {
    // The load ends silently; the information fields keep their values.
    picture_.Clear();
    return;
  }
  picture_.Assign(r.bitmap);
  r.bitmap.Clear();  // the temporary goes; the picture keeps the image
  ApplyInfo(info());
}

bool TPMultiImage::ApplyInfo(const imagectl::InfoQuery& q) {
  if (q.libraryResult <= 0) codecs::ShowLibraryError(q.libraryResult);
  info_ = q.info;
  return q.known;
}

bool TPMultiImage::ReadImageInfo(const std::wstring& fileName) {
  return ApplyInfo(imagectl::QueryImageInfo(fileName, picture_));
}

// ---- painting ----------------------------------------------------------------------

RECT TPMultiImage::ClientArea() const {
  RECT r{0, 0, Width(), Height()};
  if (HWND w = HandleIfCreated()) GetClientRect(w, &r);
  return r;
}

void TPMultiImage::Paint(HDC dc) {
  if (designing_) DrawDesignOutline(dc);
  if (info_.type == L"ICO" || info_.type == L"WMF" || !rastriumPalette_)
    DrawGraphic(dc);
  else
    DrawPaletteManaged(dc);
}

void TPMultiImage::DrawDesignOutline(HDC dc) {
  base::Pen pen(CreatePen(PS_DASH, 1, RGB(0, 0, 0)));
  base::SelectGuard selectPen(dc, pen.get());
  base::SelectGuard selectBrush(dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(dc, 0, 0, Width(), Height());
}

void TPMultiImage::DrawGraphic(HDC dc) {
  const RECT c = ClientArea();
  const imagectl::Placement p =
      imagectl::LibraryPlacement(stretch_, center_, Width(), Height(), c.right - c.left,
                                 c.bottom - c.top, picture_.Width(), picture_.Height());
  const RECT r{p.x, p.y, p.x + p.w, p.y + p.h};
  if (!stretch_ || !DrawScaledCopy(dc, r)) picture_.Draw(dc, r, copyMode_);
  FinishPaint(dc);
}

// Stretching a large bitmap at every paint is slow (about 90 ms for 24
// megapixels under Wine), so the stretched bitmap is kept for the control's
// size. The picture's own drawing makes it, so its pixels are those of a
// direct stretch. Not for monochrome bitmaps (drawn in the target's colours)
// nor on palette displays (a newly realised palette changes what the copy's
// pixels mean).
bool TPMultiImage::DrawScaledCopy(HDC dc, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (!picture_.HasBitmap() || picture_.Empty() || picture_.AsBitmap().Monochrome() || w <= 0 ||
      h <= 0 || (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE))
    return false;
  base::MemoryDc mem(CreateMemoryDc(dc));
  if (!mem) throw tk::EOutOfResources();
  const bool stale = !scaled_ || scaledSize_.cx != w || scaledSize_.cy != h;
  if (stale) {
    scaled_.reset(CreateCompatibleBitmap(dc, w, h));
    if (!scaled_) return false;  // no room for a copy: stretch directly
    scaledSize_ = SIZE{w, h};
  }
  base::SelectGuard select(mem.get(), scaled_.get());
  if (stale) picture_.Draw(mem.get(), RECT{0, 0, w, h});
  BitBlt(dc, r.left, r.top, w, h, mem.get(), 0, 0, copyMode_);
  return true;
}

void TPMultiImage::DrawPaletteManaged(HDC dc) {
  // The canvas brush is solid in Color; an opaque overlay fills its cells with it.
  SetBkColor(dc, tk::ColorToRGB(GetColor()));
  if (!picture_.Empty()) {
    const RECT c = ClientArea();
    const int pw = picture_.Width(), ph = picture_.Height();
    imagectl::Placement d;
    bool stretched = true;
    if (stretchRatio_) {
      d = imagectl::RatioPlacement(c.left, c.top, c.right, c.bottom, pw, ph);
    } else if (stretch_) {
      d = imagectl::Placement{c.left, c.top, c.right - c.left, c.bottom - c.top};
    } else {
      d = imagectl::NaturalPlacement(center_, c.right - c.left, c.bottom - c.top, pw, ph);
      stretched = false;
    }
    if (picture_.HasBitmap())
      TransferBitmap(dc, picture_.AsBitmap(), d.x, d.y, d.w, d.h, stretched);
    else  // an icon or metafile that came without a matching ImageType
      picture_.Draw(dc, RECT{d.x, d.y, d.x + d.w, d.y + d.h}, copyMode_);
  }
  FinishPaint(dc);
}

void TPMultiImage::TransferBitmap(HDC dc, const tk::BitmapObject& bitmap, int x, int y, int w,
                                  int h, bool stretched) {
  const HPALETTE palette = bitmap.PaletteHandle();
  // Destroyed last: the canvas gets its palette back after the memory DC is gone.
  std::optional<base::PaletteGuard> canvasPalette;
  base::MemoryDc mem(CreateMemoryDc(dc));
  if (!mem) throw tk::EOutOfResources();
  base::SelectGuard selectBitmap(mem.get(), bitmap.Handle());
  canvasPalette.emplace(dc, palette, false);
  base::PaletteGuard memPalette(mem.get(), palette, false);
  if (palette) RealizePalette(dc);
  if (stretched) {
    if (imageReadRes_ != TLoadResolution::lMonoChrome) SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, mem.get(), 0, 0, bitmap.Width(), bitmap.Height(), copyMode_);
  } else {
    BitBlt(dc, x, y, bitmap.Width(), bitmap.Height(), mem.get(), 0, 0, copyMode_);
  }
}

void TPMultiImage::FinishPaint(HDC dc) {
  if (!text_.empty()) DrawTextOverlay(dc);
  if (OnPaint) OnPaint(*this);
}

void TPMultiImage::DrawTextOverlay(HDC dc) {
  const LOGFONTW lf = OverlayLogFont(GetFont(), textRotate_);
  const base::Font font(CreateOverlayFont(lf));
  std::optional<base::SelectGuard> selectFont;
  if (font) selectFont.emplace(dc, font.get());
  SetBkMode(dc, textTransParent_ ? TRANSPARENT : OPAQUE);
  SetBkColor(dc, tk::ColorToRGB(GetColor()));
  const int length = static_cast<int>(text_.size());
  if (textShadow_) {
    SetTextColor(dc, tk::ColorToRGB(textShadowColor_));
    TextOutW(dc, textLeft_ + 2, textTop_ + 2, text_.c_str(), length);
  }
  SetTextColor(dc, tk::ColorToRGB(GetFont().color));
  TextOutW(dc, textLeft_, textTop_, text_.c_str(), length);
}
