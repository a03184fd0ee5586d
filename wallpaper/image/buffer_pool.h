#pragma once
// Large pixel buffers, recycled between operations. A fresh page costs a fault
// on first touch (about 10 us each), so a 70 MB picture allocated anew for every
// wallpaper change pays for tens of milliseconds of page faults; a returned block
// is handed out again instead.
#include <cstddef>
#include <cstdint>
#include <utility>

namespace image {

// Move-only owner of an uninitialised byte block; returns it to the pool when destroyed.
class PooledBuffer {
 public:
  PooledBuffer() = default;
  ~PooledBuffer() { Reset(); }
  PooledBuffer(const PooledBuffer&) = delete;
  PooledBuffer& operator=(const PooledBuffer&) = delete;
  PooledBuffer(PooledBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}
  PooledBuffer& operator=(PooledBuffer&& other) noexcept {
    if (this != &other) {
      Reset();
      data_ = std::exchange(other.data_, nullptr);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }

  // Makes at least `bytes` available; keeps the current block when it is big enough.
  // Contents are not preserved across a growth. False when memory is exhausted.
  bool Reserve(size_t bytes);
  // Gives the block back to the pool.
  void Reset();

  uint8_t* data() const { return data_; }
  size_t capacity() const { return capacity_; }

 private:
  uint8_t* data_ = nullptr;
  size_t capacity_ = 0;
};

// Frees every block the pool holds (e.g. when the program goes idle for long).
void TrimBufferPool();
// Bytes currently parked in the pool, for tests and the benchmark.
size_t PooledBytes();

}  // namespace image
