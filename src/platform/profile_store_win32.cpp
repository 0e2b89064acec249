// The settings file through the Windows private-profile functions: every
// read and write goes to the file at once, as the system does it.
#include <windows.h>

#include <algorithm>

#include "platform/profile_store.h"

namespace quorvel {

namespace {

class PrivateProfileStore final : public ProfileStore {
 public:
  explicit PrivateProfileStore(std::string path) : path_(std::move(path)) {}

  std::string readString(const std::string& section, const std::string& key,
                         const std::string& defaultValue, size_t maxLength) override {
    // The system cuts the value (and the default) to the buffer less its
    // terminator.
    std::vector<char> buffer(std::clamp<size_t>(maxLength, 1, 65535) + 1, '\0');
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer.data(), static_cast<DWORD>(buffer.size()),
                                            path_.c_str());
    return std::string(buffer.data(), std::min<size_t>(length, buffer.size() - 1));
  }

  int readInt(const std::string& section, const std::string& key, int defaultValue) override {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path_.c_str()));
  }

  bool writeString(const std::string& section, const std::string& key,
                   const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      path_.c_str()) != 0;
  }

  std::optional<std::vector<uint8_t>> readStruct(const std::string& section,
                                                 const std::string& key, size_t size) override {
    if (size == 0 || size > 32767) return std::nullopt;
    std::vector<uint8_t> bytes(size);
    if (!GetPrivateProfileStructA(section.c_str(), key.c_str(), bytes.data(),
                                  static_cast<UINT>(size), path_.c_str()))
      return std::nullopt;
    return bytes;
  }

  bool writeStruct(const std::string& section, const std::string& key,
                   const std::vector<uint8_t>& bytes) override {
    if (bytes.size() > 32767) return false;
    std::vector<uint8_t> copy = bytes;  // the function takes a non-const pointer
    return WritePrivateProfileStructA(section.c_str(), key.c_str(), copy.data(),
                                      static_cast<UINT>(copy.size()), path_.c_str()) != 0;
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<ProfileStore> openProfileStore(const std::string& path) {
  return std::make_unique<PrivateProfileStore>(path);
}

}  // namespace quorvel
