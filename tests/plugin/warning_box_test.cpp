// The warning box's window rule on Win32, with MessageBoxA replaced by a
// recorder that looks at the windows while the "box" is up. (Titles, texts
// and flags are checked end to end, in tests/runner/program_test.cpp.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "plugin/warning_box_win32.h"

namespace {

std::vector<HWND> g_windows;
std::vector<BOOL> g_enabledWhileShown;
HWND g_owner = nullptr;

int WINAPI RecordBox(HWND owner, LPCSTR, LPCSTR, UINT) {
  g_owner = owner;
  for (HWND window : g_windows) g_enabledWhileShown.push_back(IsWindowEnabled(window));
  return IDOK;
}

// With one of this process's windows in the foreground, the box is owned by
// it and it stays enabled; the thread's other visible enabled windows are
// disabled while the box is up and enabled again after it, and hidden or
// already disabled ones are left as they are.
TEST(WarningBox, IsOwnedByTheForegroundWindowWhileTheOthersAreDisabled) {
  for (const DWORD style :
       {DWORD{WS_VISIBLE}, DWORD{WS_VISIBLE}, DWORD{0}, DWORD{WS_VISIBLE | WS_DISABLED}}) {
    g_windows.push_back(CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "test",
                                        WS_OVERLAPPEDWINDOW | style, 0, 0, 50, 50, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
  }
  if (g_windows[0] == nullptr) {
    // The test scripts run Wine in a virtual display and ask for this test.
    if (std::getenv("MBC_REQUIRE_WINDOWS") != nullptr) FAIL() << "no top-level windows";
    GTEST_SKIP() << "no top-level windows can be created here";
  }
  SetForegroundWindow(g_windows[0]);
  ASSERT_EQ(GetForegroundWindow(), g_windows[0]);
  plugin::ShowModalWarning("Warning", "RuzazUrovuv\\VarIvoziVavu init failed.", RecordBox);
  EXPECT_EQ(g_owner, g_windows[0]);
  EXPECT_EQ(g_enabledWhileShown, (std::vector<BOOL>{TRUE, FALSE, TRUE, FALSE}));
  std::vector<BOOL> after;
  for (HWND window : g_windows) after.push_back(IsWindowEnabled(window) != FALSE);
  EXPECT_EQ(after, (std::vector<BOOL>{TRUE, TRUE, TRUE, FALSE}));
  for (HWND window : g_windows) DestroyWindow(window);
}

}  // namespace
