// The scroller's lines as one block: the text as it was read and where each
// line starts, four bytes a line beyond the text. A file of millions of
// empty lines so costs little more than its own size, and goes at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace msgfile {

// One line of text from at: it ends at CR, LF or CR LF, and at moves past its end.
std::string_view NextLine(std::string_view text, std::size_t& at);

class LineList {
 public:
  LineList() = default;
  // The lines of text from byte from on; the text is kept, not copied. Text
  // beyond 4 GiB (far more than a message file holds) is cut there.
  LineList(std::string text, std::size_t from);

  std::size_t Size() const { return starts_.size(); }
  bool Empty() const { return starts_.empty(); }
  // Line i of Size(), without its line end.
  std::string_view Line(std::size_t i) const;
  // Empties the list and gives its memory back.
  void Release();

 private:
  std::string text_;
  std::vector<std::uint32_t> starts_;
};

}  // namespace msgfile
