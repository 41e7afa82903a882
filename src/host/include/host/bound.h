// "Bound": the two gates a command tests before anything else, and which
// command tests which. Adding a command? Its first line tests one of them.
//
//   CompanionBound()      the companion library handed over its module
//                         directory; "MBC Initialized" returns it, as 1 or 0.
//   MemblockTableBound()  that directory held the memblock table (slot 13).
//                         It implies CompanionBound().
//
// Only the binding (src/plugin/binding.cpp) opens them, and detach closes
// both. A command whose gate is closed returns 0 and calls nothing.
//
// The rule:
// - A command that hands out, takes back or counts memblock numbers (the
//   numbering commands, src/numbering/) tests CompanionBound(). The numbers
//   are the plug-in's own state and follow what "MBC Initialized" told the
//   script: told 1, a script gets numbers, even from a directory without a
//   memblock table (whose operations then answer 0).
// - A command that reads or writes a memblock's bytes (the image and mesh
//   commands, src/image/) tests MemblockTableBound(): without that table
//   there is nothing to read or draw and no header to write, so it returns 0
//   and takes no number. The makers then take theirs through
//   numbering::MakeUnderFreshNumber, which tests CompanionBound() as well.
//
// Both are inline: the plot behind every pixel a shape draws tests one.
#pragma once

#include <cstdint>

#include "host/host_ops.h"

namespace host {

// 1 once the companion is bound, 0 until then and again after detach.
extern std::int32_t InitState;

inline bool CompanionBound() {
  return InitState == 1;
}

inline bool MemblockTableBound() {
  return detail::g_directoryCopies[kMemblockDirectorySlot] != detail::kNoTable;
}

}  // namespace host
