#include "image/makers.h"

#include "common/wrap.h"
#include "host/bound.h"
#include "host/host_ops.h"
#include "image/layouts.h"
#include "numbering/numbering_commands.h"

extern "C" {

std::int32_t HOST_CDECL MakeMemblockImage(std::int32_t width, std::int32_t height,
                                          std::int32_t depth) {
  if (!host::MemblockTableBound()) return 0;
  if (!(width >= 1 && height >= 1 && depth >= layout::kMinImageDepth)) return 0;
  const std::int32_t bpp = depth / 8;
  const std::int32_t size =
      wrap::Add(wrap::Mul(wrap::Mul(width, height), bpp), layout::ImageHeader::kPixelsOffset);
  const std::int32_t n = numbering::MakeUnderFreshNumber(size);
  if (n == 0) return 0;
  host::MemWriteDwordOp(n, layout::ImageHeader::kWidthOffset, width);
  host::MemWriteDwordOp(n, layout::ImageHeader::kHeightOffset, height);
  host::MemWriteDwordOp(n, layout::ImageHeader::kDepthOffset, depth);
  return n;
}

std::int32_t HOST_CDECL PrepareMeshMemblock(std::int32_t count) {
  using layout::MeshHeader;
  if (!host::MemblockTableBound()) return 0;
  const std::int32_t size =
      wrap::Add(wrap::Mul(MeshHeader::kBytesPerCount, count), MeshHeader::kFixedBytes);
  const std::int32_t n = numbering::MakeUnderFreshNumber(size);
  if (n == 0) return 0;
  host::MemWriteDwordOp(n, MeshHeader::kFormatOffset, MeshHeader::kVertexFormat);
  host::MemWriteDwordOp(n, MeshHeader::kVertexBytesOffset, MeshHeader::kVertexBytes);
  host::MemWriteDwordOp(n, MeshHeader::kCountOffset, count);
  return n;
}

}  // extern "C"
