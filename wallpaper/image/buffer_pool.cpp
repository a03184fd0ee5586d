#include "wallpaper/image/buffer_pool.h"

#include <array>
#include <cstdlib>
#include <mutex>

namespace image {
namespace {

// A handful of blocks covers one operation's needs (source, fitted result,
// scratch); the byte cap keeps an idle program from sitting on a huge picture.
constexpr size_t kMaxBlocks = 4;
constexpr size_t kMaxPooledBytes = size_t{192} << 20;

struct Block {
  uint8_t* data = nullptr;
  size_t size = 0;
};

struct Pool {
  std::mutex lock;
  std::array<Block, kMaxBlocks> blocks{};
  size_t total = 0;
};

Pool& ThePool() {
  static Pool* pool = new Pool;  // never destroyed: buffers may be released during static teardown
  return *pool;
}

// Takes the smallest parked block that fits, so big blocks stay available for big pictures.
Block Take(size_t bytes) {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.lock);
  Block* best = nullptr;
  for (Block& b : pool.blocks) {
    if (b.data && b.size >= bytes && (!best || b.size < best->size)) best = &b;
  }
  if (!best) return {};
  Block taken = *best;
  *best = {};
  pool.total -= taken.size;
  return taken;
}

void Give(Block block) {
  if (block.size <= kMaxPooledBytes) {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> guard(pool.lock);
    for (;;) {
      Block* empty = nullptr;
      Block* smallest = nullptr;
      for (Block& b : pool.blocks) {
        if (!b.data) empty = &b;
        else if (!smallest || b.size < smallest->size) smallest = &b;
      }
      if (empty && pool.total + block.size <= kMaxPooledBytes) {
        *empty = block;
        pool.total += block.size;
        return;
      }
      // Evict smaller blocks first: a bigger block serves more requests.
      if (!smallest || smallest->size > block.size) break;
      std::free(smallest->data);
      pool.total -= smallest->size;
      *smallest = {};
    }
  }
  std::free(block.data);
}

}  // namespace

bool PooledBuffer::Reserve(size_t bytes) {
  if (bytes <= capacity_ && data_) return true;
  Reset();
  if (bytes == 0) bytes = 1;
  Block b = Take(bytes);
  if (!b.data) {
    b.data = static_cast<uint8_t*>(std::malloc(bytes));
    b.size = bytes;
    if (!b.data) {
      // Memory is short: drop what the pool holds and try once more.
      TrimBufferPool();
      b.data = static_cast<uint8_t*>(std::malloc(bytes));
      if (!b.data) return false;
    }
  }
  data_ = b.data;
  capacity_ = b.size;
  return true;
}

void PooledBuffer::Reset() {
  if (data_) Give({data_, capacity_});
  data_ = nullptr;
  capacity_ = 0;
}

void TrimBufferPool() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.lock);
  for (Block& b : pool.blocks) {
    std::free(b.data);
    b = {};
  }
  pool.total = 0;
}

size_t PooledBytes() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.lock);
  return pool.total;
}

}  // namespace image
