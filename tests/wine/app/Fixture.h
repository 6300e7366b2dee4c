// A real main window in a scratch directory, with recording services.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "Recorders.h"
#include "app/Unit1.h"
#include "toolkit/Application.h"
#include "util/SystemEntries.h"
#include "util/portable/PathUtil.h"

inline std::wstring TempDir(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

inline void WriteFile(const std::wstring& name, const std::string& content) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  if (!content.empty()) ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &put, nullptr);
  CloseHandle(h);
}

inline std::string ReadFile(const std::wstring& name) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string s(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  if (!s.empty()) ::ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &got, nullptr);
  CloseHandle(h);
  return s;
}

class Form1Fixture : public ::testing::Test {
 protected:
  static WORD showState;
  static WORD ShowState() { return showState; }

  void SetUp() override {
    showState = SW_SHOWNORMAL;
    programDir = TempDir(L"lumo-app");
    util::WriteSystemEntriesFor(programDir + L"\\LUMOS32.EXE");
    browseDir = TempDir(L"lumo-browse");
    SetCurrentDirectoryW(browseDir.c_str());
  }

  TForm1& Make(WORD show = SW_SHOWNORMAL) {
    showState = show;
    form = std::make_unique<TForm1>();
    Form1 = form.get();
    form->startupShowWindow = &Form1Fixture::ShowState;
    tk::Application::Instance().SetMainForm(form.get());
    form->Create();
    form->Show();
    tk::Application::Instance().ProcessMessages();
    return *form;
  }

  void TearDown() override {
    if (form) {
      form->DestroyHandle();
      form.reset();
    }
    tk::Application::Instance().SetMainForm(nullptr);
    tk::Application::Instance().OnMessage = nullptr;
    tk::Application::Instance().helpFile.clear();
    // The main window's end posts a quit message; keep it from the next test.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetCurrentDirectoryW(L"C:\\");
  }

  // Position relative to the parent's client area, and size.
  static RECT Placement(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  testing_support::RecordingServices services;
  std::unique_ptr<TForm1> form;
  std::wstring programDir;
  std::wstring browseDir;
};
