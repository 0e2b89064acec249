// The SWP while an update is open. Rows land in 131072-byte pages kept in
// memory (an existing page is read once before its first change) and all
// pages are written back in order when the update closes: one write per page
// instead of a seek per row, and a run that ends early leaves the SWP as it was.
// Past the old end of the file only the bytes up to the last one a row wrote
// are written, so the file grows exactly as row-by-row writes would grow it.
#pragma once

#include <algorithm>
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
  // Writes back what the changed pages held inside the old size, undoing a
  // flush there, into `file` (the SWP, open again for update if need be);
  // the caller cuts the file back to originalSize().
  bool restore(std::FILE* file);
  uint64_t originalSize() const { return fileSize_; }
  // False once reading the file (or learning its size) failed.
  bool ok() const { return ok_; }
  // The file's size once flushed: the old size or the end of the last row
  // written past it.
  uint64_t flushedSize() const { return std::max(fileSize_, writtenEnd_); }
  size_t pageCount() const { return pages_.size(); }

 private:
  std::vector<uint8_t>& page(uint64_t index);

  std::FILE* file_;
  uint64_t fileSize_ = 0;
  uint64_t writtenEnd_ = 0;
  bool ok_ = true;
  std::map<uint64_t, std::vector<uint8_t>> pages_;
  std::map<uint64_t, std::vector<uint8_t>> originals_;  // the old bytes of pages read
};

}  // namespace quorvel
