// Move-only owners for Win32 handles. Every raw handle the program keeps has
// exactly one owner; release() hands ownership to an API that takes it over.
#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "base/Colour.h"

namespace base {

template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }
  H release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(H h = Traits::Invalid()) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::Invalid();
};

// Handles that are null when there is none; each owner's traits add Close.
template <typename H>
struct NullInvalid {
  static H Invalid() { return nullptr; }
  static bool Valid(H h) { return h != nullptr; }
};

template <typename H>
struct GdiTraits : NullInvalid<H> {
  static void Close(H h) { DeleteObject(h); }
};
using Bitmap = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using Palette = UniqueHandle<HPALETTE, GdiTraits<HPALETTE>>;
using Font = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using Brush = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using Pen = UniqueHandle<HPEN, GdiTraits<HPEN>>;

// A new logical palette of these colours; empty when there are none (or more
// than a palette holds) or GDI refuses.
inline Palette MakePalette(const std::vector<PALETTEENTRY>& entries) {
  if (entries.empty() || entries.size() > 0xFFFF) return Palette();
  const std::size_t bytes = entries.size() * sizeof(PALETTEENTRY);
  std::vector<std::uint8_t> block(offsetof(LOGPALETTE, palPalEntry) + bytes);
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(entries.size());
  std::memcpy(block.data() + offsetof(LOGPALETTE, palPalEntry), entries.data(), bytes);
  return Palette(CreatePalette(log));
}

inline Palette MakePalette(const std::vector<Rgb>& colours) {
  std::vector<PALETTEENTRY> entries;
  entries.reserve(colours.size());
  for (const Rgb& c : colours) entries.push_back(PALETTEENTRY{c.r, c.g, c.b, 0});
  return MakePalette(entries);
}

struct DcTraits : NullInvalid<HDC> {
  static void Close(HDC h) { DeleteDC(h); }
};
// A DC from CreateCompatibleDC/CreateDC.
using MemoryDc = UniqueHandle<HDC, DcTraits>;

struct KeyTraits : NullInvalid<HKEY> {
  static void Close(HKEY h) { RegCloseKey(h); }
};
using RegKey = UniqueHandle<HKEY, KeyTraits>;

struct GlobalTraits : NullInvalid<HGLOBAL> {
  static void Close(HGLOBAL h) { GlobalFree(h); }
};
using GlobalMem = UniqueHandle<HGLOBAL, GlobalTraits>;

// GlobalLock/GlobalUnlock pair over memory another owner keeps.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  ~LockedGlobal() {
    if (p_) GlobalUnlock(h_);
  }
  std::uint8_t* data() const { return static_cast<std::uint8_t*>(p_); }
  // What the block holds; 0 when it could not be locked.
  std::size_t size() const { return p_ ? GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_;  // we don't own it
  void* p_;
};

// The list of files dropped on a window (WM_DROPFILES); the receiver frees it.
struct DropTraits : NullInvalid<HDROP> {
  static void Close(HDROP h) { DragFinish(h); }
};
using DropHandle = UniqueHandle<HDROP, DropTraits>;

struct IconTraits : NullInvalid<HICON> {
  static void Close(HICON h) { DestroyIcon(h); }
};
using Icon = UniqueHandle<HICON, IconTraits>;

struct EnhMetaTraits : NullInvalid<HENHMETAFILE> {
  static void Close(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
};
using EnhMetaFile = UniqueHandle<HENHMETAFILE, EnhMetaTraits>;

// Kernel handles that are INVALID_HANDLE_VALUE when there is none.
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using File = UniqueHandle<HANDLE, FileTraits>;

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
using FindHandle = UniqueHandle<HANDLE, FindTraits>;

// GetDC/ReleaseDC pair; remembers its window.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND wnd_;  // we don't own it
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;       // we don't own it
  HGDIOBJ old_;  // owned by the DC's previous selection
};

class PaletteGuard {
 public:
  PaletteGuard(HDC dc, HPALETTE pal, bool background)
      : dc_(dc), old_(pal ? SelectPalette(dc, pal, background) : nullptr) {}
  PaletteGuard(const PaletteGuard&) = delete;
  PaletteGuard& operator=(const PaletteGuard&) = delete;
  ~PaletteGuard() {
    if (old_) SelectPalette(dc_, old_, FALSE);
  }

 private:
  HDC dc_;        // we don't own it
  HPALETTE old_;  // we don't own it
};

}  // namespace base
