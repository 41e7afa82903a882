// FNV-1a 64 over 32-bit values, with a count of the host calls folded in: a
// golden value that every build must reproduce.
#pragma once

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "refhost/memblock_store.h"

struct Digest {
  std::uint64_t hash = 14695981039346656037ull;
  std::uint64_t calls = 0;

  void Add(std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
      hash = (hash ^ ((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
  }
  void Add(const refhost::HostCall& call) {
    for (std::int32_t v : {call.table, call.slot, call.argCount}) Add(v);
    for (std::int32_t i = 0; i < call.argCount; ++i) Add(call.args[i]);
    Add(call.result);
    ++calls;
  }
  // A call observer that folds every host call into the Digest it is given.
  static void REFHOST_CDECL Fold(const refhost::HostCall* call, void* digest) {
    static_cast<Digest*>(digest)->Add(*call);
  }
  std::string Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "{0x%016" PRIx64 "ull, %" PRIu64 "}", hash, calls);
    return text;
  }
};
