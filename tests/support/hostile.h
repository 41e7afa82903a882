// Hostile command sequences: each step one of the plug-in's commands (or
// PrepareMeshMemblock, or a host-side change to a memblock header) with
// arguments drawn mostly from the values that break arithmetic, at the ends
// of the 32-bit range among them. Only the work is bounded (a filled box of
// 2^32 x 2^32 pixels is valid input but would never finish): spans and sizes
// stay small while their positions may lie anywhere. The steps are a table in
// hostile.cpp, each a command and the letters of its arguments' kinds.
#pragma once

#include <cstdint>
#include <functional>

namespace hostile {

// Runs the command it is given and returns its result; a test may change
// the floating-point mode around it.
using Around = std::function<std::int32_t(const std::function<std::int32_t()>& command)>;

// Takes one step, drawing the numbers it needs from `next`, against the
// target (target.h); returns the command's result (0 for a host-side step).
std::int32_t Step(const std::function<std::uint32_t()>& next, const Around& around = nullptr);

// Resources every sequence starts with: bitmap 1, image 2, mesh 3, sound 4
// and array 5, in a fresh store with the plug-in bound.
void Start();

}  // namespace hostile
