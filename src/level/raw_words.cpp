#include "level/raw_words.h"

#include <algorithm>

namespace quorvel {

RawWords RawWords::viewOf(std::shared_ptr<const ByteBlock> block, std::span<const uint8_t> bytes) {
  RawWords words;
  if (bytes.empty()) return words;
  words.headCount_ = std::min(kHeadWords, bytes.size() / 4);
  for (size_t i = 0; i < words.headCount_; ++i) words.head_[i] = decodeU32(&bytes[i * 4]);
  words.tail_ = bytes.subspan(words.headCount_ * 4);
  words.keeper_ = std::move(block);
  return words;
}

void RawWords::set(size_t i, uint32_t word) {
  if (viewing() && i < headCount_) {
    head_[i] = word;
    return;
  }
  if (viewing()) *this = RawWords(toVector());
  owned_[i] = word;
}

std::vector<uint32_t> RawWords::toVector() const {
  if (!viewing()) return owned_;
  std::vector<uint32_t> words(size());
  std::copy(head_.begin(), head_.begin() + static_cast<std::ptrdiff_t>(headCount_), words.begin());
  decodeU32s(tail_.data(), std::span(words).subspan(headCount_));
  return words;
}

bool RawWords::operator==(const RawWords& other) const {
  if (size() != other.size()) return false;
  for (size_t i = 0; i < size(); ++i)
    if ((*this)[i] != other[i]) return false;
  return true;
}

}  // namespace quorvel
