// A folder of the fuzz target's own for the files an input is written to,
// removed at the end. Writes are plain ones: every input rewrites them.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace quorvel::fuzzing {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& purpose)
      : path_((std::filesystem::temp_directory_path() /
               ("quorvel_" + purpose + "_fuzz_" + std::to_string(getpid())))
                  .string() +
              "/") {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

  static void write(const std::string& path, std::span<const uint8_t> bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) std::abort();
  }
  static void write(const std::string& path, std::string_view text) {
    write(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }

 private:
  std::string path_;
};

}  // namespace quorvel::fuzzing
