#include "toolkit/Dde.h"

#include "toolkit/CodePages.h"

namespace tk {
namespace {

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

constexpr DWORD kWaitForServerMs = 10000;

// The server's program only by its full path in the system or the Windows
// folder: a bare name is looked for in the program's folder, the current one
// and PATH first, where anybody may have put a file of that name.
std::wstring ServerProgramPath(const std::string& service) {
  if (service.empty() ||
      service.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                "abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos)
    return {};
  for (auto folderOf : {GetSystemDirectoryW, GetWindowsDirectoryW}) {
    wchar_t folder[MAX_PATH];
    const UINT n = folderOf(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) continue;
    const std::wstring path = std::wstring(folder, n) + L"\\" + FromAnsi(service) + L".exe";
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return path;
  }
  return {};
}

}  // namespace

DdeInstance::DdeInstance(PFNCALLBACK callback, DWORD flags) {
  if (DdeInitializeA(&id_, callback ? callback : ClientCallback, flags, 0) != DMLERR_NO_ERROR)
    id_ = 0;
}

DdeInstance::~DdeInstance() {
  if (id_) DdeUninitialize(id_);
}

DdeString::DdeString(const DdeInstance& instance, const std::string& text)
    : instance_(instance.Id()) {
  if (instance_ && !text.empty())
    hsz_ = DdeCreateStringHandleA(instance_, text.c_str(), CP_WINANSI);
}

DdeString::~DdeString() {
  if (hsz_) DdeFreeStringHandle(instance_, hsz_);
}

DdeClientConv::DdeClientConv() = default;

bool DdeClientConv::SetLink(const std::string& service, const std::string& topic) {
  CloseLink();
  service_ = service;
  topic_ = topic;
  return connectMode == DdeConnectMode::Automatic ? OpenLink() : true;
}

bool DdeClientConv::Connect() {
  if (!instance_) return false;
  DdeString service(instance_, service_), topic(instance_, topic_);
  conv_.reset(DdeConnect(instance_.Id(), service.Get(), topic.Get(), nullptr));
  return Connected();
}

void DdeClientConv::StartServerProgram() const {
  const std::wstring program = ServerProgramPath(service_);
  if (program.empty()) return;
  std::wstring command = L"\"" + program + L"\" " + FromAnsi(topic_);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return;
  base::File process(pi.hProcess), thread(pi.hThread);
  // A server registers its name while it starts up; connect once it waits for input.
  WaitForInputIdle(process.get(), kWaitForServerMs);
}

bool DdeClientConv::OpenLink() {
  if (Connected()) return true;
  if (Connect()) return true;
  StartServerProgram();
  return Connect();
}

bool DdeClientConv::ExecuteMacro(const std::string& command, bool wait) {
  if (!Connected()) return false;
  // The terminating zero travels with the command.
  DdeData data(DdeCreateDataHandle(instance_.Id(),
                                   reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                   static_cast<DWORD>(command.size() + 1), 0, nullptr, CF_TEXT, 0));
  if (!data) return false;
  DWORD result = 0;
  return DdeClientTransaction(reinterpret_cast<BYTE*>(data.release()), 0xFFFFFFFF, conv_.get(),
                              nullptr, CF_TEXT, XTYP_EXECUTE,
                              wait ? kWaitForServerMs : TIMEOUT_ASYNC, &result) != nullptr;
}

}  // namespace tk
