#include "util/portable/UninstallLog.h"

#include <cwchar>

#include "util/portable/PathUtil.h"
#include "toolkit/portable/FileName.h"

namespace util {
namespace {

const wchar_t kMadeDir[] = L"Made Dir: ";
const wchar_t kFileCopy[] = L"File Copy: ";
const wchar_t kTitleLine[] = L"Title: ";
const wchar_t kTitle[] = L"Title: Lumoscope 1.1 -32 Installation";
// Lines the uninstaller reads past: the header and the source.
const wchar_t* const kInformationLines[] = {L"*** ", L"Source: "};
const wchar_t* const kProgramFiles[] = {L"LUMOS32.EXE", L"LUMOS32.HLP", L"LUMOS32.CNT",
                                        L"LUMOS32.GID", L"RSTRIM32.DLL"};

bool StartsWith(const std::wstring& s, const wchar_t* prefix) {
  return s.compare(0, std::wcslen(prefix), prefix) == 0;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Length of "C:\" or "\\server\share\" at the start of a cleaned path; 0 when
// the path is not a full one.
size_t RootLength(const std::wstring& p) {
  if (StartsWithDrive(p) && p.size() >= 3 && p[2] == L'\\') return 3;
  if (p.size() < 5 || p[0] != L'\\' || p[1] != L'\\') return 0;
  const size_t server = p.find(L'\\', 2);
  if (server == std::wstring::npos || server == 2 || server + 1 == p.size()) return 0;
  const size_t share = p.find(L'\\', server + 1);
  return share == std::wstring::npos ? p.size() : share + 1;
}

// True when a component after the root is one the file system would read
// differently: only dots (".." climbs out), a colon (a stream), wildcards.
bool HasOddComponent(const std::wstring& rest) {
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring::npos) end = rest.size();
    const std::wstring c = rest.substr(start, end - start);
    if (!c.empty() && c.find_first_not_of(L'.') == std::wstring::npos) return true;
    for (wchar_t ch : c)
      if (ch < L' ' || std::wcschr(L":*?\"<>|", ch)) return true;
    start = end + 1;
  }
  return false;
}

bool SameAscii(const std::wstring& a, const std::wstring& b) {
  return tk::UpperAscii(a) == tk::UpperAscii(b);
}

bool IsOwnFileName(const std::wstring& name) {
  for (const wchar_t* own : kProgramFiles)
    if (SameAscii(name, own)) return true;
  return false;
}

// Why the cleaned "Made Dir:" path cannot be the program's folder; empty when
// it can. A root or a device path would hand the uninstaller a whole drive.
std::wstring DirectoryError(const std::wstring& dir) {
  const std::wstring madeDir = L"its \"Made Dir:\" line names ";
  if (dir.compare(0, 4, L"\\\\.\\") == 0 || dir.compare(0, 4, L"\\\\?\\") == 0)
    return madeDir + L"a device or volume path.";
  const size_t root = RootLength(dir);
  if (root == 0 || HasOddComponent(dir.substr(root))) return madeDir + L"no full path.";
  if (root >= dir.size()) return madeDir + L"a drive root.";
  return {};
}

// Only the program's own files, directly inside its folder: anything else a
// log may name belongs to somebody else.
std::wstring RejectReason(const std::wstring& file, const std::wstring& dir) {
  if (!SameAscii(tk::DirectoryPart(file), dir + L'\\') || !IsOwnFileName(tk::FileNamePart(file)))
    return L"not one of Lumoscope's files in " + dir;
  return {};
}

}  // namespace

std::wstring UninstallLogText(const std::wstring& programDir) {
  std::wstring text = L"*** Installation Started 1/1/96 00:00 ***\r\n";
  text += kTitle + std::wstring(L"\r\nSource: A:\\INST32.EXE\r\n");
  text += kMadeDir + programDir + L"\r\n";
  for (const wchar_t* name : kProgramFiles) text += kFileCopy + programDir + L"\\" + name + L"\r\n";
  return text;
}

std::wstring CleanPath(const std::wstring& path) {
  std::wstring out;
  for (size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    // The second backslash of a network name "\\server" is part of it.
    if (c == L'\\' && !out.empty() && out.back() == L'\\' && i != 1) continue;
    out += c;
  }
  if (out.size() > 3 && out.back() == L'\\') out.pop_back();
  return out;
}

UninstallPlan ParseUninstallLog(const std::wstring& text) {
  UninstallPlan plan;
  std::vector<std::wstring> copies;
  int madeDirs = 0, titles = 0;
  bool ours = false;
  const auto lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (StartsWith(line, kMadeDir)) {
      ++madeDirs;
      plan.directory = CleanPath(line.substr(std::wcslen(kMadeDir)));
    } else if (StartsWith(line, kTitleLine)) {
      ++titles;
      ours = line == kTitle;
    } else if (StartsWith(line, kFileCopy)) {
      copies.push_back(line.substr(std::wcslen(kFileCopy)));
    } else if (!line.empty()) {
      bool known = false;
      for (const wchar_t* prefix : kInformationLines) known = known || StartsWith(line, prefix);
      if (!known) {
        plan.error = L"line " + std::to_wstring(i + 1) + L" is no uninstall log line.";
        return plan;
      }
    }
  }
  if (titles != 1 || !ours) {
    plan.error = L"it is not the log of Lumoscope's installation.";
    return plan;
  }
  if (madeDirs != 1) {
    plan.error = madeDirs == 0 ? L"it has no \"Made Dir:\" line."
                               : L"it has more than one \"Made Dir:\" line.";
    return plan;
  }
  plan.error = DirectoryError(plan.directory);
  if (!plan.error.empty()) return plan;
  for (const auto& copy : copies) {
    const std::wstring file = CleanPath(copy);
    const std::wstring reason = RejectReason(file, plan.directory);
    if (reason.empty())
      plan.files.push_back(file);
    else
      plan.skipped.push_back({copy, reason});
  }
  return plan;
}

}  // namespace util
