// The one scanf-style matcher of the text formats. It behaves as the C
// library's sscanf does on the patterns the TPM readers and value files use:
// a blank in the pattern matches any run of whitespace, including none;
// other characters must appear as written; %d, %f, %s and %[set] / %[^set]
// convert as sscanf does (%d and %f skip whitespace first, %[ does not) and
// the result counts the conversions stored, or is -1 when the input ends
// before the first one. Strings are std::string, so nothing can overrun;
// a width such as %127s limits the characters read as in sscanf.
//
// Numbers: %d takes an optional sign and decimal digits (values beyond the
// 32-bit range are clamped); %f takes an optional sign, digits with an
// optional decimal point and an optional exponent. Spellings of infinity,
// NaN and hexadecimal floats are not numbers here. Ranges ("a-z") inside
// %[ sets are not supported: "-" stands for itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace quorvel {

using ScanTarget = std::variant<int32_t*, float*, std::string*>;

int scanFormat(std::string_view input, std::string_view format,
               std::initializer_list<ScanTarget> targets);

// Reads a decimal integer at `pos` (no whitespace skipped): optional sign,
// at least one digit. On success stores the value (clamped to 32 bits) and
// moves `pos` past it. On failure `pos` is past a lone sign, if any.
bool scanDecimalInt(std::string_view text, size_t& pos, int32_t& value);
// Reads the longest decimal floating-point number at `pos`: optional sign,
// digits with an optional point (at least one digit), optional exponent.
bool scanDecimalFloat(std::string_view text, size_t& pos, float& value);

}  // namespace quorvel
