#include "refhost/memblock_store.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <unordered_map>
#include <utility>

#include "host/module_slots.h"

namespace refhost {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
  std::int32_t width;
  std::int32_t height;
  std::vector<std::int32_t> pixels;
};

struct Store {
  std::unordered_map<std::int32_t, Bytes> memblocks;
  std::map<std::int32_t, Picture> bitmaps;
  std::map<std::int32_t, Picture> images;
  std::map<std::int32_t, std::int32_t> meshes;
  std::map<std::int32_t, std::vector<std::int16_t>> sounds;
  std::map<std::int32_t, Bytes> arrays;
  bool logging = false;
  std::vector<HostCall> log;
};

Store& TheStore() {
  static Store store;
  return store;
}

std::int32_t Logged(Table table, int slot, std::initializer_list<std::int32_t> args,
                    std::int32_t result) {
  Store& s = TheStore();
  if (s.logging) s.log.push_back(HostCall{table, slot, std::vector<std::int32_t>(args), result});
  return result;
}

Bytes* Find(std::int32_t n) {
  auto& blocks = TheStore().memblocks;
  auto it = blocks.find(n);
  return it == blocks.end() ? nullptr : &it->second;
}

// True when [offset, offset + count) lies inside the block.
bool InRange(const Bytes& block, std::int32_t offset, std::int64_t count) {
  return offset >= 0 && count >= 0 &&
         static_cast<std::int64_t>(offset) + count <= static_cast<std::int64_t>(block.size());
}

void PutLE(Bytes& b, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint32_t GetLE(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

// A memblock may only be made under a positive number that is not in use.
bool CanMake(std::int32_t n) {
  return n >= 1 && Find(n) == nullptr;
}

Bytes HeaderAnd(std::initializer_list<std::int32_t> header, std::size_t payload) {
  Bytes b(header.size() * 4 + payload, 0);
  std::size_t at = 0;
  for (std::int32_t field : header) {
    PutLE(b, at, static_cast<std::uint32_t>(field), 4);
    at += 4;
  }
  return b;
}

Bytes PictureMemblock(const Picture& p) {
  Bytes b = HeaderAnd({p.width, p.height, 32}, p.pixels.size() * 4);
  for (std::size_t i = 0; i < p.pixels.size(); ++i) {
    PutLE(b, 12 + 4 * i, static_cast<std::uint32_t>(p.pixels[i]), 4);
  }
  return b;
}

// ---- Memblock module table --------------------------------------------

std::int32_t HOST_CDECL OpMemCopy(std::int32_t source, std::int32_t target, std::int32_t from,
                                  std::int32_t to, std::int32_t count) {
  Bytes* src = Find(source);
  Bytes* dst = Find(target);
  if (src && dst && InRange(*src, from, count) && InRange(*dst, to, count) && count > 0) {
    std::memmove(dst->data() + to, src->data() + from, static_cast<std::size_t>(count));
  }
  return Logged(Table::Memblock, host::MemCopy, {source, target, from, to, count}, 0);
}

std::int32_t MakeFromPicture(int slot, const std::map<std::int32_t, Picture>& pictures,
                             std::int32_t n, std::int32_t resource) {
  auto it = pictures.find(resource);
  if (it != pictures.end() && CanMake(n)) TheStore().memblocks[n] = PictureMemblock(it->second);
  return Logged(Table::Memblock, slot, {n, resource}, 0);
}

std::int32_t HOST_CDECL OpMemMakeFromBitmap(std::int32_t n, std::int32_t bitmap) {
  return MakeFromPicture(host::MemMakeFromBitmap, TheStore().bitmaps, n, bitmap);
}

std::int32_t HOST_CDECL OpMemMakeFromImage(std::int32_t n, std::int32_t image) {
  return MakeFromPicture(host::MemMakeFromImage, TheStore().images, n, image);
}

std::int32_t HOST_CDECL OpMemMakeFromMesh(std::int32_t n, std::int32_t mesh) {
  auto& meshes = TheStore().meshes;
  auto it = meshes.find(mesh);
  if (it != meshes.end() && CanMake(n)) {
    const std::int32_t vertices = it->second;
    Bytes b = HeaderAnd({338, 36, vertices}, static_cast<std::size_t>(vertices) * 36);
    // Vertex data: each vertex's index in its first byte, so copies are visible.
    for (std::int32_t v = 0; v < vertices; ++v) b[12 + 36 * static_cast<std::size_t>(v)] = v & 0xff;
    TheStore().memblocks[n] = std::move(b);
  }
  return Logged(Table::Memblock, host::MemMakeFromMesh, {n, mesh}, 0);
}

std::int32_t HOST_CDECL OpMemMakeFromSound(std::int32_t n, std::int32_t sound) {
  auto& sounds = TheStore().sounds;
  auto it = sounds.find(sound);
  if (it != sounds.end() && CanMake(n)) {
    const auto& samples = it->second;
    Bytes b = HeaderAnd({16, 1, 22050}, samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      PutLE(b, 12 + 2 * i, static_cast<std::uint16_t>(samples[i]), 2);
    }
    TheStore().memblocks[n] = std::move(b);
  }
  return Logged(Table::Memblock, host::MemMakeFromSound, {n, sound}, 0);
}

std::int32_t HOST_CDECL OpMemDelete(std::int32_t n) {
  TheStore().memblocks.erase(n);
  return Logged(Table::Memblock, host::MemDelete, {n}, 0);
}

std::int32_t HOST_CDECL OpMemSize(std::int32_t n) {
  const Bytes* b = Find(n);
  return Logged(Table::Memblock, host::MemSize, {n}, b ? static_cast<std::int32_t>(b->size()) : 0);
}

std::int32_t HOST_CDECL OpMemMake(std::int32_t n, std::int32_t size) {
  if (CanMake(n) && size >= 1 && size <= kMaxMemblockBytes) {
    TheStore().memblocks[n] = Bytes(static_cast<std::size_t>(size), 0);
  }
  return Logged(Table::Memblock, host::MemMake, {n, size}, 0);
}

std::int32_t HOST_CDECL OpMemExists(std::int32_t n) {
  return Logged(Table::Memblock, host::MemExists, {n}, Find(n) ? 1 : 0);
}

std::int32_t Read(int slot, std::int32_t n, std::int32_t offset, int bytes) {
  const Bytes* b = Find(n);
  std::int32_t value = 0;
  if (b && InRange(*b, offset, bytes)) {
    value = static_cast<std::int32_t>(GetLE(*b, static_cast<std::size_t>(offset), bytes));
  }
  return Logged(Table::Memblock, slot, {n, offset}, value);
}

std::int32_t Write(int slot, std::int32_t n, std::int32_t offset, std::int32_t value, int bytes) {
  Bytes* b = Find(n);
  if (b && InRange(*b, offset, bytes)) {
    PutLE(*b, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value), bytes);
  }
  return Logged(Table::Memblock, slot, {n, offset, value}, 0);
}

std::int32_t HOST_CDECL OpMemReadDword(std::int32_t n, std::int32_t offset) {
  return Read(host::MemReadDword, n, offset, 4);
}
std::int32_t HOST_CDECL OpMemReadWord(std::int32_t n, std::int32_t offset) {
  return Read(host::MemReadWord, n, offset, 2);
}
std::int32_t HOST_CDECL OpMemWriteDword(std::int32_t n, std::int32_t offset, std::int32_t value) {
  return Write(host::MemWriteDword, n, offset, value, 4);
}
std::int32_t HOST_CDECL OpMemWriteWord(std::int32_t n, std::int32_t offset, std::int32_t value) {
  return Write(host::MemWriteWord, n, offset, value, 2);
}

std::int32_t HOST_CDECL OpMemMakeFromArray(std::int32_t n, std::int32_t reference) {
  auto& arrays = TheStore().arrays;
  auto it = arrays.find(reference);
  if (it != arrays.end() && CanMake(n) && !it->second.empty()) {
    TheStore().memblocks[n] = it->second;
  }
  return Logged(Table::Memblock, host::MemMakeFromArray, {n, reference}, 0);
}

// ---- Bitmap module table -----------------------------------------------

std::int32_t HOST_CDECL OpBitmapExists(std::int32_t bitmap) {
  const auto& bitmaps = TheStore().bitmaps;
  return Logged(Table::Bitmap, host::BitmapExists, {bitmap}, bitmaps.count(bitmap) != 0 ? 1 : 0);
}

template <typename Fn>
host::TableEntry Entry(Fn fn) {
  return reinterpret_cast<host::TableEntry>(fn);
}

// Slots the plug-in does not use stay 0.
host::TableEntry g_memblockTable[32] = {};
host::TableEntry g_bitmapTable[16] = {};
// Other modules the host has; the plug-in never calls into them.
host::TableEntry g_otherTables[kDirectorySlots][4] = {};
host::ModuleTable g_directory[kDirectorySlots] = {};

void FillTables() {
  g_memblockTable[host::MemCopy] = Entry(OpMemCopy);
  g_memblockTable[host::MemMakeFromBitmap] = Entry(OpMemMakeFromBitmap);
  g_memblockTable[host::MemMakeFromImage] = Entry(OpMemMakeFromImage);
  g_memblockTable[host::MemMakeFromMesh] = Entry(OpMemMakeFromMesh);
  g_memblockTable[host::MemMakeFromSound] = Entry(OpMemMakeFromSound);
  g_memblockTable[host::MemDelete] = Entry(OpMemDelete);
  g_memblockTable[host::MemSize] = Entry(OpMemSize);
  g_memblockTable[host::MemMake] = Entry(OpMemMake);
  g_memblockTable[host::MemExists] = Entry(OpMemExists);
  g_memblockTable[host::MemReadDword] = Entry(OpMemReadDword);
  g_memblockTable[host::MemReadWord] = Entry(OpMemReadWord);
  g_memblockTable[host::MemWriteDword] = Entry(OpMemWriteDword);
  g_memblockTable[host::MemWriteWord] = Entry(OpMemWriteWord);
  g_memblockTable[host::MemMakeFromArray] = Entry(OpMemMakeFromArray);
  g_bitmapTable[host::BitmapExists] = Entry(OpBitmapExists);
  for (int slot = 0; slot < kDirectorySlots; ++slot) g_directory[slot] = g_otherTables[slot];
  g_directory[host::kMemblockDirectorySlot] = g_memblockTable;
  g_directory[host::kBitmapDirectorySlot] = g_bitmapTable;
}

const char* SlotName(Table table, int slot) {
  if (table == Table::Bitmap) return slot == host::BitmapExists ? "BitmapExists" : "Bitmap?";
  switch (slot) {
    case host::MemCopy:
      return "MemCopy";
    case host::MemMakeFromBitmap:
      return "MemMakeFromBitmap";
    case host::MemMakeFromImage:
      return "MemMakeFromImage";
    case host::MemMakeFromMesh:
      return "MemMakeFromMesh";
    case host::MemMakeFromSound:
      return "MemMakeFromSound";
    case host::MemDelete:
      return "MemDelete";
    case host::MemSize:
      return "MemSize";
    case host::MemMake:
      return "MemMake";
    case host::MemExists:
      return "MemExists";
    case host::MemReadDword:
      return "MemReadDword";
    case host::MemReadWord:
      return "MemReadWord";
    case host::MemWriteDword:
      return "MemWriteDword";
    case host::MemWriteWord:
      return "MemWriteWord";
    case host::MemMakeFromArray:
      return "MemMakeFromArray";
    default:
      return "Mem?";
  }
}

}  // namespace

std::string Describe(const HostCall& call) {
  std::string text = SlotName(call.table, call.slot);
  text += '(';
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    if (i) text += ", ";
    text += std::to_string(call.args[i]);
  }
  text += ") -> " + std::to_string(call.result);
  return text;
}

std::string Describe(const std::vector<HostCall>& calls) {
  std::string text;
  for (const HostCall& call : calls) text += Describe(call) + "\n";
  return text;
}

host::ModuleDirectory Directory() {
  if (g_directory[host::kMemblockDirectorySlot] == nullptr) FillTables();
  return g_directory;
}

void ResetStore() {
  Store& s = TheStore();
  s = Store{};
}

bool MemblockExists(std::int32_t n) {
  return Find(n) != nullptr;
}

std::vector<std::uint8_t> MemblockBytes(std::int32_t n) {
  const Bytes* b = Find(n);
  return b ? *b : Bytes{};
}

void PutMemblock(std::int32_t n, std::vector<std::uint8_t> bytes) {
  TheStore().memblocks[n] = std::move(bytes);
}

std::int32_t DwordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return 0;
  return static_cast<std::int32_t>(GetLE(bytes, at, 4));
}

std::int32_t MemblockCount() {
  return static_cast<std::int32_t>(TheStore().memblocks.size());
}

std::vector<std::int32_t> MemblockNumbers() {
  std::vector<std::int32_t> numbers;
  for (const auto& entry : TheStore().memblocks) numbers.push_back(entry.first);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

void AddBitmap(std::int32_t n, std::int32_t width, std::int32_t height,
               std::vector<std::int32_t> pixels) {
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  TheStore().bitmaps[n] = Picture{width, height, std::move(pixels)};
}

void AddImage(std::int32_t n, std::int32_t width, std::int32_t height,
              std::vector<std::int32_t> pixels) {
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  TheStore().images[n] = Picture{width, height, std::move(pixels)};
}

void AddMesh(std::int32_t n, std::int32_t vertices) {
  TheStore().meshes[n] = vertices;
}

void AddSound(std::int32_t n, std::vector<std::int16_t> samples) {
  TheStore().sounds[n] = std::move(samples);
}

void AddArray(std::int32_t reference, std::vector<std::uint8_t> bytes) {
  TheStore().arrays[reference] = std::move(bytes);
}

void StartLog() {
  TheStore().logging = true;
}
void StopLog() {
  TheStore().logging = false;
}
const std::vector<HostCall>& Log() {
  return TheStore().log;
}
void ClearLog() {
  TheStore().log.clear();
}

}  // namespace refhost
