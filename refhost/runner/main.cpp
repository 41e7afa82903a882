// mbc_runner: a stand-in for the host. It loads the companion library and the
// host core as the host has them, loads the plug-in from its folder, reads the
// command table, calls the load hook, runs a command script and unloads; or
// runs a suite of scripts, each in a fresh plug-in (suite_program.h).
// Run with --help for the usage, the directives and the exit statuses.
#include <windows.h>

#include <iostream>
#include <new>
#include <string>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_line.h"
#include "refhost/runner/command_parameters.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "refhost/runner/script_runner.h"
#include "refhost/runner/suite_program.h"

namespace {

void ShowBox(const refhost::MessageBoxRecord& box) {
  std::cout << refhost::MessageBoxLine(box) << "\n";
}

int Fail(const std::string& why) {
  std::cout << "mbc_runner: " << refhost::Escaped(why) << "\n";
  return refhost::kRunSetUpFailed;
}

void Stop(int status) {
  std::cout.flush();
  ExitProcess(static_cast<UINT>(status));
}

// The folder of a full path, with its separator ("C:\" for "C:\s.mbc").
std::string Folder(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/") + 1);
}

// The plug-in by file name, found through the ordinary search (this program's
// folder first) as the host finds it; when this folder has none, the one a
// folder up, where the release package keeps it: there the runner and the
// stand-in host libraries live in reference-host/, away from the plug-in.
// `looked` tells where it was looked for.
std::string PluginToLoad(std::string* looked) {
  char self[MAX_PATH];
  const std::string folder = Folder(std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH)));
  const std::string above = Folder(folder.substr(0, folder.size() - 1));
  const auto exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  *looked = "looked beside the runner (" + folder + "), in the folder above (" + above +
            ") and along the system's search for libraries";
  if (exists(folder + refhost::kPluginFileName)) return refhost::kPluginFileName;
  return exists(above + refhost::kPluginFileName) ? above + refhost::kPluginFileName
                                                  : refhost::kPluginFileName;
}

}  // namespace

int main(int argc, char** argv) {
  refhost::CommandLine line;
  std::string error;
  if (!refhost::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
    std::cerr << "mbc_runner: " << refhost::Escaped(error) << "\n" << refhost::UsageLine();
    return refhost::kExitUsage;
  }
  if (line.help) {
    // The commands come from the plug-in's own table, read without binding it.
    std::cout << refhost::HelpText() << "\n";
    refhost::PluginModule plugin;
    std::string looked;
    if (plugin.Load(PluginToLoad(&looked).c_str(), &error)) {
      std::cout << refhost::CommandsHelp(plugin.Commands());
    } else {
      std::cout << "Commands: the plug-in's commands are listed here from its command table, and "
                   "it could not be loaded: "
                << refhost::Escaped(error) << "; " << looked << ".\n";
    }
    return 0;
  }
  if (refhost::RunsAsSuite(line)) {
    std::string looked;
    const std::string pluginFile = PluginToLoad(&looked);
    return refhost::RunSuiteProgram(line, pluginFile, looked);
  }
  refhost::RunnerOptions& options = line.options;
  options.stop = &Stop;
  // The script's folder is that of its full path as the system makes it
  // ("C:s.mbc" lies in the current folder of drive C:).
  if (!refhost::SystemFullPath(line.script, &options.script, &error)) {
    return Fail("the script " + line.script + " cannot be read: " + error);
  }
  // Windows takes NUL, CON, COM1 ... with any extension for its devices.
  if (options.script.rfind("\\\\.\\", 0) == 0) {
    return Fail("the script " + line.script + " is the device " + options.script +
                " to Windows, not a file (NUL, CON, PRN, AUX, COM1 to COM9 and LPT1 to LPT9 name "
                "devices, whatever their extension): rename the script");
  }
  options.scriptFolder = Folder(options.script);
  std::string scriptBytes;
  switch (
      refhost::ReadFileBytes(options.script, refhost::kLargestScriptBytes, &scriptBytes, &error)) {
    case refhost::ReadResult::kRead:
      break;
    case refhost::ReadResult::kTooLarge:  // a script beyond the limit, like one that is no text
      std::cout << "mbc_runner: the script " << refhost::Escaped(error) << "\n";
      return refhost::kRunScriptError;
    case refhost::ReadResult::kCannotRead:
      return Fail("the script " + error);
  }

  // The host has its companion library loaded before any plug-in binds to it.
  refhost::CompanionClient host;
  const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  const auto exports = [companion](const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(companion, name));
  };
  if (companion == nullptr) {
    std::cout << "host companion RuzazUrovuv.dll absent: the directives that need it are refused; "
                 "to try scripts, put the release's reference-host files back beside "
                 "mbc_runner.exe\n";
  } else if (!host.Resolve(exports)) {
    char path[MAX_PATH];
    return Fail(std::string(path, GetModuleFileNameA(companion, path, MAX_PATH)) +
                " is not the stand-in: it lacks " + host.MissingExport());
  }
  // The core is the host itself; a missing one is what the plug-in warns about.
  const HMODULE core = LoadLibraryA("ZavarOvur.dll");
  if (core == nullptr) {
    std::cout << "host core ZavarOvur.dll absent; to try scripts, put the release's "
                 "reference-host files back beside mbc_runner.exe\n";
  }

  refhost::PluginModule plugin;
  std::string looked;
  const std::string pluginFile = PluginToLoad(&looked);
  if (!plugin.Load(pluginFile.c_str(), &error)) return Fail(error + "; " + looked);
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
    result = runner.Run(std::move(scriptBytes));
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
