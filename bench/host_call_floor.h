// The least code that makes a plot's or a pixel read's host calls: the same
// existence test, header reads, checks and access as the plug-in's commands.
// Each call reads the memblock table from the directory and the operation's
// address from the table, as every caller of the host's tables must; only
// 4-byte pixels are written or read, the depth of every benchmark image.
#pragma once

#include <cstdint>

#include "host/host_abi.h"
#include "host/module_slots.h"

namespace bench {

class HostCallFloor {
 public:
  // Calls through `directory`: the one the companion library hands over.
  explicit HostCallFloor(host::ModuleDirectory directory) : directory_(directory) {}
  void Plot(std::int32_t memblock, std::int32_t x, std::int32_t y, std::int32_t colour) const;
  std::int32_t GetPixel(std::int32_t memblock, std::int32_t x, std::int32_t y) const;
  std::int32_t Exists(std::int32_t memblock) const {
    return Op<host::Op1>(host::MemExists)(memblock);
  }
  std::int32_t ReadDword(std::int32_t memblock, std::int32_t offset) const {
    return Op<host::Op2>(host::MemReadDword)(memblock, offset);
  }

 private:
  template <typename Fn>
  Fn Op(int slot) const {
    return reinterpret_cast<Fn>(directory_[host::kMemblockDirectorySlot][slot]);
  }
  // The byte offset of (x, y) once the pixel has passed the checks, or -1.
  std::int32_t Locate(std::int32_t memblock, std::int32_t x, std::int32_t y) const;

  host::ModuleDirectory directory_;
};

}  // namespace bench
