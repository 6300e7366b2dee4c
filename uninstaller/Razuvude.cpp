#include "uninstaller/Razuvude.h"

#include <tlhelp32.h>

#include <vector>

#include "toolkit/CodePages.h"
#include "toolkit/Handles.h"
#include "toolkit/WholeFile.h"
#include "util/portable/UninstallLog.h"

namespace razuvude {
namespace {

constexpr std::size_t kMaxLogSize = 64 * 1024;

struct Failure {
  std::wstring path;
  std::wstring reason;
};

struct Outcome {
  std::vector<std::wstring> removed;
  std::vector<Failure> failed;
};

std::wstring SystemMessage(DWORD code) {
  wchar_t* buf = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring text = buf ? buf : L"";
  LocalFree(buf);
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  return text.empty() ? L"error " + std::to_wstring(code) : text;
}

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

Report Refusal(const std::wstring& reason) {
  return {tk::MsgKind::Error,
          L"RAZUVUDE cannot uninstall Lumoscope: " + reason + L"\r\rNothing has been deleted."};
}

// The log's text, or a refusal naming why it cannot be read.
bool ReadLog(const std::wstring& name, std::wstring& text, Report& refusal) {
  std::string bytes;
  const DWORD error = tk::TryReadWholeFile(name, kMaxLogSize, FILE_SHARE_READ, bytes);
  if (error == ERROR_SUCCESS) {
    text = tk::FromAnsi(bytes);
    return true;
  }
  const std::wstring log = L"the log file " + name;
  refusal = Refusal(IsGone(error) ? log + L" does not exist."
                    : error == ERROR_FILE_TOO_LARGE
                        ? log + L" is too large for an uninstall log."
                        : log + L" cannot be read (" + SystemMessage(error) + L").");
  return false;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// True while another process runs from one of the files.
bool RunsFromAny(const std::vector<std::wstring>& files) {
  tk::File snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    tk::File process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    wchar_t image[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, image, &length)) continue;
    for (const auto& file : files)
      if (SamePath(image, file)) return true;
  }
  return false;
}

// The program that started the uninstall ends after it; until then its file
// cannot be deleted.
void WaitForProgramEnd(const std::vector<std::wstring>& files, const WaitPolicy& wait) {
  const ULONGLONG end = GetTickCount64() + wait.limitMs;
  while (RunsFromAny(files) && GetTickCount64() < end) wait.pause();
}

void RemoveFile(const std::wstring& file, Outcome& out) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (!IsGone(error)) out.failed.push_back({file, SystemMessage(error)});
  } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    out.failed.push_back({file, L"a directory, not a file"});
  } else if (DeleteFileW(file.c_str())) {
    out.removed.push_back(file);
  } else {
    const DWORD error = GetLastError();
    out.failed.push_back(
        {file, RunsFromAny({file}) ? L"the program still runs" : SystemMessage(error)});
  }
}

void RemoveProgramDirectory(const std::wstring& dir, Outcome& out) {
  if (dir.size() <= 3) return;  // a program in a drive root leaves the root alone
  if (RemoveDirectoryW(dir.c_str())) {
    out.removed.push_back(dir);
    return;
  }
  const DWORD error = GetLastError();
  if (IsGone(error)) return;
  out.failed.push_back(
      {dir, error == ERROR_DIR_NOT_EMPTY ? L"other files remain in it" : SystemMessage(error)});
}

Report Summary(const Outcome& out) {
  Report r{out.failed.empty() ? tk::MsgKind::Information : tk::MsgKind::Warning,
           out.failed.empty() ? L"RAZUVUDE has removed Lumoscope from your drive."
                              : L"RAZUVUDE could not remove all of Lumoscope."};
  if (!out.removed.empty()) r.text += L"\r\rRemoved:";
  for (const auto& path : out.removed) r.text += L"\r" + path;
  if (!out.failed.empty()) r.text += L"\r\rNot removed:";
  for (const auto& f : out.failed) r.text += L"\r" + f.path + L" (" + f.reason + L")";
  return r;
}

}  // namespace

Report Uninstall(const std::wstring& logFile, const WaitPolicy& wait) {
  std::wstring text;
  Report refusal;
  if (!ReadLog(logFile, text, refusal)) return refusal;
  const util::UninstallPlan plan = util::ParseUninstallLog(text);
  if (!plan.error.empty())
    return Refusal(L"the log file " + logFile + L" is no uninstall log: " + plan.error);

  WaitForProgramEnd(plan.files, wait);
  Outcome out;
  for (const auto& skipped : plan.skipped) out.failed.push_back({skipped.path, skipped.reason});
  for (const auto& file : plan.files) RemoveFile(file, out);
  RemoveProgramDirectory(plan.directory, out);
  if (!DeleteFileW(logFile.c_str())) out.failed.push_back({logFile, SystemMessage(GetLastError())});
  return Summary(out);
}

Report NoLogNamed() {
  return Refusal(L"no log file was named.\rStart it with the full path of RAZUVUDE.LOG.");
}

void ShowReport(const Report& report) { tk::BeepAndMessageDlg(report.text, report.kind, tk::mbOK); }

}  // namespace razuvude
