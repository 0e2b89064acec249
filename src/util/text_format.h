// Small text helpers shared by the platform layer and the application:
// printf-style formatting into a std::string and ASCII case handling (the
// game's paths and keys compare without case, A to Z only).
#pragma once

#include <string>
#include <string_view>

#if defined(__GNUC__)
#define QUORVEL_FORMAT_CHECK(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QUORVEL_FORMAT_CHECK(fmt, args)
#endif

namespace quorvel {

// The text printf would write, of any length.
std::string formatText(const char* format, ...) QUORVEL_FORMAT_CHECK(1, 2);

// A to Z become a to z; every other byte stays.
std::string toLowerAscii(std::string_view text);
// Equal when equal after toLowerAscii.
bool equalsNoCase(std::string_view a, std::string_view b);
// The text of a file as the C library delivers it in text mode: each
// carriage return before a line feed is dropped.
std::string normalizeLineEnds(std::string bytes);
// Leading and trailing blanks, tabs, CR and LF removed.
std::string_view trimBlanks(std::string_view text);

}  // namespace quorvel
