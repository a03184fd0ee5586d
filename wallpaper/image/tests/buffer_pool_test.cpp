// Large blocks come back from the pool instead of fresh (page-faulting) memory.
#include <gtest/gtest.h>

#include "wallpaper/image/buffer_pool.h"
#include "wallpaper/image/pixmap.h"

namespace image {
namespace {

TEST(ImageBufferPool, ReleasedBlocksAreHandedOutAgain) {
  TrimBufferPool();
  uint8_t* first = nullptr;
  {
    PooledBuffer a;
    ASSERT_TRUE(a.Reserve(8 << 20));
    first = a.data();
  }
  EXPECT_GE(PooledBytes(), size_t{8} << 20);
  PooledBuffer b;
  ASSERT_TRUE(b.Reserve(6 << 20)) << "a smaller request fits the parked block";
  EXPECT_EQ(b.data(), first);
  EXPECT_EQ(PooledBytes(), 0u);
  ASSERT_TRUE(b.Reserve(7 << 20));
  EXPECT_EQ(b.data(), first) << "growing within capacity keeps the block";

  // Pictures decoded one after another reuse one block.
  Pixmap p;
  ASSERT_TRUE(p.Allocate(1000, 1000));
  const uint8_t* pixels = p.data();
  p.Release();
  Pixmap q;
  ASSERT_TRUE(q.Allocate(900, 1000));
  EXPECT_EQ(q.data(), pixels);
  q.Release();

  TrimBufferPool();
  EXPECT_EQ(PooledBytes(), 0u);
}

TEST(ImageBufferPool, HugeBlocksAreNotKept) {
  TrimBufferPool();
  {
    PooledBuffer huge;
    ASSERT_TRUE(huge.Reserve(size_t{200} << 20));
  }
  EXPECT_EQ(PooledBytes(), 0u) << "an idle program must not sit on a 200 MB block";
  // Many blocks: the pool keeps a few, the largest first.
  {
    PooledBuffer blocks[6];
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(blocks[i].Reserve(size_t(i + 1) << 20));
  }
  EXPECT_EQ(PooledBytes(), size_t{3 + 4 + 5 + 6} << 20);
  TrimBufferPool();
}

}  // namespace
}  // namespace image
