// Input of the decoders: a seekable stream of bytes, backed by a file (read in
// small buffered pieces, never loaded whole) or by memory (fuzzers, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include "rstrim/core/Result.h"

namespace rstrim {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes; returns how many were read (less at the end or on error).
  virtual size_t Read(void* dst, size_t n) = 0;
  virtual bool Seek(uint64_t pos) = 0;
  virtual uint64_t Tell() const = 0;
  virtual uint64_t Size() const = 0;

  // Reads exactly n bytes or fails.
  bool ReadExact(void* dst, size_t n) { return Read(dst, n) == n; }
  bool Skip(uint64_t n) { return n <= Size() - Tell() && Seek(Tell() + n); }
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  size_t Read(void* dst, size_t n) override;
  bool Seek(uint64_t pos) override;
  uint64_t Tell() const override { return pos_; }
  uint64_t Size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class FileSource final : public ByteSource {
 public:
  // Opens the file for reading; on failure *result tells why and nullptr comes back.
  static std::unique_ptr<FileSource> Open(const char* path, Result* result);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  using FilePtr = std::unique_ptr<std::FILE, Closer>;
  FileSource(FilePtr file, uint64_t size) : file_(std::move(file)), size_(size) {}

  size_t Read(void* dst, size_t n) override;
  bool Seek(uint64_t pos) override;
  uint64_t Tell() const override { return pos_; }
  uint64_t Size() const override { return size_; }

 private:
  FilePtr file_;
  uint64_t size_;
  uint64_t pos_ = 0;
};

// Byte-at-a-time reading for run-length decoders, without a virtual call per byte.
class BufferedReader {
 public:
  explicit BufferedReader(ByteSource& src) : src_(src) {}
  bool Next(uint8_t* b) {
    if (pos_ == len_ && !Refill()) return false;
    *b = buf_[pos_++];
    return true;
  }
  bool Read(uint8_t* dst, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (!Next(dst + i)) return false;
    }
    return true;
  }

 private:
  bool Refill() {
    len_ = src_.Read(buf_, sizeof buf_);
    pos_ = 0;
    return len_ != 0;
  }
  ByteSource& src_;
  uint8_t buf_[4096];
  size_t pos_ = 0, len_ = 0;
};

}  // namespace rstrim
