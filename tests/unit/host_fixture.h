// A plug-in bound to a fresh reference store, as after a successful binding.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "host/host_ops.h"
#include "numbering/allocator.h"
#include "refhost/memblock_store.h"

class BoundHost : public ::testing::Test {
 protected:
  void SetUp() override {
    refhost::ResetStore();
    numbering::ReadyFreeStack();
    numbering::ResetNumbers();
    host::BindDirectory(refhost::Directory());
    numbering::InitState = 1;
  }
  void TearDown() override {
    numbering::InitState = 0;
    numbering::ResetNumbers();
    host::UnbindDirectory();
    refhost::ResetStore();
  }

  // The host calls made by `body`, in order.
  template <typename Body>
  std::vector<refhost::HostCall> CallsOf(Body body) {
    refhost::ClearLog();
    refhost::StartLog();
    body();
    refhost::StopLog();
    std::vector<refhost::HostCall> calls = refhost::Log();
    refhost::ClearLog();
    return calls;
  }
};

namespace refhost {
inline void PrintTo(const HostCall& call, std::ostream* os) {
  *os << Describe(call);
}
}  // namespace refhost

// Shorthands for expected calls.
inline refhost::HostCall Mem(int slot, std::vector<std::int32_t> args, std::int32_t result) {
  return refhost::HostCall{refhost::Table::Memblock, slot, std::move(args), result};
}
inline refhost::HostCall Bmp(int slot, std::vector<std::int32_t> args, std::int32_t result) {
  return refhost::HostCall{refhost::Table::Bitmap, slot, std::move(args), result};
}

#define EXPECT_CALLS(actual, ...)                                             \
  do {                                                                        \
    const std::vector<refhost::HostCall> expected_calls_{__VA_ARGS__};        \
    EXPECT_EQ(refhost::Describe(actual), refhost::Describe(expected_calls_)); \
  } while (0)
