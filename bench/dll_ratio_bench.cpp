// The ratio benchmark on the real 32-bit DLL, under Wine. It loads
// DoduzIridizeruRediro.dll and the stand-in companion RuzazUrovuv.dll from its
// own folder as the host does, binds the plug-in through its load hook, and
// times the workloads of workloads.h: each command called through the export
// its command-table row names, beside its floor calling through the
// companion's directory. Repetitions run interleaved in a shuffled order, so
// that a command and its floor see the same machine.
//
//   cmake --preset bench-win32 && cmake --build --preset bench-win32
//   wine build/bench-win32/host/mbc_dll_bench.exe [REPETITIONS]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#include "workloads.h"

namespace {

constexpr int kDefaultRepetitions = 15;
// Each sample repeats its body for at least this long, well above the
// clock's resolution and the scheduler's quantum.
constexpr double kLeastSampleMs = 200;

int Fail(const std::string& why) {
  std::fprintf(stderr, "mbc_dll_bench: %s\n", why.c_str());
  return 1;
}

template <typename Export>
Export ExportOfRow(const refhost::CommandSet& commands, const char* name, std::size_t args) {
  const refhost::PluginCommand* command = commands.Find(name, args);
  return command ? reinterpret_cast<Export>(const_cast<void*>(command->address)) : nullptr;
}

double MsPerRun(void (*body)(), int runs) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) body();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count() / runs;
}

struct Entry {
  const bench::Workload* workload;
  bool floor;
  int runs;  // per sample, the same for a command and its floor
};

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : kDefaultRepetitions;
  if (repetitions < 1) return Fail("usage: mbc_dll_bench [REPETITIONS]");

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
  std::string error;
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

  std::vector<Entry> entries;
  for (const bench::Workload& w : bench::Workloads()) {
    const int runs =
        std::max(1, static_cast<int>(std::ceil(kLeastSampleMs / MsPerRun(w.floor, 1))));
    entries.push_back({&w, false, runs});
    entries.push_back({&w, true, runs});
  }
  std::mt19937 random(1);
  bench::Samples samples;
  for (int rep = 0; rep < repetitions; ++rep) {
    std::shuffle(entries.begin(), entries.end(), random);
    for (const Entry& e : entries) {
      samples[bench::SampleName(*e.workload, e.floor)].push_back(
          MsPerRun(e.floor ? e.workload->floor : e.workload->command, e.runs));
    }
  }
  std::printf("%d repetitions, interleaved; wall time per run (steady_clock)\n", repetitions);
  bench::PrintRatios(samples);

  plugin.CallUnloadHook();
  return plugin.Unload() ? 0 : Fail("the plug-in stayed loaded");
}
