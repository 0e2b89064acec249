// Reading a name with a scanf-style pattern holding one integer conversion
// ("Anim%d", "A%02d"): the literal text before the conversion must match,
// blanks may precede the number, a sign is allowed, "%02d" reads at most two
// digits, and whatever follows the number is ignored.
#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

std::optional<long> scanIntPattern(std::string_view name, std::string_view pattern);
inline bool matchesIntPattern(std::string_view name, std::string_view pattern) {
  return scanIntPattern(name, pattern).has_value();
}

}  // namespace quorvel
