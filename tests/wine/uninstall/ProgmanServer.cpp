// A stand-in Program Manager for the tests: serves "Progman" on its topic
// PROGMAN, recording each conversation there and the exact bytes of each
// execute command; a request hands the record over (on the topic LumoTest
// without adding to it).
#include <windows.h>
#include <ddeml.h>

#include <string>

namespace {

DWORD instance = 0;
HSZ progman, lumoTest;
std::string record;

HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA data, ULONG_PTR,
                        ULONG_PTR) {
  const bool onProgman = DdeCmpStringHandles(topic, progman) == 0;
  if (type == XTYP_CONNECT)
    return reinterpret_cast<HDDEDATA>(onProgman || DdeCmpStringHandles(topic, lumoTest) == 0);
  if (type == XTYP_CONNECT_CONFIRM && onProgman) record += "connect ";
  if (type == XTYP_EXECUTE) {
    DWORD size = 0;
    const BYTE* bytes = DdeAccessData(data, &size);
    record += "execute:" + std::string(reinterpret_cast<const char*>(bytes), size);
    DdeUnaccessData(data);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
  }
  if (type != XTYP_REQUEST) return nullptr;
  std::string taken = "record:" + record;
  record.clear();
  return DdeCreateDataHandle(instance, reinterpret_cast<BYTE*>(taken.data()),
                             static_cast<DWORD>(taken.size()), 0, item, CF_TEXT, 0);
}

}  // namespace

int main() {
  DdeInitializeA(&instance, Serve,
                 APPCLASS_STANDARD | (CBF_SKIP_ALLNOTIFICATIONS & ~CBF_SKIP_CONNECT_CONFIRMS), 0);
  progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  lumoTest = DdeCreateStringHandleA(instance, "LumoTest", CP_WINANSI);
  DdeNameService(instance, DdeCreateStringHandleA(instance, "Progman", CP_WINANSI), nullptr,
                 DNS_REGISTER);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}
