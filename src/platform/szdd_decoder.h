// Decoding of files compressed with the Windows LZ compression tool (SZDD)
// from memory. Available in POSIX builds; Windows reads such files through
// its own LZ functions.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel {

// The decoded content of an SZDD file, or nothing when it is not one, is
// damaged, or decodes to fewer bytes than its header promises.
std::optional<std::vector<uint8_t>> decodeSzdd(const std::vector<uint8_t>& compressed);

}  // namespace quorvel
