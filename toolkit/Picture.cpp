#include "toolkit/Picture.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace tk {
namespace {

long g_liveImages = 0;

}  // namespace

SharedImage::SharedImage() { ++g_liveImages; }
SharedImage::~SharedImage() { --g_liveImages; }
long SharedImage::LiveCount() { return g_liveImages; }

// ---- bitmaps ----------------------------------------------------------------

SharedBitmap::SharedBitmap(base::Bitmap bitmap, base::Palette palette)
    : bitmap_(std::move(bitmap)), palette_(std::move(palette)) {
  BITMAP bm{};
  if (bitmap_ && GetObjectW(bitmap_.get(), sizeof(bm), &bm)) {
    width_ = bm.bmWidth;
    height_ = bm.bmHeight;
    bitsPerPixel_ = bm.bmPlanes * bm.bmBitsPixel;
  }
}

void SharedBitmap::Draw(HDC dc, const RECT& r, DWORD rop) const {
  if (!bitmap_) return;
  base::PaletteGuard canvasPalette(dc, palette_.get(), TRUE);
  if (palette_) RealizePalette(dc);
  base::MemoryDc mem(CreateCompatibleDC(dc));
  if (!mem) throw EOutOfResources();
  base::SelectGuard select(mem.get(), bitmap_.get());
  base::PaletteGuard memPalette(mem.get(), palette_.get(), TRUE);
  const int oldMode = Monochrome() ? 0 : SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem.get(), 0, 0, width_,
             height_, rop);
  if (oldMode) SetStretchBltMode(dc, oldMode);
}

base::Bitmap CopyBitmap(HBITMAP bitmap) {
  if (!bitmap) return base::Bitmap();
  DIBSECTION ds{};
  const bool dib = GetObjectW(bitmap, sizeof(ds), &ds) == sizeof(ds);
  base::Bitmap copy(
      static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, dib ? LR_CREATEDIBSECTION : 0)));
  if (!copy) throw EOutOfResources();
  return copy;
}

base::Palette CopyPalette(HPALETTE palette) {
  if (!palette) return base::Palette();
  std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
  GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  base::Palette copy = base::MakePalette(entries);
  if (!copy) throw EOutOfResources();
  return copy;
}

base::Bitmap BitmapObject::KeptBitmap() {
  if (!image_) return base::Bitmap();
  if (image_.use_count() == 1) return std::move(image_->bitmap_);
  return CopyBitmap(image_->Handle());
}

base::Palette BitmapObject::KeptPalette() {
  if (!image_) return base::Palette();
  if (image_.use_count() == 1) return std::move(image_->palette_);
  return CopyPalette(image_->PaletteHandle());
}

void BitmapObject::SetHandle(base::Bitmap bitmap) {
  image_ = std::make_shared<SharedBitmap>(std::move(bitmap), KeptPalette());
}

void BitmapObject::SetPalette(base::Palette palette) {
  image_ = std::make_shared<SharedBitmap>(KeptBitmap(), std::move(palette));
}

void BitmapObject::SetHandles(base::Bitmap bitmap, base::Palette palette) {
  image_ = std::make_shared<SharedBitmap>(std::move(bitmap), std::move(palette));
}

void BitmapObject::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    image_.reset();
    return;
  }
  base::WindowDc screen(nullptr);
  base::Bitmap b(CreateCompatibleBitmap(screen.get(), width, height));
  if (!b) throw EOutOfResources();
  image_ = std::make_shared<SharedBitmap>(std::move(b), base::Palette());
}

HBITMAP BitmapObject::MutableHandle() {
  if (image_ && image_.use_count() > 1)
    image_ = std::make_shared<SharedBitmap>(CopyBitmap(image_->Handle()),
                                            CopyPalette(image_->PaletteHandle()));
  return Handle();
}

// ---- icons and metafiles ----------------------------------------------------------

void DrawImage(HDC dc, HICON icon, int width, int height, const RECT& r) {
  DrawIconEx(dc, r.left, r.top, icon, width, height, 0, nullptr, DI_NORMAL);
}

void DrawImage(HDC dc, HENHMETAFILE metafile, int, int, const RECT& r) {
  PlayEnhMetaFile(dc, metafile, &r);
}

// ---- the picture -----------------------------------------------------------------

void Picture::Replace(GraphicKind kind, std::shared_ptr<SharedImage> image) {
  content_ = Content{kind, std::move(image)};
  if (OnChange) OnChange(*this);
}

void Picture::Assign(const Picture& o) {
  if (&o == this) return;
  Replace(o.content_.kind, o.content_.image);
}

void Picture::Assign(const BitmapObject& b) {
  Replace(GraphicKind::BitmapGraphic,
          b.image_ ? b.image_ : std::make_shared<SharedBitmap>(base::Bitmap(), base::Palette()));
}

void Picture::SetIcon(base::Icon icon, int width, int height) {
  Replace(GraphicKind::IconGraphic, std::make_shared<SharedIcon>(std::move(icon), width, height));
}

void Picture::SetMetafile(base::EnhMetaFile metafile, int width, int height) {
  Replace(GraphicKind::MetafileGraphic,
          std::make_shared<SharedMetafile>(std::move(metafile), width, height));
}

void Picture::Clear() { Replace(GraphicKind::None, nullptr); }

BitmapObject Picture::AsBitmap() const {
  if (!HasBitmap()) return BitmapObject();
  return BitmapObject(std::static_pointer_cast<SharedBitmap>(content_.image));
}

HICON Picture::IconHandle() const {
  const SharedIcon* icon = As<SharedIcon>(GraphicKind::IconGraphic);
  return icon ? icon->Handle() : nullptr;
}

HENHMETAFILE Picture::MetafileHandle() const {
  const SharedMetafile* metafile = As<SharedMetafile>(GraphicKind::MetafileGraphic);
  return metafile ? metafile->Handle() : nullptr;
}

HPALETTE Picture::PaletteHandle() const {
  const SharedBitmap* bitmap = As<SharedBitmap>(GraphicKind::BitmapGraphic);
  return bitmap ? bitmap->PaletteHandle() : nullptr;
}

}  // namespace tk
