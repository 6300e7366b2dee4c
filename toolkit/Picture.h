// The picture object: holds one bitmap (with an optional palette), one icon or
// one enhanced metafile, draws it into a rectangle and notifies its owner of
// every change. The readers that make icons and metafiles from files are in
// PictureReaders.h.
//
// Copies share their pixel data: every image is an object behind a
// shared_ptr, so assigning a 72 MB picture to a second control costs a
// reference count. A change replaces the image instead of editing it, and the
// one image object is the only owner of its GDI handles.
//
// Like the rest of the toolkit, it reports failures by exception.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "base/Handles.h"
#include "toolkit/portable/Errors.h"

namespace tk {

// Base of the shared images; counts the live ones so tests can see leaks.
class SharedImage {
 public:
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;
  virtual ~SharedImage();
  static long LiveCount();

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A bitmap is stretched to fill r, a metafile played into r, an icon drawn
  // at its own size at r's top-left corner. rop is the canvas's copy mode.
  virtual void Draw(HDC dc, const RECT& r, DWORD rop) const = 0;

 protected:
  SharedImage();
};

// A bitmap and its palette; owns both handles. Never changed while shared:
// only a BitmapObject that holds the one reference takes its handles back.
class SharedBitmap final : public SharedImage {
 public:
  SharedBitmap(base::Bitmap bitmap, base::Palette palette);
  HBITMAP Handle() const { return bitmap_.get(); }
  HPALETTE PaletteHandle() const { return palette_.get(); }
  bool Empty() const override { return !bitmap_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Colour depth as planes times bits per pixel; 0 without a bitmap.
  int BitsPerPixel() const { return bitsPerPixel_; }
  bool Monochrome() const { return bitsPerPixel_ == 1; }
  void Draw(HDC dc, const RECT& r, DWORD rop) const override;

 private:
  friend class BitmapObject;
  base::Bitmap bitmap_;
  base::Palette palette_;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
};

// The bitmap object: a value that takes over a bitmap and a palette.
// Decoders hand it the bitmap first, then the palette.
class BitmapObject {
 public:
  BitmapObject() = default;
  BitmapObject(const BitmapObject&) = default;  // shares the image
  BitmapObject& operator=(const BitmapObject&) = default;
  BitmapObject(BitmapObject&&) noexcept = default;
  BitmapObject& operator=(BitmapObject&&) noexcept = default;

  // Each setter takes over what it is given (empty allowed). SetHandle keeps
  // the palette and SetPalette the bitmap; a shared one is copied first.
  void SetHandle(base::Bitmap bitmap);
  void SetPalette(base::Palette palette);
  void SetHandles(base::Bitmap bitmap, base::Palette palette);
  void Clear() { image_.reset(); }
  // A new screen-compatible bitmap of this size (contents undefined), no palette.
  void SetSize(int width, int height);

  bool Empty() const { return !image_ || image_->Empty(); }
  int Width() const { return image_ ? image_->Width() : 0; }
  int Height() const { return image_ ? image_->Height() : 0; }
  int BitsPerPixel() const { return image_ ? image_->BitsPerPixel() : 0; }
  bool Monochrome() const { return image_ && image_->Monochrome(); }
  HBITMAP Handle() const { return image_ ? image_->Handle() : nullptr; }  // we keep it
  HPALETTE PaletteHandle() const {
    return image_ ? image_->PaletteHandle() : nullptr;
  }  // we keep it
  // A handle to draw into: copies the pixels first if another object shares them.
  HBITMAP MutableHandle();
  bool SharesImageWith(const BitmapObject& o) const { return image_ && image_ == o.image_; }

 private:
  friend class Picture;
  explicit BitmapObject(std::shared_ptr<SharedBitmap> image) : image_(std::move(image)) {}
  // The image's bitmap or palette for the next image: taken back when no one
  // else holds the image, else copied.
  base::Bitmap KeptBitmap();
  base::Palette KeptPalette();
  std::shared_ptr<SharedBitmap> image_;
};

// How the sized images draw: an icon at its own size at r's top-left
// corner, a metafile played into r.
void DrawImage(HDC dc, HICON icon, int width, int height, const RECT& r);
void DrawImage(HDC dc, HENHMETAFILE metafile, int width, int height, const RECT& r);

// An icon or an enhanced metafile with the size it is shown at; owns its handle.
template <typename Owner>
class SizedImage final : public SharedImage {
 public:
  SizedImage(Owner handle, int width, int height)
      : handle_(std::move(handle)), width_(width), height_(height) {}
  auto Handle() const { return handle_.get(); }
  bool Empty() const override { return !handle_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Draw(HDC dc, const RECT& r, DWORD) const override {
    if (handle_) DrawImage(dc, handle_.get(), width_, height_, r);
  }

 private:
  Owner handle_;
  int width_;
  int height_;
};
using SharedIcon = SizedImage<base::Icon>;
using SharedMetafile = SizedImage<base::EnhMetaFile>;

enum class GraphicKind { None, BitmapGraphic, IconGraphic, MetafileGraphic };

class Picture {
 public:
  Picture() = default;
  Picture(const Picture& o) : content_(o.content_) {}  // the owner's notification stays behind
  Picture& operator=(const Picture& o) {
    Assign(o);
    return *this;
  }

  // Runs after every change of the contents.
  std::function<void(Picture&)> OnChange;

  // Copies the contents of another picture (shared until one side changes).
  void Assign(const Picture& o);
  // Takes over a copy of a bitmap object (shared, no pixels copied).
  void Assign(const BitmapObject& b);
  void SetIcon(base::Icon icon, int width, int height);
  void SetMetafile(base::EnhMetaFile metafile, int width, int height);
  void Clear();

  GraphicKind Kind() const { return content_.kind; }
  bool Empty() const { return !content_.image || content_.image->Empty(); }
  int Width() const { return content_.image ? content_.image->Width() : 0; }
  int Height() const { return content_.image ? content_.image->Height() : 0; }
  bool HasBitmap() const { return content_.kind == GraphicKind::BitmapGraphic; }
  // The bitmap object; empty unless the picture holds a bitmap.
  BitmapObject AsBitmap() const;
  HICON IconHandle() const;             // we keep it
  HENHMETAFILE MetafileHandle() const;  // we keep it
  HPALETTE PaletteHandle() const;       // we keep it
  bool SharesImageWith(const Picture& o) const {
    return content_.image && content_.image == o.content_.image;
  }

  // A bitmap is stretched to fill r, a metafile played into r, an icon drawn at
  // its own size at r's top-left corner. rop is the canvas's copy mode.
  void Draw(HDC dc, const RECT& r, DWORD rop = SRCCOPY) const {
    if (content_.image) content_.image->Draw(dc, r, rop);
  }

 private:
  struct Content {
    GraphicKind kind = GraphicKind::None;
    std::shared_ptr<SharedImage> image;  // of the kind's class
  };
  void Replace(GraphicKind kind, std::shared_ptr<SharedImage> image);
  template <typename Image>
  const Image* As(GraphicKind kind) const {
    return content_.kind == kind ? static_cast<const Image*>(content_.image.get()) : nullptr;
  }
  Content content_;
};

// Copies of GDI objects; null in, null out. Raise EOutOfResources on failure.
base::Bitmap CopyBitmap(HBITMAP bitmap);
base::Palette CopyPalette(HPALETTE palette);

}  // namespace tk
