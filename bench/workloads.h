// The three workloads both benchmark programs time, natively against the
// linked code and on Windows against the real DLL: a filled 512 x 512 box, a
// filled circle of diameter 256 and a 256 x 256 to 1024 x 1024 stretch, each
// as the command called through its export and as a floor loop that makes
// exactly the same host calls without the plug-in. The ratio of the two is
// what the plug-in adds on top of its calls.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_abi.h"
#include "refhost/companion/companion_client.h"

namespace bench {

using BoxExport = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                            std::int32_t, std::int32_t, std::int32_t);
using CircleExport = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t, std::int32_t,
                                               std::int32_t, std::int32_t, std::int32_t);
using StretchExport = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t);

// The product, bound to its host, as a benchmark program reaches it.
struct Product {
  BoxExport box;          // "MBC Box"
  CircleExport circle;    // "MBC Circle"
  StretchExport stretch;  // "MBC Stretch Image" into an existing target
  // The store the plug-in is bound to: lays out the images, observes calls.
  const refhost::CompanionClient* host;
  // The directory the companion hands over, through which the floors call.
  host::ModuleDirectory directory;
};

struct Workload {
  const char* name;
  void (*command)();
  void (*floor)();
  std::uint64_t hostCalls;  // set by PrepareWorkloads
};

const std::vector<Workload>& Workloads();

// Lays out the images in the host's store, derives the floors' data from the
// commands, and checks once that every floor makes its command's host calls
// (same count, same digest of slots, arguments and results). On a mismatch
// names the workload on stderr and returns false.
bool PrepareWorkloads(const Product& product);

}  // namespace bench
