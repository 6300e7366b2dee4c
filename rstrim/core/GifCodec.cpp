// GIF through giflib: the first image, placed on the logical screen.
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "rstrim/core/Codecs.h"

namespace rstrim {

namespace {

constexpr int kMaxCountedImages = 32767;

// giflib reads through this; the last byte it took is the LZW code size once
// an image descriptor has been read, which giflib keeps to itself.
struct GifInput {
  ByteSource* src = nullptr;
  int lastByte = -1;
};

int ReadFn(GifFileType* gif, GifByteType* buf, int len) {
  if (len <= 0) return 0;
  auto* in = static_cast<GifInput*>(gif->UserData);
  const int got = static_cast<int>(in->src->Read(buf, static_cast<size_t>(len)));
  if (got > 0) in->lastByte = buf[got - 1];
  return got;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

Result Open(GifInput& in, GifPtr* gif) {
  int error = 0;
  gif->reset(DGifOpen(&in, ReadFn, &error));
  if (*gif) return kOk;
  return error == D_GIF_ERR_NOT_ENOUGH_MEM ? kOutOfMemory : kDamaged;
}

Result Failure(const GifFileType* gif) {
  return gif->Error == D_GIF_ERR_NOT_ENOUGH_MEM ? kOutOfMemory : kDamaged;
}

// Reads records up to the first image descriptor, noting the transparent index
// of a graphic control extension on the way. -1 = no transparency.
Result FindFirstImage(GifFileType* gif, int* transparent) {
  *transparent = -1;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return Failure(gif);
    if (type == IMAGE_DESC_RECORD_TYPE) {
      return DGifGetImageDesc(gif) == GIF_ERROR ? Failure(gif) : kOk;
    }
    if (type == TERMINATE_RECORD_TYPE) return kDamaged;
    if (type != EXTENSION_RECORD_TYPE) return kDamaged;
    int code = 0;
    GifByteType* ext = nullptr;
    if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return Failure(gif);
    if (code == GRAPHICS_EXT_FUNC_CODE && ext != nullptr && ext[0] >= 4) {
      *transparent = (ext[1] & 1) ? ext[4] : -1;
    }
    while (ext != nullptr) {
      if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return Failure(gif);
    }
  }
}

// The first image of a file, its colours and its transparent index (-1: none).
struct FirstImage {
  GifInput input;
  GifPtr gif;
  int transparent = -1;
  std::vector<Rgb> colours;
  int bits = 8;  // of the colour table

  FirstImage() = default;
  FirstImage(const FirstImage&) = delete;
  FirstImage& operator=(const FirstImage&) = delete;
};

// Without any colour table the pixels index a grey ramp as long as the code
// size allows, as other decoders show them.
void ChooseColours(FirstImage& f) {
  const GifImageDesc& desc = f.gif->Image;
  const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : f.gif->SColorMap;
  if (map != nullptr) {
    for (int i = 0; i < map->ColorCount && i < 256; ++i)
      f.colours.push_back(Rgb{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    f.bits = map->BitsPerPixel;
    return;
  }
  const int codeSize = f.input.lastByte;  // giflib has refused more than 8
  if (codeSize < 1 || codeSize > 8) return;
  const int n = 1 << codeSize;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<uint8_t>((i * 255 + (n - 1) / 2) / (n - 1));
    f.colours.push_back(Rgb{v, v, v});
  }
  f.bits = codeSize;
}

// Opens the file and reads up to the first image's descriptor.
Result OpenFirstImage(ByteSource& src, FirstImage& f) {
  f.input.src = &src;
  Result r = Open(f.input, &f.gif);
  if (r == kOk) r = FindFirstImage(f.gif.get(), &f.transparent);
  if (r == kOk) ChooseColours(f);
  return r;
}

// Rows of an interlaced image come in four passes.
int InterlacedRow(int line, int height) {
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const int rows =
        kStart[pass] >= height ? 0 : (height - kStart[pass] + kStep[pass] - 1) / kStep[pass];
    if (line < rows) return kStart[pass] + line * kStep[pass];
    line -= rows;
  }
  return 0;
}

struct Canvas {
  int width, height;
  int left, top;  // of the first image
  std::vector<Rgb> palette;
  int background;  // palette index of the screen colour; -1 when it has none
  Rgb backgroundColour;
};

void FillRow(uint8_t* row, const Canvas& c, bool indexed) {
  for (int x = 0; x < c.width; ++x) {
    if (indexed) {
      row[x] = static_cast<uint8_t>(c.background);
    } else {
      row[3 * x] = c.backgroundColour.b, row[3 * x + 1] = c.backgroundColour.g;
      row[3 * x + 2] = c.backgroundColour.r;
    }
  }
}

}  // namespace

Result DecodeGif(ByteSource& src, PixelSink& sink, const DecodeOptions&) {
  FirstImage first;
  Result r = OpenFirstImage(src, first);
  if (r != kOk) return r;
  GifPtr& gif = first.gif;
  const int transparent = first.transparent;
  const int colourCount = static_cast<int>(first.colours.size());

  const GifImageDesc& desc = gif->Image;
  if (colourCount == 0) return kDamaged;
  if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) return kDamaged;

  Canvas c;
  c.width = gif->SWidth, c.height = gif->SHeight;
  c.left = desc.Left, c.top = desc.Top;
  if (c.width <= 0 || c.height <= 0) {
    // No usable screen: the image alone makes the picture.
    c.width = desc.Left + desc.Width, c.height = desc.Top + desc.Height;
  }
  c.backgroundColour = Rgb{255, 255, 255};
  if (gif->SColorMap != nullptr && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
    const GifColorType& b = gif->SColorMap->Colors[gif->SBackGroundColor];
    c.backgroundColour = Rgb{b.Red, b.Green, b.Blue};
  }
  c.palette = first.colours;
  if (transparent >= 0 && transparent < colourCount) c.palette[transparent] = c.backgroundColour;
  c.background = -1;
  if (transparent >= 0 && transparent < colourCount) c.background = transparent;
  for (size_t i = 0; i < c.palette.size() && c.background < 0; ++i) {
    if (c.palette[i] == c.backgroundColour) c.background = static_cast<int>(i);
  }
  if (c.background < 0 && c.palette.size() < 256) {
    c.background = static_cast<int>(c.palette.size());
    c.palette.push_back(c.backgroundColour);
  }
  // A full table without the screen colour: give the picture as BGR instead.
  const bool indexed = c.background >= 0;

  ImageLayout layout;
  layout.width = c.width;
  layout.height = c.height;
  layout.format = indexed ? PixelFormat::kIndexed : PixelFormat::kBgr24;
  if (indexed) layout.palette = c.palette;
  r = sink.Begin(layout);
  if (r != kOk) return r;

  const int imageBottom = c.top + desc.Height;  // no overflow: both below 65536
  for (int y = 0; y < c.height; ++y) {
    if (y < c.top || y >= imageBottom) {
      FillRow(sink.Row(y), c, indexed);
      sink.RowDone(y);
    }
  }
  std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
  const int visible = c.left >= c.width ? 0 : std::min(desc.Width, c.width - c.left);
  for (int i = 0; i < desc.Height; ++i) {
    if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR) return Failure(gif.get());
    const int y = c.top + (desc.Interlace ? InterlacedRow(i, desc.Height) : i);
    if (y >= c.height) continue;
    uint8_t* row = sink.Row(y);
    FillRow(row, c, indexed);
    for (int x = 0; x < visible; ++x) {
      const int index = line[x] < c.palette.size() ? line[x] : 0;
      if (indexed) {
        row[c.left + x] = static_cast<uint8_t>(index);
      } else {
        const Rgb colour = c.palette[index];
        uint8_t* p = row + 3 * static_cast<size_t>(c.left + x);
        p[0] = colour.b, p[1] = colour.g, p[2] = colour.r;
      }
    }
    sink.RowDone(y);
  }
  return sink.Finish();
}

Result QueryGif(ByteSource& src, ImageInfo* info) {
  // giflib's own version query always answers 87a, so read the stamp here.
  char stamp[6] = {};
  src.Seek(0);
  if (!src.ReadExact(stamp, sizeof stamp)) return kDamaged;
  src.Seek(0);
  FirstImage first;
  Result r = OpenFirstImage(src, first);
  if (r != kOk) return r;
  GifPtr& gif = first.gif;
  const GifImageDesc& desc = gif->Image;
  const int bits = first.bits;
  info->type = "GIF";
  info->width = gif->SWidth > 0 && gif->SHeight > 0 ? gif->SWidth : desc.Left + desc.Width;
  info->height = gif->SWidth > 0 && gif->SHeight > 0 ? gif->SHeight : desc.Top + desc.Height;
  // Depths the viewer shows: 1, 2, 4 or 8 bits.
  info->depthA = bits <= 1 ? 1 : bits <= 2 ? 2 : bits <= 4 ? 4 : 8;
  info->depthB = 1;
  info->detail.assign(stamp + 3, 3);  // "87a" or "89a"
  if (desc.Interlace) info->detail += " Interlaced";

  // Count the images by skipping their compressed data; nothing is decoded.
  int count = 1;
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif.get(), &code, &block) == GIF_ERROR) block = nullptr;
  bool ok = true;
  while (block != nullptr && ok) ok = DGifGetCodeNext(gif.get(), &block) != GIF_ERROR;
  while (ok && count < kMaxCountedImages) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR || type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) break;
      while (ext != nullptr && ok) ok = DGifGetExtensionNext(gif.get(), &ext) != GIF_ERROR;
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
      ++count;
      if (DGifGetCode(gif.get(), &code, &block) == GIF_ERROR) break;
      while (block != nullptr && ok) ok = DGifGetCodeNext(gif.get(), &block) != GIF_ERROR;
    } else {
      break;
    }
  }
  info->count = count;
  return kOk;
}

}  // namespace rstrim
