#include "textures/swp_page_cache.h"

#include <algorithm>

#include "platform/file_system.h"
#include "textures/texture_packer.h"

namespace quorvel {

SwpPageCache::SwpPageCache(std::FILE* file) : file_(file) {
  const std::optional<uint64_t> size = openFileSize(file_);
  if (size) fileSize_ = *size;
  else ok_ = false;
}

std::vector<uint8_t>& SwpPageCache::page(uint64_t index) {
  auto found = pages_.find(index);
  if (found != pages_.end()) return found->second;
  std::vector<uint8_t>& bytes = pages_[index];
  bytes.assign(kSwpPageSize, 0);
  const uint64_t start = index * kSwpPageSize;
  if (start < fileSize_) {
    const size_t existing = static_cast<size_t>(std::min<uint64_t>(kSwpPageSize, fileSize_ - start));
    if (!seekFile(file_, start) ||
        std::fread(bytes.data(), 1, existing, file_) != existing)
      ok_ = false;
    else
      originals_[index].assign(bytes.begin(), bytes.begin() + existing);
  }
  return bytes;
}

void SwpPageCache::write(uint64_t offset, const uint8_t* data, size_t n) {
  if (n > 0) writtenEnd_ = std::max(writtenEnd_, offset + n);
  while (n > 0) {
    const uint64_t index = offset / kSwpPageSize;
    const size_t within = static_cast<size_t>(offset % kSwpPageSize);
    const size_t part = std::min<size_t>(n, kSwpPageSize - within);
    std::copy(data, data + part, page(index).begin() + within);
    offset += part;
    data += part;
    n -= part;
  }
}

bool SwpPageCache::flush() {
  if (!ok_) return false;
  const uint64_t end = flushedSize();
  for (const auto& [index, bytes] : pages_) {
    const uint64_t start = index * kSwpPageSize;
    if (start >= end) break;
    const size_t length = static_cast<size_t>(std::min<uint64_t>(bytes.size(), end - start));
    if (!seekFile(file_, start) ||
        std::fwrite(bytes.data(), 1, length, file_) != length)
      return false;
  }
  pages_.clear();
  return std::fflush(file_) == 0;
}

bool SwpPageCache::restore(std::FILE* file) {
  for (const auto& [index, bytes] : originals_) {
    if (!seekFile(file, index * kSwpPageSize) ||
        std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
      return false;
  }
  return std::fflush(file) == 0;
}

}  // namespace quorvel
