// Decoding speed and peak memory of the core's path (file source -> bitmap in
// DIB layout) against plain libjpeg-turbo and libpng decoding the same file
// into a BGR buffer, and the JPEG again with an embedded Adobe RGB profile
// (turned into sRGB) and with sRGB's own (left alone) against it untagged. Each run is a fresh
// process so that its peak resident size (VmHWM) is its own. Where libspng is installed it is timed
// too, as the candidate for the PNG path.
//   rstrim_bench [--quick] [--dir DIR]     generate the pictures, run all cases
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>
#ifdef LUMOS_HAVE_SPNG
#include <spng.h>
#endif

#include "bench/BenchPictures.h"
#include "rstrim/core/Rstrim.h"

namespace {

// ------------------------------------------------------------------ profiles

std::vector<uint8_t> Saved(cmsHPROFILE profile) {
  cmsUInt32Number n = 0;
  std::vector<uint8_t> bytes;
  if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &n) && n > 0) {
    bytes.resize(n);
    cmsSaveProfileToMem(profile, bytes.data(), &n);
  }
  if (profile != nullptr) cmsCloseProfile(profile);
  return bytes;
}

// Adobe RGB (1998): D65 white, its primaries, a gamma of 563/256.
std::vector<uint8_t> AdobeRgb() {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  return Saved(profile);
}

// ------------------------------------------------------------------ decoders

struct Buffer {
  struct Free {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t[], Free> bytes;
  size_t stride = 0;
};

// Plain libjpeg-turbo, the way any program would call it.
bool PlainJpeg(const char* path, size_t* bitmapBytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_stdio_src(&c, f);
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  Buffer b;
  b.stride = (static_cast<size_t>(c.output_width) * 3 + 3) & ~size_t{3};
  b.bytes.reset(static_cast<uint8_t*>(std::calloc(b.stride, c.output_height)));
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = b.bytes.get() + b.stride * c.output_scanline;
    jpeg_read_scanlines(&c, &row, 1);
  }
  *bitmapBytes = b.stride * c.output_height;
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  std::fclose(f);
  return true;
}

bool PlainPng(const char* path, size_t* bitmapBytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  png_set_bgr(png);
  png_read_update_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  Buffer b;
  b.stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  b.bytes.reset(static_cast<uint8_t*>(std::calloc(b.stride, h)));
  for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, b.bytes.get() + b.stride * y, nullptr);
  *bitmapBytes = b.stride * h;
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return true;
}

#ifdef LUMOS_HAVE_SPNG
// libspng decoding rows as RGB, turned into BGR as the core's PNG path would need.
bool SpngPng(const char* path, size_t* bitmapBytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  spng_ctx* ctx = spng_ctx_new(0);
  spng_ihdr ihdr{};
  bool ok = ctx != nullptr && spng_set_png_file(ctx, f) == 0 && spng_get_ihdr(ctx, &ihdr) == 0 &&
            spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGB8, SPNG_DECODE_PROGRESSIVE) == 0;
  Buffer b;
  b.stride = (static_cast<size_t>(ihdr.width) * 3 + 3) & ~size_t{3};
  if (ok) b.bytes.reset(static_cast<uint8_t*>(std::calloc(b.stride, ihdr.height)));
  int r = ok ? 0 : SPNG_EOI;
  while (r == 0) {
    spng_row_info row{};
    spng_get_row_info(ctx, &row);
    uint8_t* out = b.bytes.get() + b.stride * row.row_num;
    r = spng_decode_row(ctx, out, static_cast<size_t>(ihdr.width) * 3);
    for (uint32_t x = 0; x < ihdr.width; ++x) std::swap(out[3 * x], out[3 * x + 2]);
  }
  *bitmapBytes = b.stride * ihdr.height;
  spng_ctx_free(ctx);
  std::fclose(f);
  return ok && r == SPNG_EOI;
}
#endif

bool Core(rstrim::Format format, const char* path, size_t* bitmapBytes, int resolution = 24) {
  rstrim::MemoryDib bmp;
  rstrim::DecodeOptions options;
  options.resolution = resolution;
  options.dither = true;
  if (rstrim::DecodeFile(format, path, options, bmp) != rstrim::kOk) return false;
  *bitmapBytes = bmp.Stride() * static_cast<size_t>(bmp.Height());
  return true;
}

long StatusKb(const char* field) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long v = -1;
  const size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, field, n) == 0) v = std::strtol(line + n + 1, nullptr, 10);
  }
  std::fclose(f);
  return v;
}

// Child side: runs one case once, prints "ms peakKb baseKb bitmapBytes".
int RunCase(const std::string& name, const char* path) {
  const long base = StatusKb("VmRSS");
  double best = 1e30;
  size_t bytes = 0;
  for (int i = 0; i < 1; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    bool ok = false;
    if (name == "jpeg-core" || name == "jpeg-adobe" || name == "jpeg-srgb")
      ok = Core(rstrim::Format::kJpeg, path, &bytes);
    if (name == "jpeg-plain") ok = PlainJpeg(path, &bytes);
    if (name == "png-core") ok = Core(rstrim::Format::kPng, path, &bytes);
    if (name == "png-plain") ok = PlainPng(path, &bytes);
    if (name == "jpeg-8bit") ok = Core(rstrim::Format::kJpeg, path, &bytes, 8);
#ifdef LUMOS_HAVE_SPNG
    if (name == "png-spng") ok = SpngPng(path, &bytes);
#endif
    if (!ok) return 1;
    best = std::min(
        best,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::printf("%.2f %ld %ld %zu\n", best, StatusKb("VmHWM"), base, bytes);
  return 0;
}

struct Measure {
  double ms = 0;
  long peakKb = 0, baseKb = 0;
  size_t bitmapBytes = 0;
  bool ok = false;
};

Measure InChild(const std::string& self, const std::string& name, const std::string& path) {
  Measure m;
  int fds[2];
  if (pipe(fds) != 0) return m;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    execl(self.c_str(), self.c_str(), "--case", name.c_str(), path.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[256] = {};
  const ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (n > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
      std::sscanf(buf, "%lf %ld %ld %zu", &m.ms, &m.peakKb, &m.baseKb, &m.bitmapBytes) == 4) {
    m.ok = true;
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--case") == 0) return RunCase(argv[2], argv[3]);
  bool quick = false;
  std::string dir = "/tmp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) dir = argv[++i];
  }
  const int jw = quick ? 3000 : 6000, jh = quick ? 2000 : 4000;
  const int pw = quick ? 2000 : 4000, ph = quick ? 1500 : 3000;
  const std::string jpegFile = dir + "/rstrim_bench.jpg", png = dir + "/rstrim_bench.png";
  const std::string adobeFile = dir + "/rstrim_bench_adobe.jpg";
  const std::string srgbFile = dir + "/rstrim_bench_srgb.jpg";
  std::printf(
      "generating %dx%d JPEG (quality 90; untagged, Adobe RGB, sRGB) and %dx%d PNG in %s ...\n", jw,
      jh, pw, ph, dir.c_str());
  std::fflush(stdout);
  if (!bench::WriteJpeg(jpegFile, jw, jh) || !bench::WritePng(png, pw, ph) ||
      !bench::WriteTaggedJpeg(jpegFile, adobeFile, AdobeRgb()) ||
      !bench::WriteTaggedJpeg(jpegFile, srgbFile, Saved(cmsCreate_sRGBProfile()))) {
    std::fprintf(stderr, "cannot write the pictures\n");
    return 1;
  }
  const std::string self = "/proc/self/exe";
  char exe[4096] = {};
  const ssize_t len = readlink(self.c_str(), exe, sizeof exe - 1);
  if (len <= 0) return 1;

  // jpeg-8bit is for information: 256 colours chosen for the picture and
  // diffused, which needs the whole picture in a buffer beside the bitmap.
  std::vector<std::string> names = {"jpeg-plain", "jpeg-core",  "png-plain", "png-core",
                                    "jpeg-8bit",  "jpeg-adobe", "jpeg-srgb"};
  const auto fileOf = [&](const std::string& name) {
    if (name == "jpeg-adobe") return adobeFile;
    if (name == "jpeg-srgb") return srgbFile;
    return name.compare(0, 4, "jpeg") == 0 ? jpegFile : png;
  };
#ifdef LUMOS_HAVE_SPNG
  names.push_back("png-spng");
#endif
  std::vector<Measure> m(names.size());
  std::printf("%-11s %9s %10s %10s %11s\n", "case", "best ms", "peak MiB", "bitmap MiB",
              "overhead %");
  // Each case runs once a round, the decoders of one format right after each
  // other, over seven rounds: a busy moment of the machine falls on every side
  // alike, and each keeps its best time.
  constexpr int kRounds = 7;
  for (int round = 0; round < kRounds; ++round) {
    for (size_t i = 0; i < names.size(); ++i) {
      const Measure r = InChild(exe, names[i], fileOf(names[i]));
      if (!r.ok) {
        std::printf("%-11s failed\n", names[i].c_str());
        return 1;
      }
      if (round == 0 || r.ms < m[i].ms) m[i] = r;
    }
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const double bitmapKb = m[i].bitmapBytes / 1024.0;
    std::printf("%-11s %9.1f %10.1f %10.1f %11.1f\n", names[i].c_str(), m[i].ms,
                (m[i].peakKb - m[i].baseKb) / 1024.0, bitmapKb / 1024.0,
                100.0 * ((m[i].peakKb - m[i].baseKb) / bitmapKb - 1.0));
  }
  const double jpegRatio = m[1].ms / m[0].ms, pngRatio = m[3].ms / m[2].ms;
  const double jpegMem = 100.0 * ((m[1].peakKb - m[1].baseKb) / (m[1].bitmapBytes / 1024.0) - 1.0);
  const double pngMem = 100.0 * ((m[3].peakKb - m[3].baseKb) / (m[3].bitmapBytes / 1024.0) - 1.0);
  std::printf("JPEG core/plain time: %.3f (target <= 1.10)\n", jpegRatio);
  std::printf("PNG  core/plain time: %.3f (target <= 1.15)\n", pngRatio);
  std::printf(
      "JPEG core peak memory: bitmap %+.1f %% (target <= +10 %%), process baseline %ld KiB\n",
      jpegMem, m[1].baseKb);
  std::printf("PNG  core peak memory: bitmap %+.1f %% (target <= +10 %%)\n", pngMem);
  std::printf("JPEG Adobe RGB/untagged time: %.3f (target <= 1.50)\n", m[5].ms / m[1].ms);
  std::printf("JPEG sRGB-tagged/untagged time: %.3f (target <= 1.02)\n", m[6].ms / m[1].ms);
#ifdef LUMOS_HAVE_SPNG
  std::printf("PNG  spng/plain time: %.3f (libspng; worth taking at <= 0.85)\n", m[7].ms / m[2].ms);
#endif
  for (const std::string& file : {jpegFile, png, adobeFile, srgbFile}) std::remove(file.c_str());
  return 0;
}
