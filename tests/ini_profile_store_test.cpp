// The settings store: private-profile reads and writes on a text file.
#include "platform/ini_profile_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "support/system_errors.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::TempDir;

class IniProfileStoreTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("Quorvel.ini");
  IniProfileStore store{path};
};

TEST_F(IniProfileStoreTest, MissingFileGivesDefaultsAndIsNotCreatedByReads) {
  EXPECT_EQ(store.readString("Paths", "LevelLoadPath", "\\"), "\\");
  EXPECT_EQ(store.readInt("StartupWindow", "VerboseMessages", 1), 1);
  EXPECT_FALSE(store.readStruct("WindowPosition", "MainWindow", 8));
  EXPECT_EQ(readFileText(path), "<missing>");
}

TEST_F(IniProfileStoreTest, MissingSectionOrKeyGivesDefault) {
  dir.write("Quorvel.ini", "[Paths]\r\nLevelLoadPath=c:\\x.scn\r\n");
  EXPECT_EQ(store.readString("Other", "LevelLoadPath", "dflt"), "dflt");
  EXPECT_EQ(store.readString("Paths", "3dsImportPath", "\\"), "\\");
}

TEST_F(IniProfileStoreTest, SectionsAndKeysCompareWithoutCase) {
  dir.write("Quorvel.ini", "[paths]\nlevelloadpath = C:\\Games\\BE.SCN \n");
  EXPECT_EQ(store.readString("Paths", "LevelLoadPath", ""), "C:\\Games\\BE.SCN");
}

TEST_F(IniProfileStoreTest, FirstMatchWins) {
  dir.write("Quorvel.ini", "[A]\nk=1\nK=2\n[a]\nk=3\n");
  EXPECT_EQ(store.readString("a", "k", ""), "1");
  ASSERT_TRUE(store.writeString("a", "k", "9"));
  EXPECT_EQ(readFileText(path), "[A]\nk=9\nK=2\n[a]\nk=3\n");
}

TEST_F(IniProfileStoreTest, KeyOnlyInALaterSectionOfTheSameNameIsFound) {
  dir.write("Quorvel.ini", "[A]\nx=1\n[B]\ny=2\n[A]\nk=3\n");
  EXPECT_EQ(store.readString("A", "k", ""), "3");
}

TEST_F(IniProfileStoreTest, EnclosingQuotesAreRemoved) {
  dir.write("Quorvel.ini", "[S]\nd=\"quoted text\"\ns='single'\nhalf=\"open\n");
  EXPECT_EQ(store.readString("S", "d", ""), "quoted text");
  EXPECT_EQ(store.readString("S", "s", ""), "single");
  EXPECT_EQ(store.readString("S", "half", ""), "\"open");
}

TEST_F(IniProfileStoreTest, ReadsAreCutToTheGivenLength) {
  dir.write("Quorvel.ini", "[S]\nk=" + std::string(300, 'p') + "\n");
  EXPECT_EQ(store.readString("S", "k", "", 260), std::string(260, 'p'));
}

TEST_F(IniProfileStoreTest, IntegersReadTheirLeadingDigits) {
  dir.write("Quorvel.ini", "[S]\na=1\nb=0\nc=42abc\nd=-7\ne=yes\nf=\n");
  EXPECT_EQ(store.readInt("S", "a", 5), 1);
  EXPECT_EQ(store.readInt("S", "b", 5), 0);
  EXPECT_EQ(store.readInt("S", "c", 5), 42);
  EXPECT_EQ(store.readInt("S", "d", 5), -7);
  EXPECT_EQ(store.readInt("S", "e", 5), 0);
  EXPECT_EQ(store.readInt("S", "f", 5), 5);
  EXPECT_EQ(store.readInt("S", "missing", 5), 5);
}

TEST_F(IniProfileStoreTest, FirstWriteCreatesFileAndSectionWithCrLf) {
  ASSERT_TRUE(store.writeString("Paths", "LevelLoadPath", "d:\\games\\data\\be.scn"));
  EXPECT_EQ(readFileText(path), "[Paths]\r\nLevelLoadPath=d:\\games\\data\\be.scn\r\n");
  ASSERT_TRUE(store.writeString("StartupWindow", "VerboseMessages", "0"));
  EXPECT_EQ(readFileText(path),
            "[Paths]\r\nLevelLoadPath=d:\\games\\data\\be.scn\r\n\r\n[StartupWindow]\r\nVerboseMessages=0\r\n");
}

TEST_F(IniProfileStoreTest, WriteUpdatesOnlyItsKeyAndKeepsEveryOtherLine) {
  const std::string before =
      "; my settings\n"
      "[Paths]\n"
      "  LevelLoadPath = old.scn  \n"
      "3dsImportPath=\\models\\\n"
      "stray line without equals\n"
      "\n"
      "[Import3ds]\n"
      "Scale=2\n";
  dir.write("Quorvel.ini", before);
  ASSERT_TRUE(store.writeString("PATHS", "levelloadpath", "new.scn"));
  EXPECT_EQ(readFileText(path),
            "; my settings\n"
            "[Paths]\n"
            "levelloadpath=new.scn\n"
            "3dsImportPath=\\models\\\n"
            "stray line without equals\n"
            "\n"
            "[Import3ds]\n"
            "Scale=2\n");
}

TEST_F(IniProfileStoreTest, WritingTheValueAKeyHoldsLeavesTheFileUntouched) {
  const std::string before = "[Paths]\n  LevelLoadPath = old.scn  \n[StartupWindow]\nVerboseMessages=1";
  dir.write("Quorvel.ini", before);
  // Whole seconds: the MinGW library keeps file times to the second.
  const std::filesystem::file_time_type old =
      std::chrono::floor<std::chrono::seconds>(std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
  std::filesystem::last_write_time(path, old);
  ASSERT_TRUE(store.writeString("paths", "LevelLoadPath", "old.scn"));
  ASSERT_TRUE(store.writeString("StartupWindow", "VerboseMessages", "1"));
  EXPECT_EQ(readFileText(path), before);
  EXPECT_EQ(std::filesystem::last_write_time(path), old);
  // A value that differs only in case or blanks is a change.
  ASSERT_TRUE(store.writeString("Paths", "LevelLoadPath", "Old.scn"));
  EXPECT_NE(std::filesystem::last_write_time(path), old);
  EXPECT_EQ(store.readString("Paths", "LevelLoadPath", ""), "Old.scn");
}

TEST_F(IniProfileStoreTest, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
  dir.write("Quorvel.ini", "[Paths]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n");
  ASSERT_TRUE(store.writeString("Paths", "C", "3"));
  EXPECT_EQ(readFileText(path), "[Paths]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n");
}

TEST_F(IniProfileStoreTest, FileWithoutFinalLineEndGetsOneBeforeNewLines) {
  dir.write("Quorvel.ini", "[S]\nA=1");
  ASSERT_TRUE(store.writeString("S", "B", "2"));
  EXPECT_EQ(readFileText(path), "[S]\nA=1\nB=2\n");
}

TEST_F(IniProfileStoreTest, LoneCarriageReturnAtTheEndIsNotALineEnd) {
  // Written with a lone CR as line end, the new key would vanish into the
  // section line when read back.
  dir.write("Quorvel.ini", "[Other]\r");
  ASSERT_TRUE(store.writeString("Paths", "LevelLoadPath", "a.scn"));
  EXPECT_EQ(readFileText(path), "[Other]\r\r\n\r\n[Paths]\r\nLevelLoadPath=a.scn\r\n");
  EXPECT_EQ(store.readString("Paths", "LevelLoadPath", ""), "a.scn");
}

TEST_F(IniProfileStoreTest, ValuesWithLineBreaksAreRefused) {
  EXPECT_FALSE(store.writeString("S", "k", "two\nlines"));
  EXPECT_EQ(readFileText(path), "<missing>");
}

TEST_F(IniProfileStoreTest, UnwritableFileLosesTheWriteQuietly) {
  IniProfileStore nowhere(dir.file("no/such/folder/Quorvel.ini"));
  EXPECT_FALSE(nowhere.writeString("S", "k", "v"));
  EXPECT_EQ(nowhere.readString("S", "k", "default"), "default");
}

TEST_F(IniProfileStoreTest, StructuresAreHexPairsWithAChecksum) {
  ASSERT_TRUE(store.writeStruct("WindowPosition", "MainWindow", {0x10, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
  // 0x10 + 4 * 0xFF = 0x40C: checksum 0x0C.
  EXPECT_EQ(readFileText(path), "[WindowPosition]\r\nMainWindow=10000000FFFFFFFF0C\r\n");
  auto bytes = store.readStruct("WindowPosition", "MainWindow", 8);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, (std::vector<uint8_t>{0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(IniProfileStoreTest, DamagedStructuresReadAsAbsent) {
  dir.write("Quorvel.ini",
            "[WindowPosition]\n"
            "Checksum=10000000FFFFFFFF0D\n"
            "Short=10000000FFFFFF0C\n"
            "NotHex=1000000GFFFFFFFF0C\n"
            "Lower=10000000ffffffff0c\n");
  EXPECT_FALSE(store.readStruct("WindowPosition", "Checksum", 8));
  EXPECT_FALSE(store.readStruct("WindowPosition", "Short", 8));
  EXPECT_FALSE(store.readStruct("WindowPosition", "NotHex", 8));
  EXPECT_TRUE(store.readStruct("WindowPosition", "Lower", 8));
  EXPECT_FALSE(store.readStruct("WindowPosition", "Lower", 4));
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// A setting that cannot be saved says so once on standard error, and the
// store remembers it for the run's exit code.
TEST(IniProfileStoreFailure, FirstFailedSaveIsReportedOnce) {
  TempDir dir;
  const std::string path = dir.file("gone/Quorvel.ini");
  IniProfileStore store{path};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.writeString("Paths", "BmpImportPath", "a"));
  EXPECT_FALSE(store.writeString("Paths", "Level", "b"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: could not save the setting \"BmpImportPath\" of [Paths] in \"" + path +
                "\": " + testing_support::missingFolderError() + ".\n");
  EXPECT_TRUE(store.saveFailed());
}

}  // namespace
}  // namespace quorvel
