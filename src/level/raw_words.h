// The verbatim words of a section a mesh was read with (its geometry or
// mapping), written back unchanged by a save.
//
// Read from a file, the words stay where they are, in the block the file was
// read into, which they keep alive; the mesh may outlive the scene that read
// it and still own them. The first words, which a save rewrites (the material
// reference and the untextured flag), are held apart, so that setting them
// copies nothing else. Setting any later word, or assigning words, makes the
// words the mesh's own.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "util/byte_block.h"
#include "util/byte_io.h"

namespace quorvel {

class RawWords {
 public:
  // The words a save rewrites in place.
  static constexpr size_t kHeadWords = 2;

  RawWords() = default;
  RawWords(std::initializer_list<uint32_t> words) : owned_(words) {}
  RawWords(std::vector<uint32_t> words) : owned_(std::move(words)) {}
  // The words stored in `bytes`, a part of `block` whose size is a multiple
  // of 4.
  static RawWords viewOf(std::shared_ptr<const ByteBlock> block, std::span<const uint8_t> bytes);

  size_t size() const { return viewing() ? headCount_ + tail_.size() / 4 : owned_.size(); }
  bool empty() const { return size() == 0; }
  uint32_t operator[](size_t i) const {
    if (!viewing()) return owned_[i];
    return i < headCount_ ? head_[i] : decodeU32(&tail_[(i - headCount_) * 4]);
  }
  void set(size_t i, uint32_t word);
  void clear() { *this = RawWords(); }
  std::vector<uint32_t> toVector() const;

  // The words in two parts, for writing them: leading words, then bytes as
  // stored in the file (empty unless the words are a view).
  std::span<const uint32_t> leadingWords() const {
    return viewing() ? std::span<const uint32_t>(head_.data(), headCount_) : std::span<const uint32_t>(owned_);
  }
  std::span<const uint8_t> trailingBytes() const { return tail_; }

  bool operator==(const RawWords& other) const;
  bool operator==(const std::vector<uint32_t>& words) const { return *this == RawWords(words); }

 private:
  bool viewing() const { return keeper_ != nullptr; }

  std::vector<uint32_t> owned_;
  std::shared_ptr<const ByteBlock> keeper_;
  std::array<uint32_t, kHeadWords> head_{};
  size_t headCount_ = 0;
  std::span<const uint8_t> tail_;
};

}  // namespace quorvel
