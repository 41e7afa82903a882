#include "refhost/companion/companion_client.h"

namespace refhost {

bool CompanionClient::Resolve(HMODULE module) {
  missing_.clear();
#define REFHOST_RESOLVE_POINTER(name, result, params)                    \
  name = reinterpret_cast<decltype(name)>(                               \
      reinterpret_cast<void*>(GetProcAddress(module, "Refhost" #name))); \
  if (name == nullptr && missing_.empty()) missing_ = "Refhost" #name;
  REFHOST_COMPANION_EXPORTS(REFHOST_RESOLVE_POINTER)
#undef REFHOST_RESOLVE_POINTER
  return missing_.empty();
}

std::vector<std::uint8_t> CompanionClient::Bytes(std::int32_t n) const {
  const std::int32_t size = ReadMemblock(n, nullptr, 0);
  if (size <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  ReadMemblock(n, bytes.data(), size);
  return bytes;
}

std::vector<std::int32_t> CompanionClient::Numbers() const {
  std::vector<std::int32_t> numbers(static_cast<std::size_t>(ListMemblocks(nullptr, 0)));
  if (!numbers.empty()) {
    ListMemblocks(numbers.data(), static_cast<std::int32_t>(numbers.size()));
  }
  return numbers;
}

std::vector<HostCall> CompanionClient::Calls() const {
  std::vector<HostCall> calls;
  CallRecord record{};
  for (std::int32_t i = 0; LogEntry(i, &record) == 1; ++i) calls.push_back(ToHostCall(record));
  return calls;
}

HostCall ToHostCall(const CallRecord& record) {
  HostCall call{record.table == 0 ? Table::Memblock : Table::Bitmap, record.slot,
                std::vector<std::int32_t>(record.args, record.args + record.argCount),
                record.result};
  return call;
}

}  // namespace refhost
