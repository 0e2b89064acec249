#include "util/json_text.h"

#include <cstdio>
#include <cstring>

namespace quorvel::json {

void appendString(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case 0x08: out += "\\b"; break;
      case 0x09: out += "\\t"; break;
      case 0x0A: out += "\\n"; break;
      case 0x0C: out += "\\f"; break;
      case 0x0D: out += "\\r"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

std::string hex32(uint32_t value) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", value);
  return buf;
}

void appendFloat(std::string& out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  out += '"';
  out += hex32(bits);
  out += '"';
}

std::string hexBytes(const uint8_t* data, size_t size) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
  }
  return out;
}

}  // namespace quorvel::json
