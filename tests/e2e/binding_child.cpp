// The host process of one binding scenario. It loads the stand-in host
// libraries found beside it (as the host has them loaded), loads the plug-in,
// catches its message boxes and runs the steps named on its command line,
// printing one line per step and per message box:
//
//   ctor      the load hook                  -> "Constructor"
//   init      "MBC Initialized"              -> "MBC_Init -> R"
//   make      "MBC Make Memblock" of 16 bytes -> "MBC_DynamicMake(16) -> N, memblocks M"
//   count     "MBC Exist Memblock Count"     -> "MBC_Count -> N"
//   requests  how often each host library was asked -> "requests: directory D, core C"
//
// A message box prints as: box owner=O flags=F title="..." text="...", the
// owner "none" for no window. (The owner and window-disabling rule needs
// windows, which a headless Wine cannot make; it is left to the plug-in's own
// tests.)
// Exit status: 0, or 2 when the plug-in or one of its exports is missing.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "refhost/companion/companion_client.h"
#include "refhost/core/host_globals.h"
#include "refhost/runner/export_call.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"

namespace {

// Bytes outside printable ASCII as \xNN, so that the transcript shows every byte.
std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    }
  }
  return out;
}

std::string WindowName(HWND window) {
  if (window == nullptr) return "none";
  char name[32];
  std::snprintf(name, sizeof name, "%p", static_cast<void*>(window));
  return name;
}

void PrintBox(const refhost::MessageBoxRecord& box) {
  std::printf("box owner=%s flags=0x%X title=\"%s\" text=\"%s\"\n", WindowName(box.owner).c_str(),
              box.flags, Escaped(box.title).c_str(), Escaped(box.text).c_str());
}

const void* ExportOf(HMODULE module, const char* name) {
  const void* address = reinterpret_cast<const void*>(GetProcAddress(module, name));
  if (address == nullptr) {
    std::printf("missing export %s\n", name);
    std::fflush(stdout);
    ExitProcess(2);
  }
  return address;
}

}  // namespace

int main(int argc, char** argv) {
  HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  refhost::CompanionClient host;
  const bool haveHost = companion != nullptr && host.Resolve(companion);
  HMODULE core = LoadLibraryA("ZavarOvur.dll");
  const refhost::HostGlobals* globals = nullptr;
  std::uint32_t ownRequests = 0;
  if (core != nullptr) {
    const void* getGlobPtr = ExportOf(core, "?GetGlobPtr@@YAKXZ");
    globals = reinterpret_cast<const refhost::HostGlobals*>(
        static_cast<std::uintptr_t>(refhost::CallExport(getGlobPtr, {})));
    ownRequests = 1;
  }

  HMODULE plugin = LoadLibraryA(refhost::kPluginFileName);
  if (plugin == nullptr) {
    std::printf("cannot load the plug-in\n");
    return 2;
  }
  if (!refhost::CaptureMessageBoxes(plugin)) {
    std::printf("the plug-in does not import MessageBoxA\n");
    return 2;
  }
  refhost::SetMessageBoxObserver(&PrintBox);

  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "ctor") {
      refhost::CallExport(ExportOf(plugin, refhost::kLoadHookExport), {});
      std::printf("Constructor\n");
    } else if (step == "init") {
      std::printf("MBC_Init -> %d\n", refhost::CallExport(ExportOf(plugin, "MBC_Init"), {}));
    } else if (step == "make") {
      const std::int32_t n = refhost::CallExport(ExportOf(plugin, "MBC_DynamicMake"), {16});
      std::printf("MBC_DynamicMake(16) -> %d, memblocks %d\n", n,
                  haveHost ? host.MemblockCount() : -1);
    } else if (step == "count") {
      std::printf("MBC_Count -> %d\n", refhost::CallExport(ExportOf(plugin, "MBC_Count"), {}));
    } else if (step == "requests") {
      const std::string directory = haveHost ? std::to_string(host.DirectoryRequests()) : "-";
      const std::string fromCore =
          globals != nullptr ? std::to_string(globals->globRequests - ownRequests) : "-";
      std::printf("requests: directory %s, core %s\n", directory.c_str(), fromCore.c_str());
    } else {
      std::printf("unknown step %s\n", step.c_str());
      return 2;
    }
  }
  std::fflush(stdout);
  return 0;
}
