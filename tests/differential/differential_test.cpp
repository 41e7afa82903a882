// The same pseudo-random hostile command sequence, a few thousand calls from a
// fixed seed, gives the same host calls and the same memblocks on every build:
// natively with the code linked in and in the 32-bit DLL under Wine; and the
// same again whatever floating-point mode the host runs in. Every command
// leaves the host's mode as it found it, and calls the host in that mode.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <random>

#include "hostile.h"
#include "target.h"

namespace {

// The SSE control and status register and the x87 control word, both of
// which a host may set as it likes.
std::uint32_t Mode() {
  std::uint16_t x87 = 0;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  return _mm_getcsr() << 16 | x87;
}

void SetMode(std::uint32_t mode) {
  const std::uint16_t x87 = mode & 0xFFFF;
  _mm_setcsr(mode >> 16);
  __asm__ volatile("fldcw %0" : : "m"(x87));
}

// The default mode, then modes a host could hand over: another rounding
// direction with flush to zero and every exception unmasked (an inexact
// product would fault), rounding up, rounding toward zero with sticky flags
// raised; the x87 unit at single precision with the same roundings.
const std::uint32_t kModes[] = {Mode(), 0xA040047F, 0x4000087F, 0x7FBF0C7F};

// FNV-1a 64 over every host call (table, slot, argument count, arguments,
// result), every command's result, then every memblock's number and bytes.
struct Digest {
  std::uint64_t hash = 14695981039346656037ull, calls = 0, callsInOtherModes = 0;
  std::uint32_t mode = 0;
  void Add(std::int32_t value) {
    for (int i = 0; i < 32; i += 8) hash = (hash ^ ((value >> i) & 0xFF)) * 1099511628211ull;
  }
};

void REFHOST_CDECL Observe(const refhost::HostCall* call, void* context) {
  Digest& run = *static_cast<Digest*>(context);
  run.callsInOtherModes += Mode() != run.mode;
  for (std::int32_t v : {call->table, call->slot, call->argCount}) run.Add(v);
  for (std::int32_t i = 0; i < call->argCount; ++i) run.Add(call->args[i]);
  run.Add(call->result);
  ++run.calls;
}

TEST(Differential, AHostileSequenceGivesTheSameCallsAndMemblocksOnEveryBuildAndInEveryMode) {
  for (std::size_t modes : {1u, 4u}) {
    std::mt19937 random(20261206);  // its sequence is fixed by the language standard
    const std::function<std::uint32_t()> next = [&random] { return std::uint32_t(random()); };
    Digest run;
    int modeChanged = 0;
    const hostile::Around inMode = [&](const std::function<std::int32_t()>& command) {
      SetMode(run.mode);
      const std::int32_t result = command();
      modeChanged += Mode() != run.mode;
      SetMode(kModes[0]);
      return result;
    };
    hostile::Start();
    target::Host().SetCallObserver(&Observe, &run);
    for (std::size_t step = 0; step < 4000; ++step) {
      run.mode = kModes[step % modes];
      run.Add(hostile::Step(next, inMode));
    }
    target::Host().SetCallObserver(nullptr, nullptr);
    for (std::int32_t n : target::Host().Numbers()) {
      run.Add(n);
      for (std::uint8_t byte : target::Host().Bytes(n)) run.Add(byte);
    }
    // Taken once from the native build; the DLL under Wine must agree.
    EXPECT_EQ(run.hash, 0xdc122e051090a8cdull) << std::hex << run.hash << ", " << modes << " modes";
    EXPECT_EQ(run.calls, 332585u);
    EXPECT_EQ(modeChanged, 0);
    EXPECT_EQ(run.callsInOtherModes, 0u);
  }
}

}  // namespace
