#include "util/path_text.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(PathText, SplitsAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(folderPart("c:\\games\\data/be.scn"), "c:\\games\\data/");
  EXPECT_EQ(fileNamePart("c:\\games\\data/be.scn"), "be.scn");
  EXPECT_EQ(folderPart("be.scn"), "");
  EXPECT_EQ(fileNamePart("be.scn"), "be.scn");
  EXPECT_EQ(fileNamePart("c:\\games\\"), "");
}

// The console program is also built for Windows, where a path typed on the
// command line may start with a drive.
TEST(PathText, AbsolutePathsKeepTheirDriveOrRoot) {
  EXPECT_EQ(absolutePath("C:\\lv\\a.scn", "/work"), "C:\\lv\\a.scn");
  EXPECT_EQ(absolutePath("\\lv\\a.scn", "/work"), "\\lv\\a.scn");
  EXPECT_EQ(absolutePath("/lv/a.scn", "/work"), "/lv/a.scn");
  EXPECT_EQ(absolutePath("lv/a.scn", "/work"), "/work/lv/a.scn");
  EXPECT_EQ(absolutePath("a.scn", "/"), "/a.scn");
  EXPECT_FALSE(isAbsolutePath(""));
}

}  // namespace
}  // namespace quorvel
