// The data that the stand-in host core "ZavarOvur.dll" hands out through
// "?GetGlobPtr@@YAKXZ". The plug-in only stores the pointer and tests it for
// zero; the runner and the tests read the block to tell a live core from a
// stale pointer and to count how often the core was asked.
#pragma once

#include <cstdint>

namespace refhost {

constexpr std::uint32_t kHostGlobalsSignature = 0x474C425Au;  // "ZBLG" read as bytes
constexpr std::uint32_t kHostGlobalsVersion = 1;

struct HostGlobals {
  std::uint32_t signature;     // kHostGlobalsSignature
  std::uint32_t structBytes;   // sizeof(HostGlobals)
  std::uint32_t version;       // kHostGlobalsVersion
  std::uint32_t globRequests;  // calls of ?GetGlobPtr@@YAKXZ since the core was loaded
  std::uint32_t processId;     // the process the core was loaded into
};

}  // namespace refhost
