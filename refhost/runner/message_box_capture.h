// Catches the plug-in's message boxes: its import of MessageBoxA is redirected
// to a recorder that keeps what the box would have shown and answers OK at
// once, as a user would. A headless host has no one to close a box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace refhost {

struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string title;
  UINT flags;
};

// The box as the runner prints it: `  [message box] "title": "text"`, its
// flags and owner when it has them.
std::string MessageBoxLine(const MessageBoxRecord& box);

// Redirects `plugin`'s MessageBoxA; false when the plug-in does not import it.
bool CaptureMessageBoxes(HMODULE plugin);

// Every box shown since the last ClearMessageBoxes, in order.
const std::vector<MessageBoxRecord>& CapturedMessageBoxes();
void ClearMessageBoxes();

// Called for each box while it is "shown", before it is answered: the moment
// at which the state of the windows around a modal box can be seen.
using MessageBoxObserver = void (*)(const MessageBoxRecord& box);
void SetMessageBoxObserver(MessageBoxObserver observer);

}  // namespace refhost
