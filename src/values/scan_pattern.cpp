#include "values/scan_pattern.h"

#include <cctype>
#include <climits>

namespace quorvel {

namespace {
bool isScanSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

// Behaves as sscanf(name, pattern, &n) == 1 for the patterns the program
// uses: literal characters, blanks (any run of whitespace, including none)
// and one %d or %<width>d conversion.
std::optional<long> scanIntPattern(std::string_view name, std::string_view pattern) {
  size_t n = 0;
  size_t p = 0;
  while (p < pattern.size()) {
    char c = pattern[p];
    if (isScanSpace(c)) {
      while (n < name.size() && isScanSpace(name[n])) ++n;
      ++p;
      continue;
    }
    if (c == '%') {
      if (p + 1 < pattern.size() && pattern[p + 1] == '%') {
        if (n >= name.size() || name[n] != '%') return std::nullopt;
        ++n;
        p += 2;
        continue;
      }
      ++p;
      size_t width = 0;
      while (p < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[p])))
        width = width * 10 + static_cast<size_t>(pattern[p++] - '0');
      if (p >= pattern.size() || pattern[p] != 'd') return std::nullopt;
      // %d skips leading whitespace; the width counts the sign and digits.
      while (n < name.size() && isScanSpace(name[n])) ++n;
      size_t limit = width == 0 ? SIZE_MAX : width;
      size_t used = 0;
      bool negative = false;
      if (n < name.size() && used < limit && (name[n] == '-' || name[n] == '+')) {
        negative = name[n] == '-';
        ++n;
        ++used;
      }
      long value = 0;
      size_t digits = 0;
      while (n < name.size() && used < limit && std::isdigit(static_cast<unsigned char>(name[n]))) {
        int d = name[n] - '0';
        value = value > (LONG_MAX - d) / 10 ? LONG_MAX : value * 10 + d;
        ++n;
        ++used;
        ++digits;
      }
      if (digits == 0) return std::nullopt;
      return negative ? -value : value;  // the rest is not examined
    }
    if (n >= name.size() || name[n] != c) return std::nullopt;
    ++n;
    ++p;
  }
  return std::nullopt;  // no conversion in the pattern
}

}  // namespace quorvel
