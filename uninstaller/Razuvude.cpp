#include "uninstaller/Razuvude.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <vector>

#include "toolkit/CodePages.h"
#include "base/Handles.h"
#include "toolkit/WholeFile.h"
#include "util/Support.h"
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
  int filesRemoved = 0;
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
  base::File snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    base::File process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
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

// "\\?\C:\X" as C:\X and "\\?\UNC\srv\s" as \\srv\s.
std::wstring WithoutVerbatimPrefix(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\" + path.substr(7);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

// Where the opened file or folder really is, with every link and short name
// resolved; empty when the system cannot tell.
std::wstring FinalPath(HANDLE h) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), 0);
  if (n >= path.size()) {
    path.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  if (n == 0 || n >= path.size()) return {};
  path.resize(n);
  return WithoutVerbatimPrefix(path);
}

std::wstring ParentOf(const std::wstring& path) {
  const size_t cut = path.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// True when path is upper itself or lies inside it.
bool IsAtOrBelow(const std::wstring& path, const std::wstring& upper) {
  if (upper.empty()) return false;
  if (SamePath(path, upper)) return true;
  const std::wstring prefix = upper.back() == L'\\' ? upper : upper + L'\\';
  return path.size() > prefix.size() && SamePath(path.substr(0, prefix.size()), prefix);
}

// The path as named and as it really is, with links and short names resolved.
void AddNamedAndReal(std::vector<std::wstring>& paths, const std::wstring& path) {
  paths.push_back(path);
  base::File entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (entry) paths.push_back(FinalPath(entry.get()));
}

// The folders that hold the system's and the users' files.
std::vector<std::wstring> KnownFolders() {
  static const int kFolders[] = {CSIDL_WINDOWS,
                                 CSIDL_SYSTEM,
                                 CSIDL_SYSTEMX86,
                                 CSIDL_PROGRAM_FILES,
                                 CSIDL_PROGRAM_FILESX86,
                                 CSIDL_PROGRAM_FILES_COMMON,
                                 CSIDL_PROFILE,
                                 CSIDL_PERSONAL,
                                 CSIDL_MYPICTURES,
                                 CSIDL_MYMUSIC,
                                 CSIDL_MYVIDEO,
                                 CSIDL_DESKTOPDIRECTORY,
                                 CSIDL_APPDATA,
                                 CSIDL_LOCAL_APPDATA,
                                 CSIDL_COMMON_APPDATA,
                                 CSIDL_COMMON_DOCUMENTS,
                                 CSIDL_COMMON_DESKTOPDIRECTORY,
                                 CSIDL_STARTMENU,
                                 CSIDL_PROGRAMS,
                                 CSIDL_COMMON_STARTMENU,
                                 CSIDL_COMMON_PROGRAMS,
                                 CSIDL_STARTUP,
                                 CSIDL_FONTS,
                                 CSIDL_TEMPLATES};
  std::vector<std::wstring> folders;
  for (int id : kFolders) {
    wchar_t path[MAX_PATH];
    if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK)
      AddNamedAndReal(folders, path);
  }
  return folders;
}

// The system's and the users' folders and the Windows folder, each as named
// and as resolved. A folder at or above one of the first, or inside Windows,
// holds files of others: nothing is deleted there, whatever the log says.
class ProtectedFolders {
 public:
  ProtectedFolders() : known_(KnownFolders()) { AddNamedAndReal(windows_, util::GetWindowsDir()); }
  bool Hold(const std::wstring& folder) const {
    for (const auto& known : known_)
      if (IsAtOrBelow(known, folder)) return true;
    for (const auto& windows : windows_)
      if (IsAtOrBelow(folder, windows)) return true;
    return false;
  }

 private:
  std::vector<std::wstring> known_, windows_;
};

// Opens the entry itself: a link is not followed where the file system can
// tell (where it cannot, the final path shows where the handle leads).
base::File OpenEntry(const std::wstring& path, DWORD access, DWORD share) {
  return base::File(CreateFileW(
      path.c_str(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, share, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool DeleteOnClose(HANDLE h) {
  FILE_DISPOSITION_INFO dispose{TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
}

// Deletes the file through a handle whose final path lies directly in the
// folder, so neither a link nor a renamed folder can lead the delete elsewhere.
void RemoveFile(const std::wstring& file, const std::wstring& realFolder, Outcome& out) {
  base::File entry =
      OpenEntry(file, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!entry || !GetFileInformationByHandle(entry.get(), &info)) {
    const DWORD error = GetLastError();
    if (!IsGone(error)) out.failed.push_back({file, SystemMessage(error)});
  } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    out.failed.push_back({file, L"a directory, not a file"});
  } else if (const std::wstring real = FinalPath(entry.get());
             !SamePath(ParentOf(real), realFolder)) {
    out.failed.push_back({file, L"it leads to " + (real.empty() ? L"an unknown place" : real)});
  } else if (DeleteOnClose(entry.get())) {
    out.removed.push_back(file);
    ++out.filesRemoved;
  } else {
    const DWORD error = GetLastError();
    out.failed.push_back(
        {file, RunsFromAny({file}) ? L"the program still runs" : SystemMessage(error)});
  }
}

void RemoveProgramDirectory(const std::wstring& dir, Outcome& out) {
  // A folder swapped for a link meanwhile: the call removes the link, not
  // what it leads to.
  if (RemoveDirectoryW(dir.c_str())) {
    out.removed.push_back(dir);
    return;
  }
  const DWORD error = GetLastError();
  out.failed.push_back(
      {dir, error == ERROR_DIR_NOT_EMPTY ? L"other files remain in it" : SystemMessage(error)});
}

Report ProtectedFolder(const std::wstring& dir) {
  return Refusal(L"the folder " + dir + L" holds files of Windows or of its users.");
}

// The log names a folder without the program: nothing of the user's there is
// touched, and the report does not claim an uninstall.
Report NothingFound(const std::wstring& dir) {
  return {tk::MsgKind::Warning, L"RAZUVUDE found none of Lumoscope's files in " + dir +
                                    L".\r\rNothing has been deleted."};
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

  // Where the folder really is decides; each file is checked against it.
  const std::wstring& dir = plan.directory;
  const ProtectedFolders others;
  if (others.Hold(dir)) return ProtectedFolder(dir);
  base::File folder = OpenEntry(dir, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder || !GetFileInformationByHandle(folder.get(), &info)) {
    const DWORD error = GetLastError();
    return IsGone(error) ? NothingFound(dir)
                         : Refusal(L"the folder " + dir + L" cannot be opened (" +
                                   SystemMessage(error) + L").");
  }
  const std::wstring realFolder = FinalPath(folder.get());
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || realFolder.empty())
    return Refusal(L"the folder " + dir + L" is a link or no folder.");
  if (others.Hold(realFolder)) return ProtectedFolder(dir);
  folder.reset();

  WaitForProgramEnd(plan.files, wait);
  Outcome out;
  for (const auto& skipped : plan.skipped) out.failed.push_back({skipped.path, skipped.reason});
  for (const auto& file : plan.files) RemoveFile(file, realFolder, out);
  // Nothing of the program was there: the folder and the log stay.
  if (out.filesRemoved == 0) return out.failed.empty() ? NothingFound(dir) : Summary(out);
  RemoveProgramDirectory(dir, out);
  if (!DeleteFileW(logFile.c_str())) out.failed.push_back({logFile, SystemMessage(GetLastError())});
  return Summary(out);
}

Report NoLogNamed() {
  return Refusal(L"no log file was named.\rStart it with the full path of RAZUVUDE.LOG.");
}

void ShowReport(const Report& report) { tk::BeepAndMessageDlg(report.text, report.kind, tk::mbOK); }

}  // namespace razuvude
