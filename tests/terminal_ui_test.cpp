// The terminal user interface: what the user sees and how answers are read.
#include "platform/terminal_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "import/import_options.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

struct Terminal {
  explicit Terminal(const std::string& typed) : in(typed), ui(in, out) {}
  std::istringstream in;
  std::ostringstream out;
  TerminalUserInterface ui;
};

TEST(TerminalActionMenu, MnemonicsChooseTheActions) {
  Terminal t("f\nd\ns\nr\nv\nx\n");
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionImportFile);
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionImportDirectory);
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionUpdateSwp);
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionRename);
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionVerify);
  ActionChoice exit = t.ui.chooseAction(true);
  EXPECT_EQ(exit.code, kActionExit);
  EXPECT_TRUE(exit.verboseChosen);
}

TEST(TerminalActionMenu, ExtractIsReachableButNotListed) {
  Terminal t("EXTRACT\n");
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionExtract);
  EXPECT_EQ(t.out.str().find("Extract"), std::string::npos);
  EXPECT_NE(t.out.str().find("Verify Level"), std::string::npos);
}

TEST(TerminalActionMenu, VerboseSwitchTogglesAndIsReturned) {
  Terminal t("m\nv\n");
  ActionChoice choice = t.ui.chooseAction(true);
  EXPECT_EQ(choice.code, kActionVerify);
  EXPECT_FALSE(choice.verbose);
  EXPECT_TRUE(choice.verboseChosen);
  EXPECT_NE(t.out.str().find("what's happening): on\n"), std::string::npos);
  EXPECT_NE(t.out.str().find("what's happening): off\n"), std::string::npos);
}

TEST(TerminalActionMenu, UnknownChoiceAsksAgain) {
  Terminal t("q\nx\n");
  EXPECT_EQ(t.ui.chooseAction(true).code, kActionExit);
  EXPECT_NE(t.out.str().find("Unknown choice \"q\".\n"), std::string::npos);
}

TEST(TerminalActionMenu, EndOfInputClosesWithoutAVerboseChoice) {
  Terminal t("");
  ActionChoice choice = t.ui.chooseAction(false);
  EXPECT_EQ(choice.code, kActionExit);
  EXPECT_FALSE(choice.verboseChosen);
}

TEST(TerminalMessageBox, ShowsCaptionTextAndButtons) {
  Terminal t("\n");
  MessageBoxRequest box;
  box.caption = "Confirm";
  box.text = "Line one\nLine two";
  box.buttons = Buttons::YesNo;
  box.defaultButton = 1;
  EXPECT_EQ(t.ui.messageBox(box), Answer::No);
  EXPECT_EQ(t.out.str(), "\n+-- Confirm\n| Line one\n| Line two\n+-- [y] Yes / [n] No (Enter): ");
}

TEST(TerminalMessageBox, AnswersByKeyOrLabelAndAsksAgainOtherwise) {
  Terminal t("maybe\nYES\nc\n");
  MessageBoxRequest yesNo;
  yesNo.buttons = Buttons::YesNo;
  EXPECT_EQ(t.ui.messageBox(yesNo), Answer::Yes);
  MessageBoxRequest okCancel;
  okCancel.buttons = Buttons::OkCancel;
  EXPECT_EQ(t.ui.messageBox(okCancel), Answer::Cancel);
}

TEST(TerminalMessageBox, EndOfInputTakesTheSafeAnswer) {
  MessageBoxRequest box;
  box.buttons = Buttons::OkCancel;
  Terminal t("");
  EXPECT_EQ(t.ui.messageBox(box), Answer::Cancel);
  box.buttons = Buttons::YesNo;
  EXPECT_EQ(t.ui.messageBox(box), Answer::No);
  box.buttons = Buttons::Ok;
  EXPECT_EQ(t.ui.messageBox(box), Answer::Ok);
}

class TerminalFileDialog : public ::testing::Test {
 protected:
  OpenFileRequest request() {
    OpenFileRequest r;
    r.title = "Select Level";
    r.filterName = "Halvorn Scene files (.scn)";
    r.filterPattern = "*.scn";
    r.initialFolder = dir.path() + "data/";
    r.initialFile = "be.scn";
    return r;
  }
  TempDir dir;
};

TEST_F(TerminalFileDialog, EnterAcceptsTheInitialPath) {
  dir.write("data/be.scn", "");
  Terminal t("\n");
  EXPECT_EQ(t.ui.openFile(request()), dir.path() + "data/be.scn");
  EXPECT_NE(t.out.str().find("Select Level\n  Files of type: Halvorn Scene files (.scn)  *.scn\n  Folder: " +
                             dir.path() + "data/\n"),
            std::string::npos);
}

TEST_F(TerminalFileDialog, DashCancels) {
  Terminal t("-\n");
  EXPECT_EQ(t.ui.openFile(request()), std::nullopt);
}

TEST_F(TerminalFileDialog, EmptyAnswerCancelsWhenThereIsNothingToAccept) {
  OpenFileRequest r = request();
  r.initialFile.clear();
  Terminal t("\n");
  EXPECT_EQ(t.ui.openFile(r), std::nullopt);
  EXPECT_NE(t.out.str().find("File [empty answer: cancel]: "), std::string::npos);
}

TEST_F(TerminalFileDialog, RelativeAnswerIsTakenInTheCurrentFolder) {
  dir.write("data/other.scn", "");
  std::string relative = std::filesystem::relative(dir.file("data/other.scn"), currentDirectory()).string();
  if (relative.empty()) GTEST_SKIP() << "the scratch folder and the working folder are on different drives";
  Terminal t(relative + "\n");
  auto chosen = t.ui.openFile(request());
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, currentDirectory() + "/" + relative);
  EXPECT_TRUE(std::filesystem::equivalent(*chosen, dir.file("data/other.scn")));
}

TEST_F(TerminalFileDialog, MissingFileIsAskedAgain) {
  dir.write("data/be.scn", "");
  Terminal t((dir.path() + "nothing.scn\n\n"));
  EXPECT_EQ(t.ui.openFile(request()), dir.path() + "data/be.scn");
  EXPECT_NE(t.out.str().find(dir.path() + "nothing.scn\nFile not found.\n"), std::string::npos);
}

TEST_F(TerminalFileDialog, EndOfInputCancels) {
  Terminal t("");
  EXPECT_EQ(t.ui.openFile(request()), std::nullopt);
}

TEST(TerminalMessages, WindowTextIsPrintedWithPlainLineFeeds) {
  Terminal t("\n");
  t.ui.openMessagesWindow();
  t.ui.appendMessagesText("Welcome to Quorvel.\r\nhalf");
  t.ui.enableClose();
  t.ui.waitForClose();
  EXPECT_EQ(t.out.str(),
            "\n=== Quorvel v0.1 ===\nWelcome to Quorvel.\nhalf\n\n[Press Enter to close the messages]");
}

TEST(TerminalAskString, ShowsThePresetAndReturnsTheEntry) {
  Terminal t("mylevel\n\n");
  EXPECT_EQ(t.ui.askString("Enter name of new level:", "newlev"), "mylevel");
  EXPECT_EQ(t.ui.askString("Enter name of new level:", "newlev"), "");
  EXPECT_EQ(t.out.str(), "Enter name of new level: [newlev]: Enter name of new level: [newlev]: ");
}

TEST(TerminalImportOptions, OkKeepsTheOptionsAndCancelRefuses) {
  // Nine prompts kept with Enter, then OK; the same again, then Cancel.
  Terminal t("\n\n\n\n\n\n\n\n\no\n\n\n\n\n\n\n\n\n\nc\n");
  ImportOptions options;
  EXPECT_TRUE(t.ui.editImportOptions(options));
  EXPECT_FALSE(t.ui.editImportOptions(options));
  EXPECT_NE(t.out.str().find("| Scale factor [1]: "), std::string::npos);
}

}  // namespace
}  // namespace quorvel
