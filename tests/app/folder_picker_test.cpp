// The folder picker: its start folder, its callback, and the real shell browser under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/folder_picker.h"
#include "tests/app/dialog_harness.h"
#include "tests/support/test_support.h"

using ztest::Utf8;

TEST(FolderPicker, ProgramFolderEndsBeforeTheLastBackslash) {
  const struct { const WCHAR* module; const char* folder; } rows[] = {
      {L"C:\\Program Files\\Zentrel\\zentrel.exe", "C:\\Program Files\\Zentrel"},
      {L"C:\\zentrel.exe", "C:"},
      {L"\\\\server\\share\\z.exe", "\\\\server\\share"},
  };
  for (const auto& r : rows) EXPECT_EQ(Utf8(ProgramFolderOf(r.module)), r.folder) << Utf8(r.module);
}

TEST(FolderPicker, CallbackSelectsTheStartFolderOnceTheBrowserIsUp) {
  static WCHAR start[] = L"C:\\start here";
  const struct { UINT msg; LPARAM data; int selections; } rows[] = {
      {BFFM_INITIALIZED, reinterpret_cast<LPARAM>(start), 1},
      {BFFM_INITIALIZED, 0, 0},
      {BFFM_SELCHANGED, reinterpret_cast<LPARAM>(start), 0},
      {BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(start), 0},
  };
  for (const auto& r : rows) {
    ztest::MessageCounter browser;
    EXPECT_EQ(BrowseCallbackProc(browser.Handle(), r.msg, 0, r.data), 1);
    EXPECT_EQ(browser.Count(BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start)), r.selections)
        << "message " << r.msg;
    EXPECT_EQ(browser.Total(), r.selections) << "message " << r.msg;
  }
}

namespace {

// Finds the browser that this process shows and presses one of its buttons once it is up.
void PressWhenShown(DWORD thread, int button, std::atomic<bool>& pressed, DWORD settleMs) {
  HWND found = nullptr;
  ztest::WaitUntil([&] {
    EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM out) -> BOOL {
          WCHAR cls[32] = {0};
          GetClassNameW(hwnd, cls, 32);
          if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found != nullptr;
  }, 20000);
  if (!found) return;
  ::Sleep(settleMs);  // let the start selection settle
  ::PostMessageW(found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  pressed = true;
}

}  // namespace

TEST(FolderPicker, RealBrowserStartsAtTheGivenFolderAndCancelKeepsTheBuffer) {
  ztest::ScratchDir dir;
  ztest::MakeDir(dir / L"chosen");
  const CString chosen = dir / L"chosen";

  const struct { int button; BOOL result; CString after; } rows[] = {
      {IDOK, TRUE, chosen},
      {IDCANCEL, FALSE, chosen},
  };
  for (const auto& r : rows) {
    // The browser selects the start folder some time after it shows; on a loaded machine that
    // takes longer, so a press that came too early is tried again with more patience.
    CString got;
    BOOL result = FALSE;
    for (DWORD settle : {500u, 2000u, 5000u}) {
      WCHAR buffer[1024] = {0};
      ::lstrcpynW(buffer, chosen, 1024);
      std::atomic<bool> pressed{false};
      std::thread presser(PressWhenShown, ::GetCurrentThreadId(), r.button, std::ref(pressed), settle);
      result = BrowseForFolder(buffer, nullptr);
      presser.join();
      ASSERT_TRUE(pressed) << "no browser window appeared";
      got = CString(buffer);
      if (CString(got).MakeLower() == CString(r.after).MakeLower()) break;
    }
    EXPECT_EQ(result, r.result) << "button " << r.button;
    // Choosing the start folder again gives the same path back.
    EXPECT_EQ(Utf8(got.MakeLower()), Utf8(CString(r.after).MakeLower())) << "button " << r.button;
  }
}
