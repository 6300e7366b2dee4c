// The picture object: holds one bitmap (with an optional palette), one icon or
// one enhanced metafile, draws it into a rectangle, reads icon and metafile
// files and notifies its owner of every change.
//
// Copies share their pixel data: every image is an immutable object behind a
// shared_ptr, so assigning a 72 MB picture to a second control costs a
// reference count. A change replaces the image instead of editing it, and the
// one image object is the only owner of its GDI handles.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "toolkit/Handles.h"

namespace tk {

// A picture file or clipboard content the toolkit cannot read.
class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// GDI could not hand out a device context or object.
class EOutOfResources : public std::runtime_error {
 public:
  EOutOfResources();  // "Systemressourcen erschöpft."
};

// Base of the shared images; counts the live ones so tests can see leaks.
class SharedImage {
 public:
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;
  static long LiveCount();

 protected:
  SharedImage();
  ~SharedImage();
};

// Immutable bitmap and palette; owns both handles.
class BitmapImage : public SharedImage {
 public:
  BitmapImage(Bitmap bitmap, Palette palette);
  HBITMAP Handle() const { return bitmap_.get(); }
  HPALETTE PaletteHandle() const { return palette_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Colour depth as planes times bits per pixel; 0 without a bitmap.
  int BitsPerPixel() const { return bitsPerPixel_; }
  bool Monochrome() const { return bitsPerPixel_ == 1; }

 private:
  friend class BitmapObject;
  Bitmap bitmap_;
  Palette palette_;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
};

// The bitmap object: a value that takes over a bitmap handle and a palette
// handle. Decoders hand it the bitmap first, then the palette.
class BitmapObject {
 public:
  BitmapObject() = default;
  BitmapObject(const BitmapObject&) = default;  // shares the image
  BitmapObject& operator=(const BitmapObject&) = default;
  BitmapObject(BitmapObject&&) noexcept = default;
  BitmapObject& operator=(BitmapObject&&) noexcept = default;

  // Each setter takes ownership of the handle it is given (null allowed).
  void SetHandle(HBITMAP bitmap);
  void SetPalette(HPALETTE palette);
  void SetHandles(HBITMAP bitmap, HPALETTE palette);
  void Clear() { image_.reset(); }
  // A new screen-compatible bitmap of this size (contents undefined), no palette.
  void SetSize(int width, int height);

  bool Empty() const { return !image_ || !image_->Handle(); }
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
  const std::shared_ptr<const BitmapImage>& Image() const { return image_; }
  bool SharesImageWith(const BitmapObject& o) const { return image_ && image_ == o.image_; }

 private:
  friend class Picture;
  explicit BitmapObject(std::shared_ptr<const BitmapImage> image) : image_(std::move(image)) {}
  std::shared_ptr<const BitmapImage> image_;
};

// Immutable icon; owns its handle.
class IconImage : public SharedImage {
 public:
  IconImage(Icon icon, int width, int height);
  HICON Handle() const { return icon_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  Icon icon_;
  int width_;
  int height_;
};

// Immutable enhanced metafile; owns its handle.
class MetafileImage : public SharedImage {
 public:
  MetafileImage(EnhMetaFile metafile, int width, int height);
  HENHMETAFILE Handle() const { return metafile_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  EnhMetaFile metafile_;
  int width_;
  int height_;
};

enum class GraphicKind { None, BitmapGraphic, IconGraphic, MetafileGraphic };

// What a copy puts on the clipboard: the data under its format and, for a
// bitmap with a palette, the palette for CF_PALETTE. Handles are owned until
// released to SetClipboardData.
struct ClipboardContent {
  UINT format = 0;  // CF_BITMAP or CF_ENHMETAFILE
  Bitmap bitmap;
  EnhMetaFile metafile;
  Palette palette;
};

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
  void SetIcon(Icon icon, int width, int height);
  void SetMetafile(EnhMetaFile metafile, int width, int height);
  void Clear();

  GraphicKind Kind() const { return content_.kind; }
  bool Empty() const;
  int Width() const;
  int Height() const;
  bool HasBitmap() const { return content_.kind == GraphicKind::BitmapGraphic; }
  // The bitmap object; empty unless the picture holds a bitmap.
  BitmapObject AsBitmap() const;
  HICON IconHandle() const;             // we keep it
  HENHMETAFILE MetafileHandle() const;  // we keep it
  HPALETTE PaletteHandle() const;       // we keep it
  bool SharesImageWith(const Picture& o) const;

  // A bitmap is stretched to fill r, a metafile played into r, an icon drawn at
  // its own size at r's top-left corner. rop is the canvas's copy mode.
  void Draw(HDC dc, const RECT& r, DWORD rop = SRCCOPY) const;

  // Reads a file by its extension: .ICO as icon, .WMF and .EMF as metafile.
  void LoadFromFile(const std::wstring& fileName);
  void LoadIconFile(const std::wstring& fileName);
  void LoadMetafileFile(const std::wstring& fileName);
  // The same readers on bytes in memory (also what the fuzzers call).
  void LoadIconFromMemory(const std::uint8_t* data, std::size_t size);
  void LoadMetafileFromMemory(const std::uint8_t* data, std::size_t size);

  // Clipboard conversion: CF_BITMAP (with CF_PALETTE) and CF_ENHMETAFILE.
  static bool SupportsClipboardFormat(UINT format);
  // Copies the clipboard's data (which stays the clipboard's); palette may be null.
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  // Copies of the contents for the clipboard; an icon raises EInvalidGraphic.
  ClipboardContent SaveToClipboardFormat() const;

 private:
  struct Content {
    GraphicKind kind = GraphicKind::None;
    std::shared_ptr<const BitmapImage> bitmap;
    std::shared_ptr<const IconImage> icon;
    std::shared_ptr<const MetafileImage> metafile;
  };
  void Replace(Content c);
  Content content_;
};

// File readers, as plain functions for callers without a picture object.
std::shared_ptr<const IconImage> ReadIcon(const std::uint8_t* data, std::size_t size);
std::shared_ptr<const MetafileImage> ReadMetafile(const std::uint8_t* data, std::size_t size);

// Copies of GDI objects; null in, null out. Raise EOutOfResources on failure.
Bitmap CopyBitmap(HBITMAP bitmap);
Palette CopyPalette(HPALETTE palette);

}  // namespace tk
