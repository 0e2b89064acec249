// A private-profile (INI) store kept in a text file, used wherever the
// system offers no private-profile functions of its own. Every read looks at
// the file as it is now and every write rewrites it at once, keeping all
// other lines as they were.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/profile_store.h"

namespace quorvel {

class IniProfileStore : public ProfileStore {
 public:
  explicit IniProfileStore(std::string path) : path_(std::move(path)) {}

  // The value of the first matching key of the first matching section
  // (both without case), blanks around it and one pair of enclosing quotes
  // removed, cut to `maxLength` characters; `defaultValue` when absent.
  std::string readString(const std::string& section, const std::string& key,
                         const std::string& defaultValue, size_t maxLength = 255) override;
  // The leading decimal integer of the value (0 when it has none);
  // `defaultValue` when the key is absent or empty.
  int readInt(const std::string& section, const std::string& key, int defaultValue) override;
  // Replaces the first matching key's line, or adds the key at the end of
  // the first matching section, or adds the section at the end of the file.
  // A key that already holds the value leaves the file untouched. False
  // when the file cannot be written or the value holds a line break.
  bool writeString(const std::string& section, const std::string& key,
                   const std::string& value) override;
  std::optional<std::vector<uint8_t>> readStruct(const std::string& section,
                                                 const std::string& key, size_t size) override;
  bool writeStruct(const std::string& section, const std::string& key,
                   const std::vector<uint8_t>& bytes) override;

  // The first file that could not be written is reported on standard error.
  bool saveFailed() const override { return saveFailed_; }
  const std::string& path() const { return path_; }

 private:
  std::optional<std::string> findValue(const std::string& section, const std::string& key);
  std::string path_;
  bool saveFailed_ = false;
};

// The text operations behind the store, on the whole content of a file.
// The raw value (blanks around it removed) of the first matching key.
std::optional<std::string> findProfileValue(std::string_view content, const std::string& section,
                                            const std::string& key);
// The content with the key set as writeString() describes; nothing when the
// section, key or value cannot be written as one line.
std::optional<std::string> setProfileValue(std::string_view content, const std::string& section,
                                           const std::string& key, const std::string& value);

// Structure values: the bytes as upper-case hex pairs, then the sum of the
// bytes modulo 256 as one more pair.
std::string encodeProfileStruct(const std::vector<uint8_t>& bytes);
// The `size` bytes of an encoded value; nothing when the length, a digit or
// the checksum is wrong.
std::optional<std::vector<uint8_t>> decodeProfileStruct(const std::string& text, size_t size);

}  // namespace quorvel
