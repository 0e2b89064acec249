// The TScript value text syntax:
//
//   group Crate00-00 = {
//       string Class = "CTerrainObj"
//       int Height = 2
//   }
//
// A type keyword (bool, int, float, string, group; any letter case), a name,
// "=" and the payload. Words are separated by any whitespace. A group's "{"
// may be missing, a word beginning with "}" closes it (the rest of the word
// is ignored) and the end of the text closes every open group.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "values/text_stream.h"
#include "values/value.h"

namespace quorvel {

// Keywords, names, bool words and string payloads hold at most this many
// characters; longer ones are a syntax error.
constexpr size_t kMaxValueWord = 127;
// Groups nest at most this deep; deeper text is a syntax error, so neither
// parsing nor destroying a parsed tree can exhaust the stack.
constexpr int kMaxValueDepth = 256;

// The type of a keyword, compared without regard to case.
std::optional<ValueType> valueTypeFromKeyword(std::string_view word);

// Reads one value (a whole subtree for a group) from `in` into `out`. When
// `keyword` is not empty it is the type keyword the caller has already read.
// False on a syntax error; `out` then holds nothing the caller may use and
// `in` stands where reading stopped. Writes no messages.
bool parseValue(TextStream& in, Value& out, std::string_view keyword = {});

// Parses the first value of `text`; empty on a syntax error or empty text.
// Handy for building value tables from literal text.
std::unique_ptr<Value> parseValueText(std::string_view text);

}  // namespace quorvel
