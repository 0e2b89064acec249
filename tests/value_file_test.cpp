#include "values/value_file.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "report/message_log.h"
#include "support/temp_dir.h"
#include "values/names_file.h"

namespace quorvel {
namespace {

struct CapturedLog {
  MessageLog log;
  CapturedLog() { log.captureText(true); }
  std::string text() { return log.takeText(); }
};

std::unique_ptr<Mesh> meshNamed(const std::string& name) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  return mesh;
}

TEST(ValueFileRead, EmptyOrBlankFileRegistersNothingSilently) {
  for (const char* text : {"", "  \n\t\n"}) {
    CapturedLog c;
    PendingValues pending;
    readValueFile(text, "m.values.txt", pending, c.log);
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(c.text(), "");
    EXPECT_FALSE(c.log.problem);
  }
}

TEST(ValueFileRead, RegistersEveryGroupAndReportsNamesInVerboseMode) {
  CapturedLog c;
  PendingValues pending;
  readValueFile("group B = { int x = 1 }\ngroup A = {\n  string Class = \"CTerrainObj\"\n", "m.values.txt", pending,
                c.log);
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_TRUE(isStringEqual(pending["A"].get(), "Class", "CTerrainObj"));  // open at the end: accepted
  EXPECT_EQ(c.text(), "  Value: B\n  Value: A\n");
  EXPECT_FALSE(c.log.problem);

  c.log.verbose = false;
  PendingValues quiet;
  readValueFile("group Q = { }", "m.values.txt", quiet, c.log);
  EXPECT_EQ(c.text(), "");
}

TEST(ValueFileErrors, ErrorInThirdOfFiveGroupsRegistersNoneAndShowsItsLine) {
  CapturedLog c;
  PendingValues pending;
  readValueFile(
      "group A = {\n  int x = 1\n}\ngroup B = { int y = 2 }\ngroup C = {\n  int z = x\n}\n"
      "group D = { }\ngroup E = { }\n",
      "dir/m.values.txt", pending, c.log);
  EXPECT_TRUE(pending.empty());
  EXPECT_TRUE(c.log.problem);
  EXPECT_EQ(c.text(),
            "      ERROR: \"dir/m.values.txt\" is not a valid value file. (skipping)\n"
            "      The problem is in or near the following lines:\n"
            "        int z = x\n"
            "      }\n"
            "      group D = { }\n\n");
}

TEST(ValueFileErrors, StopJustBeforeLineEndShowsTheFollowingLines) {
  CapturedLog c;
  PendingValues pending;
  readValueFile("group A = {\n  int z = 3.5\n}\ngroup D = { }\n", "v.txt", pending, c.log);
  EXPECT_EQ(c.text(),
            "      ERROR: \"v.txt\" is not a valid value file. (skipping)\n"
            "      The problem is in or near the following lines:\n"
            "      }\n"
            "      group D = { }\n"
            "      \n");
}

TEST(ValueFileErrors, ErrorInFirstLineShowsItFromItsSecondCharacter) {
  CapturedLog c;
  PendingValues pending;
  readValueFile("int = 5\ngroup A = { }\n", "v.txt", pending, c.log);
  EXPECT_EQ(c.text(),
            "      ERROR: \"v.txt\" is not a valid value file. (skipping)\n"
            "      The problem is in or near the following lines:\n"
            "      nt = 5\n"
            "      group A = { }\n"
            "      \n");
}

TEST(ValueFileErrors, ErrorAtEndOfTextWithoutLineEnd) {
  CapturedLog c;
  PendingValues pending;
  readValueFile("group A = {\nstring s = \"open", "v.txt", pending, c.log);
  EXPECT_EQ(c.text(),
            "      ERROR: \"v.txt\" is not a valid value file. (skipping)\n"
            "      The problem is in or near the following lines:\n"
            "      string s = \"open" "      " "      \n");
}

TEST(ValueFileErrors, DuplicateTopLevelNameKeepsTheFirst) {
  CapturedLog c;
  PendingValues pending;
  readValueFile("group A = { int x = 1 }\ngroup A = { int x = 2 }\n", "v.txt", pending, c.log);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_TRUE(isInt(pending["A"].get(), "x", 1));
  EXPECT_TRUE(c.log.problem);
  EXPECT_EQ(c.text(),
            "  Value: A\n"
            "      ERROR: value A in file \"v.txt\" has already been imported from another file.\n");
}

TEST(ValueFileBindTpm, BindsByExactNameAndReportsTheRest) {
  CapturedLog c;
  std::vector<std::unique_ptr<Mesh>> meshes;
  meshes.push_back(meshNamed("Crate"));
  meshes.push_back(meshNamed("Bone"));
  meshes.back()->values = std::make_unique<Value>(ValueType::Group, "Bone");
  meshes.push_back(meshNamed("Plain"));
  bool fileProblem = false;
  readValuesForTpm("int Plain = 3\ngroup crate = { }\ngroup Crate = { int h = 2 }\ngroup Bone = { }\n", "v.txt",
                   meshes, c.log, fileProblem);
  EXPECT_TRUE(isInt(meshes[0]->values.get(), "h", 2));
  EXPECT_EQ(meshes[1]->values->children.size(), 0u);
  ASSERT_TRUE(meshes[2]->values);
  EXPECT_EQ(meshes[2]->values->type, ValueType::Int);  // not a group, bound all the same
  EXPECT_TRUE(fileProblem);
  EXPECT_FALSE(c.log.problem);
  EXPECT_EQ(c.text(),
            "  Value: Plain\n  Value: crate\n  Value: Crate\n  Value: Bone\n"
            "NOTE: found multiple copies of the values for mesh \"Bone\".\n"
            "NOTE: value \"Bone\" was not used.\n"
            "NOTE: value \"crate\" was not used.\n");
}

class ValueFileOnDisk : public testing::Test {
 protected:
  std::string path(const std::string& name) const { return folder_.file(name); }
  void write(const std::string& name, const std::string& text) const { folder_.write(name, text); }
  testing_support::TempDir folder_;
};

TEST_F(ValueFileOnDisk, ModelValuesBindAcrossModelsOfOneImport) {
  CapturedLog c;
  auto first = meshNamed("Rock");
  auto second = meshNamed("Tree");
  auto third = meshNamed("Bush");
  third->values = std::make_unique<Value>(ValueType::Group, "Bush");
  std::map<std::string, Mesh*> imported = {{"Rock", first.get()}, {"Tree", second.get()}, {"Bush", third.get()}};
  write("second.values.txt", "group Rock = { int a = 1 }\r\ngroup Bush = { }\r\ngroup tree = { }\r\n");
  readValuesForModel(path("second.3ds"), imported, c.log);
  EXPECT_TRUE(isInt(first->values.get(), "a", 1));
  EXPECT_FALSE(second->values);
  EXPECT_TRUE(c.log.problem);
  EXPECT_EQ(c.text(),
            "File: \"" + path("second.values.txt") +
                "\"\n  Value: Rock\n  Value: Bush\n  Value: tree\n"
                "  NOTE: found multiple copies of values for mesh \"Bush\".\n"
                "      NOTE: value \"Bush\" was not used.\n"
                "      NOTE: value \"tree\" was not used.\n");
}

TEST_F(ValueFileOnDisk, MissingModelValueFileIsANote) {
  CapturedLog c;
  readValuesForModel(path("lonely.3ds"), {}, c.log);
  EXPECT_TRUE(c.log.problem);
  EXPECT_EQ(c.text(), "      NOTE: Value file \"" + path("lonely.values.txt") + "\" not found.\n");
}

TEST_F(ValueFileOnDisk, NamesFileLines) {
  write("ship.names.txt",
        "single\n  Hull\tbig hull  \nEmpty   \nMast a\nMast b\nWOOD.BMP  oak.bmp\n");
  CapturedLog c;
  NamesFile names;
  names.read(path("ship.3ds"), c.log);
  EXPECT_EQ(c.text(), "File: \"" + path("ship.names.txt") + "\"\n");
  EXPECT_EQ(names.lookupName("single"), "");
  EXPECT_EQ(names.lookupName("Hull"), "big hull  ");
  EXPECT_EQ(names.lookupName("hull"), "");
  EXPECT_EQ(names.lookupName("Empty"), "");
  EXPECT_EQ(names.lookupName("Mast"), "b");
  EXPECT_EQ(names.lookupNameIgnoreCase("wood.bmp"), "oak.bmp");
  EXPECT_EQ(names.lookupNameIgnoreCase("Wood.Bmp"), "oak.bmp");

  names.read(path("other.3ds"), c.log);  // no names file: silent, maps emptied
  EXPECT_EQ(c.text(), "");
  EXPECT_EQ(names.lookupName("Hull"), "");
}

TEST(ValueFilePaths, ExtensionOfTheFileNameIsReplaced) {
  EXPECT_EQ(valueFilePath("C:\\models\\crate.tpm"), "C:\\models\\crate.values.txt");
  EXPECT_EQ(valueFilePath("dir.v2/crate"), "dir.v2/crate.values.txt");
  EXPECT_EQ(namesFilePath("a.b.3ds"), "a.b.names.txt");
}

}  // namespace
}  // namespace quorvel
