// Reading a file that may be compressed with the Windows LZ compression tool
// (SZDD): the whole decoded content, exactly as a plain file reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Nothing when the file cannot be opened or a compressed file is damaged
// (for example shorter than its header says).
std::optional<std::vector<uint8_t>> readPossiblyCompressedFile(const std::string& path);

}  // namespace quorvel
