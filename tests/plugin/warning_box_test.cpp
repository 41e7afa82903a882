// The warning box's rule on Win32, with MessageBoxA replaced by a recorder
// that looks at the windows while the "box" is up.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/warning_box_win32.h"

namespace {

struct ShownBox {
  HWND owner;
  std::string text;
  std::string title;
  UINT flags;
  std::vector<BOOL> enabledWhileShown;
};

std::vector<HWND> g_watched;
std::vector<ShownBox> g_shown;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR title, UINT flags) {
  ShownBox box{owner, text, title, flags, {}};
  for (HWND window : g_watched) box.enabledWhileShown.push_back(IsWindowEnabled(window));
  g_shown.push_back(box);
  return IDOK;
}

// The owner the box must get: the foreground window if this process owns it.
HWND ExpectedOwner(HWND foreground) {
  DWORD process = 0;
  if (foreground != nullptr) GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

class WarningBox : public ::testing::Test {
 protected:
  void SetUp() override {
    g_watched.clear();
    g_shown.clear();
  }
  void TearDown() override {
    for (HWND window : g_watched) DestroyWindow(window);
  }
  // A top-level window of this thread, or null where the system has no
  // window driver (Wine without a display).
  HWND MakeWindow(bool visible, bool enabled) {
    DWORD style = WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0) | (enabled ? 0 : WS_DISABLED);
    HWND window = CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "test", style, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) g_watched.push_back(window);
    return window;
  }
};

TEST_F(WarningBox, ShowsTitleAndTextWithAnOkButtonOnly) {
  plugin::ShowModalWarning("Devad Initialisation", " Library ZavarOvur.dll not found", RecordBox);
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0].title, "Devad Initialisation");
  EXPECT_EQ(g_shown[0].text, " Library ZavarOvur.dll not found");
  EXPECT_EQ(g_shown[0].flags, 0u) << "MB_OK, no icon";
  EXPECT_EQ(g_shown[0].owner, ExpectedOwner(GetForegroundWindow()));
}

TEST_F(WarningBox, DisablesTheThreadsOtherVisibleEnabledWindowsOnlyWhileShown) {
  const HWND shownEnabled = MakeWindow(true, true);
  const HWND hidden = MakeWindow(false, true);
  const HWND shownDisabled = MakeWindow(true, false);
  if (shownEnabled == nullptr || hidden == nullptr || shownDisabled == nullptr) {
    // The test scripts run Wine with a virtual display and ask for this test.
    if (std::getenv("MBC_REQUIRE_WINDOWS") != nullptr) FAIL() << "no top-level windows";
    GTEST_SKIP() << "no top-level windows can be created here";
  }
  const HWND foreground = GetForegroundWindow();
  plugin::ShowModalWarning("Warning", "RuzazUrovuv\\VarIvoziVavu init failed.", RecordBox);
  ASSERT_EQ(g_shown.size(), 1u);
  const std::vector<BOOL>& during = g_shown[0].enabledWhileShown;
  // The foreground window is spared; the others are disabled if visible and enabled.
  EXPECT_EQ(during[0] != FALSE, shownEnabled == foreground);
  EXPECT_TRUE(during[1]) << "a hidden window is left alone";
  EXPECT_FALSE(during[2]);
  // Afterwards exactly the windows that were enabled are enabled again.
  EXPECT_TRUE(IsWindowEnabled(shownEnabled));
  EXPECT_TRUE(IsWindowEnabled(hidden));
  EXPECT_FALSE(IsWindowEnabled(shownDisabled)) << "a window disabled before stays disabled";
  EXPECT_EQ(g_shown[0].owner, ExpectedOwner(foreground));
}

// With one of this process's windows in the foreground, the box is owned by it
// and that window alone stays enabled.
TEST_F(WarningBox, IsOwnedByItsProcessForegroundWindowWhichStaysEnabled) {
  const HWND front = MakeWindow(true, true);
  const HWND other = MakeWindow(true, true);
  if (front == nullptr || other == nullptr) {
    if (std::getenv("MBC_REQUIRE_WINDOWS") != nullptr) FAIL() << "no top-level windows";
    GTEST_SKIP() << "no top-level windows can be created here";
  }
  SetForegroundWindow(front);
  ASSERT_EQ(GetForegroundWindow(), front);
  plugin::ShowModalWarning("Warning", "RuzazUrovuv\\VarIvoziVavu init failed.", RecordBox);
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0].owner, front);
  EXPECT_TRUE(g_shown[0].enabledWhileShown[0]);
  EXPECT_FALSE(g_shown[0].enabledWhileShown[1]);
  EXPECT_TRUE(IsWindowEnabled(other));
}

}  // namespace
