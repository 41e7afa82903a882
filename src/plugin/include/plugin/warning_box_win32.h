// The host's rule for a warning box: owned by the foreground window when that
// window belongs to this process, else by no window; every other visible and
// enabled top-level window of the calling thread is disabled while the box is
// shown, and exactly those are enabled again when it closes.
#pragma once

#include <windows.h>

namespace plugin {

using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR title, UINT flags);

// Shows the box through `show` (MessageBoxA in the product) with an OK button
// only and no icon, and returns once it is closed.
void ShowModalWarning(const char* title, const char* text, MessageBoxFunction show);

}  // namespace plugin
