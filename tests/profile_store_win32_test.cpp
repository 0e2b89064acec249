// The portable settings store and the system's private-profile functions
// must read each other's files: a settings file moves between the Windows
// program and the console program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/ini_profile_store.h"
#include "platform/profile_store.h"

namespace quorvel {
namespace {

class ProfileCompatibility : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    path_ = std::string(folder) + "quorvel_profile_" + info->name() + "_" +
            std::to_string(GetCurrentProcessId()) + ".ini";
    DeleteFileA(path_.c_str());
  }
  void TearDown() override { DeleteFileA(path_.c_str()); }

  std::string systemString(const char* section, const char* key, const char* fallback = "<none>") {
    char buffer[300];
    DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, path_.c_str());
    return std::string(buffer, n);
  }
  void writeFile(const std::string& text) {
    std::ofstream(path_, std::ios::binary) << text;
  }
  std::string fileText() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string path_;
};

TEST_F(ProfileCompatibility, SystemReadsPortableStrings) {
  IniProfileStore portable(path_);
  ASSERT_TRUE(portable.writeString("Paths", "LevelLoadPath", "Z:\\games\\data\\be.scn"));
  ASSERT_TRUE(portable.writeString("Paths", "3dsImportPath", "\\"));
  ASSERT_TRUE(portable.writeString("StartupWindow", "VerboseMessages", "0"));
  EXPECT_EQ(systemString("Paths", "LevelLoadPath"), "Z:\\games\\data\\be.scn");
  EXPECT_EQ(systemString("paths", "3DSIMPORTPATH"), "\\");
  EXPECT_EQ(GetPrivateProfileIntA("StartupWindow", "VerboseMessages", 1, path_.c_str()), 0u);
  EXPECT_EQ(systemString("Paths", "BmpImportPath"), "<none>");
}

TEST_F(ProfileCompatibility, PortableReadsSystemStrings) {
  ASSERT_TRUE(WritePrivateProfileStringA("Import3ds", "Scale", "2.5", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Import3ds", "ReplaceMeshes", "1", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Paths", "LevelLoadPath", "C:\\a b\\x.scn", path_.c_str()));
  IniProfileStore portable(path_);
  EXPECT_EQ(portable.readString("Import3ds", "Scale", "not a number"), "2.5");
  EXPECT_EQ(portable.readInt("import3DS", "replacemeshes", 0), 1);
  EXPECT_EQ(portable.readString("Paths", "LevelLoadPath", ""), "C:\\a b\\x.scn");
  EXPECT_EQ(portable.readString("Paths", "Missing", "dflt"), "dflt");
}

TEST_F(ProfileCompatibility, RewritingKeepsTheOtherStoresEntries) {
  IniProfileStore portable(path_);
  portable.writeString("Paths", "LevelLoadPath", "first");
  WritePrivateProfileStringA("Paths", "3dsImportPath", "second", path_.c_str());
  portable.writeString("Paths", "LevelLoadPath", "third");
  WritePrivateProfileStringA("Import3ds", "XOffset", "4", path_.c_str());
  EXPECT_EQ(systemString("Paths", "LevelLoadPath"), "third");
  EXPECT_EQ(portable.readString("Paths", "3dsImportPath", ""), "second");
  EXPECT_EQ(portable.readString("Import3ds", "XOffset", ""), "4");
}

TEST_F(ProfileCompatibility, BothReadHandWrittenFilesAlike) {
  writeFile("[Paths]\r\n  LevelLoadPath =  \"c:\\q.scn\"  \r\n[StartupWindow]\r\nVerboseMessages=7x\r\n"
            "Empty=\r\n");
  IniProfileStore portable(path_);
  EXPECT_EQ(portable.readString("Paths", "LevelLoadPath", ""), systemString("Paths", "LevelLoadPath"));
  EXPECT_EQ(portable.readInt("StartupWindow", "VerboseMessages", 1),
            static_cast<int>(GetPrivateProfileIntA("StartupWindow", "VerboseMessages", 1, path_.c_str())));
  EXPECT_EQ(portable.readString("StartupWindow", "Empty", "dflt"), systemString("StartupWindow", "Empty"));
  EXPECT_EQ(portable.readInt("StartupWindow", "Empty", 5),
            static_cast<int>(GetPrivateProfileIntA("StartupWindow", "Empty", 5, path_.c_str())));
}

TEST_F(ProfileCompatibility, SystemReadsPortableStructures) {
  IniProfileStore portable(path_);
  const std::vector<uint8_t> position = {0x10, 0x01, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF};  // 272, -2
  ASSERT_TRUE(portable.writeStruct("WindowPosition", "MainWindow", position));
  uint8_t read[8] = {};
  ASSERT_TRUE(GetPrivateProfileStructA("WindowPosition", "MainWindow", read, 8, path_.c_str()));
  EXPECT_EQ(std::vector<uint8_t>(read, read + 8), position);
  // The size is part of the check: asking for 4 bytes of an 8-byte entry fails.
  EXPECT_FALSE(GetPrivateProfileStructA("WindowPosition", "MainWindow", read, 4, path_.c_str()));
}

TEST_F(ProfileCompatibility, PortableReadsSystemStructures) {
  uint8_t position[8] = {0x2C, 0x01, 0, 0, 0x64, 0, 0, 0};  // 300, 100
  ASSERT_TRUE(WritePrivateProfileStructA("WindowPosition", "StartupWindow", position, 8, path_.c_str()));
  EXPECT_EQ(systemString("WindowPosition", "StartupWindow"), "2C0100006400000091");
  IniProfileStore portable(path_);
  EXPECT_EQ(portable.readStruct("WindowPosition", "StartupWindow", 8),
            std::vector<uint8_t>(position, position + 8));
  EXPECT_EQ(portable.readStruct("WindowPosition", "StartupWindow", 4), std::nullopt);
}

TEST_F(ProfileCompatibility, DamagedChecksumIsAbsentForBoth) {
  uint8_t position[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  WritePrivateProfileStructA("WindowPosition", "MainWindow", position, 8, path_.c_str());
  std::string text = fileText();
  const size_t at = text.find("0102030405060708");
  ASSERT_NE(at, std::string::npos);
  text[at + 16] = text[at + 16] == '0' ? '1' : '0';  // one digit of the checksum
  writeFile(text);
  uint8_t read[8];
  EXPECT_FALSE(GetPrivateProfileStructA("WindowPosition", "MainWindow", read, 8, path_.c_str()));
  IniProfileStore portable(path_);
  EXPECT_EQ(portable.readStruct("WindowPosition", "MainWindow", 8), std::nullopt);

  // And a damaged data digit with the old checksum.
  portable.writeStruct("WindowPosition", "StartupWindow", {1, 2, 3, 4, 5, 6, 7, 8});
  text = fileText();
  const size_t second = text.rfind("0102030405060708");
  text[second + 1] = '9';
  writeFile(text);
  EXPECT_FALSE(GetPrivateProfileStructA("WindowPosition", "StartupWindow", read, 8, path_.c_str()));
  EXPECT_EQ(portable.readStruct("WindowPosition", "StartupWindow", 8), std::nullopt);
}

TEST_F(ProfileCompatibility, SystemStoreOfThisPlatformReadsBack) {
  std::unique_ptr<ProfileStore> store = openProfileStore(path_);
  EXPECT_EQ(store->readString("Paths", "LevelLoadPath", "\\"), "\\");
  EXPECT_EQ(store->readInt("StartupWindow", "VerboseMessages", 1), 1);
  ASSERT_TRUE(store->writeString("Paths", "LevelLoadPath", std::string(300, 'a')));
  EXPECT_EQ(store->readString("Paths", "LevelLoadPath", "", 260), std::string(260, 'a'));
  ASSERT_TRUE(store->writeStruct("WindowPosition", "MainWindow", {9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(store->readStruct("WindowPosition", "MainWindow", 8),
            (std::vector<uint8_t>{9, 8, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(store->readStruct("WindowPosition", "Missing", 8), std::nullopt);
}

}  // namespace
}  // namespace quorvel
