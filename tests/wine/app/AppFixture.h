// A real main window and its full-screen view in a scratch directory, with
// recording services.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "Files.h"
#include "Recorders.h"
#include "app/Unit1.h"
#include "fullview/Unit2.h"
#include "toolkit/Application.h"
#include "util/SystemEntries.h"

class Form1Fixture : public ::testing::Test {
 protected:
  static WORD showState;

  void SetUp() override {
    util::WriteSystemEntriesFor(programDir + L"\\LUMOS32.EXE");
    SetCurrentDirectoryW(browseDir.c_str());
  }

  TForm1& Make(WORD show = SW_SHOWNORMAL) {
    showState = show;
    form2 = std::make_unique<TForm2>();
    Form2 = form2.get();
    form2->Create();
    form = std::make_unique<TForm1>();
    Form1 = form.get();
    form->startupShowWindow = [] { return showState; };
    tk::Application::Instance().SetMainForm(form.get());
    form->Create();
    form->Show();
    form2->mainImage = form->PMultiImage1;
    tk::Application::Instance().ProcessMessages();
    return *form;
  }

  void TearDown() override {
    for (const wchar_t* file : {L"\\LUMOS32.HLP", L"\\LUMOS32.CNT"})
      DeleteFileW((programDir + file).c_str());
    if (form) form->DestroyHandle();
    form.reset();
    Form2 = nullptr;
    tk::Application::Instance().SetMainForm(nullptr);
    tk::Application::Instance().OnMessage = nullptr;
    tk::Application::Instance().helpFile.clear();
    // The main window's end posts a quit message; keep it from the next test.
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) continue;
    SetCurrentDirectoryW(L"C:\\");
  }

  // Posts a message and lets the program handle it, as the message loop would.
  static void Post(HWND w, UINT msg, WPARAM wp, LPARAM lp = 0) {
    PostMessageW(w, msg, wp, lp);
    tk::Application::Instance().ProcessMessages();
  }

  // Position relative to the parent's client area, and size.
  static RECT Placement(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  testing_support::RecordingServices services;
  std::unique_ptr<TForm2> form2;
  std::unique_ptr<TForm1> form;
  const std::wstring programDir = TempDir(L"lumo-app"), browseDir = TempDir(L"lumo-browse");
};
