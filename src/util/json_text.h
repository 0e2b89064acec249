// Building blocks of the canonical JSON text of `quorvel dump --json`:
// compact, bytes as Latin-1 characters, floats as their 8 hex-digit bit
// patterns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::json {

// Appends `text` as a quoted JSON string: each byte one character U+0000..U+00FF.
void appendString(std::string& out, std::string_view text);
// Appends a float as "xxxxxxxx", its IEEE-754 bits in lower-case hex.
void appendFloat(std::string& out, float value);
// Lower-case hex of 32 bits without quotes ("3f800000").
std::string hex32(uint32_t value);
// Lower-case hex of every byte, no separators.
std::string hexBytes(const uint8_t* data, size_t size);

}  // namespace quorvel::json
