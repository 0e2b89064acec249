#include "values/scan_pattern.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ScanIntPattern, ReadsTheNumberAfterTheLiteralText) {
  EXPECT_EQ(scanIntPattern("Anim07", "Anim%d"), 7);
  EXPECT_EQ(scanIntPattern("Anim123", "Anim%d"), 123);
  EXPECT_EQ(scanIntPattern("Detail3b", "Detail%d"), 3);
}

TEST(ScanIntPattern, AllowsBlanksAndASignBeforeTheNumber) {
  EXPECT_EQ(scanIntPattern("Anim  5", "Anim%d"), 5);
  EXPECT_EQ(scanIntPattern("Anim\t5", "Anim%d"), 5);
  EXPECT_EQ(scanIntPattern("Detail-3", "Detail%d"), -3);
  EXPECT_EQ(scanIntPattern("Detail+3", "Detail%d"), 3);
  EXPECT_FALSE(scanIntPattern("Detail- 3", "Detail%d"));
  EXPECT_FALSE(scanIntPattern("Detail-", "Detail%d"));
}

TEST(ScanIntPattern, WidthLimitsTheDigitsRead) {
  EXPECT_EQ(scanIntPattern("A123", "A%02d"), 12);
  EXPECT_EQ(scanIntPattern("A7", "A%02d"), 7);
  EXPECT_EQ(scanIntPattern("A-12", "A%02d"), -1);  // the sign counts toward the width
}

TEST(ScanIntPattern, LiteralTextMustMatchExactly) {
  EXPECT_FALSE(scanIntPattern("anim07", "Anim%d"));
  EXPECT_FALSE(scanIntPattern("Anim03", "A%d"));
  EXPECT_FALSE(scanIntPattern("DetailShadow", "Detail%d"));
  EXPECT_FALSE(scanIntPattern("Ani", "Anim%d"));
  EXPECT_FALSE(scanIntPattern("", "A%d"));
  EXPECT_FALSE(scanIntPattern("Anim07", "Anim"));  // no conversion, no number
}

TEST(ScanIntPattern, HugeNumbersDoNotOverflow) {
  EXPECT_TRUE(matchesIntPattern("A99999999999999999999999999", "A%d"));
}

}  // namespace
}  // namespace quorvel
