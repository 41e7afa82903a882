// Calls a command export with as many 32-bit arguments as its row declares,
// in the C calling convention, as the host does.
#pragma once

#include <cstdint>
#include <vector>

#include "refhost/memblock_store.h"

namespace refhost {

// The most parameters a command row may declare ("MBC Box" has seven).
constexpr std::size_t kMaxCommandArgs = 8;

// Calls `address` with `args` (at most kMaxCommandArgs) and returns its result.
std::int32_t CallExport(const void* address, const std::int32_t* args, std::size_t count);
inline std::int32_t CallExport(const void* address, const std::vector<std::int32_t>& args) {
  return CallExport(address, args.data(), args.size());
}

}  // namespace refhost
