// Where the host's operations sit in the tables that the companion library
// hands over. The directory is an array of pointers to module tables; a module
// table is an array of function addresses, slot k at index k.
#pragma once

namespace host {

// Directory slots that this plug-in uses.
constexpr int kBitmapDirectorySlot = 3;
constexpr int kMemblockDirectorySlot = 13;

// The plug-in keeps its own copies of directory slots 1 to 27.
constexpr int kFirstCopiedSlot = 1;
constexpr int kLastCopiedSlot = 27;

// Memblock module table.
enum MemblockSlot : int {
  MemCopy = 1,            // (source, target, sourceOffset, targetOffset, bytes)
  MemMakeFromBitmap = 4,  // (memblock, bitmap)
  MemMakeFromImage = 5,   // (memblock, image)
  MemMakeFromMesh = 6,    // (memblock, mesh)
  MemMakeFromSound = 7,   // (memblock, sound)
  MemDelete = 10,         // (memblock)
  MemSize = 12,           // (memblock) -> bytes
  MemMake = 13,           // (memblock, bytes)
  MemExists = 14,         // (memblock) -> 1 when it exists
  MemReadDword = 16,      // (memblock, offset) -> 32-bit value
  MemReadWord = 18,       // (memblock, offset) -> 16-bit value
  MemWriteDword = 20,     // (memblock, offset, value)
  MemWriteWord = 22,      // (memblock, offset, value): low 16 bits
  MemMakeFromArray = 23,  // (memblock, array reference)
};

// Bitmap module table.
enum BitmapSlot : int {
  BitmapExists = 11,  // (bitmap) -> 1 when it exists
};

}  // namespace host
