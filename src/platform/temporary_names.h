// Names of the temporary files a save writes beside its target: the target's
// name + ".quorvel-" + six random characters + ".tmp", so that those a
// stopped run left behind are known as ours and removed before the next save
// of the same target. Shared by the file systems of every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

// The longest file name (one path component) the file systems take.
inline constexpr size_t kMaxFileName = 255;
inline constexpr size_t kTemporaryRandomLength = 6;
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// What the temporary names of the file `name` start with, when they may be
// at most `room` characters long: name + ".quorvel-", or, when that leaves
// no room (the longest file names a level may have), ".qv-" + the CRC-32 of
// the name + "-", still known as ours and as the temporary of that target.
std::string temporaryPrefix(std::string_view name, size_t room = kMaxFileName);
// prefix + six characters (letters and digits) taken from `random` + ".tmp".
std::string temporaryName(std::string_view prefix, uint64_t random);
// True when `entry` is a temporary name with this prefix; `ignoreCase` for
// file systems that find names without case.
bool isTemporaryName(std::string_view entry, std::string_view prefix, bool ignoreCase);

}  // namespace quorvel
