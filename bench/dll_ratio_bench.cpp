// mbc_dll_bench.exe: the ratio program on the real 32-bit DLL, under Wine. It
// loads DoduzIridizeruRediro.dll and the stand-in companion RuzazUrovuv.dll
// from its own folder as the host does, binds the plug-in through its load
// hook, and times the workloads of workloads.h as adjacent pairs
// (paired_sampler.h): each command called through the export its
// command-table row names, beside its floor calling through the companion's
// directory. Wall time (steady_clock). Options in ratio_options.h; a --json
// path is a Windows one (relative to the host folder, or on drive Z:).
//
//   cmake --preset bench-win32 && cmake --build --preset bench-win32
//   (cd build/bench-win32/host && wine ./mbc_dll_bench.exe [--budget S] [--json FILE])
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ratio_figures.h"
#include "ratio_options.h"
#include "refhost/companion/companion_client.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "workloads.h"

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "mbc_dll_bench: %s\n", why.c_str());
  return 1;
}

template <typename Export>
Export ExportOfRow(const refhost::CommandSet& commands, const char* name, std::size_t args) {
  const refhost::PluginCommand* command = commands.Find(name, args);
  return command ? reinterpret_cast<Export>(const_cast<void*>(command->address)) : nullptr;
}

double WallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  bench::RatioOptions options;
  std::string error;
  if (!bench::ParseRatioOptions(argc, argv, false, &options, &error)) {
    std::fprintf(stderr, "mbc_dll_bench: %s\n", error.c_str());
    return 2;
  }

  // The host keeps its companion and core loaded; the plug-in's loads add to them.
  const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  refhost::CompanionClient host;
  if (companion == nullptr || LoadLibraryA("ZavarOvur.dll") == nullptr ||
      !host.Resolve([companion](const char* name) {
        return reinterpret_cast<const void*>(GetProcAddress(companion, name));
      })) {
    return Fail("the stand-in host libraries are not beside the program");
  }
  using DirectoryEntry = host::ModuleDirectory(HOST_CDECL*)();
  const auto entry = reinterpret_cast<DirectoryEntry>(
      reinterpret_cast<void*>(GetProcAddress(companion, "VarIvoziVavu")));

  refhost::PluginModule plugin;
  if (!plugin.Load(refhost::kPluginFileName, &error)) return Fail(error);
  refhost::CaptureMessageBoxes(plugin.Handle());
  plugin.CallLoadHook();
  std::int32_t bound = 0;
  if (!plugin.Commands().Call("MBC Initialized", {}, &bound) || bound != 1 ||
      !refhost::CapturedMessageBoxes().empty()) {
    return Fail("the plug-in did not bind through its load hook");
  }

  const refhost::CommandSet& commands = plugin.Commands();
  const bench::Product product{ExportOfRow<bench::BoxExport>(commands, "MBC Box", 7),
                               ExportOfRow<bench::CircleExport>(commands, "MBC Circle", 6),
                               ExportOfRow<bench::StretchExport>(commands, "MBC Stretch Image", 2),
                               &host, entry()};
  if (!product.box || !product.circle || !product.stretch) {
    return Fail("a command row is missing");
  }
  if (!bench::PrepareWorkloads(product)) return 1;

  std::vector<bench::WorkloadFigures> figures = bench::TimeWorkloads(&WallMs, options.sampling);
  bench::PrintFigures(stdout, figures, "wall time, steady_clock", options.sampling);
  if (!options.jsonPath.empty() && !bench::WriteFiguresJson(options.jsonPath, figures)) {
    return Fail("cannot write " + options.jsonPath);
  }

  plugin.CallUnloadHook();
  return plugin.Unload() ? 0 : Fail("the plug-in stayed loaded");
}
