// Hostile command sequences (support/hostile.h) against the plug-in's code and
// the reference store, under AddressSanitizer and UndefinedBehaviorSanitizer:
// a crash, an overflow or an out-of-bounds access anywhere in the plug-in
// fails the run, and so does a free-number count outside the stack.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "hostile.h"
#include "numbering/allocator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  hostile::Start();
  for (int step = 0; step < 24 && in.remaining_bytes() > 0; ++step) {
    hostile::Step([&in] { return in.ConsumeIntegral<std::uint32_t>(); });
    if (numbering::FreeCount < 0 || numbering::FreeCount > 65537) std::abort();
  }
  return 0;
}
