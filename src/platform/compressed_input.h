// Reading a file that may be compressed with the Windows LZ compression tool
// (SZDD): the whole decoded content, exactly as a plain file reads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace quorvel {

// Nothing when the file cannot be opened or a compressed file is damaged
// (for example shorter than its header says); also nothing, before the rest
// is read, when the content does not begin with `expectedStart` or is larger
// than `maxSize` (errno EFBIG).
std::optional<std::vector<uint8_t>> readPossiblyCompressedFile(const std::string& path,
                                                               std::span<const uint8_t> expectedStart = {},
                                                               uint64_t maxSize = kMaxBinaryFileSize);
// The same in a block that views into it can share; null on the same
// failures.
std::shared_ptr<ByteBlock> readPossiblyCompressedBlock(const std::string& path,
                                                       std::span<const uint8_t> expectedStart = {},
                                                       uint64_t maxSize = kMaxBinaryFileSize);

}  // namespace quorvel
