// mbc_runner: a stand-in for the host. It loads the companion library and the
// host core as the host has them, loads the plug-in from its folder, reads the
// command table, calls the load hook, runs a command script and unloads.
//
//   mbc_runner SCRIPT [OUTPUT_FOLDER]
//
// PNG files of the script's "save" lines go to OUTPUT_FOLDER (default ".").
// Exit status: 0 the script ran and every "expect" held; 1 an "expect" failed;
// 2 a line could not be run; 3 the host could not be set up.
#include <windows.h>

#include <fstream>
#include <iostream>
#include <string>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "refhost/runner/script_runner.h"

namespace {

constexpr int kSetUpFailed = 3;

void ShowBox(const refhost::MessageBoxRecord& box) {
  std::cout << "  [message box] \"" << box.title << "\": \"" << box.text << "\"\n";
}

int Fail(const std::string& why) {
  std::cout << "mbc_runner: " << why << "\n";
  return kSetUpFailed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cout << "usage: mbc_runner SCRIPT [OUTPUT_FOLDER]\n";
    return kSetUpFailed;
  }
  std::ifstream script(argv[1]);
  if (!script) return Fail(std::string("cannot read ") + argv[1]);
  const std::string outputFolder = argc == 3 ? argv[2] : ".";

  // The host has its companion library loaded before any plug-in binds to it.
  HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  refhost::CompanionClient host;
  if (companion == nullptr || !host.Resolve(companion)) {
    return Fail("the stand-in RuzazUrovuv.dll is missing or incomplete " + host.MissingExport());
  }
  // The core is the host itself; a missing one is what the plug-in warns about.
  if (LoadLibraryA("ZavarOvur.dll") == nullptr) std::cout << "host core ZavarOvur.dll absent\n";

  refhost::PluginModule plugin;
  std::string error;
  if (!plugin.Load(refhost::kPluginFileName, &error)) return Fail(error);
  if (!refhost::CaptureMessageBoxes(plugin.Handle())) {
    return Fail("the plug-in does not import MessageBoxA; its boxes could not be caught");
  }
  refhost::SetMessageBoxObserver(&ShowBox);
  std::cout << "loaded " << refhost::kPluginFileName << ": " << plugin.Commands().size()
            << " commands in its command table\n";

  plugin.CallLoadHook();
  std::cout << "load hook called; binding made " << host.DirectoryRequests()
            << " request(s) for the module directory\n";

  refhost::ScriptRunner runner(plugin, host, outputFolder, std::cout);
  const refhost::RunResult result = runner.Run(script);

  std::cout << "unload hook returned " << plugin.CallUnloadHook() << "; " << host.MemblockCount()
            << " memblock(s) left in the host\n";
  const bool unloaded = plugin.Unload();
  std::cout << (unloaded ? "plug-in unloaded\n" : "plug-in did NOT unload\n");
  if (!unloaded && result == refhost::kRunPassed) return refhost::kRunExpectFailed;
  return result;
}
