#include "codecs/msgfile/MessageFile.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "toolkit/portable/Convert.h"

namespace msgfile {
namespace {

const char kInvalidMessage[] = " Invallid message format ! ";

template <std::optional<std::int32_t> Settings::*Field>
bool ReadInteger(std::string_view value, Settings& s) {
  try {
    s.*Field = tk::StrToInt(value);
    return true;
  } catch (const tk::EConvertError& e) {
    s.error = e.what();
    return false;
  }
}

bool ReadName(std::string_view value, Settings& s) {
  s.fontName = std::string(value.substr(0, kMaxFontName));
  return true;
}

bool ReadStyle(std::string_view value, Settings& s) {
  s.fontStyle = ParseStyle(value);
  return true;
}

// The settings in file order: the .SCM field between two markers (with the
// value an absent field takes, null: unchanged) or the .CMS line after line 1.
struct Setting {
  const char* start;
  const char* end;
  const char* absent;
  bool (*read)(std::string_view value, Settings& s);
};
const Setting kSettings[] = {
    {"/fc|", "/fh|", "255", ReadInteger<&Settings::fontColor>},
    {"/fh|", "/fn|", "-13", ReadInteger<&Settings::fontHeight>},
    {"/fn|", "/fs|", "SYSTEM", ReadName},
    {"/fs|", "/ft|", nullptr, ReadInteger<&Settings::fontSize>},
    {"/ft|", "/bc|", nullptr, ReadStyle},
    {"/bc|", "/sp|", "128", ReadInteger<&Settings::background>},
    {"/sp|", "/sm|", "1", ReadInteger<&Settings::speed>},
};

}  // namespace

std::optional<std::string_view> TextBetweenMarkers(std::string_view text, std::string_view start,
                                                   std::string_view end) {
  const std::size_t from = text.find(start), to = text.find(end);
  if (from == std::string_view::npos || to == std::string_view::npos) return std::nullopt;
  const std::size_t begin = from + start.size();
  return to > begin ? text.substr(begin, to - begin) : std::string_view();
}

FontStyle ParseStyle(std::string_view flags) {
  const auto set = [&](std::size_t i) { return i < flags.size() && flags[i] == '1'; };
  return FontStyle{set(0), set(1), set(2), set(3)};
}

TickerSettings ParseTickerText(std::string_view text) {
  TickerSettings s;
  for (const Setting& f : kSettings) {
    const std::optional<std::string_view> field = TextBetweenMarkers(text, f.start, f.end);
    if (field ? field->empty() : !f.absent) continue;
    if (!f.read(field ? *field : f.absent, s)) return s;
  }
  const std::optional<std::string_view> message = TextBetweenMarkers(text, "/sm|", "/eo|");
  if (!message)
    s.message = kInvalidMessage;
  else if (!message->empty())
    s.message = std::string(*message);
  return s;
}

ScrollerSettings ParseScrollerText(std::string text) {
  ScrollerSettings s;
  text.resize(std::min(text.find('\0'), text.size()));
  const std::string_view settings(text);
  std::size_t at = 0;
  NextLine(settings, at);  // line 1 is not read
  for (std::size_t i = 0; i < std::size(kSettings); ++i) {
    if (at >= settings.size()) {
      s.error = "Listenindex überschreitet das Maximum (" + std::to_string(i + 1) + ")";
      return s;
    }
    if (!kSettings[i].read(NextLine(settings, at), s)) return s;
  }
  s.lines = LineList(std::move(text), at);
  return s;
}

}  // namespace msgfile
