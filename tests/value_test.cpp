#include "values/value.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ValueAccessors, GetClassIgnoresLaterStringWhenFirstClassIsInt) {
  Value group(ValueType::Group, "Crate");
  group.addChild(std::make_unique<Value>(ValueType::Int, "Class"));
  setString(&group, "Other", "x");
  auto second = std::make_unique<Value>(ValueType::String, "Class");
  second->text = "CTerrainObj";
  group.addChild(std::move(second));
  EXPECT_EQ(getClass(&group), "");
}

TEST(ValueAccessors, FindChildReturnsFirstOfTwoEqualNames) {
  Value group(ValueType::Group, "g");
  group.addChild(std::make_unique<Value>(ValueType::Int, "A"))->setInt(1);
  group.addChild(std::make_unique<Value>(ValueType::Int, "A"))->setInt(2);
  EXPECT_TRUE(isInt(&group, "A", 1));
  EXPECT_FALSE(isInt(&group, "a", 1));
}

}  // namespace
}  // namespace quorvel
