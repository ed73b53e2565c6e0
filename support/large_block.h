// Zeroed blocks of memory for large tables: zeroed without a pass that writes zeros, and backed
// by huge pages where the system offers them on request, so that a table of hundreds of megabytes
// costs a few hundred page faults instead of tens of thousands. Running out of memory is the fatal
// error "memory".
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace vorn::support {

// `bytes` zeroed bytes. Free with freeLargeBlock.
void* allocateZeroedBlock(std::size_t bytes);
void freeLargeBlock(void* block);

// A fixed number of T in one zeroed large block: for tables of plain records whose all-zero
// bytes are their empty state. Move-only.
template <class T>
class ZeroedArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  ZeroedArray() = default;
  explicit ZeroedArray(std::size_t size)
      : data_(static_cast<T*>(allocateZeroedBlock(size * sizeof(T)))), size_(size) {}
  ZeroedArray(ZeroedArray&& other) noexcept { swap(other); }
  ZeroedArray& operator=(ZeroedArray&& other) noexcept {
    ZeroedArray(std::move(other)).swap(*this);
    return *this;
  }
  ~ZeroedArray() {
    if (data_ != nullptr) freeLargeBlock(data_);
  }

  void swap(ZeroedArray& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace vorn::support
