#include "toolkit/DirEntries.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "base/Handles.h"
#include "toolkit/portable/FileName.h"

namespace tk {
namespace {

bool IsProgramName(const std::wstring& name) {
  const std::wstring ext = FileExtension(name);
  for (const wchar_t* program : {L".EXE", L".COM", L".BAT", L".PIF"})
    if (_wcsicmp(ext.c_str(), program) == 0) return true;
  return false;
}

// The key under which a sorted list box would order the text: comparing keys
// bytewise gives the case-blind comparison's order, at one call per entry
// instead of one per comparison.
std::string SortKey(const std::wstring& text) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int size = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return {};
  std::string key(static_cast<size_t>(size), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1, reinterpret_cast<LPWSTR>(key.data()),
               size);
  return key;
}

struct Found {
  std::wstring text;
  Glyph glyph;
  std::string key;
};

std::vector<Found> FindEntries(const std::wstring& mask) {
  std::vector<Found> found;
  WIN32_FIND_DATAW fd;
  // No short names: nobody shows them, and making them costs time.
  base::FindHandle find(FindFirstFileExW(mask.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return found;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) continue;
    Found f;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      f.text = L"[" + std::wstring(fd.cFileName) + L"]";
      f.glyph = Glyph::Folder;
    } else {
      f.text = fd.cFileName;
      f.glyph = IsProgramName(f.text) ? Glyph::Program : Glyph::Document;
    }
    f.key = SortKey(f.text);
    found.push_back(std::move(f));
  } while (FindNextFileW(find.get(), &fd));
  return found;
}

}  // namespace

void DirEntries::Truncate(size_t count) {
  if (count >= texts.size()) return;
  texts.resize(count);
  glyphs.resize(count);
}

DirEntries ReadDirEntries(const std::wstring& mask) {
  std::vector<Found> found = FindEntries(mask);
  std::stable_sort(found.begin(), found.end(),
                   [](const Found& a, const Found& b) { return a.key < b.key; });
  DirEntries entries;
  entries.texts.reserve(found.size());
  entries.glyphs.reserve(found.size());
  for (auto& f : found) {
    entries.texts.push_back(std::move(f.text));
    entries.glyphs.push_back(f.glyph);
  }
  return entries;
}

}  // namespace tk
