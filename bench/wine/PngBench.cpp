// PNG with the product's libpng (Intel SSE filters; SSE2 code in the 32-bit
// build) against the reference libpng built with its own default flags: a
// 12-megapixel RGB PNG (4000 x 3000) through the decoding core and through
// both libpngs plainly, best of seven alternating rounds; then both libpngs'
// pixels compared on every PNG of the given folders (the test pictures, and
// PngSuite where given). Prints figures; asserts nothing.
//   bench_png [--quick] [FOLDER...]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "bench/wine/PlainPng.h"
#include "rstrim/core/Rstrim.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

bool ThroughCore(const char* path) {
  rstrim::MemoryDib bitmap;
  return rstrim::DecodeFile(rstrim::Format::kPng, path, rstrim::DecodeOptions{}, bitmap) ==
         rstrim::kOk;
}

bool Plain(bool reference, const char* path) {
  plain_png::Image image;
  return reference ? plain_png::DecodeReference(path, &image)
                   : plain_png::DecodeProduct(path, &image);
}

// The PNG files of a folder.
std::vector<std::string> PngFiles(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*.png").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(folder + "\\" + found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(files.begin(), files.end());
  return files;
}

// Both libpngs on every file: the same result, the same pixels.
void CompareFolder(const std::string& folder) {
  int same = 0, differ = 0, refused = 0;
  for (const std::string& file : PngFiles(folder)) {
    plain_png::Image product, reference;
    const bool a = plain_png::DecodeProduct(file.c_str(), &product);
    const bool b = plain_png::DecodeReference(file.c_str(), &reference);
    if (a != b || product.width != reference.width || product.rows != reference.rows) {
      std::printf("  differs: %s\n", file.c_str());
      ++differ;
    } else {
      ++(a ? same : refused);
    }
  }
  std::printf(
      "pixels, product libpng against the reference, %s: %d identical, %d refused by both, "
      "%d different\n",
      folder.c_str(), same, refused, differ);
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else {
      folders.push_back(argv[i]);
    }
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "lumo_bench_png.png";
  const int w = quick ? 2000 : 4000, h = quick ? 1500 : 3000;
  std::printf("PNG %dx%d RGB, %s build\n", w, h, sizeof(void*) == 4 ? "32-bit" : "x86-64");
  if (!bench::WritePng(path, w, h)) {
    std::printf("cannot write %s\n", path.c_str());
    return 1;
  }
  const char* names[] = {"png-reference", "png-product", "png-core"};
  double best[3] = {1e30, 1e30, 1e30};
  for (int round = 0; round < 7; ++round) {
    for (int i = 0; i < 3; ++i) {
      const double t0 = Now();
      const bool ok = i == 2 ? ThroughCore(path.c_str()) : Plain(i == 0, path.c_str());
      if (!ok) {
        std::printf("%s failed\n", names[i]);
        return 1;
      }
      best[i] = std::min(best[i], Now() - t0);
    }
  }
  DeleteFileA(path.c_str());
  for (int i = 0; i < 3; ++i) std::printf("%-14s %8.1f ms\n", names[i], best[i]);
  std::printf("PNG core/reference libpng time: %.3f (target <= 0.87)\n", best[2] / best[0]);
  std::printf("PNG product/reference libpng time: %.3f (plain decoding)\n", best[1] / best[0]);
  for (const std::string& folder : folders) CompareFolder(folder);
  return 0;
}
