// mbc_runner: a stand-in for the host. It loads the companion library and the
// host core as the host has them, loads the plug-in from its folder, reads the
// command table, calls the load hook, runs a command script and unloads.
// Run with --help for the usage, the directives and the exit statuses.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <string>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "refhost/runner/script_runner.h"

namespace {

constexpr int kSetUpFailed = 3;

void PrintUsage() {
  std::cout << "usage: mbc_runner [--trace] [--max-host-calls N] SCRIPT [OUTPUT_FOLDER]\n"
               "\n"
               "Loads DoduzIridizeruRediro.dll with the stand-in host libraries beside this\n"
               "program (the plug-in from the folder above when there is none here), calls its\n"
               "load hook and runs SCRIPT: one command or directive a line,\n"
               "\"#\" starts a comment. A command is written as the command table names it,\n"
               "arguments in brackets or after a blank; \"v = ...\" keeps its result.\n"
               "PNG files are read from SCRIPT's folder and written to OUTPUT_FOLDER (default\n"
               "\".\"); a file name must stay below its folder.\n"
               "\n"
               "  --trace             print every host call under the command that made it\n"
               "  --max-host-calls N  stop a command that makes more than N host calls\n"
               "                      (default "
            << refhost::kDefaultMaxHostCalls
            << ")\n"
               "\n"
               "Directives:\n";
  for (const refhost::Directive& d : refhost::Directives()) {
    std::cout << "  " << d.usage << "\n      " << d.does << "\n";
  }
  std::cout << "\n"
               "Exit status: 0 the script ran and every expectation held; 1 an expectation\n"
               "failed (or the plug-in stayed loaded); 2 a line could not be run, or a command\n"
               "was stopped; 3 the host could not be set up.\n";
}

void ShowBox(const refhost::MessageBoxRecord& box) {
  std::cout << "  [message box] \"" << refhost::Escaped(box.title) << "\": \""
            << refhost::Escaped(box.text) << "\"";
  if (box.flags != 0) std::cout << " flags 0x" << std::hex << box.flags << std::dec;
  if (box.owner != nullptr) std::cout << " owned by a window";
  std::cout << "\n";
}

int Fail(const std::string& why) {
  std::cout << "mbc_runner: " << why << "\n";
  return kSetUpFailed;
}

void Stop(int status) {
  std::cout.flush();
  ExitProcess(static_cast<UINT>(status));
}

// The plug-in by file name, found through the ordinary search (this program's
// folder first) as the host finds it; when this folder has none, the one a
// folder up, where the release package keeps it: there the runner and the
// stand-in host libraries live in reference-host/, away from the plug-in.
std::string PluginToLoad() {
  char self[MAX_PATH];
  std::string folder(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  folder.erase(folder.find_last_of("\\/") + 1);
  const auto exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  if (exists(folder + refhost::kPluginFileName)) return refhost::kPluginFileName;
  const std::string above = folder.substr(0, folder.find_last_of("\\/", folder.size() - 2) + 1) +
                            refhost::kPluginFileName;
  return exists(above) ? above : refhost::kPluginFileName;
}

}  // namespace

int main(int argc, char** argv) {
  refhost::RunnerOptions options;
  options.stop = &Stop;
  int at = 1;
  for (; at < argc && argv[at][0] == '-' && argv[at][1] == '-'; ++at) {
    const std::string option = argv[at];
    if (option == "--help") {
      PrintUsage();
      return 0;
    }
    if (option == "--trace") {
      options.trace = true;
    } else if (option == "--max-host-calls" && at + 1 < argc) {
      char* end = nullptr;
      options.maxHostCalls = std::strtoull(argv[++at], &end, 10);
      if (*end != '\0' || options.maxHostCalls == 0 || argv[at][0] == '-') {
        return Fail("--max-host-calls takes a count of at least 1");
      }
    } else {
      return Fail("unknown option " + option + " (--help lists them)");
    }
  }
  if (argc - at < 1 || argc - at > 2) {
    PrintUsage();
    return kSetUpFailed;
  }
  const std::string scriptPath = argv[at];
  std::ifstream script(scriptPath);
  if (!script) return Fail("cannot read " + scriptPath);
  const std::size_t slash = scriptPath.find_last_of("/\\");
  options.scriptFolder = slash == std::string::npos ? "." : scriptPath.substr(0, slash);
  options.outputFolder = argc - at == 2 ? argv[at + 1] : ".";

  // The host has its companion library loaded before any plug-in binds to it.
  refhost::CompanionClient host;
  const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  const auto exports = [companion](const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(companion, name));
  };
  if (companion == nullptr) {
    std::cout << "host companion RuzazUrovuv.dll absent: the directives that need it are refused\n";
  } else if (!host.Resolve(exports)) {
    return Fail("RuzazUrovuv.dll here is not the stand-in: it lacks " + host.MissingExport());
  }
  // The core is the host itself; a missing one is what the plug-in warns about.
  const HMODULE core = LoadLibraryA("ZavarOvur.dll");
  if (core == nullptr) std::cout << "host core ZavarOvur.dll absent\n";

  refhost::PluginModule plugin;
  std::string error;
  if (!plugin.Load(PluginToLoad().c_str(), &error)) return Fail(error);
  if (!refhost::CaptureMessageBoxes(plugin.Handle())) {
    return Fail("the plug-in does not import MessageBoxA; its boxes could not be caught");
  }
  refhost::SetMessageBoxObserver(&ShowBox);
  std::cout << "loaded " << refhost::kPluginFileName << ": " << plugin.Commands().Commands().size()
            << " commands in its command table\n";

  plugin.CallLoadHook();
  std::cout << "load hook called\n";

  refhost::ScriptRunner runner(plugin.Commands(), companion ? &host : nullptr, options, std::cout);
  refhost::RunResult result = refhost::kRunScriptError;
  try {
    result = runner.Run(script);
  } catch (const std::bad_alloc&) {  // every size is bounded; this is the last guard
    std::cout << "mbc_runner: out of memory\n";
  }

  std::cout << "unload hook returned " << plugin.CallUnloadHook();
  if (companion != nullptr) std::cout << "; " << host.MemblockCount() << " memblock(s) left";
  bool unloaded = plugin.Unload();
  std::cout << (unloaded ? "\nplug-in unloaded\n" : "\nplug-in did NOT unload\n");
  // Once the plug-in is gone, the host's own handles are the last ones: a
  // library still loaded after they are released is one the plug-in leaked.
  for (const auto& [handle, name] :
       {std::pair{companion, "RuzazUrovuv.dll"}, {core, "ZavarOvur.dll"}}) {
    if (handle == nullptr || !unloaded) continue;
    FreeLibrary(handle);
    if (GetModuleHandleA(name) == nullptr) continue;
    std::cout << name << " is still loaded: the plug-in kept a reference to it\n";
    unloaded = false;
  }
  if (!unloaded && result == refhost::kRunPassed) return refhost::kRunExpectFailed;
  return result;
}
