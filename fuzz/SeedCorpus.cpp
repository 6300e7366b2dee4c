// Writes the seed corpus of every fuzz target: small pictures of each variant
// the decoders know, made with the same writers as the unit tests, the
// readers' sound and hostile icons, metafiles and bitmap resources, and two
// message files.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/ReaderSamples.h"
#include "tests/native/codecs/Fixtures.h"

namespace {

using fixtures::Bytes;
using fixtures::Picture;

struct Seed {
  std::string target, name;
  Bytes data;
};

std::vector<Seed> Seeds() {
  const Picture p = fixtures::Photo(24, 16);
  const auto idx16 = fixtures::Indices(24, 16, 16);
  const auto idx256 = fixtures::Indices(24, 16, 256);
  const auto idx2 = fixtures::Indices(24, 16, 2);
  const auto pal16 = fixtures::TestPalette(16);
  const auto pal256 = fixtures::TestPalette(256);
  std::vector<Seed> s;

  fixtures::JpegSpec js;
  s.push_back({"jpeg", "baseline", fixtures::EncodeJpeg(p, js)});
  js.progressive = true;
  s.push_back({"jpeg", "progressive", fixtures::EncodeJpeg(p, js)});
  js.progressive = false;
  js.colour = fixtures::JpegColour::kGrey;
  s.push_back({"jpeg", "grey", fixtures::EncodeJpeg(p, js)});
  js.colour = fixtures::JpegColour::kAdobeCmyk;
  js.orientation = 6;
  s.push_back({"jpeg", "cmyk-exif", fixtures::EncodeJpeg(p, js)});
  js.colour = fixtures::JpegColour::kAdobeYcck;
  s.push_back({"jpeg", "ycck", fixtures::EncodeJpeg(p, js)});

  s.push_back({"png", "rgb", fixtures::EncodePngRgb(p)});
  s.push_back({"png", "rgb-interlaced", fixtures::EncodePngRgb(p, true)});
  fixtures::PngSpec pal;
  pal.colourType = 3, pal.bitDepth = 4, pal.palette = pal16, pal.trnsAlpha = {0, 128};
  pal.bkgd = true, pal.bkgdIndex = 2;
  s.push_back(
      {"png", "palette",
       fixtures::EncodePng(24, 16, pal, std::vector<uint16_t>(idx16.begin(), idx16.end()))});
  fixtures::PngSpec ga;
  ga.colourType = 4, ga.bitDepth = 16, ga.interlaced = true;
  std::vector<uint16_t> gas;
  for (int i = 0; i < 24 * 16; ++i)
    gas.push_back(static_cast<uint16_t>(i * 97)), gas.push_back(static_cast<uint16_t>(i * 131));
  s.push_back({"png", "grey-alpha16", fixtures::EncodePng(24, 16, ga, gas)});
  fixtures::PngSpec g1;
  g1.colourType = 0, g1.bitDepth = 1;
  s.push_back({"png", "grey1",
               fixtures::EncodePng(24, 16, g1, std::vector<uint16_t>(idx2.begin(), idx2.end()))});

  fixtures::GifSpec gif;
  gif.screenWidth = 30, gif.screenHeight = 20, gif.left = 3, gif.top = 2, gif.width = 24,
  gif.height = 16;
  gif.globalMap = pal256, gif.transparent = 4, gif.background = 7;
  s.push_back({"gif", "placed", fixtures::EncodeGif(gif, idx256)});
  gif.interlaced = true, gif.localMap = pal16, gif.extraFrames = 2;
  s.push_back({"gif", "interlaced-local", fixtures::EncodeGif(gif, idx16)});

  Bytes rgb;
  for (const auto& c : p.pixels) rgb.push_back(c.r), rgb.push_back(c.g), rgb.push_back(c.b);
  fixtures::TiffSpec t;
  t.width = 24, t.height = 16;
  for (int c : {1, 5, 8, 32773}) {  // none, LZW, Deflate, PackBits
    t.compression = c;
    s.push_back({"tiff", "rgb-" + std::to_string(c), fixtures::EncodeTiff(t, rgb)});
  }
  t.compression = 7;  // JPEG
  t.rowsPerStrip = 16;
  s.push_back({"tiff", "jpeg", fixtures::EncodeTiff(t, rgb)});
  t.compression = 5, t.tiled = true, t.orientation = 6;
  s.push_back({"tiff", "tiled", fixtures::EncodeTiff(t, rgb)});
  fixtures::TiffSpec fax;
  fax.width = 24, fax.height = 16, fax.photometric = 0, fax.bitsPerSample = 1,
  fax.samplesPerPixel = 1;
  Bytes bits(3 * 16);
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 29);
  for (int c : {3, 4}) {
    fax.compression = c;
    s.push_back({"tiff", "fax-" + std::to_string(c), fixtures::EncodeTiff(fax, bits)});
  }
  fixtures::TiffSpec palTiff;
  palTiff.width = 24, palTiff.height = 16, palTiff.photometric = 3, palTiff.bitsPerSample = 4;
  palTiff.samplesPerPixel = 1, palTiff.compression = 5;
  for (int i = 0; i < 48; ++i) palTiff.colourMap.push_back(static_cast<uint16_t>(i * 1300));
  Bytes packed;
  for (size_t i = 0; i < idx16.size(); i += 2)
    packed.push_back(static_cast<uint8_t>(idx16[i] << 4 | idx16[i + 1]));
  s.push_back({"tiff", "palette", fixtures::EncodeTiff(palTiff, packed)});
  // Depths, sample formats and colour spaces of the sample reader: the rows are
  // arbitrary bytes of the right length.
  struct SampleCase {
    const char* name;
    int photometric, bps, spp, format, compression;
  };
  for (const SampleCase& c :
       {SampleCase{"rgb12", 2, 12, 3, 1, 5}, SampleCase{"grey-float", 1, 32, 1, 3, 8},
        SampleCase{"lab8", 8, 8, 3, 1, 1}, SampleCase{"lab16", 8, 16, 3, 1, 5},
        SampleCase{"cmyk-int16", 5, 16, 4, 2, 1}, SampleCase{"grey-half", 0, 16, 1, 3, 1}}) {
    fixtures::TiffSpec d;
    d.width = 24, d.height = 16, d.photometric = c.photometric, d.bitsPerSample = c.bps;
    d.samplesPerPixel = c.spp, d.sampleFormat = c.format, d.compression = c.compression;
    Bytes rows((24 * c.spp * c.bps + 7) / 8 * 16);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 41 + 7);
    s.push_back({"tiff", c.name, fixtures::EncodeTiff(d, rows)});
  }

  for (int hs : {12, 40, 108}) {
    for (int bpp : {1, 4, 8}) {
      fixtures::BmpSpec b;
      b.headerSize = hs, b.bpp = bpp, b.rle = hs == 40 && bpp >= 4;
      s.push_back({"bmp", "h" + std::to_string(hs) + "-" + std::to_string(bpp),
                   fixtures::EncodeBmp(24, 16, b, fixtures::Indices(24, 16, 1 << bpp),
                                       fixtures::TestPalette(1 << bpp))});
    }
  }
  for (int bpp : {16, 24, 32}) {
    fixtures::BmpSpec b;
    b.headerSize = 56, b.bpp = bpp, b.bitfields = bpp != 24;
    b.masks[0] = bpp == 16 ? 0xF800 : 0xFF0000, b.masks[1] = bpp == 16 ? 0x7E0 : 0xFF00,
    b.masks[2] = bpp == 16 ? 0x1F : 0xFF;
    s.push_back({"bmp", "true-" + std::to_string(bpp), fixtures::EncodeBmp(24, 16, b, {}, {}, &p)});
  }

  struct PcxCase {
    int bpp, planes;
  };
  for (PcxCase c : {PcxCase{1, 1}, PcxCase{2, 1}, PcxCase{4, 1}, PcxCase{1, 4}, PcxCase{8, 1}}) {
    fixtures::PcxSpec layout;
    layout.bitsPerPixel = c.bpp, layout.planes = c.planes;
    const int colours = 1 << (c.bpp * c.planes);
    s.push_back({"pcx", "p" + std::to_string(c.bpp) + "x" + std::to_string(c.planes),
                 fixtures::EncodePcx(24, 16, layout, fixtures::Indices(24, 16, colours),
                                     fixtures::TestPalette(colours))});
  }
  fixtures::PcxSpec rgbPcx;
  rgbPcx.planes = 3, rgbPcx.extraLineBytes = 1;
  s.push_back({"pcx", "rgb", fixtures::EncodePcx(24, 16, rgbPcx, {}, {}, &p)});

  const auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
  s.push_back({"msgfile", "ticker",
               text("/fc|$FF/fh|-20/fn|Arial/fs|12/ft|0110/bc|128/sp|3/sm|Hello/eo|")});
  s.push_back({"msgfile", "scroller",
               text("x\r\n255\r\n-13\r\nArial\r\n10\r\n1000\r\n$80\r\n1\r\nLine\r\n\r\nB")});
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  mkdir(root.c_str(), 0755);
  int written = 0;
  for (const Seed& seed : Seeds()) {
    for (const std::string& target : {seed.target, std::string("info")}) {
      if (seed.target == "msgfile" && target == "info") continue;  // not a picture
      const std::string dir = root + "/" + target;
      mkdir(dir.c_str(), 0755);
      if (!fixtures::WriteFile(dir + "/seed-" + seed.target + "-" + seed.name, seed.data)) return 1;
      ++written;
    }
  }
  for (const auto& table : {reader_samples::SoundSamples(), reader_samples::HostileSamples()}) {
    for (const reader_samples::Sample& sample : table) {
      const std::string dir = root + "/" + sample.target;
      mkdir(dir.c_str(), 0755);
      if (!fixtures::WriteFile(dir + "/seed-" + sample.name, sample.data)) return 1;
      ++written;
    }
  }
  std::printf("%d seed files in %s\n", written, root.c_str());
  return 0;
}
