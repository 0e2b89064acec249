// Saving a file on every platform: the temporary written beside the target
// and renamed over it, the temporaries a stopped run left, and the targets a
// save refuses.
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <zlib.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>

#include "platform/temporary_names.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::bytesOf;
using testing_support::readFileText;
using testing_support::TempDir;

TEST(TemporaryNames, TheLongFormWhileItFitsElseTheShortOne) {
  const struct {
    std::string name;
    size_t room;
    std::string prefix;
  } cases[] = {
      {"lvl.pid", 255, "lvl.pid.quorvel-"},
      {"lvl.pid", 26, "lvl.pid.quorvel-"},  // exactly 26 characters with ".quorvel-XXXXXX.tmp"
      {"lvl.pid", 25, ".qv-ba3f488d-"},
      {std::string(236, 'n'), 255, std::string(236, 'n') + ".quorvel-"},
      {std::string(237, 'n'), 255, ".qv-d9c75939-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.size());
    EXPECT_EQ(temporaryPrefix(c.name, c.room), c.prefix);
  }
  const std::string name = temporaryName("lvl.pid.quorvel-", 0);
  EXPECT_EQ(name, "lvl.pid.quorvel-AAAAAA.tmp");
  EXPECT_TRUE(isTemporaryName(name, "lvl.pid.quorvel-", false));
  EXPECT_TRUE(isTemporaryName("LVL.PID.quorvel-Ab12Cd.TMP", "lvl.pid.quorvel-", true));
  EXPECT_FALSE(isTemporaryName("LVL.PID.quorvel-Ab12Cd.TMP", "lvl.pid.quorvel-", false));
  EXPECT_FALSE(isTemporaryName("lvl.pid.quorvel-Ab12C.tmp", "lvl.pid.quorvel-", false));
}

TEST(FileSaving, StaleTemporariesOfTheTargetAreRemovedBeforeASave) {
  TempDir dir;
  dir.write("lvl.pid", "old");
  dir.write("lvl.pid.quorvel-Ab12Cd.tmp", "left by a stopped run");
  dir.write("lvl.pid.quorvel-Ab12Cd.tmp.keep", "not ours");
  dir.write("other.pid.quorvel-Ab12Cd.tmp", "another target's");
  dir.write("lvl.pid.tmpAb12Cd", "not ours");
  const std::vector<std::string> kept = {"lvl.pid", "lvl.pid.quorvel-Ab12Cd.tmp.keep", "lvl.pid.tmpAb12Cd",
                                         "other.pid.quorvel-Ab12Cd.tmp"};
  ASSERT_TRUE(replaceFileAtomically(dir.file("lvl.pid"), bytesOf("new")));
  EXPECT_EQ(listFiles(dir.path(), "*"), kept);
  EXPECT_EQ(readFileText(dir.file("lvl.pid")), "new");
  // A copy goes through a temporary of the same kind.
  dir.write("lvl.pid.quorvel-Ef34Gh.tmp", "left by a stopped copy");
  ASSERT_TRUE(copyFileReplacing(dir.file("other.pid.quorvel-Ab12Cd.tmp"), dir.file("lvl.pid")));
  EXPECT_EQ(listFiles(dir.path(), "*"), kept);
  EXPECT_EQ(readFileText(dir.file("lvl.pid")), "another target's");
}

// The temporary of a target whose name leaves no room for the long form
// (the longest file name; on Windows the longest path) has the short name.
TEST(FileSaving, ATargetWithTheLongestNameGetsTheShortTemporary) {
  TempDir dir;
#ifdef _WIN32
  const size_t length = 259 - dir.path().size() - 10;  // the path fits, the long temporary's does not
#else
  const size_t length = 255;
#endif
  const std::string name = std::string(length - 8, 'n') + "-130.pid";
  char stale[32];
  std::snprintf(stale, sizeof stale, ".qv-%08lx-Ab12Cd.tmp",
                crc32(0L, reinterpret_cast<const Bytef*>(name.data()), static_cast<uInt>(name.size())));
  dir.write(stale, "left by a stopped run");
  ASSERT_TRUE(replaceFileAtomically(dir.file(name), bytesOf("new")));
  EXPECT_EQ(listFiles(dir.path(), "*"), std::vector<std::string>{name});
  EXPECT_EQ(readFileText(dir.file(name)), "new");
}

TEST(FileSaving, AFolderOrADeviceIsNeverReplaced) {
  TempDir dir;
  dir.makeFolder("folder.grf");
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/null";
#endif
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {{dir.file("folder.grf"), "Is a directory"}, {device, "not a regular file, so it is not replaced"}};
  const std::string source = dir.write("source", "x");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_FALSE(replaceFileAtomically(c.path, bytesOf("x")));
    EXPECT_EQ(lastSystemError(), c.reason);
    std::string reason;
    EXPECT_FALSE(copyFileReplacing(source, c.path, &reason));
    EXPECT_EQ(reason, c.reason);
  }
  EXPECT_EQ(listFiles(dir.path(), "*"), std::vector<std::string>{"source"});
#ifndef _WIN32
  struct stat st;
  ASSERT_EQ(stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
#endif
}

// Growing or cutting a file this process holds open for update, as the
// texture store does with the SWP.
TEST(FileSaving, AnOpenFileIsResizedAndKeepsItsPosition) {
  TempDir dir;
  const std::string path = dir.write("level.swp", "");
  FILE* file = openFile(path, "r+b");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite("abc", 1, 3, file), 3u);
  ASSERT_TRUE(resizeFile(file, 8));
  ASSERT_EQ(std::fputc('d', file), 'd');
  ASSERT_EQ(std::fclose(file), 0);
  EXPECT_EQ(readFileText(path), std::string("abcd\0\0\0\0", 8));
  file = openFile(path, "r+b");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(resizeFile(file, 2));
  ASSERT_EQ(std::fclose(file), 0);
  EXPECT_EQ(readFileText(path), "ab");
}

}  // namespace
}  // namespace quorvel
