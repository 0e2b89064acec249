// The SWP's pages while an update is open, at offsets a 32-bit seek misses.
#include "textures/swp_page_cache.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

// The C library's fseek takes a long, which is 32 bits on Windows. The file
// is sparse where the system allows it, so it costs no disk space here.
TEST(SwpPageCache, PagesBeyondTwoGigabytesLandAtTheirOffsets) {
  testing_support::TempDir dir;
  const std::string path = dir.write("big.swp", "");
  const uint64_t size = (uint64_t{5} << 29) + 100;  // 2.5 GB and 100 bytes
  ASSERT_TRUE(resizeFile(path, size));
  FILE* file = openFile(path, "r+b");
  ASSERT_NE(file, nullptr);
  {
    SwpPageCache cache(file);
    ASSERT_TRUE(cache.ok());
    EXPECT_EQ(cache.originalSize(), size);
    const uint8_t bytes[4] = {1, 2, 3, 4};
    cache.write(size - 2, bytes, 4);  // across the old end
    ASSERT_TRUE(cache.flush());
  }
  EXPECT_EQ(openFileSize(file), size + 2);
  ASSERT_TRUE(seekFile(file, size - 4));
  uint8_t back[6] = {};
  ASSERT_EQ(std::fread(back, 1, 6, file), 6u);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 6), (std::vector<uint8_t>{0, 0, 1, 2, 3, 4}));
  std::fclose(file);
}

}  // namespace
}  // namespace quorvel
