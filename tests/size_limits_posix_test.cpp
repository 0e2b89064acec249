// Readers refuse files far larger than any level or model before reading
// them: sparse files of gigabytes cost no disk and must cost no memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "level/scene.h"
#include "level/scene_format.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "values/text_file.h"

namespace quorvel {
namespace {

// A sparse file of `size` bytes that starts with `start`.
std::string sparseFile(testing_support::TempDir& dir, const std::string& name, uint64_t size,
                       const std::vector<uint8_t>& start) {
  const std::string path = dir.path() + name;
  testing_support::writeBytes(path, start);
  EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
  return path;
}

std::vector<uint8_t> wordBytes(uint32_t word) {
  std::vector<uint8_t> bytes(4);
  encodeU32(bytes.data(), word);
  return bytes;
}

TEST(SizeLimits, OversizedOrForeignFilesAreRefusedUnread) {
  const uint64_t gb = uint64_t{1} << 30;
  struct Case {
    const char* name;
    uint64_t size;
    std::vector<uint8_t> start;
    std::function<bool(const std::string&)> reads;
  } cases[] = {
      // Zeros are no scene file and no PID: the header says so at once.
      {"zeros.grf", 3 * gb, {}, [](const std::string& p) { return SceneFile().load(p); }},
      {"zeros.pid", 3 * gb, {}, [](const std::string& p) { return TextureDatabase().read(p); }},
      // Past the 32-bit offsets, however it starts.
      {"huge.grf", 5 * gb, wordBytes(scene_format::kMagic), [](const std::string& p) { return SceneFile().load(p); }},
      {"huge.pid", 5 * gb, wordBytes(0x130), [](const std::string& p) { return TextureDatabase().read(p); }},
      {"huge.bin", 5 * gb, {}, [](const std::string& p) { return readWholeFile(p).has_value(); }},
      // Text files stop at 512 MB.
      {"zeros.tpm", 3 * gb, {}, [](const std::string& p) { return readTextFile(p).has_value(); }},
      {"big.txt", kMaxTextFileSize + 1, {'a'}, [](const std::string& p) { return readTextFile(p).has_value(); }},
  };
  testing_support::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = sparseFile(dir, c.name, c.size, c.start);
    EXPECT_FALSE(c.reads(path));
  }
}

TEST(SizeLimits, TooLargeSaysSo) {
  testing_support::TempDir dir;
  const std::string path = sparseFile(dir, "big.txt", kMaxTextFileSize + 1, {});
  errno = 0;
  EXPECT_FALSE(readWholeFile(path, kMaxTextFileSize));
  EXPECT_EQ(lastSystemError(), "File too large");
  // At the limit the file is read.
  ASSERT_EQ(truncate(path.c_str(), 1000), 0);
  EXPECT_EQ(readWholeFile(path, 1000)->size(), 1000u);
  EXPECT_EQ(readFileStart(path, 4)->size(), 4u);
}

}  // namespace
}  // namespace quorvel
