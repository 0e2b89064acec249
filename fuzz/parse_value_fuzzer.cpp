// Feeds arbitrary text to the value parser, value after value, as the value
// file reader does.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "values/value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  quorvel::TextStream in(text);
  for (int i = 0; i < 1000; ++i) {
    in.skipWhitespace();
    if (in.atEnd()) break;
    quorvel::Value value;
    if (!quorvel::parseValue(in, value)) break;
  }
  return 0;
}
