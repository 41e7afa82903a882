// A sweep of circles and stretches run against the reference store with the
// call log on, reduced to a digest of every host call. The native and 32-bit
// builds must give the same digest: same calls, same arguments, same pixels.
#pragma once

#include <cstdint>
#include <functional>

struct SweepDigest {
  std::uint64_t hash;  // FNV-1a 64 over table, slot, arguments and result of each call
  std::uint64_t calls;
};

inline bool operator==(SweepDigest a, SweepDigest b) {
  return a.hash == b.hash && a.calls == b.calls;
}

// Calls the one command it is given; a test may change the floating-point
// mode around it.
using CommandRunner = std::function<void(const std::function<void()>& command)>;

// Circles of diameters 1 to 64, outline and filled, at an even and an odd
// centre; then every stretch from a source width of 1 to 32 into a target
// width of 1 to 32 (source height 2, target height 5). Needs a bound store.
SweepDigest RunSweep(const CommandRunner& run);
