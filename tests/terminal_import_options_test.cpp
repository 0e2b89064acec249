#include <gtest/gtest.h>

#include <sstream>

#include "import/import_options.h"
#include "platform/terminal_ui.h"

namespace quorvel {
namespace {

TEST(TerminalImportOptions, EnterKeepsEachValueAndNonNumbersAreAskedAgain) {
  std::istringstream in("\nabc\n-3.5\n\n4\ny\n\n\n\nn\n\n");
  std::ostringstream out;
  TerminalUserInterface ui(in, out);
  ImportOptions options;
  options.XOffset = 1.5f;
  ASSERT_TRUE(ui.editImportOptions(options));
  EXPECT_EQ(options.XOffset, 1.5f);
  EXPECT_EQ(options.YOffset, -3.5f);
  EXPECT_EQ(options.ZOffset, 0.0f);
  EXPECT_EQ(options.Scale, 4.0f);
  EXPECT_TRUE(options.ReplaceInstances);
  EXPECT_FALSE(options.ReplaceMeshes);
  EXPECT_FALSE(options.NormalizeTextureNames);
  EXPECT_EQ(out.str(),
            "\n+-- Import Options\n"
            "| Amount to offset imported object positions by:\n"
            "|   X [1.5]: "
            "|   Y [0]: | Please enter numeric values\n"
            "|   Y [0]: "
            "|   Z [0]: "
            "| Scale factor [1]: "
            "| Replace existing instances [no] (y/n): "
            "| Replace existing meshes [no] (y/n): "
            "| Save scale factor to new object TScript (ext_ImportScale) [no] (y/n): "
            "| When replacing objects, use the stored scale factor if it exists [no] (y/n): "
            "| Convert texture names to form \"Map\\<LevelName>\\<FileName.bmp>\" [yes] (y/n): "
            "+-- [o] OK (Enter) / [c] Cancel: ");
}

TEST(TerminalImportOptions, CancelAndEndOfInputLeaveTheOptions) {
  std::istringstream cancel("7\n\n\n\n\n\n\n\n\nc\n");
  std::ostringstream out;
  TerminalUserInterface ui(cancel, out);
  ImportOptions options;
  EXPECT_FALSE(ui.editImportOptions(options));
  EXPECT_EQ(options.XOffset, 0.0f);

  std::istringstream cut("7\n");
  TerminalUserInterface early(cut, out);
  EXPECT_FALSE(early.editImportOptions(options));
  EXPECT_EQ(options.XOffset, 0.0f);
}

TEST(TerminalImportOptions, NegativeScaleIsAcceptedAsPositive) {
  std::istringstream in("\n\n\n-2\n\n\n\n\n\no\n");
  std::ostringstream out;
  TerminalUserInterface ui(in, out);
  ImportOptions options;
  ASSERT_TRUE(ui.editImportOptions(options));
  EXPECT_EQ(options.Scale, 2.0f);
}

TEST(TerminalImportOptions, NotFiniteNumbersAreAskedAgain) {
  std::istringstream in("inf\n2\nnan\n\n1e999\n\n-INF\n\n\n\n\n\n\n\n");
  std::ostringstream out;
  TerminalUserInterface ui(in, out);
  ImportOptions options;
  ASSERT_TRUE(ui.editImportOptions(options));
  EXPECT_EQ(options.XOffset, 2.0f);
  EXPECT_EQ(options.YOffset, 0.0f);
  EXPECT_EQ(options.ZOffset, 0.0f);
  EXPECT_EQ(options.Scale, 1.0f);
  EXPECT_NE(out.str().find("|   X [0]: | Please enter numeric values\n|   X [0]: "
                           "|   Y [0]: | Please enter numeric values\n|   Y [0]: "
                           "|   Z [0]: | Please enter numeric values\n|   Z [0]: "
                           "| Scale factor [1]: | Please enter numeric values\n| Scale factor [1]: "),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace quorvel
