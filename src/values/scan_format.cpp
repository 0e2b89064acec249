#include "values/scan_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "values/text_stream.h"

namespace quorvel {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A %[ set: the characters between "[" (or "[^") and the closing "]"; a "]"
// right after the opening belongs to the set. The program's sets are a few
// characters long, so a search beats building a table.
struct CharSet {
  std::string_view members;
  bool negated = false;
  bool contains(char c) const { return (members.find(c) != std::string_view::npos) != negated; }
};

// Parses the set starting after "%[" (and a width); returns the index after
// the closing "]", or npos when the set is not closed.
size_t parseSet(std::string_view format, size_t p, CharSet& set) {
  if (p < format.size() && format[p] == '^') {
    set.negated = true;
    ++p;
  }
  size_t start = p;
  if (p < format.size() && format[p] == ']') ++p;
  while (p < format.size() && format[p] != ']') ++p;
  if (p >= format.size()) return std::string_view::npos;
  set.members = format.substr(start, p - start);
  return p + 1;
}

}  // namespace

bool scanDecimalInt(std::string_view text, size_t& pos, int32_t& value) {
  size_t p = pos;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  size_t digitsStart = p;
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{1} << 32;
  while (p < text.size() && isDigit(text[p])) {
    if (magnitude < kLimit) magnitude = magnitude * 10 + (text[p] - '0');
    ++p;
  }
  if (p == digitsStart) {
    pos = p;
    return false;
  }
  int64_t v = negative ? -magnitude : magnitude;
  if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
  value = static_cast<int32_t>(v);
  pos = p;
  return true;
}

bool scanDecimalFloat(std::string_view text, size_t& pos, float& value) {
  size_t p = pos;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) ++p;
  size_t digits = 0;
  while (p < text.size() && isDigit(text[p])) ++p, ++digits;
  if (p < text.size() && text[p] == '.') {
    ++p;
    while (p < text.size() && isDigit(text[p])) ++p, ++digits;
  }
  if (digits == 0) {
    pos = p;
    return false;
  }
  if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
    size_t e = p + 1;
    if (e < text.size() && (text[e] == '-' || text[e] == '+')) ++e;
    if (e < text.size() && isDigit(text[e])) {
      while (e < text.size() && isDigit(text[e])) ++e;
      p = e;
    }
  }
  // from_chars does not take a leading "+".
  size_t start = pos < text.size() && text[pos] == '+' ? pos + 1 : pos;
  const char* first = text.data() + start;
  const char* last = text.data() + p;
  float result = 0;
  auto [end, error] = std::from_chars(first, last, result, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Out of range: what strtof gives (infinity or a zero of the right sign).
    std::string copy(first, last);
    result = std::strtof(copy.c_str(), nullptr);
  } else if (error != std::errc() || end != last) {
    pos = p;
    return false;
  }
  value = result;
  pos = p;
  return true;
}

int scanFormat(std::string_view input, std::string_view format,
               std::initializer_list<ScanTarget> targets) {
  const ScanTarget* target = targets.begin();
  int stored = 0;
  size_t n = 0;
  size_t p = 0;
  auto inputEnded = [&] { return stored == 0 ? -1 : stored; };
  auto skipSpace = [&] {
    while (n < input.size() && isScanSpace(static_cast<unsigned char>(input[n]))) ++n;
  };

  while (p < format.size()) {
    char c = format[p];
    if (isScanSpace(static_cast<unsigned char>(c))) {
      skipSpace();
      ++p;
      continue;
    }
    if (c != '%' || (p + 1 < format.size() && format[p + 1] == '%')) {
      if (c == '%') ++p;  // "%%" is a literal percent sign
      if (n >= input.size()) return inputEnded();
      if (input[n] != format[p]) return stored;
      ++n;
      ++p;
      continue;
    }
    ++p;
    size_t width = 0;
    while (p < format.size() && isDigit(format[p])) width = width * 10 + static_cast<size_t>(format[p++] - '0');
    if (p >= format.size() || target == targets.end()) return stored;
    size_t limit = width == 0 ? std::string_view::npos : width;
    char conversion = format[p++];
    switch (conversion) {
      case 'd': {
        skipSpace();
        if (n >= input.size()) return inputEnded();
        std::string_view field = input.substr(n, limit);
        size_t used = 0;
        int32_t value = 0;
        bool ok = scanDecimalInt(field, used, value);
        n += used;
        if (!ok) return stored;
        *std::get<int32_t*>(*target++) = value;
        break;
      }
      case 'f': {
        skipSpace();
        if (n >= input.size()) return inputEnded();
        std::string_view field = input.substr(n, limit);
        size_t used = 0;
        float value = 0;
        bool ok = scanDecimalFloat(field, used, value);
        n += used;
        if (!ok) return stored;
        *std::get<float*>(*target++) = value;
        break;
      }
      case 's': {
        skipSpace();
        if (n >= input.size()) return inputEnded();
        size_t start = n;
        while (n < input.size() && n - start < limit && !isScanSpace(static_cast<unsigned char>(input[n]))) ++n;
        std::get<std::string*>(*target++)->assign(input.substr(start, n - start));
        break;
      }
      case '[': {
        CharSet set;
        p = parseSet(format, p, set);
        if (p == std::string_view::npos) return stored;
        if (n >= input.size()) return inputEnded();
        size_t start = n;
        while (n < input.size() && n - start < limit && set.contains(input[n])) ++n;
        if (n == start) return stored;
        std::get<std::string*>(*target++)->assign(input.substr(start, n - start));
        break;
      }
      default:
        return stored;  // not used by the program's patterns
    }
    ++stored;
  }
  return stored;
}

}  // namespace quorvel
