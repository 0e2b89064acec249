#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quorvel::testing_support {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::string name = "quorvel-test";
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
    name += std::string("-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  name += "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  path_ = folder.string() + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Make read-only leftovers removable before removing everything.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view relative) const { return path_ + std::string(relative); }

std::string TempDir::write(std::string_view relative, std::string_view content) const {
  std::string full = file(relative);
  std::filesystem::create_directories(std::filesystem::path(full).parent_path());
  std::ofstream out(full, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return full;
}

std::string TempDir::makeFolder(std::string_view relative) const {
  std::string full = file(relative);
  std::filesystem::create_directories(full);
  return full;
}

std::string readFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvel::testing_support
