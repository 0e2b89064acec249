#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/application.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::TempDir;

class StartupLists : public testing::Test {
 protected:
  void SetUp() override { ui.queueAnswer(Answer::Ok); }  // the notice

  TempDir folder;
  ScriptedUserInterface ui;
};

TEST_F(StartupLists, LoadsIgnoredTexturesThenKnownValuesAndBuildsLookup) {
  folder.write("Quorvel.knownvalues.txt", "% names\nClass\nAnim%02d\n");
  folder.write("Quorvel.ignoretextures.txt", "Map\\lvl\\sky.bmp\n");
  AppContext app(ui, folder.file(""));
  ASSERT_TRUE(startUp(app));
  shutDown(app);
  EXPECT_EQ(app.ignoredTextures, (NameList{"Map\\lvl\\sky.bmp"}));
  EXPECT_TRUE(app.knownValues.isKnown("Anim07"));
  EXPECT_EQ(app.knownValues.lowerMap.at("class"), "Class");
  ASSERT_EQ(ui.questions().size(), 1u);  // the notice only
  EXPECT_EQ(readFileText(app.programFolder + "Quorvel_log.txt"),
            "Quorvel debug log\n=================\n"
            "Found \"" + app.programFolder + "Quorvel.ignoretextures.txt\":\n"
            "Found \"" + app.programFolder + "Quorvel.knownvalues.txt\":\n");
}

TEST_F(StartupLists, FurtherFolderServesOnlyWhatTheProgramFolderLacks) {
  folder.makeFolder("share");
  folder.write("Quorvel.knownvalues.txt", "Own\n");
  folder.write("share/Quorvel.knownvalues.txt", "Shipped\n");
  folder.write("share/Quorvel.ignoretextures.txt", "shipped.bmp\n");
  AppContext app(ui, folder.file(""));
  app.listFolders = {folder.file("share/")};
  ASSERT_TRUE(startUp(app));
  shutDown(app);
  EXPECT_EQ(app.knownValues.names, (NameList{"Own"}));
  EXPECT_EQ(app.ignoredTextures, (NameList{"shipped.bmp"}));
  EXPECT_EQ(ui.questions().size(), 1u);
}

TEST_F(StartupLists, MissingListsAreReportedInLoadingOrder) {
  folder.makeFolder("share");
  AppContext app(ui, folder.file(""));
  app.listFolders = {folder.file("share/")};
  ASSERT_TRUE(startUp(app));
  shutDown(app);
  const std::string ignorePath = app.programFolder + "Quorvel.ignoretextures.txt";
  const std::string knownPath = app.programFolder + "Quorvel.knownvalues.txt";
  ASSERT_EQ(ui.questions().size(), 3u);
  EXPECT_EQ(ui.questions()[1].box.text, "Couldn't locate file \"" + ignorePath + "\"\n");
  EXPECT_EQ(ui.questions()[1].box.caption, "Message");
  EXPECT_EQ(ui.questions()[2].box.text, "Couldn't locate file \"" + knownPath + "\"\n");
  EXPECT_TRUE(app.knownValues.names.empty());
  EXPECT_TRUE(app.knownValues.lowerMap.empty());
  EXPECT_EQ(readFileText(app.programFolder + "Quorvel_log.txt"),
            "Quorvel debug log\n=================\n"
            "Couldn't find \"" + ignorePath + "\"\n\n"
            "Couldn't find \"" + knownPath + "\"\n\n");
  EXPECT_EQ(ui.windowText(), "");  // nothing of this reaches the messages window
}

}  // namespace
}  // namespace quorvel
