// A file's bytes held once in memory and shared by what keeps views into
// them: the raw sections of a scene read from a level stay in the block the
// level was read into, instead of each being copied out of it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace quorvel {

class ByteBlock {
 public:
  // `size` bytes, left uninitialised: a reader fills them at once, and
  // zeroing a large block first would touch every page twice.
  explicit ByteBlock(size_t size) : raw_(new uint8_t[size]), data_(raw_.get()), size_(size) {}
  // Takes over bytes already in a vector, without copying them.
  explicit ByteBlock(std::vector<uint8_t> bytes)
      : vector_(std::move(bytes)), data_(vector_.data()), size_(vector_.size()) {}
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;

  static std::shared_ptr<ByteBlock> copyOf(std::span<const uint8_t> bytes) {
    auto block = std::make_shared<ByteBlock>(bytes.size());
    if (!bytes.empty()) std::memcpy(block->data(), bytes.data(), bytes.size());
    return block;
  }

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }
  // Forgets the bytes past `size` (a read that came short); never grows.
  void shrink(size_t size) { size_ = size < size_ ? size : size_; }

 private:
  std::unique_ptr<uint8_t[]> raw_;
  std::vector<uint8_t> vector_;
  uint8_t* data_;
  size_t size_;
};

}  // namespace quorvel
