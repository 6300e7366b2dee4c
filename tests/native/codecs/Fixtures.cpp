#include "tests/native/codecs/Fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace fixtures {

namespace {

uint8_t Clamp8(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

Picture Gradient(int width, int height) {
  Picture p;
  p.width = width, p.height = height;
  p.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int r = width > 1 ? x * 255 / (width - 1) : 0;
      const int g = height > 1 ? y * 255 / (height - 1) : 0;
      const int b = ((x / 8 + y / 8) & 1) ? 200 : 40;
      p.pixels[static_cast<size_t>(y) * width + x] =
          Rgb{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
    }
  }
  return p;
}

Picture Photo(int width, int height, uint32_t seed) {
  Picture p;
  p.width = width, p.height = height;
  p.pixels.resize(static_cast<size_t>(width) * height);
  uint32_t state = seed * 2654435761u + 12345;
  auto rnd = [&state] {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    return state;
  };
  struct Blob {
    double x, y, r, cr, cg, cb;
  };
  std::vector<Blob> blobs;
  for (int i = 0; i < 12; ++i) {
    blobs.push_back(Blob{(rnd() % 1000) / 1000.0 * width, (rnd() % 1000) / 1000.0 * height,
                         (0.1 + (rnd() % 1000) / 3000.0) * std::max(width, height),
                         static_cast<double>(rnd() % 256), static_cast<double>(rnd() % 256),
                         static_cast<double>(rnd() % 256)});
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double r = 90 + 60.0 * y / height, g = 120, b = 160 - 60.0 * y / height;  // sky-ish base
      for (const Blob& bl : blobs) {
        const double dx = x - bl.x, dy = y - bl.y;
        const double w = std::exp(-(dx * dx + dy * dy) / (bl.r * bl.r));
        r += (bl.cr - r) * w, g += (bl.cg - g) * w, b += (bl.cb - b) * w;
      }
      const double texture = 12.0 * std::sin(x * 0.07 + std::sin(y * 0.05) * 3.0);
      const double noise = static_cast<double>(rnd() % 9) - 4.0;
      p.pixels[static_cast<size_t>(y) * width + x] =
          Rgb{Clamp8(r + texture + noise), Clamp8(g + texture * 0.5 + noise), Clamp8(b + noise)};
    }
  }
  return p;
}

std::vector<Rgb> TestPalette(int colours) {
  std::vector<Rgb> pal;
  for (int i = 0; i < colours; ++i) {
    pal.push_back(Rgb{static_cast<uint8_t>((i * 97 + 13) & 255),
                      static_cast<uint8_t>((i * 41 + 200) & 255),
                      static_cast<uint8_t>((i * 173 + 7) & 255)});
  }
  if (colours >= 2) pal[0] = Rgb{0, 0, 0}, pal[1] = Rgb{255, 255, 255};
  return pal;
}

std::vector<uint8_t> Indices(int width, int height, int colours) {
  std::vector<uint8_t> idx(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Runs of equal pixels (for the run-length writers) mixed with changes.
      const int v = ((x / 3) + y * 7 + (x * y) / 11) % colours;
      idx[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
    }
  }
  return idx;
}

// ------------------------------------------------------------------ JPEG

Bytes EncodeJpeg(const Picture& p, const JpegSpec& layout) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(p.width);
  cinfo.image_height = static_cast<JDIMENSION>(p.height);
  int comps = 3;
  switch (layout.colour) {
    case JpegColour::kRgb:
      cinfo.in_color_space = JCS_RGB;
      break;
    case JpegColour::kGrey:
      cinfo.in_color_space = JCS_GRAYSCALE, comps = 1;
      break;
    default:
      cinfo.in_color_space = JCS_CMYK, comps = 4;
      break;
  }
  cinfo.input_components = comps;
  jpeg_set_defaults(&cinfo);
  if (layout.colour == JpegColour::kAdobeCmyk) jpeg_set_colorspace(&cinfo, JCS_CMYK);
  if (layout.colour == JpegColour::kAdobeYcck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  jpeg_set_quality(&cinfo, layout.quality, TRUE);
  if (layout.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (layout.orientation != 0) {
    // Minimal EXIF: little-endian TIFF header, one IFD with the orientation.
    Bytes exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0};
    Put16(exif, 0x0112), Put16(exif, 3), Put32(exif, 1);
    Put16(exif, static_cast<unsigned>(layout.orientation)), Put16(exif, 0);
    Put32(exif, 0);
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  std::vector<uint8_t> row(static_cast<size_t>(p.width) * comps);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < p.width; ++x) {
      const Rgb c = p.At(x, y);
      uint8_t* o = &row[static_cast<size_t>(x) * comps];
      if (comps == 3) {
        o[0] = c.r, o[1] = c.g, o[2] = c.b;
      } else if (comps == 1) {
        o[0] = static_cast<uint8_t>((c.r * 299 + c.g * 587 + c.b * 114 + 500) / 1000);
      } else {
        // Adobe writers store inverted inks: 255 - ink, with full black generation.
        const int mx = std::max({c.r, c.g, c.b});
        const int k = 255 - mx;
        auto ink = [mx](int v) { return mx == 0 ? 0 : (mx - v) * 255 / mx; };
        o[0] = static_cast<uint8_t>(255 - ink(c.r)), o[1] = static_cast<uint8_t>(255 - ink(c.g));
        o[2] = static_cast<uint8_t>(255 - ink(c.b)), o[3] = static_cast<uint8_t>(255 - k);
      }
    }
    JSAMPROW rp = row.data();
    jpeg_write_scanlines(&cinfo, &rp, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes result(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return result;
}

// ------------------------------------------------------------------- PNG

namespace {

void PngWrite(png_structp png, png_bytep data, size_t len) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + len);
}
void PngFlush(png_structp) {}

int Channels(int colourType) {
  switch (colourType) {
    case 0:
    case 3:
      return 1;
    case 4:
      return 2;
    case 2:
      return 3;
    default:
      return 4;
  }
}

}  // namespace

Bytes EncodePng(int width, int height, const PngSpec& layout,
                const std::vector<uint16_t>& samples) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               layout.bitDepth, layout.colourType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> pal;
  for (const Rgb& c : layout.palette) pal.push_back(png_color{c.r, c.g, c.b});
  if (!pal.empty()) png_set_PLTE(png, info, pal.data(), static_cast<int>(pal.size()));
  if (!layout.trnsAlpha.empty()) {
    png_set_tRNS(png, info, layout.trnsAlpha.data(), static_cast<int>(layout.trnsAlpha.size()),
                 nullptr);
  } else if (layout.trnsColour) {
    png_color_16 t{};
    t.gray = layout.trnsGrey, t.red = layout.trnsRed, t.green = layout.trnsGreen,
    t.blue = layout.trnsBlue;
    png_set_tRNS(png, info, nullptr, 0, &t);
  }
  if (layout.bkgd) {
    png_color_16 b{};
    b.index = layout.bkgdIndex, b.gray = layout.bkgdGrey;
    b.red = layout.bkgdRed, b.green = layout.bkgdGreen, b.blue = layout.bkgdBlue;
    png_set_bKGD(png, info, &b);
  }
  png_write_info(png, info);
  const int ch = Channels(layout.colourType);
  const size_t rowBytes = (static_cast<size_t>(width) * ch * layout.bitDepth + 7) / 8;
  std::vector<Bytes> rows(static_cast<size_t>(height), Bytes(rowBytes, 0));
  std::vector<png_bytep> ptrs;
  for (int y = 0; y < height; ++y) {
    Bytes& r = rows[static_cast<size_t>(y)];
    for (int i = 0; i < width * ch; ++i) {
      const unsigned v = samples[static_cast<size_t>(y) * width * ch + i];
      if (layout.bitDepth == 16) {
        r[2 * i] = static_cast<uint8_t>(v >> 8), r[2 * i + 1] = static_cast<uint8_t>(v);
      } else if (layout.bitDepth == 8) {
        r[i] = static_cast<uint8_t>(v);
      } else {
        const int per = 8 / layout.bitDepth;
        r[i / per] |= static_cast<uint8_t>(v << (8 - layout.bitDepth * (1 + i % per)));
      }
    }
    ptrs.push_back(r.data());
  }
  png_write_image(png, ptrs.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodePngRgb(const Picture& p, bool interlaced) {
  PngSpec layout;
  layout.interlaced = interlaced;
  std::vector<uint16_t> s;
  s.reserve(p.pixels.size() * 3);
  for (const Rgb& c : p.pixels) s.push_back(c.r), s.push_back(c.g), s.push_back(c.b);
  return EncodePng(p.width, p.height, layout, s);
}

// ------------------------------------------------------------------- GIF

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int len) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + len);
  return len;
}

ColorMapObject* MakeMap(const std::vector<Rgb>& colours) {
  if (colours.empty()) return nullptr;
  int size = 2;
  while (size < static_cast<int>(colours.size())) size *= 2;
  std::vector<GifColorType> c(static_cast<size_t>(size), GifColorType{0, 0, 0});
  for (size_t i = 0; i < colours.size(); ++i)
    c[i] = GifColorType{colours[i].r, colours[i].g, colours[i].b};
  return GifMakeMapObject(size, c.data());
}

}  // namespace

Bytes EncodeGif(const GifSpec& layout, const std::vector<uint8_t>& indices) {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &err);
  EGifSetGifVersion(gif, layout.gif89);
  ColorMapObject* global = MakeMap(layout.globalMap);
  ColorMapObject* local = MakeMap(layout.localMap);
  EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, 8, layout.background, global);
  for (int frame = 0; frame <= layout.extraFrames; ++frame) {
    if (layout.transparent >= 0) {
      const uint8_t gce[4] = {1, 0, 0, static_cast<uint8_t>(layout.transparent)};
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
    }
    EGifPutImageDesc(gif, layout.left, layout.top, layout.width, layout.height, layout.interlaced,
                     local);
    std::vector<GifPixelType> line(static_cast<size_t>(layout.width));
    auto putRow = [&](int y) {
      std::memcpy(line.data(), &indices[static_cast<size_t>(y) * layout.width], line.size());
      EGifPutLine(gif, line.data(), layout.width);
    };
    if (layout.interlaced) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (int y = start[pass]; y < layout.height; y += step[pass]) putRow(y);
      }
    } else {
      for (int y = 0; y < layout.height; ++y) putRow(y);
    }
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(global);
  GifFreeMapObject(local);
  return out;
}

// ------------------------------------------------------------------ TIFF

namespace {

struct MemFile {
  Bytes data;
  uint64_t pos = 0;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  const uint64_t left = f->pos < f->data.size() ? f->data.size() - f->pos : 0;
  const auto take = static_cast<size_t>(std::min<uint64_t>(left, static_cast<uint64_t>(n)));
  std::memcpy(buf, f->data.data() + f->pos, take);
  f->pos += take;
  return static_cast<tmsize_t>(take);
}
tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (f->pos + static_cast<uint64_t>(n) > f->data.size())
    f->data.resize(f->pos + static_cast<uint64_t>(n));
  std::memcpy(f->data.data() + f->pos, buf, static_cast<size_t>(n));
  f->pos += static_cast<uint64_t>(n);
  return n;
}
toff_t MemSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemFile*>(h);
  uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->data.size() : 0;
  f->pos = base + off;
  return f->pos;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<MemFile*>(h)->data.size(); }
int MemMap(thandle_t, void**, toff_t*) { return 0; }
void MemUnmap(thandle_t, void*, toff_t) {}

}  // namespace

Bytes EncodeTiff(const TiffSpec& layout, const Bytes& rows) {
  MemFile file;
  TIFF* t = TIFFClientOpen("fixture", "w", &file, MemRead, MemWrite, MemSeek, MemClose, MemSize,
                           MemMap, MemUnmap);
  const size_t lineBytes =
      (static_cast<size_t>(layout.width) * layout.samplesPerPixel * layout.bitsPerSample + 7) / 8;
  for (int page = 0; page < layout.pages; ++page) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(layout.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(layout.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(layout.bitsPerSample));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(layout.samplesPerPixel));
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, static_cast<uint16_t>(layout.sampleFormat));
    TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<uint16_t>(layout.compression));
    TIFFSetField(t, TIFFTAG_ORIENTATION, static_cast<uint16_t>(layout.orientation));
    TIFFSetField(
        t, TIFFTAG_PLANARCONFIG,
        static_cast<uint16_t>(layout.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    const bool jpegRgb =
        layout.compression == COMPRESSION_JPEG && layout.photometric == PHOTOMETRIC_RGB;
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 static_cast<uint16_t>(jpegRgb ? PHOTOMETRIC_YCBCR : layout.photometric));
    if (layout.compression == COMPRESSION_JPEG) {
      TIFFSetField(t, TIFFTAG_JPEGQUALITY, layout.jpegQuality);
      if (jpegRgb) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (layout.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
    if (layout.samplesPerPixel == 4 && layout.photometric == PHOTOMETRIC_RGB) {
      const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (!layout.colourMap.empty()) {
      const size_t n = layout.colourMap.size() / 3;
      std::vector<uint16_t> map = layout.colourMap;
      TIFFSetField(t, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    if (layout.pages > 1) {
      TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
      TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page),
                   static_cast<uint16_t>(layout.pages));
    }
    if (layout.tiled) {
      TIFFSetField(t, TIFFTAG_TILEWIDTH, 16u);
      TIFFSetField(t, TIFFTAG_TILELENGTH, 16u);
      const tmsize_t tileSize = TIFFTileSize(t);
      Bytes tile(static_cast<size_t>(tileSize));
      const size_t pixelBytes =
          static_cast<size_t>(layout.samplesPerPixel * layout.bitsPerSample / 8);
      for (int ty = 0; ty < layout.height; ty += 16) {
        for (int tx = 0; tx < layout.width; tx += 16) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int y = 0; y < 16 && ty + y < layout.height; ++y) {
            for (int x = 0; x < 16 && tx + x < layout.width; ++x) {
              std::memcpy(&tile[(static_cast<size_t>(y) * 16 + x) * pixelBytes],
                          &rows[static_cast<size_t>(ty + y) * lineBytes + (tx + x) * pixelBytes],
                          pixelBytes);
            }
          }
          TIFFWriteTile(t, tile.data(), static_cast<uint32_t>(tx), static_cast<uint32_t>(ty), 0, 0);
        }
      }
    } else {
      TIFFSetField(t, TIFFTAG_ROWSPERSTRIP,
                   static_cast<uint32_t>(layout.rowsPerStrip > 0
                                             ? layout.rowsPerStrip
                                             : static_cast<int>(TIFFDefaultStripSize(t, 0))));
      if (layout.separatePlanes) {
        // 8-bit samples only: plane s takes every spp-th byte.
        Bytes plane(static_cast<size_t>(layout.width));
        for (int s = 0; s < layout.samplesPerPixel; ++s) {
          for (int y = 0; y < layout.height; ++y) {
            for (int x = 0; x < layout.width; ++x) {
              plane[x] = rows[static_cast<size_t>(y) * lineBytes +
                              static_cast<size_t>(x) * layout.samplesPerPixel + s];
            }
            TIFFWriteScanline(t, plane.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(s));
          }
        }
      } else {
        Bytes line(lineBytes);
        for (int y = 0; y < layout.height; ++y) {
          std::memcpy(line.data(), &rows[static_cast<size_t>(y) * lineBytes], lineBytes);
          TIFFWriteScanline(t, line.data(), static_cast<uint32_t>(y), 0);
        }
      }
    }
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  return file.data;
}

// ------------------------------------------------------------------- BMP

namespace {

void PackIndices(Bytes& out, const uint8_t* idx, int width, int bpp) {
  const size_t start = out.size();
  const size_t bytes = (static_cast<size_t>(width) * bpp + 7) / 8;
  out.resize(start + bytes, 0);
  for (int x = 0; x < width; ++x) {
    if (bpp == 8) {
      out[start + x] = idx[x];
    } else {
      const int per = 8 / bpp;
      out[start + x / per] |= static_cast<uint8_t>(idx[x] << (8 - bpp * (1 + x % per)));
    }
  }
}

void PadTo4(Bytes& out, size_t rowStart) {
  while ((out.size() - rowStart) % 4 != 0) out.push_back(0);
}

uint32_t Field(uint32_t mask, uint8_t v) {
  if (mask == 0) return 0;
  int shift = 0, bits = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  for (uint32_t m = mask >> shift; m != 0; m >>= 1) ++bits;
  const uint32_t scaled = bits >= 8 ? static_cast<uint32_t>(v) << (bits - 8) : v >> (8 - bits);
  return scaled << shift;
}

void Rle8Row(Bytes& out, const uint8_t* idx, int width) {
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && idx[x + run] == idx[x]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run)), out.push_back(idx[x]);
      x += run;
      continue;
    }
    // Literal stretch up to the next pair of equal pixels.
    int lit = 1;
    while (x + lit < width && lit < 255 &&
           !(x + lit + 1 < width && idx[x + lit] == idx[x + lit + 1]))
      ++lit;
    if (lit < 3) {
      for (int i = 0; i < lit; ++i) out.push_back(1), out.push_back(idx[x + i]);
    } else {
      out.push_back(0), out.push_back(static_cast<uint8_t>(lit));
      for (int i = 0; i < lit; ++i) out.push_back(idx[x + i]);
      if (lit & 1) out.push_back(0);
    }
    x += lit;
  }
  out.push_back(0), out.push_back(0);
}

void Rle4Row(Bytes& out, const uint8_t* idx, int width) {
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && idx[x + run] == idx[x]) ++run;
    if (run >= 4 || x + run == width) {
      out.push_back(static_cast<uint8_t>(run)),
          out.push_back(static_cast<uint8_t>(idx[x] << 4 | idx[x]));
      x += run;
      continue;
    }
    const int lit = std::min(width - x, 8);
    if (lit < 3) {
      for (int i = 0; i < lit; ++i)
        out.push_back(1), out.push_back(static_cast<uint8_t>(idx[x + i] << 4));
    } else {
      out.push_back(0), out.push_back(static_cast<uint8_t>(lit));
      const int bytes = (lit + 1) / 2;
      for (int i = 0; i < bytes; ++i) {
        const int a = idx[x + 2 * i], b = 2 * i + 1 < lit ? idx[x + 2 * i + 1] : 0;
        out.push_back(static_cast<uint8_t>(a << 4 | b));
      }
      if (bytes & 1) out.push_back(0);
    }
    x += lit;
  }
  out.push_back(0), out.push_back(0);
}

}  // namespace

Bytes EncodeBmp(int width, int height, const BmpSpec& layout, const std::vector<uint8_t>& indices,
                const std::vector<Rgb>& palette, const Picture* truecolour) {
  const bool core = layout.headerSize == 12;
  const int hs = layout.headerSize;
  const bool indexed = layout.bpp <= 8;
  const int tableColours =
      indexed ? (layout.coloursUsed ? layout.coloursUsed : 1 << layout.bpp) : 0;
  const size_t entry = core ? 3 : 4;
  const size_t masksAfter = (!core && hs == 40 && layout.bitfields) ? 12 : 0;
  const uint32_t offBits = static_cast<uint32_t>(14 + hs + masksAfter + tableColours * entry);

  Bytes pixels;
  for (int i = 0; i < height; ++i) {
    const int y = layout.topDown ? i : height - 1 - i;
    const size_t rowStart = pixels.size();
    if (indexed) {
      const uint8_t* row = &indices[static_cast<size_t>(y) * width];
      if (layout.rle) {
        layout.bpp == 8 ? Rle8Row(pixels, row, width) : Rle4Row(pixels, row, width);
        continue;
      }
      PackIndices(pixels, row, width, layout.bpp);
    } else {
      for (int x = 0; x < width; ++x) {
        const Rgb c = truecolour->At(x, y);
        if (layout.bpp == 24) {
          pixels.push_back(c.b), pixels.push_back(c.g), pixels.push_back(c.r);
          continue;
        }
        uint32_t m[3] = {layout.masks[0], layout.masks[1], layout.masks[2]};
        if (!layout.bitfields) {
          if (layout.bpp == 16)
            m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x1F;
          else
            m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF;
        }
        const uint32_t v = Field(m[0], c.r) | Field(m[1], c.g) | Field(m[2], c.b);
        layout.bpp == 16 ? Put16(pixels, v) : Put32(pixels, v);
      }
    }
    PadTo4(pixels, rowStart);
  }
  if (layout.rle) pixels.push_back(0), pixels.push_back(1);

  Bytes out = {'B', 'M'};
  Put32(out, static_cast<uint32_t>(offBits + pixels.size()));
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, static_cast<uint32_t>(hs));
  if (core) {
    Put16(out, static_cast<unsigned>(width)), Put16(out, static_cast<unsigned>(height));
    Put16(out, 1), Put16(out, static_cast<unsigned>(layout.bpp));
  } else {
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(layout.topDown ? -height : height));
    Put16(out, 1), Put16(out, static_cast<unsigned>(layout.bpp));
    const uint32_t compression = layout.rle ? (layout.bpp == 8 ? 1 : 2) : layout.bitfields ? 3 : 0;
    Put32(out, compression);
    Put32(out, static_cast<uint32_t>(pixels.size()));
    Put32(out, 2835), Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(layout.coloursUsed)), Put32(out, 0);
    const size_t headerEnd = 14 + static_cast<size_t>(hs);
    if (hs >= 52)
      Put32(out, layout.masks[0]), Put32(out, layout.masks[1]), Put32(out, layout.masks[2]);
    if (hs >= 56) Put32(out, 0);
    if (hs >= 108) Put32(out, 0x73524742);  // 'sRGB'
    out.resize(headerEnd, 0);
    if (masksAfter)
      Put32(out, layout.masks[0]), Put32(out, layout.masks[1]), Put32(out, layout.masks[2]);
  }
  for (int i = 0; i < tableColours; ++i) {
    const Rgb c = i < static_cast<int>(palette.size()) ? palette[i] : Rgb{};
    out.push_back(c.b), out.push_back(c.g), out.push_back(c.r);
    if (!core) out.push_back(0);
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// ------------------------------------------------------------------- PCX

namespace {

void PcxRle(Bytes& out, const Bytes& line) {
  size_t i = 0;
  while (i < line.size()) {
    size_t run = 1;
    while (i + run < line.size() && run < 63 && line[i + run] == line[i]) ++run;
    if (run > 1 || (line[i] & 0xC0) == 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
    out.push_back(line[i]);
    i += run;
  }
}

}  // namespace

Bytes EncodePcx(int width, int height, const PcxSpec& layout, const std::vector<uint8_t>& indices,
                const std::vector<Rgb>& palette, const Picture* truecolour) {
  const int bpl = (width * layout.bitsPerPixel + 7) / 8 + layout.extraLineBytes;
  Bytes out(128, 0);
  out[0] = 0x0A, out[1] = static_cast<uint8_t>(layout.version), out[2] = layout.rle ? 1 : 0;
  out[3] = static_cast<uint8_t>(layout.bitsPerPixel);
  out[8] = static_cast<uint8_t>((width - 1) & 255), out[9] = static_cast<uint8_t>((width - 1) >> 8);
  out[10] = static_cast<uint8_t>((height - 1) & 255),
  out[11] = static_cast<uint8_t>((height - 1) >> 8);
  out[12] = 72, out[14] = 72;
  for (size_t i = 0; i < 16 && i < palette.size() && palette.size() <= 16; ++i) {
    out[16 + 3 * i] = palette[i].r, out[17 + 3 * i] = palette[i].g, out[18 + 3 * i] = palette[i].b;
  }
  out[65] = static_cast<uint8_t>(layout.planes);
  out[66] = static_cast<uint8_t>(bpl & 255), out[67] = static_cast<uint8_t>(bpl >> 8);
  out[68] = 1;
  Bytes line(static_cast<size_t>(bpl) * layout.planes);
  for (int y = 0; y < height; ++y) {
    std::fill(line.begin(), line.end(), 0);
    for (int x = 0; x < width; ++x) {
      if (truecolour != nullptr) {
        const Rgb c = truecolour->At(x, y);
        line[x] = c.r, line[bpl + x] = c.g, line[2 * bpl + x] = c.b;
        if (layout.planes == 4) line[3 * bpl + x] = 255;
        continue;
      }
      const int v = indices[static_cast<size_t>(y) * width + x];
      if (layout.planes == 1) {
        const int per = 8 / layout.bitsPerPixel;
        line[x / per] |= static_cast<uint8_t>(v << (8 - layout.bitsPerPixel * (1 + x % per)));
      } else {
        for (int p = 0; p < layout.planes; ++p) {
          if ((v >> p) & 1) line[p * bpl + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
      }
    }
    if (layout.rle) {
      PcxRle(out, line);
    } else {
      out.insert(out.end(), line.begin(), line.end());
    }
  }
  if (layout.bitsPerPixel == 8 && layout.planes == 1) {
    out.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
      const Rgb c = i < static_cast<int>(palette.size()) ? palette[i] : Rgb{};
      out.push_back(c.r), out.push_back(c.g), out.push_back(c.b);
    }
  }
  return out;
}

bool WriteFile(const std::string& path, const Bytes& data) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace fixtures
