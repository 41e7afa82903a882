#include "refhost/memblock_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <unordered_map>
#include <utility>

namespace refhost {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Entry = std::uintptr_t;

// The host's memblock module table, slot by slot.
enum MemblockSlot : std::int32_t {
  kMemCopy = 1,
  kMemMakeFromBitmap = 4,
  kMemMakeFromImage = 5,
  kMemMakeFromMesh = 6,
  kMemMakeFromSound = 7,
  kMemDelete = 10,
  kMemSize = 12,
  kMemMake = 13,
  kMemExists = 14,
  kMemReadDword = 16,
  kMemReadWord = 18,
  kMemWriteDword = 20,
  kMemWriteWord = 22,
  kMemMakeFromArray = 23,
};
// The host's bitmap module table.
constexpr std::int32_t kBitmapExists = 11;

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
  std::int64_t bytes = 0;  // of every memblock and resource, against kMaxStoreBytes
  std::uint64_t calls = 0;
  CallObserver observer = nullptr;
  void* observerContext = nullptr;
};

Store& TheStore() {
  static Store store;
  return store;
}

std::int64_t SizeOf(const Bytes& b) {
  return static_cast<std::int64_t>(b.size());
}
std::int64_t SizeOf(const Picture& p) {
  return 4 * static_cast<std::int64_t>(p.pixels.size());
}
std::int64_t SizeOf(const std::vector<std::int16_t>& s) {
  return 2 * static_cast<std::int64_t>(s.size());
}

// Keeps `value` under `key` when the store still has room for it, in place of
// what was there; false, keeping nothing, when it has not.
template <typename Map, typename Value>
bool Keep(Map& map, std::int32_t key, Value value) {
  Store& s = TheStore();
  const auto old = map.find(key);
  const std::int64_t bytes = s.bytes + SizeOf(value) - (old == map.end() ? 0 : SizeOf(old->second));
  if (bytes > kMaxStoreBytes) return false;
  s.bytes = bytes;
  map[key] = std::move(value);
  return true;
}

std::int32_t Called(std::int32_t table, std::int32_t slot, std::initializer_list<std::int32_t> args,
                    std::int32_t result) {
  Store& s = TheStore();
  ++s.calls;
  if (s.observer != nullptr) {
    HostCall call{table, slot, static_cast<std::int32_t>(args.size()), {}, result};
    std::copy(args.begin(), args.end(), call.args);
    s.observer(&call, s.observerContext);
  }
  return result;
}

std::int32_t Mem(std::int32_t slot, std::initializer_list<std::int32_t> args, std::int32_t result) {
  return Called(kMemblockTable, slot, args, result);
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

std::int32_t REFHOST_CDECL OpMemCopy(std::int32_t source, std::int32_t target, std::int32_t from,
                                     std::int32_t to, std::int32_t count) {
  Bytes* src = Find(source);
  Bytes* dst = Find(target);
  if (src && dst && InRange(*src, from, count) && InRange(*dst, to, count) && count > 0) {
    std::memmove(dst->data() + to, src->data() + from, static_cast<std::size_t>(count));
  }
  return Mem(kMemCopy, {source, target, from, to, count}, 0);
}

std::int32_t MakeFromPicture(std::int32_t slot, const std::map<std::int32_t, Picture>& pictures,
                             std::int32_t n, std::int32_t resource) {
  auto it = pictures.find(resource);
  if (it != pictures.end() && CanMake(n))
    Keep(TheStore().memblocks, n, PictureMemblock(it->second));
  return Mem(slot, {n, resource}, 0);
}

std::int32_t REFHOST_CDECL OpMemMakeFromBitmap(std::int32_t n, std::int32_t bitmap) {
  return MakeFromPicture(kMemMakeFromBitmap, TheStore().bitmaps, n, bitmap);
}

std::int32_t REFHOST_CDECL OpMemMakeFromImage(std::int32_t n, std::int32_t image) {
  return MakeFromPicture(kMemMakeFromImage, TheStore().images, n, image);
}

std::int32_t REFHOST_CDECL OpMemMakeFromMesh(std::int32_t n, std::int32_t mesh) {
  auto& meshes = TheStore().meshes;
  auto it = meshes.find(mesh);
  if (it != meshes.end() && CanMake(n)) {
    const std::int32_t vertices = it->second;
    Bytes b = HeaderAnd({338, 36, vertices}, static_cast<std::size_t>(vertices) * 36);
    // Vertex data: each vertex's index in its first byte, so copies are visible.
    for (std::int32_t v = 0; v < vertices; ++v) b[12 + 36 * static_cast<std::size_t>(v)] = v & 0xff;
    Keep(TheStore().memblocks, n, std::move(b));
  }
  return Mem(kMemMakeFromMesh, {n, mesh}, 0);
}

std::int32_t REFHOST_CDECL OpMemMakeFromSound(std::int32_t n, std::int32_t sound) {
  auto& sounds = TheStore().sounds;
  auto it = sounds.find(sound);
  if (it != sounds.end() && CanMake(n)) {
    const auto& samples = it->second;
    Bytes b = HeaderAnd({16, 1, 22050}, samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      PutLE(b, 12 + 2 * i, static_cast<std::uint16_t>(samples[i]), 2);
    }
    Keep(TheStore().memblocks, n, std::move(b));
  }
  return Mem(kMemMakeFromSound, {n, sound}, 0);
}

std::int32_t REFHOST_CDECL OpMemDelete(std::int32_t n) {
  if (const Bytes* b = Find(n)) TheStore().bytes -= SizeOf(*b);
  TheStore().memblocks.erase(n);
  return Mem(kMemDelete, {n}, 0);
}

std::int32_t REFHOST_CDECL OpMemSize(std::int32_t n) {
  const Bytes* b = Find(n);
  return Mem(kMemSize, {n}, b ? static_cast<std::int32_t>(b->size()) : 0);
}

std::int32_t REFHOST_CDECL OpMemMake(std::int32_t n, std::int32_t size) {
  if (CanMake(n) && size >= 1 && size <= kMaxMemblockBytes &&
      TheStore().bytes + size <= kMaxStoreBytes) {
    Keep(TheStore().memblocks, n, Bytes(static_cast<std::size_t>(size), 0));
  }
  return Mem(kMemMake, {n, size}, 0);
}

std::int32_t REFHOST_CDECL OpMemExists(std::int32_t n) {
  return Mem(kMemExists, {n}, Find(n) ? 1 : 0);
}

std::int32_t Read(std::int32_t slot, std::int32_t n, std::int32_t offset, int bytes) {
  const Bytes* b = Find(n);
  std::int32_t value = 0;
  if (b && InRange(*b, offset, bytes)) {
    value = static_cast<std::int32_t>(GetLE(*b, static_cast<std::size_t>(offset), bytes));
  }
  return Mem(slot, {n, offset}, value);
}

std::int32_t Write(std::int32_t slot, std::int32_t n, std::int32_t offset, std::int32_t value,
                   int bytes) {
  Bytes* b = Find(n);
  if (b && InRange(*b, offset, bytes)) {
    PutLE(*b, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value), bytes);
  }
  return Mem(slot, {n, offset, value}, 0);
}

std::int32_t REFHOST_CDECL OpMemReadDword(std::int32_t n, std::int32_t offset) {
  return Read(kMemReadDword, n, offset, 4);
}
std::int32_t REFHOST_CDECL OpMemReadWord(std::int32_t n, std::int32_t offset) {
  return Read(kMemReadWord, n, offset, 2);
}
std::int32_t REFHOST_CDECL OpMemWriteDword(std::int32_t n, std::int32_t offset,
                                           std::int32_t value) {
  return Write(kMemWriteDword, n, offset, value, 4);
}
std::int32_t REFHOST_CDECL OpMemWriteWord(std::int32_t n, std::int32_t offset, std::int32_t value) {
  return Write(kMemWriteWord, n, offset, value, 2);
}

std::int32_t REFHOST_CDECL OpMemMakeFromArray(std::int32_t n, std::int32_t reference) {
  auto& arrays = TheStore().arrays;
  auto it = arrays.find(reference);
  if (it != arrays.end() && CanMake(n) && !it->second.empty()) {
    Keep(TheStore().memblocks, n, it->second);
  }
  return Mem(kMemMakeFromArray, {n, reference}, 0);
}

// ---- Bitmap module table -----------------------------------------------

std::int32_t REFHOST_CDECL OpBitmapExists(std::int32_t bitmap) {
  const auto& bitmaps = TheStore().bitmaps;
  return Called(kBitmapTable, kBitmapExists, {bitmap}, bitmaps.count(bitmap) != 0 ? 1 : 0);
}

// ---- Tables --------------------------------------------------------------

struct Operation {
  std::int32_t table;
  std::int32_t slot;
  const char* name;
  Entry entry;
};

template <typename Fn>
Entry At(Fn fn) {
  return reinterpret_cast<Entry>(fn);
}

const Operation kOperations[] = {
    {kMemblockTable, kMemCopy, "MemCopy", At(OpMemCopy)},
    {kMemblockTable, kMemMakeFromBitmap, "MemMakeFromBitmap", At(OpMemMakeFromBitmap)},
    {kMemblockTable, kMemMakeFromImage, "MemMakeFromImage", At(OpMemMakeFromImage)},
    {kMemblockTable, kMemMakeFromMesh, "MemMakeFromMesh", At(OpMemMakeFromMesh)},
    {kMemblockTable, kMemMakeFromSound, "MemMakeFromSound", At(OpMemMakeFromSound)},
    {kMemblockTable, kMemDelete, "MemDelete", At(OpMemDelete)},
    {kMemblockTable, kMemSize, "MemSize", At(OpMemSize)},
    {kMemblockTable, kMemMake, "MemMake", At(OpMemMake)},
    {kMemblockTable, kMemExists, "MemExists", At(OpMemExists)},
    {kMemblockTable, kMemReadDword, "MemReadDword", At(OpMemReadDword)},
    {kMemblockTable, kMemReadWord, "MemReadWord", At(OpMemReadWord)},
    {kMemblockTable, kMemWriteDword, "MemWriteDword", At(OpMemWriteDword)},
    {kMemblockTable, kMemWriteWord, "MemWriteWord", At(OpMemWriteWord)},
    {kMemblockTable, kMemMakeFromArray, "MemMakeFromArray", At(OpMemMakeFromArray)},
    {kBitmapTable, kBitmapExists, "BitmapExists", At(OpBitmapExists)},
};

// Slots the plug-in does not use stay 0; the other modules the host has
// are all-zero tables the plug-in never calls into.
Entry g_memblockTable[32] = {};
Entry g_bitmapTable[16] = {};
Entry g_otherTables[kDirectorySlots][4] = {};
const Entry* g_directory[kDirectorySlots] = {};

void FillTables() {
  for (const Operation& op : kOperations) {
    (op.table == kMemblockTable ? g_memblockTable : g_bitmapTable)[op.slot] = op.entry;
  }
  for (int slot = 0; slot < kDirectorySlots; ++slot) g_directory[slot] = g_otherTables[slot];
  g_directory[kMemblockTableSlot] = g_memblockTable;
  g_directory[kBitmapTableSlot] = g_bitmapTable;
}

}  // namespace

bool operator==(const HostCall& a, const HostCall& b) {
  return a.table == b.table && a.slot == b.slot && a.argCount == b.argCount &&
         std::equal(a.args, a.args + a.argCount, b.args) && a.result == b.result;
}

std::string Describe(const HostCall& call, bool pixelsInHex) {
  std::string text = "?";
  for (const Operation& op : kOperations) {
    if (op.table == call.table && op.slot == call.slot) text = op.name;
  }
  const bool memblock = call.table == kMemblockTable;
  const bool read = memblock && (call.slot == kMemReadDword || call.slot == kMemReadWord);
  const bool write = memblock && (call.slot == kMemWriteDword || call.slot == kMemWriteWord);
  const bool pixel = pixelsInHex && (read || write) && call.argCount >= 2 && call.args[1] >= 12;
  const auto shown = [](std::int32_t value, bool hex) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "0x%08X", static_cast<std::uint32_t>(value));
    return hex ? std::string(digits) : std::to_string(value);
  };
  text += '(';
  for (std::int32_t i = 0; i < call.argCount && i < 5; ++i) {
    if (i) text += ", ";
    text += shown(call.args[i], pixel && write && i == 2);
  }
  return text + ") -> " + shown(call.result, pixel && read);
}

std::string Describe(const std::vector<HostCall>& calls) {
  std::string text;
  for (const HostCall& call : calls) text += (text.empty() ? "" : "; ") + Describe(call);
  return text;
}

const void* const* Directory() {
  if (g_directory[kMemblockTableSlot] == nullptr) FillTables();
  return reinterpret_cast<const void* const*>(g_directory);
}

void ResetStore() {
  TheStore() = Store{};
}

bool MemblockExists(std::int32_t n) {
  return Find(n) != nullptr;
}

std::vector<std::uint8_t> MemblockBytes(std::int32_t n) {
  const Bytes* b = Find(n);
  return b ? *b : Bytes{};
}

std::int32_t ReadMemblock(std::int32_t n, std::uint8_t* bytes, std::int32_t capacity) {
  const Bytes* b = Find(n);
  if (b == nullptr) return -1;
  const std::size_t shown = std::min(b->size(), static_cast<std::size_t>(std::max(capacity, 0)));
  if (bytes != nullptr && shown != 0) std::memcpy(bytes, b->data(), shown);
  return static_cast<std::int32_t>(b->size());
}

std::int32_t ReadMemblockAt(std::int32_t n, std::int32_t offset, std::uint8_t* bytes,
                            std::int32_t count) {
  const Bytes* b = Find(n);
  if (b == nullptr) return -1;
  if (bytes != nullptr && count > 0 && InRange(*b, offset, count)) {
    std::memcpy(bytes, b->data() + offset, static_cast<std::size_t>(count));
  }
  return static_cast<std::int32_t>(b->size());
}

bool WriteMemblockAt(std::int32_t n, std::int32_t offset, const std::uint8_t* bytes,
                     std::int32_t count) {
  Bytes* b = Find(n);
  if (b == nullptr || bytes == nullptr || count < 1 || !InRange(*b, offset, count)) return false;
  std::memcpy(b->data() + offset, bytes, static_cast<std::size_t>(count));
  return true;
}

bool PutMemblock(std::int32_t n, std::vector<std::uint8_t> bytes) {
  return Keep(TheStore().memblocks, n, std::move(bytes));
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

bool AddBitmap(std::int32_t n, std::int32_t width, std::int32_t height,
               std::vector<std::int32_t> pixels) {
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  return Keep(TheStore().bitmaps, n, Picture{width, height, std::move(pixels)});
}

bool AddImage(std::int32_t n, std::int32_t width, std::int32_t height,
              std::vector<std::int32_t> pixels) {
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  return Keep(TheStore().images, n, Picture{width, height, std::move(pixels)});
}

bool AddMesh(std::int32_t n, std::int32_t vertices) {
  // Its memblock, 12 + 36 bytes a vertex, must be one the store can make.
  if (vertices < 0 || vertices > (kMaxMemblockBytes - 12) / 36) return false;
  TheStore().meshes[n] = vertices;
  return true;
}

bool AddSound(std::int32_t n, std::vector<std::int16_t> samples) {
  return Keep(TheStore().sounds, n, std::move(samples));
}

bool AddArray(std::int32_t reference, std::vector<std::uint8_t> bytes) {
  return Keep(TheStore().arrays, reference, std::move(bytes));
}

bool ResourceExists(ResourceKind kind, std::int32_t n) {
  const Store& s = TheStore();
  switch (kind) {
    case ResourceKind::kBitmap:
      return s.bitmaps.count(n) != 0;
    case ResourceKind::kImage:
      return s.images.count(n) != 0;
    case ResourceKind::kMesh:
      return s.meshes.count(n) != 0;
    case ResourceKind::kSound:
      return s.sounds.count(n) != 0;
    case ResourceKind::kArray:
      return s.arrays.count(n) != 0;
  }
  return false;
}

std::uint64_t CallCount() {
  return TheStore().calls;
}

void SetCallObserver(CallObserver observer, void* context) {
  TheStore().observer = observer;
  TheStore().observerContext = context;
}

}  // namespace refhost
