#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/PixelMemory.h"

namespace {

constexpr size_t kMb = size_t{1} << 20;

struct TBlockCase {
  size_t Bytes;
  size_t Huge;
};

class PixelMemoryBlocks : public testing::TestWithParam<TBlockCase> {};

// Only blocks that waste at most an eighth when rounded up to whole 2 MB pages, with the
// 16 bytes before them.
TEST_P(PixelMemoryBlocks, HugeWhenTheRoundingWastesLittle) {
  const TBlockCase C = GetParam();
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "ordinary blocks under AddressSanitizer";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "ordinary blocks under AddressSanitizer";
#endif
#endif
  EXPECT_EQ(HugePixelBlockSize(C.Bytes), C.Huge) << C.Bytes;
}

INSTANTIATE_TEST_SUITE_P(Sizes, PixelMemoryBlocks,
                         testing::Values(TBlockCase{0, 0}, TBlockCase{64 * 64 * 4, 0},
                                         TBlockCase{kMb, 0}, TBlockCase{2 * kMb * 7 / 8 - 4, 0},
                                         TBlockCase{800 * 600 * 4, 2 * kMb},  // the back surface
                                         TBlockCase{2 * kMb - 16, 2 * kMb}, TBlockCase{2 * kMb, 0},
                                         TBlockCase{1024 * 768 * 4, 0},
                                         TBlockCase{1920 * 1080 * 4, 8 * kMb},
                                         TBlockCase{16 * kMb - 16, 16 * kMb},
                                         TBlockCase{16 * kMb, 18 * kMb},
                                         TBlockCase{SIZE_MAX - 4, 0}),
                         [](const testing::TestParamInfo<TBlockCase>& Info) {
                           return "Bytes" + std::to_string(Info.param.Bytes);
                         });

TEST(PixelMemory, BlocksOfEverySizeHoldTheirBytesAndHugeOnesStartWhereMallocsDo) {
  for (const size_t Bytes : {size_t{1}, size_t{4096}, kMb, size_t{800 * 600 * 4}, 4 * kMb}) {
    auto* P = static_cast<uint8_t*>(AllocatePixelMemory(Bytes));
    ASSERT_NE(P, nullptr);
    if (HugePixelBlockSize(Bytes) != 0) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(P) % (2 * kMb), 16u) << Bytes;
    }
    std::memset(P, 0xA5, Bytes);
    EXPECT_EQ(P[0], 0xA5);
    EXPECT_EQ(P[Bytes - 1], 0xA5);
    FreePixelMemory(P, Bytes);
  }
  FreePixelMemory(nullptr, kMb);
}

}  // namespace
