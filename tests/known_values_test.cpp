#include "values/known_values.h"

#include <gtest/gtest.h>

#include "report/message_log.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

class NameListFile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(log.openLogFile(folder.file("log.txt")));
    log.captureText(true);
  }
  std::string write(const std::string& name, const std::string& text) {
    return folder.write(name, text);
  }
  std::string logFileText() {
    log.closeLogFile();
    return testing_support::readFileText(folder.file("log.txt"));
  }
  testing_support::TempDir folder;
  MessageLog log;
  ScriptedUserInterface ui;
};

TEST_F(NameListFile, TakesTrimmedEntriesAndSkipsCommentsBlanksAndRepeats) {
  const std::string path = write("Quorvel.knownvalues.txt",
                                 "% known names\n"
                                 "   Class   \n"
                                 "\t\n"
                                 "\n"
                                 "  %indented comment\n"
                                 "Anim%02d\r\n"
                                 "Class\n"
                                 "Two Words\t \n"
                                 "Detail%d 50%\n"
                                 "Last");
  NameList list{"Stale"};
  loadNameList(path, list, log, ui);
  EXPECT_EQ(list, (NameList{"Anim%02d", "Class", "Detail%d 50%", "Last", "Two Words"}));
  EXPECT_TRUE(ui.questions().empty());
  EXPECT_EQ(log.takeText(), "");  // the messages window hears nothing
  EXPECT_EQ(logFileText(), "Found \"" + path + "\":\n");
}

TEST_F(NameListFile, MissingFileShowsBoxAndLeavesListEmpty) {
  const std::string path = folder.file("Quorvel.ignoretextures.txt");
  NameList list{"Stale"};
  loadNameList(path, list, log, ui);
  EXPECT_TRUE(list.empty());
  ASSERT_EQ(ui.questions().size(), 1u);
  EXPECT_EQ(ui.questions()[0].box.text, "Couldn't locate file \"" + path + "\"\n");
  EXPECT_EQ(ui.questions()[0].box.caption, "Message");
  EXPECT_EQ(ui.questions()[0].box.buttons, Buttons::Ok);
  EXPECT_EQ(log.takeText(), "");
  EXPECT_FALSE(log.problem);
  EXPECT_EQ(logFileText(), "Couldn't find \"" + path + "\"\n\n");
}

KnownValues knownFrom(NameList names) {
  KnownValues known;
  known.names = std::move(names);
  known.build();
  return known;
}

std::string normalized(const KnownValues& known, const std::string& name) {
  Value v(ValueType::Int, name);
  known.normalizeValueNames(v);
  return v.name;
}

TEST(KnownValueLookup, ExactNamesAndPatterns) {
  KnownValues known = knownFrom({"Detail%d", "Class", "Anim%02d"});
  EXPECT_TRUE(known.isKnown("Class"));
  EXPECT_FALSE(known.isKnown("class"));
  EXPECT_TRUE(known.isKnown("Detail3"));
  EXPECT_TRUE(known.isKnown("Detail3b"));
  EXPECT_FALSE(known.isKnown("DetailShadow"));
  EXPECT_TRUE(known.isKnown("Anim7"));
  EXPECT_FALSE(known.isKnown("Anim"));
}

TEST(KnownValueLookup, BuildKeepsFirstSpellingOfEachName) {
  KnownValues known = knownFrom({"TYPE", "Type", "ANIM%d", "Anim%d", "Class"});
  EXPECT_EQ(known.lowerMap.at("type"), "TYPE");
  EXPECT_EQ(known.lowerMap.at("anim%d"), "ANIM%d");
  EXPECT_EQ(known.patterns, (std::vector<std::string>{"ANIM%d", "Anim%d"}));
  ASSERT_EQ(known.lowerPatterns.size(), 1u);
  EXPECT_EQ(known.lowerPatterns[0].second, "ANIM%d");
}

TEST(NameNormalisation, CorrectsCaseToListedSpelling) {
  KnownValues known = knownFrom({"Anim%02d", "Class"});
  EXPECT_EQ(normalized(known, "CLASS"), "Class");
  EXPECT_EQ(normalized(known, "class"), "Class");
  EXPECT_EQ(normalized(known, "ANIM07"), "Anim07");
  EXPECT_EQ(normalized(known, "Color"), "Color");
}

TEST(NameNormalisation, PatternOverwritesLettersBeforeNumberOnly) {
  EXPECT_EQ(normalized(knownFrom({"A%d"}), "a12"), "A12");
  EXPECT_EQ(normalized(knownFrom({"Anim%d"}), "ANIM 3xYZ"), "Anim 3xYZ");
  EXPECT_EQ(normalized(knownFrom({"Detail%d"}), "dEtAiL9b"), "Detail9b");
  // A name shorter than the pattern's text cannot match, so it stays.
  EXPECT_EQ(normalized(knownFrom({"Detail%d"}), "det"), "det");
}

TEST(NameNormalisation, CapitalSpellingWinsBetweenTwoListed) {
  KnownValues known = knownFrom({"Type", "TYPE"});
  EXPECT_EQ(normalized(known, "type"), "TYPE");
  EXPECT_EQ(normalized(known, "Type"), "TYPE");
}

TEST(NameNormalisation, EmptyListChangesNothing) {
  EXPECT_EQ(normalized(knownFrom({}), "CLASS"), "CLASS");
}

TEST(NameNormalisation, MembersOfNestedGroupsBeforeTheGroup) {
  KnownValues known = knownFrom({"Class", "Outer", "Inner", "Anim%d"});
  Value root(ValueType::Group, "OUTER");
  root.addChild(std::make_unique<Value>(ValueType::String, "CLASS"));
  Value* inner = root.addChild(std::make_unique<Value>(ValueType::Group, "inner"));
  inner->addChild(std::make_unique<Value>(ValueType::Int, "anim3"));
  Value* deeper = inner->addChild(std::make_unique<Value>(ValueType::Group, "unlisted"));
  deeper->addChild(std::make_unique<Value>(ValueType::Float, "class"));
  known.normalizeValueNames(root);
  EXPECT_EQ(root.name, "Outer");
  EXPECT_EQ(root.children[0]->name, "Class");
  EXPECT_EQ(inner->name, "Inner");
  EXPECT_EQ(inner->children[0]->name, "Anim3");
  EXPECT_EQ(deeper->name, "unlisted");
  EXPECT_EQ(deeper->children[0]->name, "Class");
}

TEST(NameNormalisation, DeepTreesDoNotExhaustTheStack) {
  KnownValues known = knownFrom({"Class"});
  Value root(ValueType::Group, "g");
  Value* at = &root;
  for (int i = 0; i < 200000; ++i) at = at->addChild(std::make_unique<Value>(ValueType::Group, "g"));
  at->addChild(std::make_unique<Value>(ValueType::Int, "CLASS"));
  known.normalizeValueNames(root);
  EXPECT_EQ(at->children[0]->name, "Class");
}

TEST_F(NameListFile, ShippedKnownValuesCoverTheNamesQuorvelChecks) {
  NameList list;
  loadNameList(std::string(QUORVEL_SOURCE_DIR) + "/data/Quorvel.knownvalues.txt", list, log, ui);
  ASSERT_TRUE(ui.questions().empty());
  KnownValues known;
  known.names = list;
  known.build();
  for (const char* name :
       {"Class", "Anim00", "Anim13", "A00", "A12", "Detail0", "DetailShadow", "File", "Head",
        "Tail", "Body", "Mesh", "Physics", "Foot", "Hand", "Height", "Diffuse", "MipMap",
        "Visible", "MasterObject", "SlaveObject", "NumJoints", "ext_GeometryType",
        "ext_ImportScale", "Element1", "FireExpression", "TriggerActivate", "Type"})
    EXPECT_TRUE(known.isKnown(name)) << name;
  for (const std::string& entry : list) {
    EXPECT_NE(entry.front(), '%') << entry;
    EXPECT_EQ(entry.find(' '), std::string::npos) << entry;
  }
  EXPECT_EQ(normalized(known, "CLASS"), "Class");
  EXPECT_EQ(normalized(known, "ANIM07"), "Anim07");

  NameList ignored{"stale"};
  loadNameList(std::string(QUORVEL_SOURCE_DIR) + "/data/Quorvel.ignoretextures.txt", ignored, log,
               ui);
  EXPECT_TRUE(ui.questions().empty());
  EXPECT_TRUE(ignored.empty());
}

}  // namespace
}  // namespace quorvel
