#include "toolkit/WholeFile.h"

#include <algorithm>
#include <utility>

#include "toolkit/portable/Errors.h"
#include "base/Handles.h"

namespace tk {
namespace {

// ReadFile takes a DWORD; the file is read in pieces of at most this size.
constexpr std::size_t kPiece = std::size_t{1} << 20;

base::File Open(const std::wstring& name, DWORD share) {
  return base::File(CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD ReadAll(HANDLE file, std::size_t maxBytes, std::string& bytes) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return GetLastError();
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return ERROR_FILE_TOO_LARGE;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  for (std::size_t done = 0; done < bytes.size();) {
    const auto want = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) return GetLastError();
    if (got == 0) return ERROR_HANDLE_EOF;
    done += got;
  }
  return ERROR_SUCCESS;
}

}  // namespace

DWORD TryReadWholeFile(const std::wstring& name, std::size_t maxBytes, DWORD share,
                       std::string& bytes) {
  bytes.clear();
  const base::File f = Open(name, share);
  if (!f) return GetLastError();
  const DWORD error = ReadAll(f.get(), maxBytes, bytes);
  if (error != ERROR_SUCCESS) bytes.clear();
  return error;
}

std::optional<std::string> ReadWholeFileUpTo(const std::wstring& name, std::size_t maxBytes,
                                             DWORD share) {
  std::string bytes;
  const base::File f = Open(name, share);
  if (!f) throw EInOutError("Datei kann nicht geöffnet werden");
  const DWORD error = ReadAll(f.get(), maxBytes, bytes);
  if (error == ERROR_FILE_TOO_LARGE) return std::nullopt;
  if (error != ERROR_SUCCESS) throw EInOutError("Lesefehler");
  return bytes;
}

std::string ReadWholeFile(const std::wstring& name, std::size_t maxBytes, DWORD share) {
  std::optional<std::string> bytes = ReadWholeFileUpTo(name, maxBytes, share);
  if (!bytes) throw EInOutError("Lesefehler");
  return std::move(*bytes);
}

}  // namespace tk
