// The name sets of a scene: every name found whatever how many there are,
// nothing else found, the empty name a name like any other.
#include "level/scene_names.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

TEST(NameSet, FindsEveryNameItHoldsAndNoOther) {
  for (const size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{9}, size_t{1000}}) {
    NameSet set;
    if (count == 9) set.reserve(count, 40);  // the rest grow as they fill
    for (size_t i = 0; i < count; ++i) set.insert("Crate-" + std::to_string(i));
    set.insert("Crate-0");  // twice is once
    for (size_t i = 0; i < count; ++i) EXPECT_TRUE(set.contains("Crate-" + std::to_string(i))) << count << " " << i;
    EXPECT_FALSE(set.contains("Crate-" + std::to_string(count + 1))) << count;
    EXPECT_FALSE(set.contains("Crate-")) << count;
    EXPECT_FALSE(set.contains("")) << count;
  }
}

TEST(NameSet, TheEmptyNameAndNamesWithZeroBytesAreNames) {
  NameSet set;
  set.insert("");
  set.insert(std::string("a\0b", 3));
  EXPECT_TRUE(set.contains(""));
  EXPECT_TRUE(set.contains(std::string("a\0b", 3)));
  EXPECT_FALSE(set.contains("a"));
  // Names are kept in whole words padded with zero bytes; the padding is no
  // part of the name.
  set.insert("ab");
  EXPECT_TRUE(set.contains("ab"));
  EXPECT_FALSE(set.contains(std::string("ab\0", 3)));
  EXPECT_FALSE(set.contains(std::string("ab\0\0", 4)));
}

}  // namespace
}  // namespace quorvel
