// The same pseudo-random hostile command sequence, a few thousand calls from a
// fixed seed, gives the same host calls and the same memblocks on every build:
// natively with the code linked in and in the 32-bit DLL under Wine.
#include <gtest/gtest.h>

#include <random>

#include "digest.h"
#include "hostile.h"
#include "target.h"

namespace {

// Taken once from the native build; the DLL under Wine must agree.
const char kGolden[] = "{0xee0391c727e830c9ull, 527294}";

TEST(Differential, AHostileSequenceGivesTheSameCallsAndMemblocksOnEveryBuild) {
  std::mt19937 random(20261206);  // its sequence is fixed by the language standard
  const std::function<std::uint32_t()> next = [&random] { return static_cast<std::uint32_t>(random()); };
  Digest digest;
  hostile::Start();
  target::Host().SetCallObserver(&Digest::Fold, &digest);
  for (int step = 0; step < 4000; ++step) digest.Add(hostile::Step(next));
  target::Host().SetCallObserver(nullptr, nullptr);
  for (std::int32_t n : target::Host().Numbers()) {
    digest.Add(n);
    for (std::uint8_t byte : target::Host().Bytes(n)) digest.Add(byte);
  }
  EXPECT_EQ(digest.Text(), kGolden);
  EXPECT_GT(digest.calls, 100000u);
}

}  // namespace
