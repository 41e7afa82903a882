// The Windows target: the real plug-in DLL loaded beside the stand-in host
// libraries, as the host loads it, with its message boxes caught.
#include <gtest/gtest.h>

#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "target.h"

namespace {

refhost::PluginModule& Module() {
  static refhost::PluginModule* module = new refhost::PluginModule;
  return *module;
}

}  // namespace

namespace target {

const refhost::CommandSet& Plugin() {
  return Module().Commands();
}

const refhost::CompanionClient& Host() {
  static const refhost::CompanionClient* host = [] {
    // The host keeps its companion loaded; the plug-in's own loads add to it.
    const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
    auto* client = new refhost::CompanionClient;
    if (companion == nullptr || LoadLibraryA("ZavarOvur.dll") == nullptr ||
        !client->Resolve([companion](const char* name) {
          return reinterpret_cast<const void*>(GetProcAddress(companion, name));
        })) {
      std::fprintf(stderr, "the stand-in host libraries are not beside the test program\n");
      std::abort();
    }
    return client;
  }();
  return *host;
}

void Restart(bool bind) {
  Host().ResetStore();
  std::string error;
  if (!Module().Unload()) ADD_FAILURE() << "the plug-in stayed loaded";
  if (!Module().Load(refhost::kPluginFileName, &error) ||
      !refhost::CaptureMessageBoxes(Module().Handle())) {
    std::fprintf(stderr, "cannot load the plug-in: %s\n", error.c_str());
    std::abort();
  }
  refhost::ClearMessageBoxes();
  if (bind) Module().CallLoadHook();
}

std::vector<std::string> Boxes() {
  std::vector<std::string> boxes;
  for (const refhost::MessageBoxRecord& box : refhost::CapturedMessageBoxes()) {
    boxes.push_back(box.title + ": " + box.text);
  }
  refhost::ClearMessageBoxes();
  return boxes;
}

bool Row(unsigned id, std::u16string* text) {
  return refhost::ReadResourceString(Module().Handle(), id, text);
}

}  // namespace target
