// Settings in the private-profile (INI) form: sections and keys compare
// without case, the first match wins, every write goes to the file at once,
// and a missing file, section or key reads as the caller's default.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual std::string readString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, size_t maxLength = 255) = 0;
  virtual int readInt(const std::string& section, const std::string& key, int defaultValue) = 0;
  virtual bool writeString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
  // Structures: the bytes as upper-case hex pairs plus a checksum byte (sum
  // of the bytes modulo 256). A wrong length or checksum reads as absent.
  virtual std::optional<std::vector<uint8_t>> readStruct(const std::string& section,
                                                         const std::string& key, size_t size) = 0;
  virtual bool writeStruct(const std::string& section, const std::string& key,
                           const std::vector<uint8_t>& bytes) = 0;
  // Whether a setting could not be saved since the store was opened.
  virtual bool saveFailed() const { return false; }
};

// The store of this platform for the settings file at `path`.
std::unique_ptr<ProfileStore> openProfileStore(const std::string& path);

}  // namespace quorvel
