#include "util/portable/Profile.h"

#include <vector>

namespace util {
namespace {

std::string Upper(std::string s) {
  for (auto& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Lines end at CR LF, LF or a lone CR, as a text-file reader sees them.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    lines.push_back(text.substr(i, j - i));
    if (j < text.size() && text[j] == '\r') {
      ++j;
      if (j < text.size() && text[j] == '\n') ++j;
    } else if (j < text.size()) {
      ++j;
    }
    i = j;
  }
  return lines;
}

}  // namespace

std::string RemoveProfileLines(const std::string& content, const std::string& section,
                               const std::string& key, bool& removed) {
  removed = false;
  const std::string header = "[" + Upper(section) + "]";
  const std::string prefix = Upper(key) + "=";
  const auto lines = SplitLines(content);
  std::string out;
  size_t i = 0;
  while (i < lines.size()) {
    const std::string& line = lines[i++];
    out += line + "\r\n";
    if (Upper(line) != header) continue;
    while (i < lines.size()) {
      const std::string& entry = lines[i++];
      if (Upper(entry.substr(0, prefix.size())) == prefix) {
        removed = true;
      } else {
        out += entry + "\r\n";
      }
      if (entry.empty() || entry[0] == '[') break;
    }
  }
  return out;
}

}  // namespace util
