// The Rename Level action on a small level in a scratch folder: the files
// under the new name, the names rewritten inside them, and the refusals and
// failures that must leave the original level exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "app/actions/rename.h"
#include "level/scene.h"
#include "support/level_paths.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "values/value.h"

namespace quorvel {
namespace {

using testing_support::addFloat;
using testing_support::addInt;
using testing_support::addMesh;
using testing_support::addString;
using testing_support::readBytes;
using testing_support::textureEntry;
using testing_support::writeBytes;

using Files = std::map<std::string, std::vector<uint8_t>>;

const float kIntDiffuse = floatFromBits(3);  // an Int "Diffuse" 3, read by its bits

class RenameLevel : public ::testing::Test {
 protected:
  // Level "be": a terrain placement naming `terrain`, the animated water
  // (Anim00 "Water.bmp", diffuse 0.5) with a plain and a bump-mapped
  // material, rock (not animated) and the animated pool whose "Diffuse" is
  // an integer.
  void makeLevel(const std::string& terrain = "terrain1", bool withSpz = true, bool animated = true) {
    SceneFile scene;
    Mesh& placement = addMesh(scene, "Terrain", "TerrainPlacement", "");
    addString(*placement.values, "File", terrain);
    Mesh& water = addMesh(scene, "Water", "CInstance", "Map\\be\\water.bmp");
    addFloat(*water.values, "Diffuse", 0.5f);
    if (animated) addString(*water.values, "Anim00", "Water.bmp");
    water.materials.push_back({"Map\\be\\water.bmp", "", "Map\\be\\waves.bmp"});
    water.materials.push_back({"Map\\be\\rock.bmp", "", ""});
    Mesh& pool = addMesh(scene, "Pool", "CInstance", "Map\\be\\pool.bmp");
    addInt(*pool.values, "Diffuse", 3);
    if (animated) addString(*pool.values, "Anim01", "pool.bmp");
    // Value tables are stored with the instances that use them.
    for (const auto& mesh : scene.meshes) testing_support::addInstance(scene, mesh->name, *mesh);
    scene.trace = nullptr;
    ASSERT_TRUE(scene.save(old_.grfPath));
    ASSERT_TRUE(writeLevelHeader(old_.scnPath, "be.grf", nullptr));
    writeBytes(old_.pidPath, testing_support::pidFileBytes({
                                 textureEntry(textureId(0.5f, "map\\be\\water.bmp", ""), 8),
                                 textureEntry(textureId(0.5f, "map\\be\\water.bmp", ""), 8, 0x20004),
                                 textureEntry(textureId(0.5f, "map\\be\\rock.bmp", ""), 8),
                                 textureEntry(textureId(0.5f, "map\\be\\water.bmp", "map\\be\\waves.bmp"), 8),
                                 textureEntry(textureId(kIntDiffuse, "map\\be\\pool.bmp", ""), 8),
                             }));
    writeBytes(old_.swpPath, std::vector<uint8_t>(4096, 0x5A));
    if (withSpz) writeBytes(old_.spzPath, {0, 0x10, 0, 0, 9});
    else old_.spzPath.clear();
    writeBytes(folder_ + terrain + ".wtd", {'W', 'T', 'D', 1});
  }
  // The action with these answers: the warning, the name, keep originals,
  // then any further box answers.
  std::string rename(const std::string& name, bool keep, std::vector<Answer> more = {}) {
    run_.ui.queueAnswer(Answer::Yes);
    run_.ui.queueString(name);
    run_.ui.queueAnswer(keep ? Answer::Yes : Answer::No);
    for (Answer answer : more) run_.ui.queueAnswer(answer);
    ran_ = renameLevel(run_.app, old_);
    return run_.text();
  }
  // The action up to a refusal: the warning answered and the name given.
  std::string refused(const std::string& name) {
    run_.ui.queueAnswer(Answer::Yes);
    run_.ui.queueString(name);
    ran_ = renameLevel(run_.app, old_);
    EXPECT_EQ(run_.ui.unusedAnswers(), 0u) << name;
    return run_.text();
  }
  Files snapshot() const {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
      if (entry.is_regular_file() && entry.path().filename() != "Quorvel.ini")
        files[entry.path().string()] = readBytes(entry.path().string());
    return files;
  }
  std::string refusal(const std::string& error) const {
    return "Loading level...\nFile: \"" + old_.scnPath + "\"\n" + error + "Rename level cancelled.\n";
  }

  testing_support::CapturingApp run_;
  std::string folder_ = run_.folder.makeFolder("data/");
  LevelFiles old_ = testing_support::levelFilesIn(folder_, "be");
  LevelFiles new_ = testing_support::levelFilesIn(folder_, "new");
  bool ran_ = false;
};

TEST_F(RenameLevel, CopyGivesEveryFileTheNewNameAndRewritesTheNamesInside) {
  makeLevel();
  const Files before = snapshot();
  const std::string text = rename("New", true);  // typed in capitals: levels go by lower-case names
  ASSERT_TRUE(ran_) << text;
  EXPECT_EQ(text.substr(0, text.find("done.\n") + 6),
            "Loading level...\nFile: \"" + old_.scnPath +
                "\"\nCopying files to new level name \"new\"...\n"
                "Updating SCN \"" + new_.scnPath + "\"...\n"
                "Updating texture names in GRF \"" + new_.grfPath + "\"...\n"
                "Updating texture references in PID \"" + new_.pidPath + "\"...\n"
                "Found animated texture \"water.bmp\" in mesh Water\n"
                "Found animated texture \"pool.bmp\" in mesh Pool\n"
                "Converting animated texture reference \"Map\\be\\water.bmp\" in mesh Water\n"
                "Converting animated texture reference \"Map\\be\\pool.bmp\" in mesh Pool\n"
                "Converting PID texture ID for \"map\\be\\pool.bmp\"\n"
                "Converting PID texture ID for \"map\\be\\water.bmp\"\n"
                "done.\n");
  // The verification under the new name finds the files and their names agree.
  EXPECT_NE(text.find("    Name: \"new\"\n    SCN: \"" + new_.scnPath + "\"\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("names don't match"), std::string::npos) << text;
  EXPECT_EQ(text.find("not found at"), std::string::npos) << text;
  EXPECT_EQ(text.find("might be missing texture"), std::string::npos) << text;

  for (const auto& [path, bytes] : before) EXPECT_EQ(readBytes(path), bytes) << path;  // copy: originals stay
  EXPECT_EQ(readBytes(new_.swpPath), readBytes(old_.swpPath));
  EXPECT_EQ(readBytes(new_.spzPath), readBytes(old_.spzPath));
  EXPECT_EQ(readBytes(folder_ + "new.wtd"), readBytes(folder_ + "terrain1.wtd"));
  EXPECT_EQ(readBytes(new_.scnPath), *levelHeaderBytes(new_.grfPath));

  SceneFile renamed;
  renamed.trace = nullptr;
  ASSERT_TRUE(renamed.load(new_.grfPath));
  EXPECT_EQ(getString(renamed.findMesh("Terrain")->values.get(), "File", ""), "new");
  const Mesh& water = *renamed.findMesh("Water");
  EXPECT_EQ(water.materials[0].colorMap, "Map\\new\\water.bmp");
  EXPECT_EQ(water.materials[1].colorMap, "Map\\be\\water.bmp");  // has a bump map
  EXPECT_EQ(water.materials[2].colorMap, "Map\\be\\rock.bmp");   // not animated
  EXPECT_EQ(renamed.findMesh("Pool")->materials[0].colorMap, "Map\\new\\pool.bmp");

  TextureDatabase store;
  ASSERT_TRUE(store.read(new_.pidPath));
  ASSERT_EQ(store.entries.size(), 5u);
  EXPECT_EQ(store.entries[0].textureId, textureId(0.5f, "map\\new\\water.bmp", ""));
  EXPECT_EQ(store.entries[1].textureId, textureId(0.5f, "map\\new\\water.bmp", ""));
  EXPECT_EQ(store.entries[2].textureId, textureId(0.5f, "map\\be\\rock.bmp", ""));
  EXPECT_EQ(store.entries[3].textureId, textureId(0.5f, "map\\be\\water.bmp", "map\\be\\waves.bmp"));
  EXPECT_EQ(store.entries[4].textureId, textureId(kIntDiffuse, "map\\new\\pool.bmp", ""));
}

TEST_F(RenameLevel, MoveLeavesOnlyTheNewFilesAndATerrainFileAlreadyNamedNew) {
  makeLevel("new");  // the terrain file already has the new name: it stays, unasked
  const std::vector<uint8_t> terrain = readBytes(folder_ + "new.wtd");
  const std::string text = rename("new", false);
  ASSERT_TRUE(ran_) << text;
  EXPECT_NE(text.find("Moving files to new level name \"new\"...\n"), std::string::npos) << text;
  for (const std::string& path : {old_.scnPath, old_.grfPath, old_.pidPath, old_.swpPath, old_.spzPath})
    EXPECT_FALSE(std::filesystem::exists(path)) << path;
  for (const std::string& path : {new_.scnPath, new_.grfPath, new_.pidPath, new_.swpPath, new_.spzPath})
    EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(readBytes(folder_ + "new.wtd"), terrain);
  EXPECT_EQ(run_.ui.questions().size(), 3u);  // no overwrite question
  EXPECT_NE(text.find("Finished verification."), std::string::npos) << text;
}

TEST_F(RenameLevel, ExistingFilesAskFirstAndNoLeavesTheDiskAlone) {
  makeLevel("terrain1", false);
  // A stale SPZ beside the new PID would make the renamed level look like
  // the full version's.
  writeBytes(folder_ + "new-130.spz", {1, 2, 3, 4});
  const Files before = snapshot();
  EXPECT_EQ(rename("new", true, {Answer::No}), refusal(""));
  EXPECT_EQ(run_.ui.questions().back().box.caption, "Confirm Overwrite");
  EXPECT_EQ(snapshot(), before);

  EXPECT_NE(rename("new", true, {Answer::Yes}).find("done.\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "new-130.spz"));
  EXPECT_TRUE(std::filesystem::exists(new_.pidPath));
}

TEST_F(RenameLevel, RefusalsComeBeforeAnythingOnDiskChanges) {
  struct Case {
    std::string name;
    std::string error;
  };
  const std::string badCharacter =
      "holds a character file names can't hold (\\ / : * ? \" < > | or a control character).\n";
  const std::vector<Case> cases = {
      {"a/b", "ERROR: the new level name \"a/b\" " + badCharacter},
      {"a\\b", "ERROR: the new level name \"a\\b\" " + badCharacter},
      {"c:x", "ERROR: the new level name \"c:x\" " + badCharacter},
      {"a*", "ERROR: the new level name \"a*\" " + badCharacter},
      {"a?", "ERROR: the new level name \"a?\" " + badCharacter},
      {"a\"", "ERROR: the new level name \"a\"\" " + badCharacter},
      {"<a>", "ERROR: the new level name \"<a>\" " + badCharacter},
      {"a|b", "ERROR: the new level name \"a|b\" " + badCharacter},
      {"a\tb", "ERROR: the new level name \"a\tb\" " + badCharacter},
      {"a..b", "ERROR: the new level name \"a..b\" holds \"..\".\n"},
      {"new-2", "ERROR: the new level name \"new-2\" holds \"-\", which ends a level name when it is opened.\n"},
      {std::string(248, 'x'), "ERROR: the new level name is 248 bytes long (can't be more than 247).\n"},
      {"BE", "ERROR: the new level name \"be\" is the level's own name.\n"},
  };
  makeLevel();
  const Files before = snapshot();
  for (const Case& c : cases) {
    EXPECT_EQ(refused(c.name), refusal(c.error)) << c.name;
    EXPECT_FALSE(ran_);
  }
  EXPECT_EQ(snapshot(), before);
}

TEST_F(RenameLevel, AnUnreadableLevelOrATerrainFileElsewhereIsRefused) {
  // On Windows the name reaches the sibling folder, which must exist for the
  // fixture's terrain file; on POSIX it is one name with backslashes in it.
  run_.folder.makeFolder("other/");
  makeLevel("..\\other\\terrain1");
  Files before = snapshot();
  EXPECT_EQ(refused("new"),
            refusal("ERROR: the TerrainPlacement \"File\" value \"..\\other\\terrain1\" names a file in another "
                    "folder.\n"));
  EXPECT_EQ(snapshot(), before);

  writeBytes(old_.grfPath, {0xBE, 0xBA, 0xCE, 0x0A, 1});
  before = snapshot();
  EXPECT_EQ(refused("new"), refusal("ERROR: could not load the level's scene file \"" + old_.grfPath + "\".\n"));
  EXPECT_EQ(snapshot(), before);
}

TEST_F(RenameLevel, AFailedCopyStopsAMoveWithEveryOriginalIntact) {
  makeLevel();
  const Files before = snapshot();
  run_.folder.makeFolder("data/new-130.swp");  // root ignores file modes; a folder stops the copy
  const std::string text = rename("new", false, {Answer::Yes});
  EXPECT_FALSE(ran_);
  const std::string tail = "ERROR: could not copy \"" + old_.swpPath + "\" to \"" + new_.swpPath + "\": ";
  ASSERT_NE(text.find(tail), std::string::npos) << text;
  const std::string rest = text.substr(text.find(tail));  // the reason, then the end
  EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 2) << rest;
  EXPECT_TRUE(rest.ends_with("\nRename level failed.\n")) << rest;
  EXPECT_EQ(text.find("Updating SCN"), std::string::npos) << text;
  EXPECT_EQ(text.find("Verifying"), std::string::npos) << text;
  for (const auto& [path, bytes] : before) EXPECT_EQ(readBytes(path), bytes) << path;
}

TEST_F(RenameLevel, AFailedWriteIsReportedAndTheLongestNameWorks) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows paths end at 260 characters: neither a GRF path too long for an SCN nor the longest "
                  "file name in the scratch folder can exist there";
#endif
  // An SCN cannot name a GRF path longer than 1343 bytes: the SCN write fails.
  std::string deep = "data/";
  for (int i = 0; i < 6; ++i) deep += std::string(240, 'd' + i) + "/";
  const std::string folder = run_.folder.makeFolder(deep);
  folder_ = folder;
  old_ = testing_support::levelFilesIn(folder, "be");
  makeLevel();
  const std::string text = rename("new", true);
  EXPECT_FALSE(ran_);
  const std::string scn = folder + "new.scn";
  EXPECT_EQ(text.substr(text.find("Updating SCN")),
            "Updating SCN \"" + scn + "\"...\nERROR: could not write \"" + scn + "\"\nRename level failed.\n");

  // 247 bytes + "-130.pid" is the longest file name: its temporary files
  // must fit too. Map\<name>\water.bmp would not fit a scene file's name.
  folder_ = run_.folder.makeFolder("short/");
  old_ = testing_support::levelFilesIn(folder_, "be");
  makeLevel();
  const std::string longest(247, 'n');
  const Files before = snapshot();
  EXPECT_EQ(refused(longest), refusal("ERROR: the texture name \"Map\\" + longest +
                                      "\\water.bmp\" would be longer than a scene file holds (255 bytes).\n"));
  EXPECT_EQ(snapshot(), before);

  makeLevel("terrain1", true, false);
  const std::string longText = rename(longest, true);
  EXPECT_NE(longText.find("done.\n"), std::string::npos) << longText;
  EXPECT_TRUE(ran_);
  EXPECT_EQ(readBytes(folder_ + longest + "-130.pid"), readBytes(old_.pidPath));
}

}  // namespace
}  // namespace quorvel
