// The DDE client conversation: connects to a service and topic through DDEML
// and sends execute commands. Every DDEML object it makes has one owner here.
#pragma once
#include <windows.h>
// windows.h leaves DDEML out under WIN32_LEAN_AND_MEAN.
#include <ddeml.h>

#include <string>

#include "base/Handles.h"

namespace tk {

struct DdeConvTraits {
  static HCONV Invalid() { return nullptr; }
  static bool Valid(HCONV h) { return h != nullptr; }
  static void Close(HCONV h) { DdeDisconnect(h); }
};
using DdeConversation = base::UniqueHandle<HCONV, DdeConvTraits>;

// Data handles made with DdeCreateDataHandle; a transaction takes them over,
// so they are released when handed to one.
struct DdeDataTraits {
  static HDDEDATA Invalid() { return nullptr; }
  static bool Valid(HDDEDATA h) { return h != nullptr; }
  static void Close(HDDEDATA h) { DdeFreeDataHandle(h); }
};
using DdeData = base::UniqueHandle<HDDEDATA, DdeDataTraits>;

// One DDEML instance of the calling thread. ANSI: the commands travel as
// CF_TEXT bytes, and DDEML converts them for a Unicode server.
class DdeInstance {
 public:
  // Without a callback: a client that answers no transactions of its own.
  explicit DdeInstance(PFNCALLBACK callback = nullptr, DWORD flags = APPCMD_CLIENTONLY);
  DdeInstance(const DdeInstance&) = delete;
  DdeInstance& operator=(const DdeInstance&) = delete;
  ~DdeInstance();
  DWORD Id() const { return id_; }
  explicit operator bool() const { return id_ != 0; }

 private:
  DWORD id_ = 0;
};

// A string handle of an instance; an empty text is the null handle, which
// DDEML reads as "any".
class DdeString {
 public:
  DdeString(const DdeInstance& instance, const std::string& text);
  DdeString(const DdeString&) = delete;
  DdeString& operator=(const DdeString&) = delete;
  ~DdeString();
  HSZ Get() const { return hsz_; }

 private:
  DWORD instance_;  // the instance outlives its strings
  HSZ hsz_ = nullptr;
};

enum class DdeConnectMode { Automatic, Manual };

class DdeClientConv {
 public:
  DdeClientConv();
  DdeConnectMode connectMode = DdeConnectMode::Automatic;

  // Names the server; in automatic mode the link opens at once.
  bool SetLink(const std::string& service, const std::string& topic);
  // Connects. When no server answers, starts the service's program from the
  // system or the Windows folder with the topic as its parameter, minimised
  // and not activated, and tries once more.
  bool OpenLink();
  // One attempt to connect; starts nothing.
  bool Connect();
  void CloseLink() { conv_.reset(); }
  bool Connected() const { return static_cast<bool>(conv_); }

  // Sends the command and its terminating zero as CF_TEXT execute data. Without
  // wait the transaction is not waited for. False when nothing could be sent.
  bool ExecuteMacro(const std::string& command, bool wait);

 private:
  void StartServerProgram() const;

  DdeInstance instance_;
  std::string service_, topic_;
  DdeConversation conv_;  // released before the instance
};

}  // namespace tk
