// The entries of one directory as the file list shows them, read once into
// memory: the list box gets its strings from here, and the name box's search
// and the glyphs read them without asking the list box.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tk {

enum class Glyph : unsigned char { Folder, Program, Document };

struct DirEntries {
  std::vector<std::wstring> texts;  // list order: directories as "[NAME]"
  std::vector<Glyph> glyphs;        // one per text
  size_t Count() const { return texts.size(); }
  void Truncate(size_t count);
};

// The current directory's entries matching the mask, without system files,
// sorted without regard to case in the order a sorted list box keeps.
DirEntries ReadDirEntries(const std::wstring& mask);

}  // namespace tk
