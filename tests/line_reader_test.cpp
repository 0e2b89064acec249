#include "values/line_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

LineReader readerOn(std::string text) {
  LineReader reader;
  reader.openText(std::move(text));
  return reader;
}

TEST(LineReaderLines, SkipsBlankAndCommentLinesAndCountsThem) {
  LineReader r = readerOn("\n   \t \n// comment\n  \tmesh A\n");
  EXPECT_EQ(r.currentLine(), "mesh A");
  EXPECT_EQ(r.lineNumber(), 4);
  EXPECT_FALSE(r.atEnd());
  r.nextLine();
  EXPECT_EQ(r.currentLine(), "");
  EXPECT_TRUE(r.atEnd());
  EXPECT_FALSE(r.hasLine());
}

TEST(LineReaderLines, TrailingBlanksStayAndCommentsAreCut) {
  LineReader r = readerOn("v = 1 // note\nx  \n");
  EXPECT_EQ(r.currentLine(), "v = 1 ");
  r.nextLine();
  EXPECT_EQ(r.currentLine(), "x  ");
}

TEST(LineReaderLines, OnlyTheFirstSlashIsExamined) {
  LineReader r = readerOn("colormap = textures/rock.bmp // old\n");
  EXPECT_EQ(r.currentLine(), "colormap = textures/rock.bmp // old");
}

TEST(LineReaderLines, LineOf1500CharactersComesInTwoPieces) {
  std::string longLine(1500, 'x');
  LineReader r = readerOn(longLine + "\nnext\n");
  EXPECT_EQ(r.currentLine().size(), 1022u);
  EXPECT_EQ(r.lineNumber(), 1);
  r.nextLine();
  EXPECT_EQ(r.currentLine().size(), 478u);
  EXPECT_EQ(r.lineNumber(), 2);
  r.nextLine();
  EXPECT_EQ(r.currentLine(), "next");
  EXPECT_EQ(r.lineNumber(), 3);
}

TEST(LineReaderLines, LineOfExactly1022CharactersCountsItsLineEndAsALine) {
  LineReader r = readerOn(std::string(1022, 'y') + "\nnext\n");
  EXPECT_EQ(r.currentLine().size(), 1022u);
  r.nextLine();
  EXPECT_EQ(r.currentLine(), "next");
  EXPECT_EQ(r.lineNumber(), 3);
}

TEST(LineReaderLines, LastLineWithoutLineEndIsAtEndButStillALine) {
  LineReader r = readerOn("first\nlast");
  EXPECT_FALSE(r.atEnd());
  r.nextLine();
  EXPECT_EQ(r.currentLine(), "last");
  EXPECT_TRUE(r.atEnd());
  EXPECT_TRUE(r.hasLine());
  r.nextLine();
  EXPECT_FALSE(r.hasLine());
}

TEST(LineReaderLines, LastLineWithLineEndIsNotYetAtEnd) {
  LineReader r = readerOn("last\n");
  EXPECT_FALSE(r.atEnd());
}

TEST(LineReaderLines, EmptyTextAndCommentOnlyText) {
  LineReader empty = readerOn("");
  EXPECT_TRUE(empty.atEnd());
  EXPECT_EQ(empty.lineNumber(), 0);
  LineReader comments = readerOn("// a\n// b");
  EXPECT_TRUE(comments.atEnd());
  EXPECT_EQ(comments.currentLine(), "");
  EXPECT_EQ(comments.lineNumber(), 2);
}

TEST(LineReaderFile, OpenFailsForMissingFile) {
  LineReader r;
  EXPECT_FALSE(r.open(testing::TempDir() + "/no-such-dir-for-line-reader/x.tpm"));
}

TEST(LineReaderMatchFloats, BothFormsAnyKeyCase) {
  float v[3] = {};
  LineReader r = readerOn("POSITION = (1, 2.5, -3)\nPosition=4,5,6\nnext\n");
  ASSERT_TRUE(r.matchFloats("position", 3, v));
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[1], 2.5f);
  EXPECT_EQ(v[2], -3.0f);
  ASSERT_TRUE(r.matchFloats("position", 3, v));
  EXPECT_EQ(v[2], 6.0f);
  EXPECT_EQ(r.currentLine(), "next");
}

TEST(LineReaderMatchFloats, MissingClosingParenthesisStillMatches) {
  float v[3] = {};
  LineReader r = readerOn("c = (0.5, 0.25, 1\n");
  ASSERT_TRUE(r.matchFloats("c", 3, v));
  EXPECT_EQ(v[1], 0.25f);
}

TEST(LineReaderMatchFloats, TooFewNumbersDoNotMatchAndKeepTheLine) {
  float v[3] = {7, 7, 7};
  LineReader r = readerOn("n = (1, 2)\n");
  EXPECT_FALSE(r.matchFloats("n", 3, v));
  EXPECT_EQ(r.currentLine(), "n = (1, 2)");
  EXPECT_EQ(v[0], 7.0f);
  EXPECT_TRUE(r.matchFloats("n", 2, v));
}

TEST(LineReaderMatchFloats, OtherKeyDoesNotMatch) {
  float v[1];
  LineReader r = readerOn("RotationRatio = 0.5\n");
  EXPECT_FALSE(r.matchFloats("Ratio", 1, v));
  EXPECT_TRUE(r.matchFloats("rotationratio", 1, v));
  EXPECT_EQ(v[0], 0.5f);
}

TEST(LineReaderMatchFloats, CountAboveThreeMeansThree) {
  float v[3] = {};
  LineReader r = readerOn("p = 1, 2, 3\n");
  EXPECT_TRUE(r.matchFloats("p", 7, v));
  EXPECT_EQ(v[2], 3.0f);
}

TEST(LineReaderMatchText, QuotedAndBareValues) {
  std::string text;
  LineReader r = readerOn("ColorMap = \"my rock.bmp\"\nopacitymap=plain.bmp tail\nm = \"\"\nm = \"open text\n");
  ASSERT_TRUE(r.matchText("colormap", text));
  EXPECT_EQ(text, "my rock.bmp");
  ASSERT_TRUE(r.matchText("OPACITYMAP", text));
  EXPECT_EQ(text, "plain.bmp");
  ASSERT_TRUE(r.matchText("m", text));
  EXPECT_EQ(text, "\"\"");
  ASSERT_TRUE(r.matchText("m", text));
  EXPECT_EQ(text, "open text");
}

TEST(LineReaderMatchText, MissingValueOrOtherKeyFails) {
  std::string text = "kept";
  LineReader r = readerOn("mesh =\n");
  EXPECT_FALSE(r.matchText("mesh", text));
  EXPECT_EQ(text, "kept");
  LineReader other = readerOn("meshes = a\n");
  EXPECT_FALSE(other.matchText("mesh", text));
}

TEST(LineReaderMatchKeyword, QuotedOrBareName) {
  std::string name;
  LineReader r = readerOn("Mesh \"Big Rock\" {\nMESH Rock{\nmesh\nmeshes A\n");
  ASSERT_TRUE(r.matchKeyword("mesh", name));
  EXPECT_EQ(name, "Big Rock");
  ASSERT_TRUE(r.matchKeyword("mesh", name));
  EXPECT_EQ(name, "Rock{");
  EXPECT_FALSE(r.matchKeyword("mesh", name));
  r.nextLine();
  EXPECT_FALSE(r.matchKeyword("mesh", name));
}

}  // namespace
}  // namespace quorvel
