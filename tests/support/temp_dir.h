// A fresh folder for one test, removed with everything in it at the end.
// Unique per process and test, so tests can run in parallel.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }
  // path() + relative.
  std::string file(std::string_view relative) const;
  // Writes `content` to path() + relative, creating folders on the way;
  // returns the full path.
  std::string write(std::string_view relative, std::string_view content) const;
  // Creates the folder path() + relative (and its parents); returns it.
  std::string makeFolder(std::string_view relative) const;

 private:
  std::string path_;
};

// The whole content of a file, or "<missing>" when it cannot be read.
std::string readFileText(const std::string& path);
// Writes `bytes` to `path`, replacing the file; failing to write fails the test.
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> readBytes(const std::string& path);
// The bytes of `text`, for the functions that write bytes.
inline std::span<const uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace quorvel::testing_support
