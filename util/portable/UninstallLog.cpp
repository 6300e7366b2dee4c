#include "util/portable/UninstallLog.h"

#include <cwchar>

#include "util/portable/PathUtil.h"

namespace util {
namespace {

const wchar_t kMadeDir[] = L"Made Dir: ";
const wchar_t kFileCopy[] = L"File Copy: ";
// Lines the uninstaller reads past: the header, the title and the source.
const wchar_t* const kInformationLines[] = {L"*** ", L"Title: ", L"Source: "};
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

enum class Component { Plain, Parent, Odd };

// The worst component after the root: ".." climbs out, and names the file
// system would read differently (only dots, a colon, wildcards) are odd.
Component WorstComponent(const std::wstring& rest) {
  Component worst = Component::Plain;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring::npos) end = rest.size();
    const std::wstring c = rest.substr(start, end - start);
    if (c == L"..") return Component::Parent;
    if (!c.empty() && c.find_first_not_of(L'.') == std::wstring::npos) worst = Component::Odd;
    for (wchar_t ch : c)
      if (ch < L' ' || std::wcschr(L":*?\"<>|", ch)) worst = Component::Odd;
    start = end + 1;
  }
  return worst;
}

bool IsFullCleanPath(const std::wstring& p) {
  const size_t root = RootLength(p);
  return root != 0 && WorstComponent(p.substr(root)) == Component::Plain;
}

// Why a cleaned "File Copy:" path may not be deleted; empty when it may.
std::wstring RejectReason(const std::wstring& file, const std::wstring& dir) {
  const size_t root = RootLength(file);
  if (root == 0) return L"not a full path";
  switch (WorstComponent(file.substr(root))) {
    case Component::Parent:
      return L"it climbs out with \"..\"";
    case Component::Odd:
      return L"not a plain file name";
    case Component::Plain:
      break;
  }
  const std::wstring inside = dir.back() == L'\\' ? dir : dir + L'\\';
  if (file.size() <= inside.size() ||
      UpperAscii(file.substr(0, inside.size())) != UpperAscii(inside))
    return L"outside " + dir;
  return {};
}

}  // namespace

std::wstring UninstallLogText(const std::wstring& programDir) {
  std::wstring text =
      L"*** Installation Started 1/1/96 00:00 ***\r\n"
      L"Title: Lumoscope 1.1 -32 Installation\r\n"
      L"Source: A:\\INST32.EXE\r\n";
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
  int madeDirs = 0;
  const auto lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring& line = lines[i];
    if (StartsWith(line, kMadeDir)) {
      ++madeDirs;
      plan.directory = CleanPath(line.substr(std::wcslen(kMadeDir)));
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
  if (madeDirs != 1) {
    plan.error = madeDirs == 0 ? L"it has no \"Made Dir:\" line."
                               : L"it has more than one \"Made Dir:\" line.";
    return plan;
  }
  if (!IsFullCleanPath(plan.directory)) {
    plan.error = L"its \"Made Dir:\" line names no full path.";
    return plan;
  }
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
