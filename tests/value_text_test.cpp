#include "values/value_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quorvel {
namespace {

std::unique_ptr<Value> parse(std::string_view text) { return parseValueText(text); }

float asFloat(const Value& v) { return v.floatValue(); }

TEST(ValueTextKeywords, KeywordsAndBoolWordsInAnyCase) {
  auto v = parse("GROUP g = { BOOL a = TRUE bOoL b = fAlSe Int c = 3 FLOAT d = 1.5 String e = \"x\" }");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, ValueType::Group);
  ASSERT_EQ(v->children.size(), 5u);
  EXPECT_TRUE(isBool(v.get(), "a", true));
  EXPECT_TRUE(isBool(v.get(), "b", false));
  EXPECT_TRUE(isInt(v.get(), "c", 3));
  EXPECT_EQ(getFloat(v.get(), "d", 0), 1.5f);
  EXPECT_TRUE(isStringEqual(v.get(), "e", "x"));
}

TEST(ValueTextKeywords, NamesKeepTheirCase) {
  auto v = parse("group g = { int Height = 1 int height = 2 }");
  ASSERT_TRUE(v);
  EXPECT_TRUE(isInt(v.get(), "Height", 1));
  EXPECT_TRUE(isInt(v.get(), "height", 2));
}

TEST(ValueTextKeywords, UnknownKeywordFails) {
  EXPECT_FALSE(parse("integer a = 1"));
  EXPECT_FALSE(parse("group g = { double a = 1 }"));
  EXPECT_FALSE(parse(""));
  EXPECT_FALSE(parse("   \n\t "));
}

TEST(ValueTextEquals, SpacingAroundEqualsDoesNotMatter) {
  for (const char* text : {"int a = 5", "int a=5", "int a =5", "int a= 5", "int\na\n=\n5"}) {
    auto v = parse(text);
    ASSERT_TRUE(v) << text;
    EXPECT_EQ(v->name, "a") << text;
    EXPECT_EQ(v->intValue(), 5) << text;
  }
}

TEST(ValueTextEquals, MissingEqualsOrNameFails) {
  EXPECT_FALSE(parse("int a 5"));
  EXPECT_FALSE(parse("int = 5"));
  EXPECT_FALSE(parse("int a"));
}

TEST(ValueTextStrings, InnerLeadingAndTrailingBlanksBelongToTheText) {
  auto v = parse("string Class = \"  C Terrain  \"");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, ValueType::String);
  EXPECT_EQ(v->text, "  C Terrain  ");
}

TEST(ValueTextStrings, TabLineEndEmptyOrUnclosedFail) {
  EXPECT_FALSE(parse("string s = \"a\tb\""));
  EXPECT_FALSE(parse("string s = \"a\nb\""));
  EXPECT_FALSE(parse("string s = \"\""));
  EXPECT_FALSE(parse("string s = \"abc"));
  EXPECT_FALSE(parse("string s = abc"));
}

TEST(ValueTextNumbers, IntWithFractionFailsAtThePoint) {
  TextStream in("int a = 12.5");
  Value v;
  ASSERT_TRUE(parseValue(in, v));
  EXPECT_EQ(v.intValue(), 12);
  EXPECT_EQ(in.position(), 10u);  // the fraction is the next word
  EXPECT_FALSE(parse("group g = { int a = 12.5 }"));
}

TEST(ValueTextNumbers, SignsExponentsAndBareFractions) {
  auto v = parse("group g = { int a = -7 int b = +8 float c = -2.5e2 float d = .25 float e = 3. }");
  ASSERT_TRUE(v);
  EXPECT_TRUE(isInt(v.get(), "a", -7));
  EXPECT_TRUE(isInt(v.get(), "b", 8));
  EXPECT_EQ(getFloat(v.get(), "c", 0), -250.0f);
  EXPECT_EQ(getFloat(v.get(), "d", 0), 0.25f);
  EXPECT_EQ(getFloat(v.get(), "e", 0), 3.0f);
}

TEST(ValueTextNumbers, MissingNumberFails) {
  EXPECT_FALSE(parse("int a = x"));
  EXPECT_FALSE(parse("float a = -"));
  EXPECT_FALSE(parse("float a = nan"));
  EXPECT_FALSE(parse("int a ="));
}

TEST(ValueTextNumbers, IntBeyond32BitsIsClamped) {
  auto v = parse("int a = 99999999999");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->intValue(), 2147483647);
}

TEST(ValueTextBraces, BraceDirectlyAfterNumberOrStringClosesTheGroup) {
  for (const char* text : {"group g = { int a = 1}", "group g = { float a = 1}", "group g = { string a = \"1\"}"}) {
    std::string input = std::string(text) + " int after = 2";
    TextStream in(input);
    Value v;
    ASSERT_TRUE(parseValue(in, v)) << text;
    EXPECT_EQ(v.children.size(), 1u) << text;
    EXPECT_EQ(in.readWord(), "int") << text;
  }
}

TEST(ValueTextBraces, BraceDirectlyAfterBoolWordFails) {
  EXPECT_FALSE(parse("group g = { bool a = true}"));
}

TEST(ValueTextBraces, TwoBracesTogetherCloseOnlyTheInnerGroup) {
  auto v = parse("group outer = { group inner = { int a = 1 }} int b = 2");
  ASSERT_TRUE(v);
  ASSERT_EQ(v->children.size(), 2u);
  EXPECT_EQ(v->children[0]->children.size(), 1u);
  EXPECT_TRUE(isInt(v.get(), "b", 2));
}

TEST(ValueTextBraces, RestOfClosingWordIsIgnored) {
  TextStream in("group g = { int a = 1 }xyz int b = 2");
  Value v;
  ASSERT_TRUE(parseValue(in, v));
  EXPECT_EQ(v.children.size(), 1u);
  EXPECT_EQ(in.readWord(), "int");
}

TEST(ValueTextBraces, MissingOpeningBraceReadsMembersFromTheNextWord) {
  auto v = parse("group g = int a = 1 }");
  ASSERT_TRUE(v);
  EXPECT_TRUE(isInt(v.get(), "a", 1));
}

TEST(ValueTextBraces, GroupsLeftOpenAtTheEndAreAccepted) {
  auto v = parse("group a = { group b = { int x = 1");
  ASSERT_TRUE(v);
  ASSERT_EQ(v->children.size(), 1u);
  EXPECT_TRUE(isInt(v->children[0].get(), "x", 1));
}

TEST(ValueTextBraces, GroupWithNothingAfterEqualsFails) {
  EXPECT_FALSE(parse("group g ="));
  EXPECT_FALSE(parse("group g =  \n "));
}

TEST(ValueTextBraces, FailureInsideNestedGroupFailsEveryEnclosingGroup) {
  EXPECT_FALSE(parse("group a = { group b = { int x = y } int c = 1 }"));
}

TEST(ValueTextGroups, DuplicateMembersAreKeptInOrder) {
  auto v = parse("group g = { int a = 1 string a = \"s\" }");
  ASSERT_TRUE(v);
  ASSERT_EQ(v->children.size(), 2u);
  EXPECT_EQ(v->children[1]->type, ValueType::String);
  EXPECT_TRUE(isInt(v.get(), "a", 1));
}

TEST(ValueTextGroups, NewValuesHaveUnsetIndices) {
  auto v = parse("group g = { float f = 0.5 }");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->tableIndex, -1);
  EXPECT_EQ(v->children[0]->nameOccurrence, -1);
  EXPECT_EQ(v->children[0]->text, "");
  EXPECT_EQ(asFloat(*v->children[0]), 0.5f);
}

TEST(ValueTextGroups, CallerSuppliedKeywordIsUsed) {
  TextStream in("a = 4");
  Value v;
  ASSERT_TRUE(parseValue(in, v, "INT"));
  EXPECT_EQ(v.name, "a");
  EXPECT_EQ(v.intValue(), 4);
}

TEST(ValueTextLimits, TextsOf127CharactersAreAcceptedAnd128Rejected) {
  std::string name127(127, 'n');
  std::string text127(127, 't');
  auto v = parse("string " + name127 + " = \"" + text127 + "\"");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->name, name127);
  EXPECT_EQ(v->text, text127);
  EXPECT_FALSE(parse("string " + name127 + "n = \"x\""));
  EXPECT_FALSE(parse("string s = \"" + text127 + "t\""));
  EXPECT_FALSE(parse("bool b = true" + std::string(124, 'e')));
  EXPECT_FALSE(parse(std::string(128, 'g') + " a = 1"));
}

TEST(ValueTextLimits, DeepNestingIsRejectedWithoutExhaustingTheStack) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "group a={";
  EXPECT_FALSE(parse(text));

  std::string ok;
  for (int i = 0; i < kMaxValueDepth; ++i) ok += "group a={";
  EXPECT_TRUE(parse(ok));
  EXPECT_FALSE(parse(ok + "group a={"));
}

TEST(ValueDestruction, VeryDeepTreeIsDestroyedWithoutRecursion) {
  auto root = std::make_unique<Value>(ValueType::Group, "root");
  Value* tip = root.get();
  for (int i = 0; i < 1000000; ++i)
    tip = tip->addChild(std::make_unique<Value>(ValueType::Group, "g"));
  root.reset();
  SUCCEED();
}

}  // namespace
}  // namespace quorvel
