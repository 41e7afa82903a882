#include "call_log_sweep.h"

#include "image/shapes.h"
#include "image/stretch.h"
#include "image_fixture.h"

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

class Digester {
 public:
  void Add(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
      hash_ ^= (bits >> (8 * i)) & 0xFF;
      hash_ *= kFnvPrime;
    }
  }
  void Add(const refhost::HostCall& call) {
    Add(call.table == refhost::Table::Memblock ? 0 : 1);
    Add(call.slot);
    Add(static_cast<std::int32_t>(call.args.size()));
    for (std::int32_t arg : call.args) Add(arg);
    Add(call.result);
    ++calls_;
  }
  SweepDigest Finish() {
    Add(static_cast<std::int32_t>(calls_));
    return {hash_, calls_};
  }

 private:
  std::uint64_t hash_ = kFnvOffset;
  std::uint64_t calls_ = 0;
};

// Runs one command with the log on and folds its calls into the digest.
void Logged(const CommandRunner& run, const std::function<void()>& command, Digester& digest) {
  refhost::ClearLog();
  refhost::StartLog();
  run(command);
  refhost::StopLog();
  for (const refhost::HostCall& call : refhost::Log()) digest.Add(call);
  refhost::ClearLog();
}

constexpr std::int32_t kCanvas = 1;
constexpr std::int32_t kSource = 2;
constexpr std::int32_t kTarget = 3;

}  // namespace

SweepDigest RunSweep(const CommandRunner& run) {
  Digester digest;
  refhost::PutMemblock(kCanvas, BlankImageBytes(80, 80));
  for (const Point& centre : {Point{40, 40}, Point{41, 43}}) {
    for (std::int32_t diameter = 1; diameter <= 64; ++diameter) {
      for (std::int32_t fill : {0, 1}) {
        const std::int32_t colour = diameter * 4 + fill + 1;
        Logged(
            run, [&] { IMCircle(kCanvas, centre.first, centre.second, diameter, colour, fill); },
            digest);
      }
    }
  }
  for (std::int32_t sourceWidth = 1; sourceWidth <= 32; ++sourceWidth) {
    refhost::PutMemblock(
        kSource, ImageBytes(sourceWidth, 2, 32,
                            [](std::int32_t x, std::int32_t y) { return (x + 1) * 16 + y + 1; }));
    for (std::int32_t targetWidth = 1; targetWidth <= 32; ++targetWidth) {
      refhost::PutMemblock(kTarget, BlankImageBytes(targetWidth, 5));
      Logged(
          run, [] { IMStretch(kSource, kTarget); }, digest);
    }
  }
  return digest.Finish();
}
