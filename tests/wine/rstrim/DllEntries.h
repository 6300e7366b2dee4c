// RSTRIM32.DLL as the tests reach it: loaded once, entries by ordinal.
#pragma once
#include <windows.h>

inline HMODULE Library() {
  static HMODULE module = LoadLibraryA("RSTRIM32.DLL");
  return module;
}

template <typename Fn>
Fn Entry(WORD ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(Library(), MAKEINTRESOURCEA(ordinal))));
}
