#include "rstrim/core/ByteSource.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace rstrim {

size_t MemorySource::Read(void* dst, size_t n) {
  const size_t left = size_ - pos_;
  if (n > left) n = left;
  if (n != 0) std::memcpy(dst, data_ + pos_, n);
  pos_ += n;
  return n;
}

bool MemorySource::Seek(uint64_t pos) {
  if (pos > size_) return false;
  pos_ = static_cast<size_t>(pos);
  return true;
}

namespace {

int SeekFile(std::FILE* f, uint64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, static_cast<__int64>(pos), SEEK_SET);
#else
  return fseeko(f, static_cast<off_t>(pos), SEEK_SET);
#endif
}

}  // namespace

std::unique_ptr<FileSource> FileSource::Open(const char* path, Result* result) {
  if (path == nullptr || path[0] == '\0') {
    *result = kFileNotFound;
    return nullptr;
  }
  if (std::strlen(path) > kMaxFileName) {
    *result = kNameTooLong;
    return nullptr;
  }
#ifdef _WIN32
  struct _stati64 st {};
  if (_stati64(path, &st) != 0) {
#else
  struct stat st {};
  if (stat(path, &st) != 0) {
#endif
    *result = (errno == ENOENT || errno == ENOTDIR) ? kFileNotFound : kReadError;
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    *result = kReadError;
    return nullptr;
  }
  FilePtr f(std::fopen(path, "rb"));
  if (!f) {
    *result = kReadError;
    return nullptr;
  }
  *result = kOk;
  return std::make_unique<FileSource>(std::move(f), static_cast<uint64_t>(st.st_size));
}

size_t FileSource::Read(void* dst, size_t n) {
  if (pos_ >= size_) return 0;
  const size_t got = std::fread(dst, 1, n, file_.get());
  pos_ += got;
  return got;
}

bool FileSource::Seek(uint64_t pos) {
  if (pos > size_) return false;
  if (pos == pos_) return true;
  if (SeekFile(file_.get(), pos) != 0) return false;
  pos_ = pos;
  return true;
}

}  // namespace rstrim
