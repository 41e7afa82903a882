// The number allocator's costs, natively: "MBC Make Memblock" and "MBC Delete
// Memblock" of that number at the top, and a release into a free-number stack
// that already holds 65,536 numbers, at either end of what InsertFree does
// (its longest walk, its longest shift), and into the full stack, which drops
// the number. The program mbc_allocator_bench (Google Benchmark; any of its
// flags may be given), with the plug-in bound to the linked store.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "native_product.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"
#include "refhost/memblock_store.h"

namespace {

using numbering::FreeCount;
using numbering::FreeStack;
using numbering::HighWater;

// Numbers above 100, as in a script that has already made some memblocks.
constexpr std::int32_t kNumbersBelow = 100;
constexpr std::int32_t kMadeBytes = 1024;

void MakeAndDeleteAtTop(benchmark::State& state) {
  HighWater = kNumbersBelow;
  FreeCount = 0;
  const std::uint64_t callsBefore = refhost::CallCount();
  for (auto _ : state) {
    const std::int32_t n = MBC_DynamicMake(kMadeBytes);
    benchmark::DoNotOptimize(MBC_Delete(n));
  }
  // Four calls a pair (exists, make, exists, delete) only when every make
  // made a memblock that its delete then found.
  const std::uint64_t calls = refhost::CallCount() - callsBefore;
  if (calls != 4 * static_cast<std::uint64_t>(state.iterations()) || HighWater != kNumbersBelow ||
      FreeCount != 0) {
    state.SkipWithError("a pair did not make and delete a memblock at the top");
  }
}
BENCHMARK(MakeAndDeleteAtTop)->Unit(benchmark::kNanosecond);

// FreeStack holding `count` numbers, largest first: the even numbers
// 2 * count, 2 * count - 2, ..., 2 at positions 1 to count, HighWater above.
constexpr std::int32_t kHeld = 65536;
void FillFreeStack(std::int32_t count) {
  HighWater = 2 * numbering::kMaxFree + 1;
  for (std::int32_t i = 1; i <= count; ++i) FreeStack[i] = 2 * (count + 1 - i);
  FreeCount = count;
}

// Releases `number` into a stack holding kHeld numbers, where it belongs at
// `position`; only the release is timed, the stack is laid anew before each.
void ReleaseIntoHeldStack(benchmark::State& state, std::int32_t number, std::int32_t position) {
  for (auto _ : state) {
    FillFreeStack(kHeld);
    const auto start = std::chrono::steady_clock::now();
    numbering::ReleaseNumber(number);
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  if (FreeCount != kHeld + 1 || FreeStack[position] != number) {
    state.SkipWithError("the number did not land at its place");
  }
}
// The smallest number: the walk passes all 65,536 and nothing moves.
BENCHMARK_CAPTURE(ReleaseIntoHeldStack, smallest_walks_past_65536, 1, kHeld + 1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
// The largest number: the walk stops at once and all 65,536 move down.
BENCHMARK_CAPTURE(ReleaseIntoHeldStack, largest_shifts_65536, 2 * kHeld + 1, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void ReleaseIntoFullStack(benchmark::State& state) {
  FillFreeStack(numbering::kMaxFree);
  for (auto _ : state) benchmark::DoNotOptimize(numbering::ReleaseNumber(1));
  if (FreeCount != numbering::kMaxFree || FreeStack[numbering::kMaxFree] != 2) {
    state.SkipWithError("the full stack changed");
  }
}
BENCHMARK(ReleaseIntoFullStack)->Unit(benchmark::kNanosecond);

}  // namespace

// Nine repetitions, interleaved at random, unless the command line says
// otherwise.
int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=9";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {&repetitions[0], &interleave[0]});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  bench::Product product;
  if (!bench::BindNativeProduct(&product)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
