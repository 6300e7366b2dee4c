#include "codecs/msgfile/LineList.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace msgfile {
namespace {

constexpr std::size_t kMaxText = std::numeric_limits<std::uint32_t>::max();

std::size_t LineEnd(std::string_view text, std::size_t at) {
  return std::min(text.find_first_of("\r\n", at), text.size());
}

}  // namespace

std::string_view NextLine(std::string_view text, std::size_t& at) {
  const std::size_t end = LineEnd(text, at);
  const std::string_view line = text.substr(at, end - at);
  at = end;
  if (at < text.size() && text[at] == '\r') ++at;
  if (at < text.size() && text[at] == '\n') ++at;
  return line;
}

LineList::LineList(std::string text, std::size_t from) : text_(std::move(text)) {
  if (text_.size() > kMaxText) text_.resize(kMaxText);
  // Counted first, so the starts take exactly their room and never twice it
  // while a growing vector moves.
  std::size_t count = 0;
  for (std::size_t at = from; at < text_.size(); ++count) NextLine(text_, at);
  starts_.reserve(count);
  for (std::size_t at = from; at < text_.size();) {
    starts_.push_back(static_cast<std::uint32_t>(at));
    NextLine(text_, at);
  }
}

std::string_view LineList::Line(std::size_t i) const {
  const std::size_t start = starts_.at(i);
  return std::string_view(text_).substr(start, LineEnd(text_, start) - start);
}

void LineList::Release() {
  std::string().swap(text_);
  std::vector<std::uint32_t>().swap(starts_);
}

}  // namespace msgfile
