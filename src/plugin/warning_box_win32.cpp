#include "plugin/warning_box_win32.h"

#include <vector>

namespace plugin {

namespace {

struct WindowSweep {
  HWND spared;
  DWORD thread;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM context) {
  auto* sweep = reinterpret_cast<WindowSweep*>(context);
  if (window != sweep->spared && GetWindowThreadProcessId(window, nullptr) == sweep->thread &&
      IsWindowVisible(window) && IsWindowEnabled(window)) {
    sweep->found.push_back(window);
  }
  return TRUE;
}

// The foreground window when it is this process's own; a box owned by
// another process's window would tie the two programs together.
HWND BoxOwner(HWND foreground) {
  if (foreground == nullptr) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

}  // namespace

void ShowModalWarning(const char* title, const char* text, MessageBoxFunction show) {
  const HWND foreground = GetForegroundWindow();
  // Collected first and disabled after, so that the enumeration never sees a
  // window whose state it has just changed.
  WindowSweep sweep{foreground, GetCurrentThreadId(), {}};
  EnumWindows(CollectThreadWindow, reinterpret_cast<LPARAM>(&sweep));
  for (HWND window : sweep.found) EnableWindow(window, FALSE);

  show(BoxOwner(foreground), text, title, MB_OK);

  for (HWND window : sweep.found) EnableWindow(window, TRUE);
}

}  // namespace plugin
