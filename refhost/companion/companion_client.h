// The companion's set-up and inspection exports, resolved by name: from a
// loaded "RuzazUrovuv.dll" (how the runner and the tests reach the store that
// the plug-in writes into; a store linked into the program itself would be a
// different one), or natively from the same functions linked in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "refhost/companion/companion_api.h"

namespace refhost {

// The address of an export by name, or null.
using ExportLookup = std::function<const void*(const char* name)>;

class CompanionClient {
 public:
  // Resolves every export through `lookup`; false (and nothing usable) when
  // one is missing, naming it in MissingExport().
  bool Resolve(const ExportLookup& lookup);
  const std::string& MissingExport() const { return missing_; }

#define REFHOST_DECLARE_POINTER(name, result, params) result(REFHOST_CDECL* name) params = nullptr;
  REFHOST_COMPANION_EXPORTS(REFHOST_DECLARE_POINTER)
#undef REFHOST_DECLARE_POINTER

  // The memblock's bytes; empty when it does not exist.
  std::vector<std::uint8_t> Bytes(std::int32_t n) const;
  // Its size without copying it; -1 when it does not exist.
  std::int32_t Size(std::int32_t n) const {
    return ReadMemblock(n, nullptr, 0);
  }
  // Every memblock number, ascending.
  std::vector<std::int32_t> Numbers() const;

 private:
  std::string missing_;
};

}  // namespace refhost
