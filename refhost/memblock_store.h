// The reference host's memblock store: the host side of the memblock and
// bitmap module tables, with the minimal resources (bitmaps, images, meshes,
// sounds, script arrays) that memblocks are made from.
//
// Every access is bounds-checked: a number that names no memblock, or an
// offset or count outside the block, reads 0 and writes nothing, whatever the
// arguments. The store can log every host call (table, slot, arguments,
// result) so that tests can assert exact call sequences.
//
// The operations are plain functions reached through the tables, as the host's
// are, so the store is one process-wide instance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_abi.h"

namespace refhost {

enum class Table { Memblock, Bitmap };

struct HostCall {
  Table table;
  int slot;
  std::vector<std::int32_t> args;
  std::int32_t result;

  bool operator==(const HostCall& other) const {
    return table == other.table && slot == other.slot && args == other.args &&
           result == other.result;
  }
};

// "MemExists(1) -> 0" style text for failure messages and log dumps.
std::string Describe(const HostCall& call);
std::string Describe(const std::vector<HostCall>& calls);

// The largest memblock the store makes; bigger requests make nothing.
constexpr std::int32_t kMaxMemblockBytes = 64 * 1024 * 1024;
// Directory slots served with a table (slot 0 included, so that reading it
// would be visible); the memblock table at 13, the bitmap table at 3.
constexpr int kDirectorySlots = 32;

// The directory the companion library hands over.
host::ModuleDirectory Directory();

// Forgets every memblock, resource and logged call; logging off.
void ResetStore();

// Direct access for tests and the runner: none of these is logged.
bool MemblockExists(std::int32_t n);
std::vector<std::uint8_t> MemblockBytes(std::int32_t n);  // empty when missing
void PutMemblock(std::int32_t n, std::vector<std::uint8_t> bytes);
std::int32_t MemblockCount();
// The little-endian 32-bit value at `at` in a memblock's bytes, 0 when it does
// not lie wholly inside them.
std::int32_t DwordAt(const std::vector<std::uint8_t>& bytes, std::size_t at);
// The numbers of every memblock, ascending.
std::vector<std::int32_t> MemblockNumbers();

// Resources. Bitmaps and images are 32-bit pixels, row by row; the memblock
// made from one is an image memblock (width, height, 32, pixels).
void AddBitmap(std::int32_t n, std::int32_t width, std::int32_t height,
               std::vector<std::int32_t> pixels);
void AddImage(std::int32_t n, std::int32_t width, std::int32_t height,
              std::vector<std::int32_t> pixels);
// A mesh of `vertices` 36-byte vertices; its memblock is the mesh layout
// (338, 36, vertex count, vertex data).
void AddMesh(std::int32_t n, std::int32_t vertices);
// A sound of 16-bit mono samples at 22050 Hz; its memblock is (16, 1, 22050,
// sample bytes).
void AddSound(std::int32_t n, std::vector<std::int16_t> samples);
// A script array under its reference; its memblock is the array's bytes.
void AddArray(std::int32_t reference, std::vector<std::uint8_t> bytes);

// Call log.
void StartLog();
void StopLog();
const std::vector<HostCall>& Log();
void ClearLog();

}  // namespace refhost
