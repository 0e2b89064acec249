// The Windows file functions behind the platform interface, and scene files
// read through the LZ expansion functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "platform/compressed_input.h"
#include "platform/file_system.h"
#include "platform/installation.h"

namespace quorvel {
namespace {

class Win32Files : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "quorvel_fs_" + info->name() + "_" +
              std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::string& name : listFiles(folder_, "*")) deleteFile(folder_ + name);
    RemoveDirectoryA((folder_ + "sub.tpm").c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(folder_ + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return folder_ + name;
  }
  std::string folder_;
};

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST_F(Win32Files, AtomicReplaceWritesExactBytesAndLeavesNoTemporary) {
  const std::string path = write("be.grf", bytesOf("old content that is longer"));
  const std::vector<uint8_t> fresh = {0xBE, 0xBA, 0xCE, 0x0A, 0x00, 0x0D, 0x0A};
  ASSERT_TRUE(replaceFileAtomically(path, fresh));
  EXPECT_EQ(readWholeFile(path), fresh);
  EXPECT_EQ(listFiles(folder_, "*"), std::vector<std::string>{"be.grf"});
}

TEST_F(Win32Files, AtomicReplaceFailsIntoAMissingFolder) {
  EXPECT_FALSE(replaceFileAtomically(folder_ + "nofolder\\x.grf", bytesOf("x")));
}

TEST_F(Win32Files, SavingThroughASymbolicLinkReplacesItsTarget) {
  CreateDirectoryA((folder_ + "sub.tpm").c_str(), nullptr);
  const std::string target = write("sub.tpm\\level.grf", bytesOf("old"));
  const std::string link = folder_ + "link.grf";
  // Wine's CreateSymbolicLink succeeds without making anything.
  const DWORD made = CreateSymbolicLinkA(link.c_str(), target.c_str(), 0) ? GetFileAttributesA(link.c_str())
                                                                          : INVALID_FILE_ATTRIBUTES;
  if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "this system makes no symbolic links for the user";
  ASSERT_TRUE(replaceFileAtomically(link, bytesOf("new")));
  EXPECT_TRUE(GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(readWholeFile(target), bytesOf("new"));
  EXPECT_EQ(listFiles(folder_ + "sub.tpm", "*"), std::vector<std::string>{"level.grf"});
  deleteFile(target);
}

TEST_F(Win32Files, ListingMatchesOnlyTheRealExtensionSortedWithoutCase) {
  for (const char* name : {"b.TPM", "a.tpm", "c.tpm2", "d.3ds", "e.txt"}) write(name, bytesOf("x"));
  CreateDirectoryA((folder_ + "sub.tpm").c_str(), nullptr);
  EXPECT_EQ(listFiles(folder_, "*.tpm"), (std::vector<std::string>{"a.tpm", "b.TPM"}));
  EXPECT_EQ(listFiles(folder_, "*.3ds;*.tpm"), (std::vector<std::string>{"a.tpm", "b.TPM", "d.3ds"}));
  std::string noSeparator = folder_.substr(0, folder_.size() - 1);
  EXPECT_EQ(listFiles(noSeparator, "?.txt"), std::vector<std::string>{"e.txt"});
  EXPECT_TRUE(listFiles(folder_ + "missing", "*").empty());
}

TEST_F(Win32Files, CopyAndMoveReplaceTheTarget) {
  const std::string a = write("a.grf", bytesOf("AAA"));
  const std::string b = write("b.grf", bytesOf("BB"));
  ASSERT_TRUE(copyFileReplacing(a, b));
  EXPECT_EQ(readWholeFile(b), bytesOf("AAA"));
  write("c.grf", bytesOf("C"));
  ASSERT_TRUE(moveFileReplacing(folder_ + "c.grf", b));
  EXPECT_EQ(readWholeFile(b), bytesOf("C"));
  EXPECT_FALSE(fileExists(folder_ + "c.grf"));
  ASSERT_TRUE(deleteFile(b));
  EXPECT_FALSE(fileExists(b));
  EXPECT_FALSE(deleteFile(b));
}

TEST_F(Win32Files, WriteTimesRoundTripAndSizesAreExact) {
  const std::string path = write("t.pid", std::vector<uint8_t>(1234, 7));
  EXPECT_EQ(fileSize(path), 1234u);
  EXPECT_EQ(fileSize(folder_), std::nullopt);
  const int64_t stamp = 132000000000000000LL;  // a FILETIME in 2019
  ASSERT_TRUE(setLastWriteTime(path, stamp));
  EXPECT_EQ(lastWriteTime(path), stamp);
  EXPECT_EQ(lastWriteTime(folder_ + "none"), std::nullopt);
}

TEST_F(Win32Files, ReadOnlyFileCannotBeOpenedForUpdate) {
  const std::string path = write("ro.grf", bytesOf("x"));
  EXPECT_TRUE(canOpenForUpdate(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this file system lets the user write read-only files (root under Wine)";
  }
  EXPECT_TRUE(canOpenForReading(path));
  EXPECT_FALSE(canOpenForUpdate(path));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Files, ProgramFolderEndsInABackslash) {
  const std::string folder = currentDirectory();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
}

// A file packed by the Windows LZ compression tool: "SZDD" header, then
// groups of a flag byte (bit set = literal) and eight items.
std::vector<uint8_t> szdd(uint32_t statedLength, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> bytes = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', '_'};
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(statedLength >> (8 * i)));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

TEST_F(Win32Files, LzReadsPlainFilesUnchanged) {
  std::vector<uint8_t> content(200000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(readPossiblyCompressedFile(write("plain.grf", content)), content);
  EXPECT_EQ(readPossiblyCompressedFile(write("empty.grf", {})), std::vector<uint8_t>{});
}

TEST_F(Win32Files, LzExpandsCompressedFiles) {
  // "abc" as literals, then a copy of six bytes from window position 0xFF0.
  const std::string path = write("be.grf", szdd(9, {0x07, 'a', 'b', 'c', 0xF0, 0xF3}));
  EXPECT_EQ(readPossiblyCompressedFile(path), bytesOf("abcabcabc"));
}

TEST_F(Win32Files, LzRefusesCompressedFilesShorterThanStated) {
  const std::string path = write("short.grf", szdd(20, {0x07, 'a', 'b', 'c', 0xF0, 0xF3}));
  EXPECT_EQ(readPossiblyCompressedFile(path), std::nullopt);
}

TEST_F(Win32Files, LzReadsPathsLongerThanItsNameBuffer) {
  std::string longName(150, 'n');
  longName += ".grf";
  const std::string path = write(longName, bytesOf("long path content"));
  ASSERT_GT(path.size(), 128u);
  EXPECT_EQ(readPossiblyCompressedFile(path), bytesOf("long path content"));
}

TEST_F(Win32Files, LzMissingFileGivesNothing) {
  EXPECT_EQ(readPossiblyCompressedFile(folder_ + "missing.grf"), std::nullopt);
}

TEST(Win32Installation, MissingKeyReadsAsEmptyValues) {
  // The test prefix has no game installed.
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ambermoor\\Halvorn", 0,
                    KEY_READ | KEY_WOW64_32KEY, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    GTEST_SKIP() << "the game is installed here";
  }
  InstallationValues values = readInstallationValues();
  EXPECT_EQ(values.dataDrive, "");
  EXPECT_EQ(values.installedDirectory, "");
  EXPECT_EQ(values.patchDir, "");
}

// The game is a 32-bit program: its values are in the 32-bit view of the
// registry, and a 64-bit program must ask for that view.
TEST(Win32Installation, ValuesComeFromThe32BitView) {
  const char* keyName = "SOFTWARE\\Ambermoor\\Halvorn";
  HKEY probe;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ | KEY_WOW64_32KEY, &probe) ==
      ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "the game is installed here";
  }
  auto setValues = [&](REGSAM view, const char* drive) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return false;
    RegSetValueExA(key, "Data Drive", 0, REG_SZ, reinterpret_cast<const BYTE*>(drive),
                   static_cast<DWORD>(strlen(drive) + 1));
    // Stored without its terminator, as some installers do.
    RegSetValueExA(key, "Installed Directory", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>("C:\\Games\\Halvorn\\"), 18);
    DWORD number = 5;
    RegSetValueExA(key, "Patch Dir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(key);
    return true;
  };
  if (!setValues(KEY_WOW64_32KEY, "D:\\") || !setValues(KEY_WOW64_64KEY, "E:\\"))
    GTEST_SKIP() << "the test may not write the registry";
  InstallationValues values = readInstallationValues();
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, keyName, KEY_WOW64_32KEY, 0);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, keyName, KEY_WOW64_64KEY, 0);
  EXPECT_EQ(values.dataDrive, "D:\\");
  EXPECT_EQ(values.installedDirectory, "C:\\Games\\Halvorn\\");
  EXPECT_EQ(values.patchDir, "") << "a value that is not a string reads as empty";
}

}  // namespace
}  // namespace quorvel
