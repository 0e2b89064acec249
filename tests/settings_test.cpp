// The typed settings: floats and window positions.
#include "app/settings.h"

#include <gtest/gtest.h>

#include "platform/ini_profile_store.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::TempDir;

class SettingsTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("Quorvel.ini");
  IniProfileStore store{path};
  ScriptedUserInterface ui;
};

TEST_F(SettingsTest, FloatsAreWrittenWithG) {
  ASSERT_TRUE(writeFloatSetting(store, "Import3ds", "Scale", 1.0f));
  ASSERT_TRUE(writeFloatSetting(store, "Import3ds", "XOffset", -12.5f));
  ASSERT_TRUE(writeFloatSetting(store, "Import3ds", "YOffset", 1e-7f));
  EXPECT_EQ(readFileText(path), "[Import3ds]\r\nScale=1\r\nXOffset=-12.5\r\nYOffset=1e-07\r\n");
  EXPECT_FLOAT_EQ(readFloatSetting(store, "Import3ds", "XOffset", 0.0f), -12.5f);
  EXPECT_FLOAT_EQ(readFloatSetting(store, "Import3ds", "YOffset", 0.0f), 1e-7f);
}

TEST_F(SettingsTest, ScaleThatIsNotANumberReadsAsTheDefault) {
  dir.write("Quorvel.ini", "[Import3ds]\nScale=big\nXOffset=3.5cm\n");
  EXPECT_FLOAT_EQ(readFloatSetting(store, "Import3ds", "Scale", 1.0f), 1.0f);
  // "%f" reads the leading number and ignores the rest.
  EXPECT_FLOAT_EQ(readFloatSetting(store, "Import3ds", "XOffset", 0.0f), 3.5f);
  EXPECT_FLOAT_EQ(readFloatSetting(store, "Import3ds", "ZOffset", 7.0f), 7.0f);
}

TEST_F(SettingsTest, WindowPositionRoundTripsAsTwoLittleEndianIntegers) {
  ui.lastPositions[Window::MessagesWindow] = WindowPosition{-8, 300};
  saveWindowPosition(store, ui, Window::MessagesWindow, "MainWindow");
  // -8 = F8 FF FF FF, 300 = 2C 01 00 00; sum 0x422 -> 22.
  EXPECT_EQ(readFileText(path), "[WindowPosition]\r\nMainWindow=F8FFFFFF2C01000022\r\n");
  restoreWindowPosition(store, ui, Window::MessagesWindow, "MainWindow");
  ASSERT_TRUE(ui.givenPositions[Window::MessagesWindow]);
  EXPECT_EQ(ui.givenPositions[Window::MessagesWindow]->left, -8);
  EXPECT_EQ(ui.givenPositions[Window::MessagesWindow]->top, 300);
}

TEST_F(SettingsTest, DamagedOrMissingPositionLetsTheSystemPlaceTheWindow) {
  dir.write("Quorvel.ini", "[WindowPosition]\nMainWindow=F8FFFFFF2C01000023\n");
  restoreWindowPosition(store, ui, Window::MessagesWindow, "MainWindow");
  restoreWindowPosition(store, ui, Window::ActionDialog, "StartupWindow");
  ASSERT_EQ(ui.givenPositions.count(Window::MessagesWindow), 1u);
  EXPECT_FALSE(ui.givenPositions[Window::MessagesWindow]);
  EXPECT_FALSE(ui.givenPositions[Window::ActionDialog]);
}

TEST_F(SettingsTest, WindowWithoutPlaceStoresNothing) {
  saveWindowPosition(store, ui, Window::ActionDialog, "StartupWindow");
  EXPECT_EQ(readFileText(path), "<missing>");
}

}  // namespace
}  // namespace quorvel
