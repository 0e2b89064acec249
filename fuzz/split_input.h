// The two parts of a fuzz input whose first four bytes give the length of
// the first part (cut to what there is); the rest is the second part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "util/byte_io.h"

namespace quorvel::fuzzing {

inline std::pair<std::span<const uint8_t>, std::span<const uint8_t>> splitInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  size_t firstLength = 0;
  if (input.size() >= 4) {
    firstLength = decodeU32(input.data());
    input = input.subspan(4);
  }
  if (firstLength > input.size()) firstLength = input.size();
  return {input.first(firstLength), input.subspan(firstLength)};
}

}  // namespace quorvel::fuzzing
