// Before the memblock table is bound, the drawing and stretching commands
// return 0 and call nothing, even for memblocks the host already has.
#include "image/shapes.h"
#include "image/stretch.h"
#include "image_fixture.h"

namespace {

using BeforeBinding = BoundHost;

TEST_F(BeforeBinding, DrawingAndStretchingCallNothingAndReturnZero) {
  refhost::PutMemblock(1, BlankImageBytes(4, 4));
  refhost::PutMemblock(2, BlankImageBytes(4, 4));
  host::UnbindDirectory();
  const auto calls = CallsOf([] {
    EXPECT_EQ(IMCircle(1, 2, 2, 3, 7, 1), 0);
    EXPECT_EQ(IMCube(1, 0, 0, 1, 7, 5), 0);
    EXPECT_EQ(IMCube(1, 0, 0, 3, 7, 0), 0);
    EXPECT_EQ(IMBox(1, 0, 0, 3, 3, 7, 1), 0);
    EXPECT_EQ(IMStretch(1, 2), 0);
    EXPECT_EQ(IMStretch2(1, 8, 8), 0);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_TRUE(StoredImage(1).LitPixels().empty());
  EXPECT_EQ(refhost::MemblockCount(), 2);
}

}  // namespace
