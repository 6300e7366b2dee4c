// PNG through libpng. As with JPEG, every libpng call sits in a phase function
// that owns the jump point and no object with a destructor.
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

#include "rstrim/core/Codecs.h"

namespace rstrim {

namespace {

struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ByteSource* src = nullptr;
  Result failure = kDamaged;

  ~PngSession() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  }
};

[[noreturn]] void ErrorFn(png_structp png, png_const_charp message) {
  auto* s = static_cast<PngSession*>(png_get_error_ptr(png));
  if (message != nullptr && std::strstr(message, "memory") != nullptr) s->failure = kOutOfMemory;
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

void ReadFn(png_structp png, png_bytep data, size_t length) {
  auto* s = static_cast<PngSession*>(png_get_io_ptr(png));
  if (!s->src->ReadExact(data, length)) png_error(png, "truncated");
}

struct Header {
  png_uint_32 width, height;
  int bitDepth, colourType, interlace;
  bool hasTrns, hasBkgd;
  png_color_16 bkgd;
  int trnsCount;
  png_color_16 trnsColour;
  uint8_t trnsAlpha[256];
  int paletteCount;
  png_color palette[256];
  // The iCCP chunk's profile (libpng's memory, valid while the session lives);
  // null with an sRGB chunk, which says the colours are sRGB already.
  png_bytep profile;
  png_uint_32 profileSize;
};

Result CreateSession(PngSession& s, ByteSource& src) {
  s.src = &src;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, ErrorFn, WarningFn);
  if (s.png == nullptr) return kOutOfMemory;
  s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) return kOutOfMemory;
  png_set_read_fn(s.png, &s, ReadFn);
  // Chunks that may declare any length: a profile larger than any we take
  // is dropped, and libpng would allocate a text's or an Exif block's whole
  // declared length before reading it (it only warns that it is too large),
  // so those, which no picture needs, are skipped unread.
  png_set_chunk_malloc_max(s.png, kMaxProfileBytes + 1024);
  static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf";
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 5);
  return kOk;
}

Result ReadInfoPhase(PngSession& s, Header* h) {
  if (setjmp(png_jmpbuf(s.png))) return s.failure;
  std::memset(h, 0, sizeof *h);
  png_read_info(s.png, s.info);
  png_get_IHDR(s.png, s.info, &h->width, &h->height, &h->bitDepth, &h->colourType, &h->interlace,
               nullptr, nullptr);
  if (png_get_valid(s.png, s.info, PNG_INFO_PLTE)) {
    png_colorp pal = nullptr;
    int n = 0;
    png_get_PLTE(s.png, s.info, &pal, &n);
    h->paletteCount = n > 256 ? 256 : n;
    if (pal != nullptr) std::memcpy(h->palette, pal, sizeof(png_color) * h->paletteCount);
  }
  if (png_get_valid(s.png, s.info, PNG_INFO_tRNS)) {
    png_bytep alpha = nullptr;
    int n = 0;
    png_color_16p colour = nullptr;
    png_get_tRNS(s.png, s.info, &alpha, &n, &colour);
    h->hasTrns = true;
    h->trnsCount = n > 256 ? 256 : n;
    if (alpha != nullptr && h->trnsCount > 0) std::memcpy(h->trnsAlpha, alpha, h->trnsCount);
    if (colour != nullptr) h->trnsColour = *colour;
  }
  if (png_get_valid(s.png, s.info, PNG_INFO_iCCP) && !png_get_valid(s.png, s.info, PNG_INFO_sRGB)) {
    png_charp name = nullptr;
    int compression = 0;
    png_get_iCCP(s.png, s.info, &name, &compression, &h->profile, &h->profileSize);
  }
  if (png_get_valid(s.png, s.info, PNG_INFO_bKGD)) {
    png_color_16p b = nullptr;
    png_get_bKGD(s.png, s.info, &b);
    if (b != nullptr) h->hasBkgd = true, h->bkgd = *b;
  }
  return kOk;
}

// True when the rows come out as palette indices (1 byte each); else BGR.
bool IndexedPath(const Header& h) {
  if (h.colourType == PNG_COLOR_TYPE_PALETTE) return true;
  if (h.colourType == PNG_COLOR_TYPE_GRAY) return h.bitDepth <= 8 || !h.hasTrns;
  return false;
}

Result ConfigurePhase(PngSession& s, const Header& h, bool indexed, int* passes, size_t* rowBytes) {
  if (setjmp(png_jmpbuf(s.png))) return s.failure;
  if (indexed) {
    if (h.bitDepth < 8) png_set_packing(s.png);
    if (h.bitDepth == 16) png_set_scale_16(s.png);
  } else {
    if (h.bitDepth == 16) png_set_scale_16(s.png);
    if (h.hasTrns) png_set_tRNS_to_alpha(s.png);
    if ((h.colourType & PNG_COLOR_MASK_ALPHA) != 0 || h.hasTrns) {
      if (h.hasBkgd) {
        png_set_background_fixed(s.png, &h.bkgd, PNG_BACKGROUND_GAMMA_FILE, 1, PNG_FP_1);
      } else {
        png_color_16 white{};
        white.red = white.green = white.blue = white.gray = 255;
        png_set_background_fixed(s.png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, PNG_FP_1);
      }
    }
    if ((h.colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(s.png);
    png_set_bgr(s.png);
  }
  *passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  *rowBytes = png_get_rowbytes(s.png, s.info);
  return kOk;
}

// Interlaced pictures need every row kept between passes: either the sink's own
// rows or, when those are temporary, a whole-picture buffer.
Result RowsPhase(PngSession& s, PixelSink& sink, int height, int passes, uint8_t* buffer,
                 size_t rowBytes) {
  if (setjmp(png_jmpbuf(s.png))) return s.failure;
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y) {
      png_bytep row = buffer != nullptr ? buffer + static_cast<size_t>(y) * rowBytes : sink.Row(y);
      png_read_row(s.png, row, nullptr);
      if (passes == 1) sink.RowDone(y);
    }
  }
  if (passes > 1) {
    for (int y = 0; y < height; ++y) {
      if (buffer != nullptr)
        std::memcpy(sink.Row(y), buffer + static_cast<size_t>(y) * rowBytes, rowBytes);
      sink.RowDone(y);
    }
  }
  return kOk;
}

uint8_t Scale(unsigned v, int bitDepth) {
  if (bitDepth >= 16) return static_cast<uint8_t>(v >> 8);
  if (bitDepth >= 8) return static_cast<uint8_t>(v);
  const unsigned max = (1u << bitDepth) - 1;
  return static_cast<uint8_t>((v & max) * 255 / max);
}

Rgb Background(const Header& h) {
  if (!h.hasBkgd) return Rgb{255, 255, 255};
  if (h.colourType == PNG_COLOR_TYPE_PALETTE) {
    if (h.bkgd.index < h.paletteCount) {
      const png_color& c = h.palette[h.bkgd.index];
      return Rgb{c.red, c.green, c.blue};
    }
    return Rgb{255, 255, 255};
  }
  if ((h.colourType & PNG_COLOR_MASK_COLOR) == 0) {
    const uint8_t g = Scale(h.bkgd.gray, h.bitDepth);
    return Rgb{g, g, g};
  }
  return Rgb{Scale(h.bkgd.red, h.bitDepth), Scale(h.bkgd.green, h.bitDepth),
             Scale(h.bkgd.blue, h.bitDepth)};
}

uint8_t Blend(uint8_t fg, uint8_t bg, unsigned alpha) {
  return static_cast<uint8_t>((fg * alpha + bg * (255 - alpha) + 127) / 255);
}

// The colour table of an indexed PNG, transparency already laid over the background.
std::vector<Rgb> IndexedPalette(const Header& h) {
  std::vector<Rgb> p;
  const Rgb bg = Background(h);
  if (h.colourType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < h.paletteCount; ++i) {
      Rgb c{h.palette[i].red, h.palette[i].green, h.palette[i].blue};
      if (h.hasTrns && i < h.trnsCount) {
        const unsigned a = h.trnsAlpha[i];
        c = Rgb{Blend(c.r, bg.r, a), Blend(c.g, bg.g, a), Blend(c.b, bg.b, a)};
      }
      p.push_back(c);
    }
    return p;
  }
  const int depth = h.bitDepth > 8 ? 8 : h.bitDepth;
  const int levels = 1 << depth;
  for (int i = 0; i < levels; ++i) {
    const uint8_t g = Scale(static_cast<unsigned>(i), depth);
    p.push_back(Rgb{g, g, g});
  }
  if (h.hasTrns && h.bitDepth <= 8 && h.trnsColour.gray < levels) p[h.trnsColour.gray] = bg;
  return p;
}

// The session and header live on the heap: libpng's error jump must not pass
// over C++ objects with destructors in the frame that set it up.
Result OpenPng(ByteSource& src, std::unique_ptr<PngSession>* session,
               std::unique_ptr<Header>* header) {
  *session = std::make_unique<PngSession>();
  Result r = CreateSession(**session, src);
  if (r != kOk) return r;
  *header = std::make_unique<Header>();
  return ReadInfoPhase(**session, header->get());
}

}  // namespace

Result DecodePng(ByteSource& src, PixelSink& sink, const DecodeOptions& options) {
  std::unique_ptr<PngSession> session;
  std::unique_ptr<Header> header;
  Result r = OpenPng(src, &session, &header);
  if (r != kOk) return r;
  PngSession& s = *session;
  Header& h = *header;
  if (h.width > 0x7fffffff || h.height > 0x7fffffff) return kTooLarge;

  const bool indexed = IndexedPath(h);
  ImageLayout layout;
  layout.width = static_cast<int>(h.width);
  layout.height = static_cast<int>(h.height);
  if (indexed) {
    layout.format = PixelFormat::kIndexed;
    layout.palette = IndexedPalette(h);
    if (layout.palette.empty()) return kDamaged;
  }
  layout.colours = ColourTransform::For(h.profile, h.profileSize, ColourInput::kBgr);
  int passes = 1;
  size_t rowBytes = 0;
  r = ConfigurePhase(s, h, indexed, &passes, &rowBytes);
  if (r != kOk) return r;
  if (rowBytes != static_cast<size_t>(layout.width) * (indexed ? 1 : 3)) return kUnsupported;
  r = sink.Begin(layout);
  if (r != kOk) return r;

  std::vector<uint8_t> buffer;
  if (passes > 1 && !sink.PersistentRows()) {
    if (rowBytes > options.maxWorkBytes / static_cast<size_t>(layout.height)) return kTooLarge;
    buffer.resize(rowBytes * static_cast<size_t>(layout.height));
  }
  r = RowsPhase(s, sink, layout.height, passes, buffer.empty() ? nullptr : buffer.data(), rowBytes);
  if (r != kOk) return r;
  return sink.Finish();
}

Result QueryPng(ByteSource& src, ImageInfo* info) {
  std::unique_ptr<PngSession> session;
  std::unique_ptr<Header> header;
  const Result r = OpenPng(src, &session, &header);
  if (r != kOk) return r;
  const Header& h = *header;
  info->type = "PNG";
  info->width = static_cast<int>(h.width);
  info->height = static_cast<int>(h.height);
  info->depthA = h.bitDepth > 8 ? 8 : h.bitDepth;
  info->count = 1;
  switch (h.colourType) {
    case PNG_COLOR_TYPE_PALETTE:
      info->depthB = 1, info->detail = "Palette";
      break;
    case PNG_COLOR_TYPE_GRAY:
      info->depthB = 1, info->detail = "Grey";
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      info->depthB = 2, info->detail = "GreyAlpha";
      break;
    case PNG_COLOR_TYPE_RGB:
      info->depthB = 3, info->detail = "RGB";
      break;
    default:
      info->depthB = 4, info->detail = "RGBA";
      break;
  }
  if (h.bitDepth == 16) info->detail += "/16";
  if (h.interlace != PNG_INTERLACE_NONE) info->detail += " Interlaced";
  return kOk;
}

}  // namespace rstrim
