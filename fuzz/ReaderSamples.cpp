#include "fuzz/ReaderSamples.h"

#include <cstring>
#include <utility>

namespace reader_samples {
namespace {

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Set16(Bytes& b, std::size_t at, unsigned v) {
  if (b.size() < at + 2) b.resize(at + 2);  // also tells GCC the bytes are there
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  Set16(b, at, v & 0xFFFF);
  Set16(b, at + 2, v >> 16);
}
Bytes Words32(std::initializer_list<std::uint32_t> words) {
  Bytes b;
  for (std::uint32_t w : words) Put32(b, w);
  return b;
}
void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// ---- bitmaps ----------------------------------------------------------------

struct DibSpec {
  int width = 8, height = 4, bits = 8;
  std::uint32_t headerSize = 40;
  std::uint32_t compression = 0;  // 3: bit fields
  std::uint32_t coloursUsed = 0;
};

// Header, masks, colour table; the pixels apart, so records can place them.
Bytes DibInfo(const DibSpec& s) {
  Bytes b;
  Put32(b, s.headerSize);
  if (s.headerSize == 12) {
    Put16(b, static_cast<unsigned>(s.width));
    Put16(b, static_cast<unsigned>(s.height));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(s.bits));
  } else {
    Put32(b, static_cast<std::uint32_t>(s.width));
    Put32(b, static_cast<std::uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(s.bits));
    Put32(b, s.compression);
    for (int i = 0; i < 3; ++i) Put32(b, 0);  // image size, resolution
    Put32(b, s.coloursUsed);
    Put32(b, 0);
    const bool masks = s.compression == 3;
    if (masks) Append(b, Words32({0xF800, 0x07E0, 0x001F}));
    b.resize(s.headerSize + (masks && s.headerSize == 40 ? 12 : 0), 0);
  }
  const std::uint32_t entries = s.coloursUsed ? s.coloursUsed : (s.bits <= 8 ? (1u << s.bits) : 0u);
  for (std::uint32_t i = 0; i < entries; ++i) {
    b.push_back(static_cast<std::uint8_t>(i * 7));
    b.push_back(static_cast<std::uint8_t>(255 - i));
    b.push_back(static_cast<std::uint8_t>(i * 3));
    if (s.headerSize != 12) b.push_back(0);
  }
  return b;
}

Bytes DibPixels(const DibSpec& s, int rows = -1) {
  const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bits + 31) / 32) * 4;
  const int all = s.height < 0 ? -s.height : s.height;
  Bytes b(stride * static_cast<std::size_t>(rows < 0 ? all : rows));
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13 + 5);
  return b;
}

Bytes PackedDib(const DibSpec& s) {
  Bytes b = DibInfo(s);
  Append(b, DibPixels(s));
  return b;
}

// ---- icons ------------------------------------------------------------------

Bytes IconDib(int side, int bits) {
  DibSpec s;
  s.width = side, s.height = 2 * side, s.bits = bits;
  Bytes b = DibInfo(s);
  s.height = side;
  Append(b, DibPixels(s));
  DibSpec mask = s;
  mask.bits = 1;
  Append(b, DibPixels(mask));
  return b;
}

Bytes PngHeader(std::uint32_t width, std::uint32_t height) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  const std::uint8_t rest[] = {8, 6, 0, 0, 0, 0x12, 0x34, 0x56, 0x78};  // depth, type..., CRC
  b.insert(b.end(), rest, rest + sizeof rest);
  return b;
}

Bytes IconFile(const std::vector<Bytes>& images) {
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const Bytes& img : images) {
    Append(b, {0, 0, 0, 0});  // sizes and colours: the readers look at the image itself
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, static_cast<std::uint32_t>(img.size()));
    Put32(b, offset);
    offset += static_cast<std::uint32_t>(img.size());
  }
  for (const Bytes& img : images) Append(b, img);
  return b;
}

Bytes SoundIcon() { return IconFile({IconDib(16, 8), IconDib(32, 32), PngHeader(48, 48)}); }

// ---- standard metafiles -------------------------------------------------------

class WmfWriter {
 public:
  WmfWriter() {
    Put16(b_, 1);      // in memory
    Put16(b_, 9);      // header words
    Put16(b_, 0x300);  // version
    Put32(b_, 0);      // size, set by Finish
    Put16(b_, 4);      // objects
    Put32(b_, 0);      // largest record, set by Finish
    Put16(b_, 0);
  }
  WmfWriter& Record(std::uint16_t function, std::initializer_list<unsigned> params,
                    Bytes extra = {}) {
    if (extra.size() % 2) extra.push_back(0);
    const std::uint32_t words = static_cast<std::uint32_t>(3 + params.size() + extra.size() / 2);
    Put32(b_, words);
    Put16(b_, function);
    for (unsigned p : params) Put16(b_, p);
    Append(b_, extra);
    if (words > largest_) largest_ = words;
    return *this;
  }
  Bytes Finish() {
    Record(0, {});
    Set32(b_, 6, static_cast<std::uint32_t>(b_.size() / 2));
    Set32(b_, 12, largest_);
    return std::move(b_);
  }

 private:
  Bytes b_;
  std::uint32_t largest_ = 0;
};

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

Bytes FontRecordBody(bool terminated) {
  Bytes face = Text("Arial");
  if (terminated) face.push_back(0);
  return face;
}

// The bitmaps the sound metafiles carry. Wine 8 corrupts its heap playing a
// DIB whose implied colour table is larger than its pixels (8 x 4 at 8 bits):
// these are larger.
const DibSpec kDib{40, 32, 8};
const DibSpec kMono{8, 4, 1};
const DibSpec kDeep{8, 4, 16, 40, 3};

WmfWriter SoundWmfRecords() {
  WmfWriter w;
  w.Record(0x020B, {0, 0})                                // SETWINDOWORG
      .Record(0x020C, {60, 120})                          // SETWINDOWEXT: y, x
      .Record(0x02FC, {0, 0x00FF, 0, 0})                  // CREATEBRUSHINDIRECT
      .Record(0x012D, {0})                                // SELECTOBJECT
      .Record(0x041B, {50, 100, 10, 10})                  // RECTANGLE
      .Record(0x0324, {3, 0, 0, 50, 0, 25, 40})           // POLYGON
      .Record(0x0538, {2, 2, 2, 0, 0, 9, 9, 5, 5, 1, 1})  // POLYPOLYGON
      .Record(0x0521, {5},
              [] {  // TEXTOUT: length, string, y, x
                Bytes b = Text("Hello");
                b.push_back(0);
                Put16(b, 20);
                Put16(b, 30);
                return b;
              }())
      .Record(0x0A32, {20, 30, 3, 0x0004, 0, 0, 40, 40}, Text("abc"))  // EXTTEXTOUT, clipped
      .Record(0x02FB, {12, 0, 0, 0, 400, 0, 0, 0, 0}, FontRecordBody(true))
      .Record(0x00F7, {0x300, 2, 0x00FF, 0, 0xFF00, 0})                            // CREATEPALETTE
      .Record(0x06FF, {0, 6, 0, 0, 34, 1, 10, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2})   // CREATEREGION
      .Record(0x0626, {15, 4}, Text("abcd"))                                       // ESCAPE
      .Record(0x01F0, {0});                                                        // DELETEOBJECT
  w.Record(0x0F43, {0x0020, 0x00CC, 0, 4, 8, 0, 0, 4, 8, 0, 0}, PackedDib(kDib));  // STRETCHDIB
  w.Record(0x0B41, {0x0020, 0x00CC, 4, 8, 0, 0, 4, 8, 0, 0}, PackedDib(kDib));     // DIBSTRETCHBLT
  w.Record(0x0940, {0x0020, 0x00CC, 0, 0, 4, 8, 0, 0}, PackedDib(kMono));          // DIBBITBLT
  w.Record(0x0940, {0x0042, 0x00FF, 0, 0, 0, 4, 8, 0, 0});            // DIBBITBLT without a bitmap
  w.Record(0x0D33, {0, 32, 0, 0, 0, 32, 40, 0, 0}, PackedDib(kDib));  // SETDIBTODEV
  w.Record(0x0142, {5, 0}, PackedDib(kMono));                         // DIBCREATEPATTERNBRUSH
  return w;
}

// A standard metafile holding one record between header and end record.
Bytes WmfWith(std::uint16_t function, std::initializer_list<unsigned> params, Bytes extra = {}) {
  return WmfWriter().Record(function, params, std::move(extra)).Finish();
}

Bytes Placeable(const Bytes& wmf, int right, int bottom, int inch) {
  Bytes b;
  Put32(b, 0x9AC6CDD7u);
  Put16(b, 0);
  for (int v : {0, 0, right, bottom, inch}) Put16(b, static_cast<unsigned>(v));
  Put32(b, 0);
  unsigned sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= static_cast<unsigned>(b[2 * i] | (b[2 * i + 1] << 8));
  Put16(b, sum);
  Append(b, wmf);
  return b;
}

// ---- enhanced metafiles -------------------------------------------------------------

class EmfWriter {
 public:
  EmfWriter() {
    b_ = Words32({1,       88, 0, 0, 99, 49, 0, 0,    2540, 1270, 0x464D4520u,
                  0x10000, 0,  0, 4, 0,  0,  0, 1024, 768,  320,  240});
  }
  EmfWriter& Record(std::uint32_t type, Bytes body) {
    while (body.size() % 4) body.push_back(0);
    Put32(b_, type);
    Put32(b_, static_cast<std::uint32_t>(8 + body.size()));
    Append(b_, body);
    ++records_;
    return *this;
  }
  // A record whose fixed part (the body, from the record's byte 8 on) holds
  // offset and size of a bitmap's header, then of its pixels, from record byte at.
  EmfWriter& BitmapRecord(std::uint32_t type, Bytes body, std::size_t at, const DibSpec& dib) {
    const Bytes info = DibInfo(dib), pixels = DibPixels(dib);
    const std::size_t fixed = 8 + body.size();
    Set32(body, at - 8, static_cast<std::uint32_t>(fixed));
    Set32(body, at - 4, static_cast<std::uint32_t>(info.size()));
    Set32(body, at, static_cast<std::uint32_t>(fixed + info.size()));
    Set32(body, at + 4, static_cast<std::uint32_t>(pixels.size()));
    Append(body, info);
    Append(body, pixels);
    return Record(type, std::move(body));
  }
  Bytes Finish() {
    Record(14, Words32({0, 16, 20}));
    Set32(b_, 48, static_cast<std::uint32_t>(b_.size()));
    Set32(b_, 52, records_ + 1);
    return std::move(b_);
  }

 private:
  Bytes b_;
  std::uint32_t records_ = 0;
};

Bytes Zeros(std::size_t n) { return Bytes(n, 0); }

// EMRTEXT with the string (and spacing) right after a fixed part of `fixed` bytes.
Bytes ExtTextOutW(std::uint32_t chars, std::uint32_t dxChars) {
  const std::uint32_t stringAt = 76, dxAt = stringAt + ((chars * 2 + 3) & ~3u);
  Bytes b = Words32(
      {0, 0, 100, 20, 1, 0, 0, 10, 10, chars, stringAt, 0, 0, 0, 100, 20, dxChars ? dxAt : 0});
  for (std::uint32_t i = 0; i < 2; ++i) Put16(b, 'A' + i);  // two characters are written
  if (dxChars) b.resize(dxAt - 8, 0);
  for (std::uint32_t i = 0; i < dxChars; ++i) Put32(b, 8);
  return b;
}

Bytes Region(std::uint32_t rects, std::uint32_t written) {
  Bytes b = Words32({32, 1, rects, rects * 16, 0, 0, 10, 10});
  for (std::uint32_t i = 0; i < written; ++i) Append(b, Words32({0, 0, 10, 10}));
  return b;
}

Bytes Gradient(std::uint32_t mode, std::uint32_t index) {
  Bytes b = Words32({0, 0, 10, 10, 2, 1, mode});
  for (int v = 0; v < 2; ++v) Append(b, Words32({v * 10u, v * 10u, 0xFF000000u, 0x0000FF00u}));
  Append(b, Words32({0, index}));
  return b;
}

EmfWriter SoundEmfRecords() {
  EmfWriter w;
  w.Record(39, Words32({1, 0, 0x0000FF, 0}))                            // CREATEBRUSHINDIRECT
      .Record(37, Words32({1}))                                         // SELECTOBJECT
      .Record(43, Words32({0, 0, 50, 25}))                              // RECTANGLE
      .Record(86, Words32({0, 0, 9, 9, 3, 0, 0x00090009, 0x00000009}))  // POLYGON16
      .Record(4, Words32({0, 0, 9, 9, 2, 0, 0, 9, 9}))                  // POLYLINE
      .Record(91, Words32({0, 0, 9, 9, 2, 4, 2, 2, 0, 0x00090009, 0, 0x00050005}))  // POLYPOLYGON16
      .Record(92,
              [] {  // POLYDRAW16: two points, two types
                Bytes b = Words32({0, 0, 9, 9, 2, 0, 0x00090009});
                Append(b, {6, 2});
                return b;
              }())
      .Record(84, ExtTextOutW(2, 2))  // EXTTEXTOUTW with spacing
      .Record(97,
              [] {  // POLYTEXTOUTW: one string of two characters
                Bytes b = Words32({0, 0, 100, 20, 1, 0, 0, 1, 10, 10, 2, 80, 0, 0, 0, 100, 20, 0});
                Put16(b, 'O');
                Put16(b, 'K');
                return b;
              }())
      .Record(108,
              [] {  // SMALLTEXTOUT, 8-bit characters, no clip rectangle
                Bytes b = Words32({10, 10, 3, 0x0300, 1, 0, 0});
                Append(b, Text("abc"));
                return b;
              }())
      .Record(118, Gradient(0, 1))  // GRADIENTFILL
      .Record(71,
              [] {  // FILLRGN
                Bytes b = Words32({0, 0, 10, 10, 48, 1});
                Append(b, Region(1, 1));
                return b;
              }())
      .Record(49,
              [] {  // CREATEPALETTE with two entries
                Bytes b = Words32({2});
                Put16(b, 0x300);
                Put16(b, 2);
                Append(b, Words32({0x0000FF, 0x00FF00}));
                return b;
              }())
      .Record(70,
              [] {  // GDICOMMENT
                Bytes b = Words32({4});
                Append(b, Text("note"));
                return b;
              }())
      .Record(95, [] {  // EXTCREATEPEN, no bitmap, two style entries
        return Words32({3, 0, 0, 0, 0, 0x10007, 1, 0, 0xFF, 0, 2, 3, 1});
      }());
  w.BitmapRecord(81, Zeros(72), 48, kDib)       // STRETCHDIBITS
      .BitmapRecord(81, Zeros(72), 48, kDeep)   // STRETCHDIBITS, bit fields
      .BitmapRecord(76, Zeros(92), 84, kDib)    // BITBLT
      .Record(76, Zeros(92))                    // BITBLT without a source: a pattern fill
      .BitmapRecord(94, Zeros(24), 16, kMono)   // CREATEDIBPATTERNBRUSHPT
      .BitmapRecord(114, Zeros(100), 84, kDib)  // ALPHABLEND
      .BitmapRecord(
          80,
          [] {  // SETDIBITSTODEVICE of all four scans
            Bytes b = Zeros(68);
            Set32(b, 64, 4);
            return b;
          }(),
          48, kDib);
  return w;
}

// An enhanced metafile holding one record before its end record.
Bytes EmfWith(std::uint32_t type, Bytes body) {
  return EmfWriter().Record(type, std::move(body)).Finish();
}
Bytes EmfWithBitmap(std::uint32_t type, Bytes body, std::size_t at, const DibSpec& dib) {
  return EmfWriter().BitmapRecord(type, std::move(body), at, dib).Finish();
}

// ---- hostile variants ------------------------------------------------------------------

void HostileIcons(std::vector<Sample>& s) {
  const Bytes good = IconFile({IconDib(32, 8)});
  auto add = [&](const char* name, Bytes b) { s.push_back({"icon", name, std::move(b)}); };
  add("directory-cut", Bytes(good.begin(), good.begin() + 21));
  add("image-cut", Bytes(good.begin(), good.end() - 1));
  Bytes b = good;
  Set32(b, 18, 0xFFFF0000u);  // image offset far beyond the file
  add("offset-outside", b);
  b = good;
  Set16(b, 4, 0xFFFF);  // 65535 entries in a file with room for one
  add("count-huge", b);
  b = good;
  Set16(b, 22 + 14, 7);  // bit count 7
  add("depth-7", b);
  b = good;
  Set32(b, 22 + 8, 0x7F00);  // height far beyond the image data
  add("height-huge", b);
  b = good;
  Set32(b, 22 + 8, 0xFFFFFFC0u);  // bottom-up height negative
  add("height-negative", b);
  add("png-zero-width", IconFile({PngHeader(0, 16)}));
  add("png-too-large", IconFile({PngHeader(4096, 16)}));
  DibSpec noMask;
  noMask.width = 32, noMask.height = 64;
  add("mask-missing", IconFile({[&] {
        Bytes img = DibInfo(noMask);
        noMask.height = 32;
        Append(img, DibPixels(noMask));
        return img;
      }()}));
  Bytes garbage(300);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 37);
  add("garbage", garbage);
}

void HostileWmfs(std::vector<Sample>& s) {
  auto add = [&](const char* name, Bytes b) { s.push_back({"metafile", name, std::move(b)}); };
  DibSpec dib;
  add("wmf-rectangle-short", WmfWith(0x041B, {50, 100, 10}));
  add("wmf-unknown-function", WmfWith(0x0999, {1, 2, 3}));
  add("wmf-bitblt-device-bitmap", WmfWith(0x0922, {0x20, 0xCC, 0, 0, 4, 8, 0, 0, 0}));
  add("wmf-polygon-count", WmfWith(0x0324, {30000, 0, 0, 5, 5}));
  add("wmf-polypolygon-counts", WmfWith(0x0538, {2, 1000, 2, 0, 0, 1, 1}));
  add("wmf-textout-length", WmfWith(0x0521, {200, 0x4141, 0, 0}));
  add("wmf-exttextout-rectangle", WmfWith(0x0A32, {0, 0, 2, 0x0004, 0x4141}));
  add("wmf-font-face-open", WmfWith(0x02FB, {12, 0, 0, 0, 400, 0, 0, 0, 0}, Text("Arial1")));
  add("wmf-region-scans", WmfWith(0x06FF, {0, 6, 0, 0, 34, 5, 10, 0, 0, 10, 10, 2, 0, 10, 0, 10}));
  add("wmf-palette-count", WmfWith(0x00F7, {0x300, 300, 0, 0}));
  add("wmf-escape-count", WmfWith(0x0626, {15, 400}, Text("ab")));
  add("wmf-dibbitblt-short", WmfWith(0x0940, {0x20, 0xCC, 0, 0, 4, 8, 0, 0}));
  Bytes tall = DibInfo(DibSpec{8, 100, 8});
  Append(tall, DibPixels(dib, 2));
  add("wmf-stretchdib-rows", WmfWith(0x0F43, {0x20, 0xCC, 0, 4, 8, 0, 0, 4, 8, 0, 0}, tall));
  add("wmf-stretchdib-depth",
      WmfWith(0x0F43, {0x20, 0xCC, 0, 4, 8, 0, 0, 4, 8, 0, 0}, PackedDib(DibSpec{8, 4, 7})));
  add("wmf-setdibtodev-partial", WmfWith(0x0D33, {0, 2, 0, 0, 0, 4, 8, 0, 0}, PackedDib(dib)));
  add("wmf-setdibtodev-bits", WmfWith(0x0D33, {0, 4, 0, 0, 0, 4, 8, 0, 0}, [&] {
        Bytes b = DibInfo(dib);
        Append(b, DibPixels(dib, 3));
        return b;
      }()));
  const Bytes info = DibInfo(dib);
  add("wmf-pattern-table", WmfWith(0x0142, {5, 0}, Bytes(info.begin(), info.begin() + 60)));
  Bytes b = WmfWith(0x041B, {50, 100, 10, 10});
  Set32(b, 18, 0);  // a record of length 0 would never advance
  add("wmf-record-zero", b);
  b = WmfWith(0x041B, {50, 100, 10, 10});
  Set32(b, 18, 0x40000000u);
  add("wmf-record-huge", b);
  b = WmfWith(0x041B, {50, 100, 10, 10});
  b.resize(b.size() - 6);  // no end record
  Set32(b, 6, static_cast<std::uint32_t>(b.size() / 2));
  add("wmf-no-end", b);
  add("placeable-zero-inch", Placeable(SoundWmfRecords().Finish(), 100, 50, 0));
  add("placeable-cut", Bytes(20, 0xD7));
}

void HostileEmfs(std::vector<Sample>& s) {
  auto add = [&](const char* name, Bytes b) { s.push_back({"metafile", name, std::move(b)}); };
  DibSpec dib;
  add("emf-unknown-type", EmfWith(69, Zeros(8)));
  add("emf-second-header", EmfWith(1, Zeros(80)));
  add("emf-rectangle-short", EmfWith(43, Zeros(12)));
  add("emf-bitblt-short", EmfWith(76, Zeros(88)));
  Bytes body = Zeros(72);
  Set32(body, 48 - 8, 4000);  // header offset outside the record
  Set32(body, 52 - 8, 40);
  add("emf-stretchdibits-header-outside", EmfWith(81, body));
  Bytes b = EmfWithBitmap(81, Zeros(72), 48, dib);
  Set32(b, 88 + 60, 8);  // fewer pixel bytes than the bitmap needs
  add("emf-stretchdibits-bits-short", b);
  b = EmfWithBitmap(81, Zeros(72), 48, dib);
  Set32(b, 88 + 52, 48);  // header size cuts the colour table
  add("emf-stretchdibits-table-cut", b);
  b = EmfWithBitmap(78, Zeros(120), 84, dib);
  Set32(b, 88 + 116, 40);  // a mask header with no room for it
  Set32(b, 88 + 112, 9000);
  add("emf-maskblt-mask-outside", b);
  add("emf-exttextoutw-chars", EmfWith(84, ExtTextOutW(1000, 0)));
  add("emf-exttextoutw-spacing", [] {
    Bytes t = ExtTextOutW(2, 2);
    Set32(t, 52 - 8, 0x2000);  // ETO_PDY: an x and a y a character
    return EmfWith(84, t);
  }());
  add("emf-polytextout-strings",
      EmfWith(97, Words32({0, 0, 100, 20, 1, 0, 0, 100, 10, 10, 0, 80, 0, 0, 0, 100, 20, 0})));
  add("emf-smalltextout-chars", EmfWith(108, Words32({10, 10, 3000, 0x0300, 1, 0, 0, 0})));
  add("emf-polygon16-count", EmfWith(86, Words32({0, 0, 9, 9, 3000, 0, 0})));
  add("emf-polypolygon16-sum", EmfWith(91, Words32({0, 0, 9, 9, 2, 4, 2, 3, 0, 0, 0, 0})));
  add("emf-polydraw-types", EmfWith(56, Words32({0, 0, 9, 9, 2, 0, 0, 9, 9})));
  add("emf-gradient-index", EmfWith(118, Gradient(0, 7)));
  add("emf-gradient-mode", EmfWith(118, Gradient(7, 1)));
  b = Words32({0, 0, 10, 10, 48, 1});
  Append(b, Region(50, 1));
  add("emf-fillrgn-rectangles", EmfWith(71, b));
  add("emf-palette-count", EmfWith(49, Words32({2, 0x03000300u, 0})));
  add("emf-extcreatepen-entries",
      EmfWith(95, Words32({3, 0, 0, 0, 0, 0x10007, 1, 0, 0xFF, 0, 500})));
  add("emf-comment-size", EmfWith(70, Words32({4000, 0})));
  b = EmfWith(43, Zeros(16));
  Set32(b, 88 + 4, 23);  // record size not a multiple of 4
  add("emf-record-unaligned", b);
  b = EmfWith(43, Zeros(16));
  b.resize(b.size() - 20);  // no end record
  Set32(b, 48, static_cast<std::uint32_t>(b.size()));
  add("emf-no-end", b);
  b = SoundEmfRecords().Finish();
  Set32(b, 48, static_cast<std::uint32_t>(b.size() + 4));  // larger than the file
  add("emf-size-beyond", b);
}

void HostileDibResources(std::vector<Sample>& s) {
  auto add = [&](const char* name, Bytes b) { s.push_back({"dibres", name, std::move(b)}); };
  DibSpec core{8, 4, 8, 12};
  Bytes b = PackedDib(core);
  Set16(b, 10, 64);  // 1 << 64 is no colour count
  add("core-depth-64", b);
  Set16(b, 10, 31);
  add("core-depth-31", b);
  b = PackedDib(DibSpec{8, 4, 8});
  Set32(b, 32, 300);  // more colours than 8 bits index
  add("used-300", b);
  b = PackedDib(DibSpec{8, 4, 24});
  Set32(b, 32, 300);
  add("deep-used-300", b);
  add("width-0", PackedDib(DibSpec{0, 4, 8}));
  add("side-40000", PackedDib(DibSpec{40000, 1, 1}));
  b = PackedDib(DibSpec{8, 4, 8});
  b.pop_back();
  add("bits-cut", b);
  b = PackedDib(DibSpec{8, 4, 8});
  Set32(b, 16, 1);  // RLE8
  add("rle8", b);
  add("header-64", PackedDib(DibSpec{8, 4, 8, 64}));
  add("bitfields-24", PackedDib(DibSpec{8, 4, 24, 40, 3}));
}

}  // namespace

std::vector<Sample> SoundSamples() {
  std::vector<Sample> s;
  s.push_back({"icon", "three-images", SoundIcon()});
  s.push_back({"icon", "four-bit", IconFile({IconDib(16, 4)})});
  const Bytes wmf = SoundWmfRecords().Finish();
  s.push_back({"metafile", "wmf", wmf});
  s.push_back({"metafile", "placeable", Placeable(wmf, 1440, 720, 1440)});
  s.push_back({"metafile", "emf", SoundEmfRecords().Finish()});
  for (const DibSpec& d : {DibSpec{8, 4, 8, 12}, DibSpec{8, 4, 24, 12}, DibSpec{8, 4, 4, 40},
                           DibSpec{8, -4, 16, 40, 3}, DibSpec{8, 4, 32, 56, 3},
                           DibSpec{8, 4, 24, 108}, DibSpec{8, 4, 8, 124, 0, 16}}) {
    s.push_back({"dibres",
                 "h" + std::to_string(d.headerSize) + "-" + std::to_string(d.bits) +
                     (d.compression ? "-bitfields" : ""),
                 PackedDib(d)});
  }
  return s;
}

std::vector<Sample> HostileSamples() {
  std::vector<Sample> s;
  HostileIcons(s);
  HostileWmfs(s);
  HostileEmfs(s);
  HostileDibResources(s);
  return s;
}

}  // namespace reader_samples
