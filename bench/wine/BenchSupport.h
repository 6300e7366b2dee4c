// What the benchmarks of the real windows share: the clock, the process's
// private bytes and their peak, the scratch folder, the test JPEGs, and the
// program's two windows as the main block makes them.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Unit1.h"
#include "fullview/Unit2.h"

namespace bench {

double Now();  // seconds
double Median(std::vector<double> v);
std::uint64_t PrivateBytes();
constexpr double kMiB = 1024.0 * 1024.0;

// The highest private bytes while it lives, read every millisecond by a
// thread of its own (Wine keeps no peak of them).
class PeakPrivateBytes {
 public:
  PeakPrivateBytes();
  PeakPrivateBytes(const PeakPrivateBytes&) = delete;
  PeakPrivateBytes& operator=(const PeakPrivateBytes&) = delete;
  ~PeakPrivateBytes();
  // The peak so far above the bytes at the start.
  double AddedMiB() const;

 private:
  std::uint64_t start_;
  std::atomic<std::uint64_t> peak_;
  std::atomic<bool> done_{false};
  std::thread sampler_;
};

// %TEMP%\lumo-bench, made if need be.
std::wstring BenchDir();

// The benchmarks' photograph-like JPEG (bench/BenchPictures.h) under a wide
// name; false when it cannot be written.
bool WriteJpeg(const std::wstring& name, int width, int height);

// Handles every pending message.
void Pump();

// Main window and full-screen window as the main block makes them; the
// windows go with it.
struct Windows {
  std::unique_ptr<TForm1> form1 = std::make_unique<TForm1>();
  std::unique_ptr<TForm2> form2 = std::make_unique<TForm2>();
  Windows();
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;
  ~Windows();
};

}  // namespace bench
