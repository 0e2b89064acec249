// The application flow driven by scripted answers: start-up, the action
// loop, the settings it keeps and the string-input dialog.
#include "app/application.h"

#include <gtest/gtest.h>

#include "support/scripted_run.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::ScriptedRun;

const char* const kLogHeader = "Quorvel debug log\n=================\n";
const char* const kWelcome = "Welcome to Quorvel.\nPlease select level and file or directory to import.\n\n";
const char* const kWelcomeWindow =
    "Welcome to Quorvel.\r\nPlease select level and file or directory to import.\r\n\r\n";

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    run.folder.write("Quorvel.ignoretextures.txt", "");
    run.folder.write("Quorvel.knownvalues.txt", "");
  }
  // The log file after start-up with both list files present.
  std::string startupLog() {
    return std::string(kLogHeader) + "Found \"" + run.folder.path() + "Quorvel.ignoretextures.txt\":\n" +
           "Found \"" + run.folder.path() + "Quorvel.knownvalues.txt\":\n";
  }
  std::string logText() { return readFileText(run.folder.file("Quorvel_log.txt")); }
  std::string settingsText() { return readFileText(run.app.settingsPath()); }
  void makeLevel() {
    run.folder.write("data/be.scn", "scn");
    run.folder.write("data/be.grf", "grf");
    run.folder.write("data/be-130.pid", "pid");
  }
  void TearDown() override { EXPECT_EQ(run.ui.unusedAnswers(), 0u); }
  ScriptedRun run;
};

TEST_F(ApplicationTest, StartupShowsTheNoticeAfterTheLogHeader) {
  run.ui.queueAnswer(Answer::Ok);
  ASSERT_TRUE(startUp(run.app));
  EXPECT_EQ(logText(), startupLog());
  ASSERT_EQ(run.ui.questions().size(), 1u);
  const MessageBoxRequest& notice = run.ui.questions()[0].box;
  EXPECT_EQ(notice.caption, "Quorvel Technology Preview");
  EXPECT_EQ(notice.buttons, Buttons::OkCancel);
  EXPECT_EQ(notice.owner, Owner::None);
  EXPECT_EQ(notice.text,
            "IMPORTANT NOTES:\n"
            " - Back up the level data files, because they will be overwritten without warning\n"
            " - This is a technology preview, don't blame me if it breaks your install of\n"
            "   Halvorn (or anything else as well).\n\n"
            "WHAT IT DOES:\n"
            " - Loads .3ds/.grf files, adding meshes and instances to the level.\n"
            "   Bitmaps (in .bmp format) must be in this directory too.\n"
            " - The TScript for a mesh in <filename>.3ds must be in the <filename>.values.txt\n"
            "   file in the same directory. The group name must be the same as the name of the\n"
            "   mesh (case sensitive).\n\n"
            "FOR USE WITH DEMO VERSION:\n"
            " - All files must be in the Demo\\data directory\n\n"
            "FOR USE WITH THE FULL VERSION:\n"
            " - All files must be in the \"data\" directory, exept for the SWP which\n"
            "   must be in the \"Halvorn\" directory\n"
            "   This means you must have copied the CD to your harddrive and installed\n"
            "   it from there (because Quorvel can't write to a CD), and you can\n"
            "   not have installed the full patch.");
}

TEST_F(ApplicationTest, MissingListFilesAreReportedAfterTheNotice) {
  ScriptedRun bare;
  bare.ui.queueAnswer(Answer::Ok);
  ASSERT_TRUE(startUp(bare.app));
  ASSERT_EQ(bare.ui.questions().size(), 3u);
  EXPECT_EQ(bare.ui.questions()[0].box.caption, "Quorvel Technology Preview");
  EXPECT_EQ(bare.ui.questions()[1].box.text,
            "Couldn't locate file \"" + bare.folder.path() + "Quorvel.ignoretextures.txt\"\n");
  EXPECT_EQ(bare.ui.questions()[2].box.text,
            "Couldn't locate file \"" + bare.folder.path() + "Quorvel.knownvalues.txt\"\n");
  EXPECT_TRUE(bare.app.ignoredTextures.empty());
  EXPECT_TRUE(bare.app.knownValues.names.empty());
}

TEST_F(ApplicationTest, CancelledNoticeEndsTheProgramWithoutFurtherOutput) {
  run.ui.queueAnswer(Answer::Cancel);
  EXPECT_EQ(runApplication(run.app), 0);
  EXPECT_EQ(run.ui.questions().size(), 1u);  // no action dialog
  EXPECT_EQ(logText(), kLogHeader);
  EXPECT_EQ(settingsText(), "<missing>");
}

TEST_F(ApplicationTest, ExitStoresTheVerboseChoice) {
  run.ui.queueAnswer(Answer::Ok);
  run.ui.queueAction(kActionExit, /*verbose=*/false);
  EXPECT_EQ(runApplication(run.app), 0);
  EXPECT_EQ(settingsText(), "[StartupWindow]\r\nVerboseMessages=0\r\n");
  EXPECT_TRUE(run.ui.windowEvents().empty());
  EXPECT_EQ(logText(), startupLog());
}

TEST_F(ApplicationTest, MissingVerboseKeyStartsWithTheCheckBoxTicked) {
  run.ui.queueAnswer(Answer::Ok);
  run.ui.queueAction(kActionExit, true);
  runApplication(run.app);
  ASSERT_EQ(run.ui.questions().size(), 2u);
  EXPECT_EQ(run.ui.questions()[1].kind, QuestionKind::ChooseAction);
  EXPECT_TRUE(run.ui.questions()[1].verboseShown);
  EXPECT_EQ(settingsText(), "[StartupWindow]\r\nVerboseMessages=1\r\n");
}

TEST_F(ApplicationTest, StoredVerboseOffStartsUnticked) {
  run.app.settings->writeString("StartupWindow", "VerboseMessages", "0");
  run.ui.queueAction(kActionExit, true);
  EXPECT_EQ(chooseAction(run.app), kActionExit);
  EXPECT_FALSE(run.ui.questions()[0].verboseShown);
  EXPECT_TRUE(run.app.log.verbose);
}

TEST_F(ApplicationTest, ClosingTheActionDialogLeavesTheVerboseSettingAlone) {
  run.app.settings->writeString("StartupWindow", "VerboseMessages", "7");
  run.ui.queueAction(kActionExit, false, /*verboseChosen=*/false);
  EXPECT_EQ(chooseAction(run.app), kActionExit);
  EXPECT_EQ(settingsText(), "[StartupWindow]\r\nVerboseMessages=7\r\n");
  EXPECT_TRUE(run.app.log.verbose);  // any non-zero value means on
}

TEST_F(ApplicationTest, CancelledLevelDialogWritesLoadAborted) {
  run.ui.queueAnswer(Answer::Ok);
  run.ui.queueAction(kActionVerify, true);
  run.ui.queueFile(std::nullopt);
  run.ui.queueAction(kActionExit, true);
  EXPECT_EQ(runApplication(run.app), 0);
  EXPECT_EQ(run.ui.windowText(), std::string(kWelcomeWindow) + "Load aborted.\r\n");
  EXPECT_EQ(logText(), startupLog() + kWelcome + "Load aborted.\n");
  EXPECT_EQ(run.ui.windowEvents(), (std::vector<std::string>{"open", "enableClose", "waitForClose", "close"}));
}

TEST_F(ApplicationTest, PassReportsWhetherTheActionRan) {
  run.ui.queueFile(std::nullopt);
  EXPECT_FALSE(runPass(run.app, kActionVerify));
  EXPECT_TRUE(run.app.log.closeRequested);
  EXPECT_EQ(run.ui.windowEvents().back(), "close");
}

TEST_F(ApplicationTest, TheMessagesWindowReopensWhereTheUserLeftIt) {
  run.ui.queueFile(std::nullopt);
  run.ui.queueFile(std::nullopt);
  runPass(run.app, kActionVerify);
  EXPECT_FALSE(run.ui.givenPositions[Window::MessagesWindow]);
  run.ui.lastPositions[Window::MessagesWindow] = WindowPosition{120, 45};
  // The place is stored when the window closes ...
  runPass(run.app, kActionVerify);
  // ... and handed to the window the next time it opens.
  run.ui.queueFile(std::nullopt);
  runPass(run.app, kActionVerify);
  ASSERT_TRUE(run.ui.givenPositions[Window::MessagesWindow]);
  EXPECT_EQ(run.ui.givenPositions[Window::MessagesWindow]->left, 120);
  EXPECT_EQ(run.ui.givenPositions[Window::MessagesWindow]->top, 45);
}

TEST_F(ApplicationTest, TheActionDialogKeepsItsPlace) {
  run.ui.lastPositions[Window::ActionDialog] = WindowPosition{-5, 10};
  run.ui.queueAction(kActionExit, true);
  run.ui.queueAction(kActionExit, true);
  chooseAction(run.app);
  chooseAction(run.app);
  ASSERT_TRUE(run.ui.givenPositions[Window::ActionDialog]);
  EXPECT_EQ(run.ui.givenPositions[Window::ActionDialog]->left, -5);
  EXPECT_EQ(run.app.settings->readStruct("WindowPosition", "StartupWindow", 8).has_value(), true);
}

TEST_F(ApplicationTest, VerboseChoiceReachesTheMessageLog) {
  run.ui.queueAnswer(Answer::Ok);
  run.ui.queueAction(kActionVerify, false);
  run.ui.queueFile(std::nullopt);
  run.ui.queueAction(kActionExit, false);
  runApplication(run.app);
  EXPECT_FALSE(run.app.log.verbose);
}

TEST_F(ApplicationTest, AskStringStartsWithItsPresetAnswer) {
  run.app.answerText = "newlev";
  run.ui.queueString("");
  EXPECT_EQ(askString(run.app, "Enter name of new level:"), "newlev");
  ASSERT_EQ(run.ui.questions().size(), 1u);
  EXPECT_EQ(run.ui.questions()[0].prompt, "Enter name of new level:");
  EXPECT_EQ(run.ui.questions()[0].presetAnswer, "newlev");
  EXPECT_EQ(run.app.promptText, "Enter name of new level:");
}

TEST_F(ApplicationTest, AskStringTakesAtMost255Characters) {
  run.ui.queueString("typed");
  EXPECT_EQ(askString(run.app, "Enter a string:"), "typed");
  run.ui.queueString(std::string(300, 'n'));
  EXPECT_EQ(askString(run.app, "Enter a string:"), std::string(255, 'n'));
  EXPECT_EQ(run.ui.questions()[1].presetAnswer, "typed");
}

TEST_F(ApplicationTest, PromptAndAnswerStartAsTheDialogShowsThem) {
  EXPECT_EQ(run.app.promptText, "Enter a string:");
  EXPECT_EQ(run.app.answerText, "");
}

}  // namespace
}  // namespace quorvel
