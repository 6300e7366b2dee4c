// A stand-in Program Manager for the tests: serves "Progman" on its topic
// PROGMAN and to "any topic", records every conversation and the exact bytes
// of every execute command, and hands the record over (and forgets it) on a
// request for "Record" on the topic LumoTest.
#include <windows.h>
#include <ddeml.h>

#include <string>

namespace {

DWORD instance = 0;
HSZ service, progman, lumoTest;
std::string record;

bool Is(HSZ a, HSZ b) { return DdeCmpStringHandles(a, b) == 0; }

void RecordExecute(HDDEDATA data) {
  DWORD size = 0;
  const BYTE* bytes = DdeAccessData(data, &size);
  record += "execute:";
  for (DWORD i = 0; bytes && i < size; ++i)
    record += "0123456789ABCDEF"[bytes[i] >> 4], record += "0123456789ABCDEF"[bytes[i] & 15];
  record += ' ';
  DdeUnaccessData(data);
}

HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA data, ULONG_PTR,
                        ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(
          static_cast<INT_PTR>(Is(topic, progman) || Is(topic, lumoTest)));
    case XTYP_WILDCONNECT: {
      HSZPAIR pairs[] = {{service, progman}, {nullptr, nullptr}};
      return DdeCreateDataHandle(instance, reinterpret_cast<BYTE*>(pairs), sizeof pairs, 0, nullptr,
                                 XTYP_WILDCONNECT, 0);
    }
    case XTYP_CONNECT_CONFIRM:
      if (Is(topic, progman)) record += "connect ";
      return nullptr;
    case XTYP_EXECUTE:
      RecordExecute(data);
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    case XTYP_REQUEST: {
      std::string out;
      out.swap(record);
      return DdeCreateDataHandle(instance, reinterpret_cast<BYTE*>(out.data()),
                                 static_cast<DWORD>(out.size() + 1), 0, item, CF_TEXT, 0);
    }
  }
  return nullptr;
}

}  // namespace

int main() {
  if (DdeInitializeA(&instance, Serve,
                     APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                     0) != DMLERR_NO_ERROR)
    return 1;
  service = DdeCreateStringHandleA(instance, "Progman", CP_WINANSI);
  progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  lumoTest = DdeCreateStringHandleA(instance, "LumoTest", CP_WINANSI);
  DdeNameService(instance, service, nullptr, DNS_REGISTER);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
