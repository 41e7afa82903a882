#include "workloads.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "host/module_slots.h"
#include "host_call_floor.h"

namespace bench {
namespace {

constexpr std::int32_t kBoxCanvas = 1;
constexpr std::int32_t kCircleCanvas = 2;
constexpr std::int32_t kSource = 3;
constexpr std::int32_t kTarget = 4;
constexpr std::int32_t kColour = 0x00FF8040;

constexpr std::int32_t kBoxSide = 512;
constexpr std::int32_t kCircleDiameter = 256;
constexpr std::int32_t kCircleCanvasSide = 260;
constexpr std::int32_t kCircleCentre = kCircleCanvasSide / 2;
constexpr std::int32_t kSourceSide = 256;
constexpr std::int32_t kTargetSide = 1024;

Product g_product{};
HostCallFloor g_floor{nullptr};

void PutImage(std::int32_t n, std::int32_t side) {
  std::vector<std::uint8_t> bytes(12 + static_cast<std::size_t>(side) * side * 4, 0);
  for (std::size_t field = 0; field < 3; ++field) {
    const std::uint32_t value = field == 2 ? 32u : static_cast<std::uint32_t>(side);
    for (int i = 0; i < 4; ++i) bytes[field * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  for (std::size_t i = 12; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  g_product.host->PutMemblock(n, bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// ---- the three workloads, each as the command and as its floor ------------

void BoxCommand() {
  g_product.box(kBoxCanvas, 0, 0, kBoxSide - 1, kBoxSide - 1, kColour, 1);
}

void BoxFloor() {
  if (g_floor.Exists(kBoxCanvas) != 1) return;
  for (std::int32_t c = 0; c < kBoxSide; ++c) {
    for (std::int32_t r = 0; r < kBoxSide; ++r) g_floor.Plot(kBoxCanvas, c, r, kColour);
  }
}

void CircleCommand() {
  g_product.circle(kCircleCanvas, kCircleCentre, kCircleCentre, kCircleDiameter, kColour, 1);
}

// The circle's points in plotting order, taken from the command's own writes
// (every point lies inside the canvas, so every plot writes).
std::vector<std::pair<std::int32_t, std::int32_t>> g_circlePoints;

void CircleFloor() {
  if (g_floor.Exists(kCircleCanvas) != 1) return;
  for (const auto& p : g_circlePoints) g_floor.Plot(kCircleCanvas, p.first, p.second, kColour);
}

void StretchCommand() {
  g_product.stretch(kSource, kTarget);
}

// Source column or row of each target column or row, rounded in the default
// mode (ties to even), as the command does.
std::vector<std::int32_t> g_sourceIndex;

void StretchFloor() {
  if (g_floor.Exists(kSource) != 1 || g_floor.Exists(kTarget) != 1) return;
  for (std::int32_t n : {kSource, kTarget}) {
    for (std::int32_t offset : {0, 4, 8}) g_floor.ReadDword(n, offset);
  }
  for (std::int32_t y = 0; y < kTargetSide; ++y) {
    const std::int32_t sy = g_sourceIndex[y];
    for (std::int32_t x = 0; x < kTargetSide; ++x) {
      g_floor.Plot(kTarget, x, y, g_floor.GetPixel(kSource, g_sourceIndex[x], sy));
    }
  }
}

std::vector<Workload> g_workloads = {
    {"filled IMBox 512 x 512", BoxCommand, BoxFloor, 0},
    {"filled IMCircle diameter 256", CircleCommand, CircleFloor, 0},
    {"IMStretch 256 x 256 to 1024 x 1024", StretchCommand, StretchFloor, 0},
};

// What the store saw while a workload ran in PrepareWorkloads: how many calls
// and an FNV-1a 64 digest of their tables, slots, arguments and results,
// taken as they happen (a stretch makes more calls than a 32-bit process
// could keep), and optionally the offsets that MemWriteDword wrote.
struct CallRecord {
  std::uint64_t count = 0;
  std::uint64_t digest = 14695981039346656037ull;
  std::vector<std::int32_t>* writtenOffsets = nullptr;

  void Add(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) digest = (digest ^ ((v >> (8 * i)) & 0xFF)) * 1099511628211ull;
  }
};

void REFHOST_CDECL Record(const refhost::HostCall* call, void* context) {
  CallRecord& record = *static_cast<CallRecord*>(context);
  ++record.count;
  record.Add(static_cast<std::uint32_t>(call->table));
  record.Add(static_cast<std::uint32_t>(call->slot));
  for (std::int32_t i = 0; i < call->argCount; ++i) {
    record.Add(static_cast<std::uint32_t>(call->args[i]));
  }
  record.Add(static_cast<std::uint32_t>(call->result));
  if (record.writtenOffsets != nullptr && call->table == refhost::kMemblockTable &&
      call->slot == host::MemWriteDword) {
    record.writtenOffsets->push_back(call->args[1]);
  }
}

// The calls `body` makes.
CallRecord CallsOf(void (*body)(), std::vector<std::int32_t>* writtenOffsets = nullptr) {
  CallRecord record;
  record.writtenOffsets = writtenOffsets;
  g_product.host->SetCallObserver(&Record, &record);
  body();
  g_product.host->SetCallObserver(nullptr, nullptr);
  return record;
}

}  // namespace

const std::vector<Workload>& Workloads() {
  return g_workloads;
}

bool PrepareWorkloads(const Product& product) {
  g_product = product;
  g_floor = HostCallFloor(product.directory);
  g_product.host->ResetStore();
  PutImage(kBoxCanvas, kBoxSide);
  PutImage(kCircleCanvas, kCircleCanvasSide);
  PutImage(kSource, kSourceSide);
  PutImage(kTarget, kTargetSide);
  const double ratio = static_cast<float>(static_cast<double>(kSourceSide) / kTargetSide);
  g_sourceIndex.clear();
  for (std::int32_t i = 0; i < kTargetSide; ++i) {
    g_sourceIndex.push_back(static_cast<std::int32_t>(std::nearbyint(i * ratio)));
  }

  std::vector<std::int32_t> offsets;
  CallsOf(CircleCommand, &offsets);
  g_circlePoints.clear();
  for (const std::int32_t offset : offsets) {
    const std::int32_t pixel = (offset - 12) / 4;
    g_circlePoints.push_back({pixel % kCircleCanvasSide, pixel / kCircleCanvasSide});
  }

  bool same = true;
  for (Workload& w : g_workloads) {
    const CallRecord command = CallsOf(w.command);
    const CallRecord floor = CallsOf(w.floor);
    w.hostCalls = command.count;
    if (command.count == 0 || floor.count != command.count || floor.digest != command.digest) {
      std::fprintf(stderr, "%s: the floor does not make the command's host calls\n", w.name);
      same = false;
    }
  }
  return same;
}

}  // namespace bench
