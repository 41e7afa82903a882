#include "refhost/companion/companion_client.h"

namespace refhost {

bool CompanionClient::Resolve(const ExportLookup& lookup) {
  missing_.clear();
#define REFHOST_RESOLVE_POINTER(name, result, params)                                  \
  name = reinterpret_cast<decltype(name)>(const_cast<void*>(lookup("Refhost" #name))); \
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

}  // namespace refhost
