// Feeds arbitrary text to the names file reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "values/names_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::NamesFile names;
  names.readText(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)names.lookupName("Hull");
  (void)names.lookupNameIgnoreCase("WOOD.BMP");
  return 0;
}
