// The SWP while an update is open. Rows land in 131072-byte pages kept in
// memory (an existing page is read once before its first change) and all
// pages are written back in order when the update closes: one write per page
// instead of a seek per row, and a run that ends early leaves the SWP as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace quorvel {

class SwpPageCache {
 public:
  // `file` is opened for update and stays owned by the caller.
  explicit SwpPageCache(std::FILE* file);

  // Copies `n` bytes to SWP offset `offset`.
  void write(uint64_t offset, const uint8_t* data, size_t n);
  // Writes every changed page; false when reading or writing failed.
  bool flush();
  uint64_t originalSize() const { return fileSize_; }
  size_t pageCount() const { return pages_.size(); }

 private:
  std::vector<uint8_t>& page(uint64_t index);

  std::FILE* file_;
  uint64_t fileSize_ = 0;
  bool ok_ = true;
  std::map<uint64_t, std::vector<uint8_t>> pages_;
};

}  // namespace quorvel
