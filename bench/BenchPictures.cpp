#include "bench/BenchPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <png.h>

namespace bench {
namespace {

class Scene {
 public:
  Scene(int width, int height) : width_(width), sx_(width), sy_(height), tx_(width), ty_(height) {
    for (int x = 0; x < width; ++x) sx_[x] = std::sin(x * 0.0021), tx_[x] = std::sin(x * 0.047);
    for (int y = 0; y < height; ++y) sy_[y] = std::cos(y * 0.0017), ty_[y] = std::cos(y * 0.061);
  }
  void Row(int y, uint8_t* rgb) {
    for (int x = 0; x < width_; ++x) {
      state_ = state_ * 1664525u + 1013904223u;
      const double noise = static_cast<double>((state_ >> 24) & 15) - 7.5;
      const double broad = 70.0 * sx_[x] * sy_[y];
      const double fine = 22.0 * tx_[x] * ty_[y];
      rgb[3 * x] = Clamp(120 + broad + fine + noise);
      rgb[3 * x + 1] = Clamp(110 + 0.6 * broad - fine + noise);
      rgb[3 * x + 2] = Clamp(140 - broad + 0.5 * fine + noise);
    }
  }

 private:
  static uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
  int width_;
  std::vector<double> sx_, sy_, tx_, ty_;
  uint32_t state_ = 12345;
};

}  // namespace

bool WriteJpeg(const std::string& path, int w, int h) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(w), c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = 3, c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  Scene scene(w, h);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    scene.Row(y, row.data());
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

bool WritePng(const std::string& path, int w, int h) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  Scene scene(w, h);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (int y = 0; y < h; ++y) {
    scene.Row(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool WriteTaggedJpeg(const std::string& src, const std::string& dst,
                     const std::vector<uint8_t>& profile) {
  std::ifstream in(src, std::ios::binary);
  const std::vector<char> jpeg((std::istreambuf_iterator<char>(in)), {});
  if (jpeg.size() < 2) return false;
  constexpr size_t kPiece = 65519;  // a marker's 65533 bytes less the 14 of its header
  const size_t pieces = (profile.size() + kPiece - 1) / kPiece;
  if (pieces == 0 || pieces > 255) return false;
  std::ofstream out(dst, std::ios::binary);
  out.write(jpeg.data(), 2);
  for (size_t i = 0; i < pieces; ++i) {
    const size_t n = std::min(kPiece, profile.size() - i * kPiece);
    const size_t length = n + 16;
    const char head[] = {'\xFF',
                         '\xE2',
                         static_cast<char>(length >> 8),
                         static_cast<char>(length),
                         'I',
                         'C',
                         'C',
                         '_',
                         'P',
                         'R',
                         'O',
                         'F',
                         'I',
                         'L',
                         'E',
                         '\0',
                         static_cast<char>(i + 1),
                         static_cast<char>(pieces)};
    out.write(head, sizeof head);
    out.write(reinterpret_cast<const char*>(profile.data() + i * kPiece),
              static_cast<std::streamsize>(n));
  }
  out.write(jpeg.data() + 2, static_cast<std::streamsize>(jpeg.size() - 2));
  return static_cast<bool>(out);
}

}  // namespace bench
