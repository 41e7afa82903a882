#include "plugin/warning_box_win32.h"

namespace plugin {

namespace {

// The windows disabled for one box, on the stack: nothing is allocated, so
// nothing can fail while the host waits for the box. A thread with more
// visible, enabled top-level windows than this keeps the rest enabled.
constexpr int kMostDisabledWindows = 256;

struct WindowSweep {
  HWND spared;
  DWORD thread;
  int count;
  HWND found[kMostDisabledWindows];
};

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM context) {
  auto* sweep = reinterpret_cast<WindowSweep*>(context);
  if (window != sweep->spared && GetWindowThreadProcessId(window, nullptr) == sweep->thread &&
      IsWindowVisible(window) && IsWindowEnabled(window)) {
    sweep->found[sweep->count++] = window;
  }
  return sweep->count < kMostDisabledWindows;
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
  WindowSweep sweep;
  sweep.spared = foreground;
  sweep.thread = GetCurrentThreadId();
  sweep.count = 0;
  EnumWindows(CollectThreadWindow, reinterpret_cast<LPARAM>(&sweep));
  for (int i = 0; i < sweep.count; ++i) EnableWindow(sweep.found[i], FALSE);

  show(BoxOwner(foreground), text, title, MB_OK);

  for (int i = 0; i < sweep.count; ++i) EnableWindow(sweep.found[i], TRUE);
}

}  // namespace plugin
