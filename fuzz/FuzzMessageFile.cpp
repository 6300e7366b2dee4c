// libFuzzer entry for both message-file parsers: any bytes give a record
// whose font name fits a font record and whose error stops everything after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/msgfile/MessageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const msgfile::TickerSettings ticker = msgfile::ParseTickerText(text);
  if (ticker.fontName && ticker.fontName->size() > msgfile::kMaxFontName) __builtin_trap();
  if (!ticker.error.empty() && (ticker.speed || ticker.message)) __builtin_trap();
  const msgfile::ScrollerSettings scroller = msgfile::ParseScrollerText(std::string(text));
  if (scroller.fontName && scroller.fontName->size() > msgfile::kMaxFontName) __builtin_trap();
  if (!scroller.error.empty() && !scroller.lines.Empty()) __builtin_trap();
  return 0;
}
