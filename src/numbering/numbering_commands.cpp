#include "numbering/numbering_commands.h"

#include "host/bound.h"
#include "host/host_ops.h"
#include "numbering/allocator.h"

using namespace numbering;

namespace numbering {

std::int32_t MakeUnderFreshNumber(std::int32_t size) {
  if (!host::CompanionBound()) return 0;
  for (std::int32_t attempt = 0; attempt < kMaxFree; ++attempt) {
    const std::int32_t n = AllocateNumber();
    if (host::MemExistsOp(n) == 0) {
      host::MemMakeOp(n, size);
      return n;
    }
  }
  return 0;
}

}  // namespace numbering

extern "C" {

std::int32_t HOST_CDECL MBC_DynamicMake(std::int32_t size) {
  if (!host::CompanionBound()) return 0;
  const std::int32_t n = AllocateNumber();
  // Any non-zero answer means the script already made this number: leave it.
  if (host::MemExistsOp(n) == 0) host::MemMakeOp(n, size);
  return n;
}

std::int32_t HOST_CDECL MBC_Delete(std::int32_t n) {
  if (!host::CompanionBound()) return 0;
  if (n < 1) return n;
  if (host::MemExistsOp(n) == 1) host::MemDeleteOp(n);
  return ReleaseNumber(n);
}

std::int32_t HOST_CDECL MBC_Count() {
  return host::CompanionBound() ? NumbersInUse() : 0;
}

std::int32_t HOST_CDECL MBC_Clear() {
  if (!host::CompanionBound()) return 0;
  for (std::int32_t k = HighWater; k >= 1; --k) {
    if (host::MemExistsOp(k) == 1) host::MemDeleteOp(k);
  }
  ResetNumbers();
  return 0;
}

}  // extern "C"
