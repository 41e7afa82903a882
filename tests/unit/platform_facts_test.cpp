// The facts the product depends on, checked on the target that runs the tests:
// the win32 build must really be a 32-bit Windows program.
#include <gtest/gtest.h>

#include <cstdint>

TEST(PlatformFacts, IntegersAndPointersHaveTheExpectedWidths) {
  EXPECT_EQ(sizeof(std::int32_t), 4u);
#if defined(_WIN32)
  EXPECT_EQ(sizeof(void*), 4u) << "the product is a 32-bit Windows library";
  EXPECT_EQ(sizeof(long), 4u);
#else
  EXPECT_EQ(sizeof(void*), 8u) << "the native build runs as x86_64";
#endif
}
