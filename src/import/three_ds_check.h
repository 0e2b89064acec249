// A walk over the chunk tree of a 3DS file before the 3DS library sees it.
// The library trusts chunk lengths, array counts, face point numbers and
// track key counts, and crashes, overruns or hangs on files that lie about
// them; this check refuses such files with a reason instead.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorvel {

// Nothing when the library can read `bytes` safely; otherwise the reason
// (one line, no trailing newline) why the file is refused.
std::optional<std::string> check3dsChunks(std::span<const uint8_t> bytes);

}  // namespace quorvel
