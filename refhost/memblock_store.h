// The reference host's memblock store: the host side of the memblock and
// bitmap module tables, with the minimal resources (bitmaps, images, meshes,
// sounds, script arrays) that memblocks are made from.
//
// It is written from the host's side: the directory layout, the slot of every
// operation and the calling convention below are the host's own, stated here
// and nowhere taken from the plug-in, so that a plug-in that calls a wrong slot
// or passes arguments in a wrong order fails against it.
//
// Every access is bounds-checked: a number that names no memblock, or an
// offset or count outside the block, reads 0 and writes nothing, whatever the
// arguments. Every host call is counted, and an observer, when set, sees each
// one as it happens (table, slot, arguments, result); nothing is stored per
// call, so a command may make any number of them.
//
// The operations are plain functions reached through the tables, as the host's
// are, so the store is one process-wide instance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The host's calling convention: 32-bit integers pushed right to left,
// removed by the caller, a 32-bit result.
#if defined(__i386__)
#define REFHOST_CDECL __attribute__((cdecl))
#else
#define REFHOST_CDECL
#endif

namespace refhost {

// The directory: 32 pointers to module tables, slot 0 included, so that a
// plug-in reading a slot it should not shows up as a call through 0.
constexpr int kDirectorySlots = 32;
constexpr int kBitmapTableSlot = 3;
constexpr int kMemblockTableSlot = 13;

// Which table an operation sits in, and its slot there.
enum : std::int32_t { kMemblockTable = 0, kBitmapTable = 1 };

// One host call as the store saw it: a plain value, the same on both sides of
// a library boundary.
struct HostCall {
  std::int32_t table;  // kMemblockTable or kBitmapTable
  std::int32_t slot;
  std::int32_t argCount;  // 0 to 5
  std::int32_t args[5];
  std::int32_t result;
};
bool operator==(const HostCall& a, const HostCall& b);

// Called for every host call while set; `context` is what was given with it.
using CallObserver = void(REFHOST_CDECL*)(const HostCall* call, void* context);

// "MemExists(1) -> 0": the operation's name, its arguments and its result.
// With `pixelsInHex`, the value that a dword or word read or write moves at
// offset 12 or beyond, where an image memblock keeps its pixels, is shown as
// "0x" and eight hexadecimal digits ("MemWriteDword(1, 12, 0xFF00FF00) -> 0").
std::string Describe(const HostCall& call, bool pixelsInHex = false);
// The calls joined with "; ".
std::string Describe(const std::vector<HostCall>& calls);

// The largest memblock the store makes; bigger requests make nothing.
constexpr std::int32_t kMaxMemblockBytes = 64 * 1024 * 1024;
// What every memblock and resource together may take, well inside the
// address space of a 32-bit process: a make that would pass it makes nothing,
// and a resource or memblock put in directly is refused.
constexpr std::int64_t kMaxStoreBytes = 256 * 1024 * 1024;

// The directory the companion library hands over.
const void* const* Directory();

// Forgets every memblock and resource, the call count and the observer.
void ResetStore();

// Direct access for tests and the runner: none of these is a host call.
bool MemblockExists(std::int32_t n);
std::vector<std::uint8_t> MemblockBytes(std::int32_t n);  // empty when missing
// Copies at most `capacity` leading bytes of memblock n, without copying the
// rest; its size, or -1 when it is missing.
std::int32_t ReadMemblock(std::int32_t n, std::uint8_t* bytes, std::int32_t capacity);
// Copies the `count` bytes at `offset` of memblock n, at a cost that does not
// grow with its size; its size, or -1 when it is missing. When they do not
// lie inside it, nothing is copied.
std::int32_t ReadMemblockAt(std::int32_t n, std::int32_t offset, std::uint8_t* bytes,
                            std::int32_t count);
// Puts `count` bytes at `offset` of memblock n in place; false (writing
// nothing) when it is missing or they do not lie inside it.
bool WriteMemblockAt(std::int32_t n, std::int32_t offset, const std::uint8_t* bytes,
                     std::int32_t count);
bool PutMemblock(std::int32_t n, std::vector<std::uint8_t> bytes);
std::int32_t MemblockCount();
// The numbers of every memblock, ascending.
std::vector<std::int32_t> MemblockNumbers();

// Resources, each false (and kept nothing) when the store has no room for it.
// Bitmaps and images are 32-bit pixels, row by row; the memblock
// made from one is an image memblock (width, height, 32, pixels).
bool AddBitmap(std::int32_t n, std::int32_t width, std::int32_t height,
               std::vector<std::int32_t> pixels);
bool AddImage(std::int32_t n, std::int32_t width, std::int32_t height,
              std::vector<std::int32_t> pixels);
// A mesh of `vertices` 36-byte vertices (at most what one memblock holds); its
// memblock is the mesh layout (338, 36, vertex count, vertex data).
bool AddMesh(std::int32_t n, std::int32_t vertices);
// A sound of 16-bit mono samples at 22050 Hz; its memblock is (16, 1, 22050,
// sample bytes).
bool AddSound(std::int32_t n, std::vector<std::int16_t> samples);
// A script array under its reference; its memblock is the array's bytes.
bool AddArray(std::int32_t reference, std::vector<std::uint8_t> bytes);

// The kinds of resource a memblock is made from.
enum class ResourceKind : std::int32_t { kBitmap, kImage, kMesh, kSound, kArray };
// Whether the store holds resource `n` (an array's reference) of that kind.
bool ResourceExists(ResourceKind kind, std::int32_t n);

// Host calls made since the store was reset.
std::uint64_t CallCount();
// Sets the observer (null: none).
void SetCallObserver(CallObserver observer, void* context);

}  // namespace refhost
