// File operations on POSIX: paths written as on Windows find their files.
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::bytesOf;
using testing_support::readFileText;
using testing_support::TempDir;

TEST(PathResolution, LowerCasePathFindsMixedCaseFile) {
  TempDir dir;
  std::string real = dir.write("Data/BE.GRF", "grf");
  EXPECT_EQ(resolvePath(dir.path() + "data/be.grf"), real);
  EXPECT_TRUE(canOpenForReading(dir.path() + "data/be.grf"));
  EXPECT_EQ(readFileText(resolvePath(dir.path() + "DATA/Be.Grf")), "grf");
}

TEST(PathResolution, BackslashesAreSeparators) {
  TempDir dir;
  std::string real = dir.write("Data/Maps/x.bmp", "x");
  EXPECT_EQ(resolvePath(dir.path() + "data\\maps\\X.BMP"), real);
}

TEST(PathResolution, ExactMatchIsPreferredOverOtherCases) {
  TempDir dir;
  dir.write("a/File.txt", "upper");
  dir.write("a/file.txt", "lower");
  EXPECT_EQ(readFileText(resolvePath(dir.path() + "a/file.txt")), "lower");
  EXPECT_EQ(readFileText(resolvePath(dir.path() + "a/File.txt")), "upper");
  // Neither matches exactly: the first in byte order ("File" < "file").
  EXPECT_EQ(readFileText(resolvePath(dir.path() + "a/FILE.TXT")), "upper");
}

TEST(PathResolution, NewFileInAnExistingFolderKeepsItsOwnName) {
  TempDir dir;
  dir.makeFolder("Data");
  EXPECT_EQ(resolvePath(dir.path() + "data/New.grf"), dir.path() + "Data/New.grf");
  FILE* file = openFile(dir.path() + "data/New.grf", "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_TRUE(fileExists(dir.path() + "Data/New.grf"));
}

TEST(PathResolution, MissingFolderLeavesTheRestAsWritten) {
  TempDir dir;
  EXPECT_EQ(resolvePath(dir.path() + "no\\such\\File"), dir.path() + "no/such/File");
  EXPECT_FALSE(canOpenForReading(dir.path() + "no/such/File"));
}

TEST(FileChecks, ReadingAndUpdateChecks) {
  TempDir dir;
  std::string path = dir.write("f.grf", "x");
  EXPECT_TRUE(canOpenForReading(path));
  EXPECT_TRUE(canOpenForUpdate(path));
  EXPECT_FALSE(canOpenForReading(dir.file("missing.grf")));
  EXPECT_FALSE(canOpenForUpdate(dir.file("missing.grf")));
  // A folder opens for reading but never for update, even for root.
  std::string folder = dir.makeFolder("folder.grf");
  EXPECT_TRUE(canOpenForReading(folder));
  EXPECT_FALSE(canOpenForUpdate(folder));
}

TEST(FileWrites, AtomicReplaceWritesExactBytesAndKeepsTheMode) {
  TempDir dir;
  std::string path = dir.write("Level.GRF", "old content that is longer");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(replaceFileAtomically(dir.file("level.grf"), bytesOf(std::string("new\0bytes", 9))));
  EXPECT_EQ(readFileText(path), std::string("new\0bytes", 9));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(listFiles(dir.path(), "*"), std::vector<std::string>{"Level.GRF"});
}

TEST(FileWrites, AtomicReplaceWritesPiecesInOrder) {
  // More pieces than one batch of the writes takes, empty ones among them.
  TempDir dir;
  std::vector<std::string> texts;
  std::string expected;
  for (int i = 0; i < 1300; ++i) {
    texts.push_back(i % 3 == 0 ? std::string() : std::to_string(i) + std::string(i % 7, '.'));
    expected += texts.back();
  }
  std::vector<std::span<const uint8_t>> pieces;
  for (const std::string& text : texts) pieces.push_back(bytesOf(text));
  ASSERT_TRUE(replaceFileAtomically(dir.file("pieces.grf"), pieces));
  EXPECT_EQ(readFileText(dir.file("pieces.grf")), expected);
}

TEST(FileWrites, AtomicReplaceIntoAMissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(replaceFileAtomically(dir.file("none/x.grf"), bytesOf("x")));
}

TEST(FileWrites, SavingThroughASymlinkReplacesItsTarget) {
  TempDir dir;
  const std::string target = dir.write("real/level.grf", "old");
  ASSERT_EQ(symlink(target.c_str(), dir.file("link.grf").c_str()), 0);
  ASSERT_TRUE(replaceFileAtomically(dir.file("link.grf"), bytesOf("new")));
  struct stat st;
  ASSERT_EQ(lstat(dir.file("link.grf").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(readFileText(target), "new");
  EXPECT_EQ(listFiles(dir.path() + "real", "*"), std::vector<std::string>{"level.grf"});
}

TEST(FileWrites, CopyReplacesAndKeepsTheLastWriteTime) {
  TempDir dir;
  std::string from = dir.write("a.swp", "source");
  std::string to = dir.write("b.swp", "old target");
  ASSERT_TRUE(setLastWriteTime(from, int64_t{1000000000} * 1234567890));
  ASSERT_TRUE(copyFileReplacing(from, to));
  EXPECT_EQ(readFileText(to), "source");
  EXPECT_EQ(readFileText(from), "source");
  EXPECT_EQ(lastWriteTime(to), lastWriteTime(from));
  EXPECT_FALSE(copyFileReplacing(dir.file("missing"), to));
  EXPECT_EQ(readFileText(to), "source");
}

TEST(FileWrites, MoveReplacesTheTarget) {
  TempDir dir;
  std::string from = dir.write("A.scn", "moved");
  std::string to = dir.write("b.scn", "old");
  ASSERT_TRUE(moveFileReplacing(dir.file("a.scn"), to));
  EXPECT_EQ(readFileText(to), "moved");
  EXPECT_FALSE(fileExists(from));
  EXPECT_FALSE(moveFileReplacing(from, to));
}

TEST(FileWrites, DeleteRemovesOnce) {
  TempDir dir;
  std::string path = dir.write("x.wtd", "x");
  EXPECT_TRUE(deleteFile(dir.file("X.WTD")));
  EXPECT_FALSE(fileExists(path));
  EXPECT_FALSE(deleteFile(path));
}

TEST(FileInfo, SizeAndLastWriteTime) {
  TempDir dir;
  std::string path = dir.write("x.swp", std::string(131072, 'x'));
  EXPECT_EQ(fileSize(path), 131072u);
  EXPECT_FALSE(fileSize(dir.file("missing")));
  ASSERT_TRUE(setLastWriteTime(path, 1500000000123456789));
  EXPECT_EQ(lastWriteTime(path), 1500000000123456789);
  EXPECT_FALSE(lastWriteTime(dir.file("missing")));
}

TEST(DirectoryListing, PatternsMatchWithoutCaseInNameOrder) {
  TempDir dir;
  dir.write("b.GRF", "");
  dir.write("A.grf", "");
  dir.write("c.grf.bak", "");
  dir.write("model.3ds", "");
  dir.write("x.tpm", "");
  dir.makeFolder("folder.grf");
  EXPECT_EQ(listFiles(dir.path(), "*.grf"), (std::vector<std::string>{"A.grf", "b.GRF"}));
  EXPECT_EQ(listFiles(dir.path(), "*.3ds;*.TPM"), (std::vector<std::string>{"model.3ds", "x.tpm"}));
  EXPECT_EQ(listFiles(dir.path(), "?.grf*"), (std::vector<std::string>{"A.grf", "b.GRF", "c.grf.bak"}));
  EXPECT_TRUE(listFiles(dir.file("missing"), "*").empty());
}

TEST(DirectoryListing, FolderGivenInOtherCaseAndWithBackslashes) {
  TempDir dir;
  dir.write("Models/One.3DS", "");
  EXPECT_EQ(listFiles(dir.path() + "models\\", "*.3ds"), std::vector<std::string>{"One.3DS"});
}

TEST(DirectoryListing, ManyStarsDoNotBlowUp) {
  TempDir dir;
  dir.write(std::string(200, 'a'), "");
  EXPECT_TRUE(listFiles(dir.path(), std::string(100, '*') + "b").empty());
  EXPECT_EQ(listFiles(dir.path(), std::string(100, '*') + "a").size(), 1u);
}

}  // namespace
}  // namespace quorvel
