// The message log: what reaches the log file and the messages window.
#include "report/message_log.h"

#include <gtest/gtest.h>

#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::TempDir;

class MessageLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logPath = dir.file("Quorvel_log.txt");
    ASSERT_TRUE(log.openLogFile(logPath));
  }
  TempDir dir;
  std::string logPath;
  ScriptedUserInterface window;
  MessageLog log;
};

TEST_F(MessageLogTest, PercentSignsInArgumentsArriveUnchanged) {
  log.setWindow(&window);
  log.logMessage("Loading: '%s'\n", "c:\\maps\\100%s%d.bmp");
  EXPECT_EQ(readFileText(logPath), "Loading: 'c:\\maps\\100%s%d.bmp'\n");
  EXPECT_EQ(window.windowText(), "Loading: 'c:\\maps\\100%s%d.bmp'\r\n");
}

TEST_F(MessageLogTest, LongMessageIsCutTo4095CharactersInBothCopies) {
  log.setWindow(&window);
  std::string longText(5000, 'a');
  log.logMessage("%s", longText.c_str());
  EXPECT_EQ(readFileText(logPath), std::string(4095, 'a'));
  EXPECT_EQ(window.windowText(), std::string(4095, 'a'));
}

TEST_F(MessageLogTest, CutMessageOfLineFeedsDoublesInTheWindowOnly) {
  log.setWindow(&window);
  std::string lines(5000, '\n');
  log.logMessage("%s", lines.c_str());
  EXPECT_EQ(readFileText(logPath), std::string(4095, '\n'));
  std::string expected;
  for (int i = 0; i < 4095; ++i) expected += "\r\n";
  EXPECT_EQ(window.windowText(), expected);
}

TEST_F(MessageLogTest, FileGetsLineFeedsAndWindowGetsCarriageReturnLineFeeds) {
  log.setWindow(&window);
  log.logMessage("first line\nsecond line\n");
  EXPECT_EQ(readFileText(logPath), "first line\nsecond line\n");
  EXPECT_EQ(window.windowText(), "first line\r\nsecond line\r\n");
}

TEST_F(MessageLogTest, EachMessageIsInTheFileAtOnce) {
  log.logMessage("one\n");
  EXPECT_EQ(readFileText(logPath), "one\n");
  log.logMessage("two\n");
  EXPECT_EQ(readFileText(logPath), "one\ntwo\n");
}

TEST_F(MessageLogTest, WithoutWindowMessagesGoToTheFileOnly) {
  log.logMessage("before the window\n");
  log.setWindow(&window);
  log.logMessage("in the window\n");
  log.setWindow(nullptr);
  log.logMessage("after the window\n");
  EXPECT_EQ(readFileText(logPath), "before the window\nin the window\nafter the window\n");
  EXPECT_EQ(window.windowText(), "in the window\r\n");
}

TEST_F(MessageLogTest, NullFormatWritesNothing) {
  log.setWindow(&window);
  log.logMessage(nullptr);
  EXPECT_EQ(readFileText(logPath), "");
  EXPECT_EQ(window.windowText(), "");
}

TEST_F(MessageLogTest, FileOnlyMessagesStayOutOfTheWindow) {
  log.setWindow(&window);
  log.logFileOnly("Couldn't find \"%s\"\n\n", "x.txt");
  EXPECT_EQ(readFileText(logPath), "Couldn't find \"x.txt\"\n\n");
  EXPECT_EQ(window.windowText(), "");
}

TEST_F(MessageLogTest, QuitMessageDuringAMessageSetsTheCloseFlag) {
  log.setWindow(&window);
  window.quitAfterPumps(1);
  log.logMessage("a\n");
  EXPECT_FALSE(log.closeRequested);
  log.logMessage("b\n");
  EXPECT_TRUE(log.closeRequested);
  // The action goes on writing regardless.
  log.logMessage("c\n");
  EXPECT_EQ(window.windowText(), "a\r\nb\r\nc\r\n");
}

TEST(MessageLogWithoutFile, UnopenableLogFileLeavesTheWindowCopy) {
  TempDir dir;
  MessageLog log;
  EXPECT_FALSE(log.openLogFile(dir.file("no/such/folder/Quorvel_log.txt")));
  ScriptedUserInterface window;
  log.setWindow(&window);
  log.logMessage("still shown\n");
  EXPECT_EQ(window.windowText(), "still shown\r\n");
}

TEST(MessageLogFlags, VerboseStartsOnAndTheOtherFlagsOff) {
  MessageLog log;
  EXPECT_TRUE(log.verbose);
  EXPECT_FALSE(log.closeRequested);
  EXPECT_FALSE(log.problem);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST(MessageLogFile, FirstFailedWriteIsReportedOnce) {
  MessageLog log;
  ASSERT_TRUE(log.openLogFile("/dev/full"));
  testing::internal::CaptureStderr();
  log.logMessage("one\n");
  log.logMessage("two\n");
  log.closeLogFile();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: could not write the log file \"/dev/full\": No space left on device.\n");
  EXPECT_TRUE(log.logFileFailed());
}

}  // namespace
}  // namespace quorvel
