#include "refhost/runner/message_box_capture.h"

#include <cstdio>

#include "refhost/runner/file_names.h"
#include "refhost/runner/import_patch.h"

namespace refhost {
namespace {

std::vector<MessageBoxRecord> g_boxes;
MessageBoxObserver g_observer = nullptr;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR title, UINT flags) {
  MessageBoxRecord box{owner, text ? text : "", title ? title : "", flags};
  g_boxes.push_back(box);
  if (g_observer != nullptr) g_observer(box);
  return IDOK;
}

}  // namespace

std::string MessageBoxLine(const MessageBoxRecord& box) {
  std::string line =
      "  [message box] \"" + Escaped(box.title) + "\": \"" + Escaped(box.text) + "\"";
  if (box.flags != 0) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "%x", box.flags);
    line += std::string(" flags 0x") + flags;
  }
  if (box.owner != nullptr) line += " owned by a window";
  return line;
}

bool CaptureMessageBoxes(HMODULE plugin) {
  return PatchImport(plugin, "user32.dll", "MessageBoxA",
                     reinterpret_cast<void*>(&RecordMessageBox)) != nullptr;
}

const std::vector<MessageBoxRecord>& CapturedMessageBoxes() {
  return g_boxes;
}
void ClearMessageBoxes() {
  g_boxes.clear();
}
void SetMessageBoxObserver(MessageBoxObserver observer) {
  g_observer = observer;
}

}  // namespace refhost
