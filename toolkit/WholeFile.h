// Reading a file whole into memory: the one reader behind the picture and
// message files, the profile files and the uninstall log.
#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace tk {

// Reads the file whole when it holds at most maxBytes; share says what others
// may do with it meanwhile (FILE_SHARE_*). Returns ERROR_SUCCESS, the system's
// code for a file that cannot be opened or read, ERROR_FILE_TOO_LARGE, or
// ERROR_HANDLE_EOF when the file shrank while it was read. bytes is empty
// after a failure.
DWORD TryReadWholeFile(const std::wstring& name, std::size_t maxBytes, DWORD share,
                       std::string& bytes);

// The same, raising EInOutError: "Datei kann nicht geöffnet werden" when the
// file cannot be opened, "Lesefehler" for the other failures.
std::string ReadWholeFile(const std::wstring& name, std::size_t maxBytes, DWORD share);
// The same, but nothing when the file holds more than maxBytes, so that the
// caller can refuse it in its own terms.
std::optional<std::string> ReadWholeFileUpTo(const std::wstring& name, std::size_t maxBytes,
                                             DWORD share);

}  // namespace tk
