#include "platform/temporary_names.h"

#include <zlib.h>

#include <cstdio>

#include "util/text_format.h"

namespace quorvel {

namespace {

constexpr std::string_view kTemporaryInfix = ".quorvel-";

}  // namespace

std::string temporaryPrefix(std::string_view name, size_t room) {
  if (name.size() + kTemporaryInfix.size() + kTemporaryRandomLength + kTemporarySuffix.size() <= room)
    return std::string(name) + std::string(kTemporaryInfix);
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(name.data()), static_cast<uInt>(name.size()));
  char shortPrefix[16];
  std::snprintf(shortPrefix, sizeof shortPrefix, ".qv-%08lx-", crc);
  return shortPrefix;
}

std::string temporaryName(std::string_view prefix, uint64_t random) {
  static constexpr char kCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name(prefix);
  for (size_t i = 0; i < kTemporaryRandomLength; ++i) {
    name += kCharacters[random % (sizeof kCharacters - 1)];
    random /= sizeof kCharacters - 1;
  }
  return name += kTemporarySuffix;
}

bool isTemporaryName(std::string_view entry, std::string_view prefix, bool ignoreCase) {
  if (entry.size() != prefix.size() + kTemporaryRandomLength + kTemporarySuffix.size()) return false;
  const std::string_view start = entry.substr(0, prefix.size());
  const std::string_view end = entry.substr(entry.size() - kTemporarySuffix.size());
  return ignoreCase ? equalsNoCase(start, prefix) && equalsNoCase(end, kTemporarySuffix)
                    : start == prefix && end == kTemporarySuffix;
}

}  // namespace quorvel
