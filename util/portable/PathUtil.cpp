#include "util/portable/PathUtil.h"

#include "toolkit/portable/FileName.h"

namespace util {

const wchar_t* const PictureExtensions[7] = {L".JPG", L".BMP", L".GIF", L".WMF",
                                             L".ICO", L".PCX", L".TIF"};

bool IsPictureFile(const std::wstring& name) {
  const std::wstring key = tk::ExtensionKey(name);
  for (const wchar_t* ext : PictureExtensions)
    if (key == ext) return true;
  return false;
}

bool StartsWithDrive(const std::wstring& path) {
  return path.size() >= 2 &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':';
}

std::wstring ProgramDirOf(const std::wstring& programPath) {
  std::wstring dir = tk::DirectoryPart(programPath);
  if (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
  return dir;
}

std::wstring ShortenPath(const std::wstring& path, size_t limit) {
  if (path.size() <= limit) return path;
  std::wstring s = path;
  const size_t target = limit >= 4 ? limit - 4 : 0;
  bool removed = true;
  while (s.size() > target && removed) {
    removed = false;
    const auto first = s.find(L'\\');
    if (first == std::wstring::npos) break;
    const auto second = s.find(L'\\', first + 1);
    if (second == std::wstring::npos) break;
    s.erase(first + 1, second - first);
    removed = true;
  }
  const auto first = s.find(L'\\');
  if (first != std::wstring::npos) s = s.substr(0, first + 1) + L"..." + s.substr(first);
  return s.size() < path.size() ? s : path;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> params;
  size_t i = 0;
  const size_t n = commandLine.size();
  while (true) {
    while (i < n && commandLine[i] <= L' ') ++i;
    if (i >= n) break;
    std::wstring p;
    while (i < n && commandLine[i] > L' ') {
      if (commandLine[i] == L'"') {
        ++i;
        while (i < n && commandLine[i] != L'"') p += commandLine[i++];
        if (i < n) ++i;
      } else {
        p += commandLine[i++];
      }
    }
    params.push_back(p);
  }
  return params;
}

namespace {

unsigned SearchCode(const std::wstring& s, size_t pos) {
  if (pos >= s.size()) return 0;
  wchar_t c = s[pos];
  if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return static_cast<unsigned>(c);
}

}  // namespace

size_t TypeAheadSearch(const std::vector<std::wstring>& items, const std::wstring& text) {
  const size_t count = items.size();
  if (text.empty() || count == 0) return 0;
  size_t start = 0;
  size_t last = count - 1;
  for (size_t p = 0; p < text.size(); ++p) {
    const unsigned c = SearchCode(text, p);
    bool taken = false;
    bool takenEqual = false;
    size_t equalCount = 0;
    for (size_t i = start; i <= last && i < count; ++i) {
      const unsigned d = SearchCode(items[i], p);
      if (d > c && !taken) {
        start = i;
        taken = true;
      }
      if (d == c) {
        if (!takenEqual) {
          start = i;
          takenEqual = true;
          taken = true;
        }
        ++equalCount;
      }
    }
    if (!taken) start = last + 1;
    if (equalCount == 0) break;
    last = start + (equalCount - 1);
  }
  return start;
}

}  // namespace util
