// Feeds arbitrary bytes to the SZDD decoder: it must never read or write out
// of bounds, and what it returns must be exactly the promised length.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/szdd_decoder.h"
#include "util/byte_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> input(data, data + size);
  auto decoded = quorvel::decodeSzdd(input);
  if (decoded && (size < 14 || decoded->size() != quorvel::decodeU32(data + 10))) std::abort();
  return 0;
}
