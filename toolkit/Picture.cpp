#include "toolkit/Picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/readers/Icon.h"
#include "codecs/readers/Metafile.h"
#include "toolkit/StdCtrls.h"

namespace tk {
namespace {

long g_liveImages = 0;

// Files larger than this are not pictures the viewer means to read.
constexpr std::size_t kMaxPictureFile = 256u * 1024u * 1024u;

[[noreturn]] void Invalid(const char* what) { throw EInvalidGraphic(what); }

const char kBadIcon[] = "Symbol ist ungültig";
const char kBadMetafile[] = "Metadatei ist ungültig";

int ScreenPixelsPerInch(int index) {
  WindowDc screen(nullptr);
  const int v = screen.get() ? GetDeviceCaps(screen.get(), index) : 0;
  return v > 0 ? v : 96;
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& fileName) {
  File f(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) throw EInOutError("Datei kann nicht geöffnet werden");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f.get(), &size)) throw EInOutError("Lesefehler");
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > kMaxPictureFile)
    Invalid("Grafikdatei ist zu groß");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
    if (!ReadFile(f.get(), data.data() + done, want, &got, nullptr))
      throw EInOutError("Lesefehler");
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  data.resize(done);
  return data;
}

// The image the system itself picks for a 32 x 32 icon: its lookup works on a
// resource directory, so the file's directory is rewritten into one.
std::size_t ChooseIconImage(const std::vector<readers::IconImage>& images) {
  std::vector<std::uint8_t> dir(6 + 14 * images.size());
  dir[2] = 1;
  dir[4] = static_cast<std::uint8_t>(images.size() & 0xFF);
  dir[5] = static_cast<std::uint8_t>(images.size() >> 8);
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::uint8_t* d = dir.data() + 6 + 14 * i;
    const readers::IconImage& e = images[i];
    d[0] = static_cast<std::uint8_t>(e.width >= 256 ? 0 : e.width);
    d[1] = static_cast<std::uint8_t>(e.height >= 256 ? 0 : e.height);
    d[4] = 1;
    d[6] = static_cast<std::uint8_t>(e.bits);
    const std::uint32_t bytes = static_cast<std::uint32_t>(e.size);
    std::memcpy(d + 8, &bytes, 4);
    const std::uint16_t id = static_cast<std::uint16_t>(i + 1);
    std::memcpy(d + 12, &id, 2);
  }
  const int id = LookupIconIdFromDirectoryEx(dir.data(), TRUE, 32, 32, LR_DEFAULTCOLOR);
  if (id >= 1 && static_cast<std::size_t>(id) <= images.size())
    return static_cast<std::size_t>(id - 1);
  return 0;
}

// Pixels for a length in logical units of which unitsPerInch make an inch.
int ToPixels(int length, int unitsPerInch, int pixelsPerInch) {
  return MulDiv(length, pixelsPerInch, unitsPerInch);
}

std::shared_ptr<const MetafileImage> FromWmf(const std::uint8_t* p, std::size_t size,
                                             const METAFILEPICT* pict, int width, int height) {
  WindowDc screen(nullptr);
  EnhMetaFile emf(SetWinMetaFileBits(static_cast<UINT>(size), p, screen.get(), pict));
  if (!emf) Invalid(kBadMetafile);
  if (width <= 0 || height <= 0) {
    // No size in the file: the bounds of what it draws.
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h)) Invalid(kBadMetafile);
    width = h.rclBounds.right - h.rclBounds.left + 1;
    height = h.rclBounds.bottom - h.rclBounds.top + 1;
    if (width <= 0 || height <= 0) Invalid(kBadMetafile);
  }
  return std::make_shared<MetafileImage>(std::move(emf), width, height);
}

// Sized by the placeable header's box.
std::shared_ptr<const MetafileImage> ReadPlaceable(const std::uint8_t* data,
                                                   const readers::Metafile& m) {
  const int width = ToPixels(m.boxWidth, m.unitsPerInch, ScreenPixelsPerInch(LOGPIXELSX));
  const int height = ToPixels(m.boxHeight, m.unitsPerInch, ScreenPixelsPerInch(LOGPIXELSY));
  METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(m.boxWidth, 2540, m.unitsPerInch),
                    MulDiv(m.boxHeight, 2540, m.unitsPerInch), nullptr};
  return FromWmf(data + m.offset, m.length, &pict, width, height);
}

std::shared_ptr<const MetafileImage> ReadPlainWmf(const std::uint8_t* data,
                                                  const readers::Metafile& m) {
  if (m.windowExtX > 0 && m.windowExtY > 0) {
    // The window extent in logical units, taken as screen pixels.
    const int dpiX = ScreenPixelsPerInch(LOGPIXELSX), dpiY = ScreenPixelsPerInch(LOGPIXELSY);
    METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(m.windowExtX, 2540, dpiX),
                      MulDiv(m.windowExtY, 2540, dpiY), nullptr};
    return FromWmf(data, m.length, &pict, m.windowExtX, m.windowExtY);
  }
  return FromWmf(data, m.length, nullptr, 0, 0);
}

// Sized by the frame (0.01 mm), else by the bounds (device units, inclusive).
std::shared_ptr<const MetafileImage> ReadEmf(const std::uint8_t* data, const readers::Metafile& m) {
  const std::int64_t frameW = static_cast<std::int64_t>(m.frame[2]) - m.frame[0];
  const std::int64_t frameH = static_cast<std::int64_t>(m.frame[3]) - m.frame[1];
  int width = 0, height = 0;
  if (frameW > 0 && frameH > 0 && frameW < 0x7FFFFFFF && frameH < 0x7FFFFFFF) {
    width = ToPixels(static_cast<int>(frameW), 2540, ScreenPixelsPerInch(LOGPIXELSX));
    height = ToPixels(static_cast<int>(frameH), 2540, ScreenPixelsPerInch(LOGPIXELSY));
  }
  if (width <= 0 || height <= 0) {
    const std::int64_t bw = static_cast<std::int64_t>(m.bounds[2]) - m.bounds[0] + 1;
    const std::int64_t bh = static_cast<std::int64_t>(m.bounds[3]) - m.bounds[1] + 1;
    if (bw <= 0 || bh <= 0 || bw > 0x7FFFFFFF || bh > 0x7FFFFFFF) Invalid(kBadMetafile);
    width = static_cast<int>(bw);
    height = static_cast<int>(bh);
  }
  EnhMetaFile emf(SetEnhMetaFileBits(static_cast<UINT>(m.length), data));
  if (!emf) Invalid(kBadMetafile);
  return std::make_shared<MetafileImage>(std::move(emf), width, height);
}

std::wstring UpperExtension(const std::wstring& fileName) {
  const std::size_t slash = fileName.find_last_of(L"\\/:");
  const std::size_t dot = fileName.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
  std::wstring ext = fileName.substr(dot);
  for (wchar_t& c : ext)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return ext;
}

}  // namespace

EOutOfResources::EOutOfResources() : std::runtime_error("Systemressourcen erschöpft.") {}

SharedImage::SharedImage() { ++g_liveImages; }
SharedImage::~SharedImage() { --g_liveImages; }
long SharedImage::LiveCount() { return g_liveImages; }

// ---- bitmaps ----------------------------------------------------------------

BitmapImage::BitmapImage(Bitmap bitmap, Palette palette)
    : bitmap_(std::move(bitmap)), palette_(std::move(palette)) {
  BITMAP bm{};
  if (bitmap_ && GetObjectW(bitmap_.get(), sizeof(bm), &bm)) {
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    bitsPerPixel_ = bm.bmPlanes * bm.bmBitsPixel;
  }
}

Bitmap CopyBitmap(HBITMAP bitmap) {
  if (!bitmap) return Bitmap();
  DIBSECTION ds{};
  const bool dib = GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(ds);
  Bitmap copy(
      static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, dib ? LR_CREATEDIBSECTION : 0)));
  if (!copy) throw EOutOfResources();
  return copy;
}

Palette CopyPalette(HPALETTE palette) {
  if (!palette) return Palette();
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * std::max(count, 1u));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(palette, 0, count, lp->palPalEntry);
  Palette copy(CreatePalette(lp));
  if (!copy) throw EOutOfResources();
  return copy;
}

void BitmapObject::SetHandle(HBITMAP bitmap) {
  if (bitmap && bitmap == Handle()) return;
  Bitmap owned(bitmap);
  Palette palette;
  if (image_ && image_.use_count() == 1)
    palette = std::move(const_cast<BitmapImage&>(*image_).palette_);  // made non-const by us
  else if (image_)
    palette = CopyPalette(image_->PaletteHandle());
  image_ = std::make_shared<BitmapImage>(std::move(owned), std::move(palette));
}

void BitmapObject::SetPalette(HPALETTE palette) {
  if (palette && palette == PaletteHandle()) return;
  Palette owned(palette);
  Bitmap bitmap;
  if (image_ && image_.use_count() == 1)
    bitmap = std::move(const_cast<BitmapImage&>(*image_).bitmap_);  // made non-const by us
  else if (image_)
    bitmap = CopyBitmap(image_->Handle());
  image_ = std::make_shared<BitmapImage>(std::move(bitmap), std::move(owned));
}

void BitmapObject::SetHandles(HBITMAP bitmap, HPALETTE palette) {
  Bitmap b(bitmap);
  Palette p(palette);
  if (image_ && image_.use_count() == 1) {
    // Handles we already own must not get a second owner.
    auto& img = const_cast<BitmapImage&>(*image_);
    if (bitmap && bitmap == img.bitmap_.get()) img.bitmap_.release();
    if (palette && palette == img.palette_.get()) img.palette_.release();
  }
  image_ = std::make_shared<BitmapImage>(std::move(b), std::move(p));
}

void BitmapObject::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    image_.reset();
    return;
  }
  WindowDc screen(nullptr);
  Bitmap b(CreateCompatibleBitmap(screen.get(), width, height));
  if (!b) throw EOutOfResources();
  image_ = std::make_shared<BitmapImage>(std::move(b), Palette());
}

HBITMAP BitmapObject::MutableHandle() {
  if (image_ && image_.use_count() > 1)
    image_ = std::make_shared<BitmapImage>(CopyBitmap(image_->Handle()),
                                           CopyPalette(image_->PaletteHandle()));
  return Handle();
}

IconImage::IconImage(Icon icon, int width, int height)
    : icon_(std::move(icon)), width_(width), height_(height) {}

MetafileImage::MetafileImage(EnhMetaFile metafile, int width, int height)
    : metafile_(std::move(metafile)), width_(width), height_(height) {}

// ---- readers ------------------------------------------------------------------

std::shared_ptr<const IconImage> ReadIcon(const std::uint8_t* data, std::size_t size) {
  std::vector<readers::IconImage> images;
  if (!readers::ParseIcon(data, size, images)) Invalid(kBadIcon);
  const readers::IconImage& e = images[ChooseIconImage(images)];
  // The resource functions want a writable block of their own.
  std::vector<std::uint8_t> bits(data + e.offset, data + e.offset + e.size);
  Icon icon(CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000,
                                     e.width, e.height, LR_DEFAULTCOLOR));
  if (!icon) Invalid(kBadIcon);
  return std::make_shared<IconImage>(std::move(icon), e.width, e.height);
}

std::shared_ptr<const MetafileImage> ReadMetafile(const std::uint8_t* data, std::size_t size) {
  readers::Metafile m;
  if (!readers::ParseMetafile(data, size, m)) Invalid(kBadMetafile);
  switch (m.kind) {
    case readers::MetafileKind::kPlaceable:
      return ReadPlaceable(data, m);
    case readers::MetafileKind::kEnhanced:
      return ReadEmf(data, m);
    case readers::MetafileKind::kWindows:
      break;
  }
  return ReadPlainWmf(data, m);
}

// ---- the picture -----------------------------------------------------------------

void Picture::Replace(Content c) {
  content_ = std::move(c);
  if (OnChange) OnChange(*this);
}

void Picture::Assign(const Picture& o) {
  if (&o == this) return;
  Replace(o.content_);
}

void Picture::Assign(const BitmapObject& b) {
  Content c;
  c.kind = GraphicKind::BitmapGraphic;
  c.bitmap = b.Image() ? b.Image() : std::make_shared<BitmapImage>(Bitmap(), Palette());
  Replace(std::move(c));
}

void Picture::SetIcon(Icon icon, int width, int height) {
  Content c;
  c.kind = GraphicKind::IconGraphic;
  c.icon = std::make_shared<IconImage>(std::move(icon), width, height);
  Replace(std::move(c));
}

void Picture::SetMetafile(EnhMetaFile metafile, int width, int height) {
  Content c;
  c.kind = GraphicKind::MetafileGraphic;
  c.metafile = std::make_shared<MetafileImage>(std::move(metafile), width, height);
  Replace(std::move(c));
}

void Picture::Clear() { Replace(Content()); }

bool Picture::Empty() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return !content_.bitmap->Handle();
    case GraphicKind::IconGraphic:
      return !content_.icon->Handle();
    case GraphicKind::MetafileGraphic:
      return !content_.metafile->Handle();
    case GraphicKind::None:
      break;
  }
  return true;
}

int Picture::Width() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap->Width();
    case GraphicKind::IconGraphic:
      return content_.icon->Width();
    case GraphicKind::MetafileGraphic:
      return content_.metafile->Width();
    case GraphicKind::None:
      break;
  }
  return 0;
}

int Picture::Height() const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap->Height();
    case GraphicKind::IconGraphic:
      return content_.icon->Height();
    case GraphicKind::MetafileGraphic:
      return content_.metafile->Height();
    case GraphicKind::None:
      break;
  }
  return 0;
}

BitmapObject Picture::AsBitmap() const {
  return content_.kind == GraphicKind::BitmapGraphic ? BitmapObject(content_.bitmap)
                                                     : BitmapObject();
}

HICON Picture::IconHandle() const {
  return content_.kind == GraphicKind::IconGraphic ? content_.icon->Handle() : nullptr;
}

HENHMETAFILE Picture::MetafileHandle() const {
  return content_.kind == GraphicKind::MetafileGraphic ? content_.metafile->Handle() : nullptr;
}

HPALETTE Picture::PaletteHandle() const {
  return content_.kind == GraphicKind::BitmapGraphic ? content_.bitmap->PaletteHandle() : nullptr;
}

bool Picture::SharesImageWith(const Picture& o) const {
  if (content_.kind != o.content_.kind) return false;
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      return content_.bitmap == o.content_.bitmap;
    case GraphicKind::IconGraphic:
      return content_.icon == o.content_.icon;
    case GraphicKind::MetafileGraphic:
      return content_.metafile == o.content_.metafile;
    case GraphicKind::None:
      break;
  }
  return false;
}

void Picture::Draw(HDC dc, const RECT& r, DWORD rop) const {
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic: {
      const BitmapImage& img = *content_.bitmap;
      if (!img.Handle()) return;
      PaletteGuard canvasPalette(dc, img.PaletteHandle(), TRUE);
      if (img.PaletteHandle()) RealizePalette(dc);
      MemoryDc mem(CreateCompatibleDC(dc));
      if (!mem) throw EOutOfResources();
      SelectGuard select(mem.get(), img.Handle());
      PaletteGuard memPalette(mem.get(), img.PaletteHandle(), TRUE);
      const int oldMode = img.Monochrome() ? 0 : SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem.get(), 0, 0,
                 img.Width(), img.Height(), rop);
      if (oldMode) SetStretchBltMode(dc, oldMode);
      return;
    }
    case GraphicKind::IconGraphic: {
      const IconImage& img = *content_.icon;
      if (img.Handle())
        DrawIconEx(dc, r.left, r.top, img.Handle(), img.Width(), img.Height(), 0, nullptr,
                   DI_NORMAL);
      return;
    }
    case GraphicKind::MetafileGraphic:
      if (content_.metafile->Handle()) PlayEnhMetaFile(dc, content_.metafile->Handle(), &r);
      return;
    case GraphicKind::None:
      return;
  }
}

void Picture::LoadFromFile(const std::wstring& fileName) {
  const std::wstring ext = UpperExtension(fileName);
  if (ext == L".ICO")
    LoadIconFile(fileName);
  else if (ext == L".WMF" || ext == L".EMF")
    LoadMetafileFile(fileName);
  else
    Invalid("Unbekannte Erweiterung der Grafikdatei");
}

void Picture::LoadIconFile(const std::wstring& fileName) {
  const std::vector<std::uint8_t> data = ReadWholeFile(fileName);
  LoadIconFromMemory(data.data(), data.size());
}

void Picture::LoadMetafileFile(const std::wstring& fileName) {
  const std::vector<std::uint8_t> data = ReadWholeFile(fileName);
  LoadMetafileFromMemory(data.data(), data.size());
}

void Picture::LoadIconFromMemory(const std::uint8_t* data, std::size_t size) {
  Content c;
  c.kind = GraphicKind::IconGraphic;
  c.icon = ReadIcon(data, size);
  Replace(std::move(c));
}

void Picture::LoadMetafileFromMemory(const std::uint8_t* data, std::size_t size) {
  Content c;
  c.kind = GraphicKind::MetafileGraphic;
  c.metafile = ReadMetafile(data, size);
  Replace(std::move(c));
}

// ---- clipboard ---------------------------------------------------------------------

bool Picture::SupportsClipboardFormat(UINT format) {
  return format == CF_BITMAP || format == CF_ENHMETAFILE;
}

void Picture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  if (format == CF_BITMAP && data) {
    // Both copies are owned before either is handed on: a failing palette
    // copy must not leave the bitmap copy behind.
    Bitmap bitmap = CopyBitmap(static_cast<HBITMAP>(data));
    Palette copy = CopyPalette(palette);
    BitmapObject b;
    b.SetHandles(bitmap.release(), copy.release());
    Assign(b);
  } else if (format == CF_ENHMETAFILE && data) {
    EnhMetaFile emf(CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr));
    if (!emf) throw EOutOfResources();
    ENHMETAHEADER h{};
    if (!GetEnhMetaFileHeader(emf.get(), sizeof(h), &h)) Invalid(kBadMetafile);
    const int w =
        ToPixels(h.rclFrame.right - h.rclFrame.left, 2540, ScreenPixelsPerInch(LOGPIXELSX));
    const int ht =
        ToPixels(h.rclFrame.bottom - h.rclFrame.top, 2540, ScreenPixelsPerInch(LOGPIXELSY));
    SetMetafile(std::move(emf), w, ht);
  } else {
    Invalid("Nicht unterstütztes Zwischenablageformat");
  }
}

ClipboardContent Picture::SaveToClipboardFormat() const {
  ClipboardContent out;
  switch (content_.kind) {
    case GraphicKind::BitmapGraphic:
      out.format = CF_BITMAP;
      out.bitmap = CopyBitmap(content_.bitmap->Handle());
      out.palette = CopyPalette(content_.bitmap->PaletteHandle());
      break;
    case GraphicKind::MetafileGraphic:
      out.format = CF_ENHMETAFILE;
      out.metafile.reset(CopyEnhMetaFileW(content_.metafile->Handle(), nullptr));
      if (!out.metafile) throw EOutOfResources();
      break;
    case GraphicKind::IconGraphic:
      Invalid("Zwischenablage unterstützt keine Symbole");
    case GraphicKind::None:
      break;
  }
  return out;
}

}  // namespace tk
