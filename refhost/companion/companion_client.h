// The companion's set-up and inspection exports, resolved by name from a
// loaded "RuzazUrovuv.dll": how the runner and the tests reach the store that
// the plug-in writes into (a store linked into the program itself would be a
// different one).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/companion/companion_api.h"
#include "refhost/memblock_store.h"

namespace refhost {

class CompanionClient {
 public:
  // Resolves every export of `module`; false (and nothing usable) when one is
  // missing, naming it in MissingExport().
  bool Resolve(HMODULE module);
  const std::string& MissingExport() const { return missing_; }

#define REFHOST_DECLARE_POINTER(name, result, params) result(HOST_CDECL* name) params = nullptr;
  REFHOST_COMPANION_EXPORTS(REFHOST_DECLARE_POINTER)
#undef REFHOST_DECLARE_POINTER

  // The memblock's bytes; empty when it does not exist.
  std::vector<std::uint8_t> Bytes(std::int32_t n) const;
  // Every memblock number, ascending.
  std::vector<std::int32_t> Numbers() const;
  // The calls logged so far, as the store describes them.
  std::vector<HostCall> Calls() const;

 private:
  std::string missing_;
};

// The companion's record as the store's own type, for comparisons and Describe.
HostCall ToHostCall(const CallRecord& record);

}  // namespace refhost
