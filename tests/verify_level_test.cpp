#include "app/actions/verify.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/level_paths.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "textures/texture_database.h"

namespace quorvel {
namespace {

using namespace testing_support;

// A level "lev" in a fresh folder with an SCN, a GRF (its bytes do not
// matter: the scene is handed over in memory), a PID, an SWP and an SPZ.
struct LevelOnDisk {
  LevelOnDisk() {
    writeBytes(files.scnPath, {1});
    writeBytes(files.grfPath, {1});
    writePid({});
    writeBytes(files.swpPath, std::vector<uint8_t>(4096));
    writeBytes(files.spzPath, u32Bytes(4096));
  }
  void writePid(const std::vector<TextureEntry>& entries, int palettes = 0,
                uint32_t primaryUsed = 0) {
    writeBytes(files.pidPath, pidFileBytes(entries, palettes, 0x600000, primaryUsed));
  }
  std::string report(bool sceneReadable = true) {
    last = writeVerificationReport(app.context, scene, files, sceneReadable);
    return app.text();
  }
  // The lines of the report under `heading`, up to the next heading.
  std::string section(const std::string& heading) {
    const std::string text = report();
    const size_t start = text.find(heading);
    if (start == std::string::npos) return "(no section " + heading + ")";
    const size_t from = start + heading.size();
    size_t end = text.find("  Verifying ", from);
    if (end == std::string::npos) end = text.find("Finished verification.", from);
    return text.substr(from, end - from);
  }

  TempDir folder;
  const std::string dir = folder.path();
  LevelFiles files = levelFilesIn(dir, "lev");
  CapturingApp app;
  SceneFile scene;
  VerificationResult last;
};

constexpr const char* kInstances = "  Verifying instances...\n";
constexpr const char* kMeshes = "  Verifying meshes...\n";
constexpr const char* kPid = "  Verifying PID...\n";
constexpr const char* kSwp = "  Verifying SWP and SPZ...\n";

TEST(VerificationFiles, MissingGrfEndsTheReportAfterItsMessage) {
  LevelOnDisk level;
  std::remove(level.files.grfPath.c_str());
  std::remove(level.files.scnPath.c_str());
  const std::string d = level.dir;
  EXPECT_EQ(level.report(),
            "\nVerifying level...\n"
            "    Name: \"lev\"\n"
            "    SCN: \"" + d + "lev.scn\"\n"
            "    GRF: \"" + d + "lev.grf\"\n"
            "    PID: \"" + d + "lev-130.pid\"\n"
            "    SWP: \"" + d + "lev-130.swp\"\n"
            "    SPZ: \"" + d + "lev-130.spz\"\n"
            "ERROR: SCN not found at \"" + d + "lev.scn\"\n"
            "ERROR: GRF not found at \"" + d + "lev.grf\"\n");
  EXPECT_FALSE(level.last.completed);
  EXPECT_EQ(level.last.counts.errors, 2);
}

TEST(VerificationFiles, UnreadableGrfIsAnErrorRightAfterTheFileChecks) {
  LevelOnDisk level;
  std::remove(level.files.swpPath.c_str());
  const std::string text = level.report(false);
  const std::string expected = "ERROR: SWP not found at \"" + level.dir +
                               "lev-130.swp\"\n"
                               "ERROR: GRF \"" + level.dir +
                               "lev.grf\" could not be read as a scene file\n"
                               "  Verifying instances...\n";
  EXPECT_NE(text.find(expected), std::string::npos) << text;
  EXPECT_TRUE(level.last.completed);
}

TEST(VerificationFiles, EmptyOptionalPathsPrintAsEmptyQuotesAndAreNotChecked) {
  LevelOnDisk level;
  level.files.swpPath.clear();
  level.files.spzPath.clear();
  const std::string text = level.report();
  EXPECT_NE(text.find("    SWP: \"\"\n    SPZ: \"\"\n  Verifying instances...\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find(kSwp), std::string::npos);
  EXPECT_TRUE(text.ends_with("Finished verification.\n\n"));
}

TEST(VerificationFiles, NamesThatDisagreeAreReportedOnce) {
  LevelOnDisk level;
  level.files.pidPath = level.dir + "other-130.pid";
  level.files.swpPath = level.dir + "third-130.swp";
  writeBytes(level.files.pidPath, pidFileBytes({}));
  writeBytes(level.files.swpPath, {0});
  const std::string text = level.report();
  EXPECT_NE(text.find("    SPZ: \"" + level.dir +
                      "lev-130.spz\"\nERROR: GRF, PID and SWP names don't match.\n  Verifying"),
            std::string::npos)
      << text;
}

TEST(VerificationInstances, NameStemIsComparedWithTheMeshName) {
  LevelOnDisk level;
  Mesh& rock = addMesh(level.scene, "Rock");
  Mesh& rockBig = addMesh(level.scene, "RockBig");
  for (const char* name : {"Rock-12", "Rock12", "Rock-", "Rock-1a"})
    addInstance(level.scene, name, rock);
  addInstance(level.scene, "Rock-1", rockBig);
  EXPECT_EQ(level.section(kInstances),
            "Instance name Rock12 does not match its mesh name Rock\n"
            "Instance name Rock-1a does not match its mesh name Rock\n");
}

TEST(VerificationInstances, MeshOutsideTheSceneAndBadScalesAreReported) {
  LevelOnDisk level;
  Mesh stray;
  stray.name = "Stray";
  addInstance(level.scene, "Stray", stray);
  Mesh& box = addMesh(level.scene, "Box");
  addInstance(level.scene, "Box-1", box, 0.0f);
  addInstance(level.scene, "Box-2", box, -2.0f);
  addInstance(level.scene, "Box-3", box, std::nanf(""));
  addInstance(level.scene, "Box-4", box, 0.00001f);
  addInstance(level.scene, "", box);
  Instance& orphan = addInstance(level.scene, "Lost", box);
  orphan.mesh = nullptr;
  EXPECT_EQ(level.section(kInstances),
            "Mesh of instance Stray is not in meshes\n"
            "WARNING: Instance Box-1 has zero or negative scale.\n"
            "WARNING: Instance Box-2 has zero or negative scale.\n"
            "WARNING: Instance Box-3 has zero or negative scale.\n"
            "ERROR: Instance has no name\n"
            "Instance Lost has no mesh\n");
}

TEST(VerificationMeshes, UnusedUnnamedAndMisnamedMeshes) {
  LevelOnDisk level;
  Mesh& used = addMesh(level.scene, "Used", "CThing");
  used.values->name = "Other";
  addInstance(level.scene, "Used", used);
  addMesh(level.scene, "Spare");
  addMesh(level.scene, "");
  EXPECT_EQ(level.section(kMeshes),
            "NOTE: By convention, mesh name \"Used\" should match it's value name \"Other\"\n"
            "Mesh Spare is not used\n"
            "Mesh  is not used\n"
            "ERROR: Mesh has no name\n");
}

TEST(VerificationMeshes, VisibleTypeOneGeometryUnlessHiddenOrAnOccluder) {
  LevelOnDisk level;
  const auto faceLists = [&](const std::string& name, const std::string& className,
                             const std::string& colorMap) -> Mesh& {
    Mesh& mesh = addMesh(level.scene, name, className, colorMap);
    mesh.layout = MeshLayout::FaceLists;
    addInstance(level.scene, name, mesh);
    return mesh;
  };
  faceLists("Wall", "CInstance", "wall.bmp");
  faceLists("Occ", "CInstance", "Map\\lev\\SOccludet2.bmp");
  faceLists("Occ2", "CInstance", "SOccludet2.bmp");
  faceLists("Occ3", "-", "map\\lev\\soccludet2.BMP");
  faceLists("$Helper", "CInstance", "wall.bmp");
  faceLists("Gun", "CGun", "gun.bmp");
  faceLists("Plain", "-", "plain.bmp");
  faceLists("Tree", "CTree", "tree.bmp");
  addBool(*faceLists("Hidden", "CInstance", "h.bmp").values, "Visible", false);
  addInt(*faceLists("Linked", "CInstance", "l.bmp").values, "Mesh", 1);
  EXPECT_EQ(level.section(kMeshes),
            "ERROR: Type1 geometry \"Wall\" can't be visible (make it a '$' object or set "
            "\"bool Visible = false\")\n"
            "ERROR: Type1 geometry \"Occ2\" can't be visible (make it a '$' object or set "
            "\"bool Visible = false\")\n"
            "ERROR: Type1 geometry \"Gun\" can't be visible (make it a '$' object or set "
            "\"bool Visible = false\")\n"
            "ERROR: Type1 geometry \"Plain\" can't be visible (make it a '$' object or set "
            "\"bool Visible = false\")\n");
}

TEST(VerificationMeshes, TerrainObjectsNeedATextureOnEveryMaterial) {
  LevelOnDisk level;
  Mesh& hill = addMesh(level.scene, "Hill", "CTerrainObj", "grass.bmp");
  hill.materials.push_back(Material{});
  addInstance(level.scene, "Hill", hill);
  Mesh& bare = addMesh(level.scene, "Bare", "CTerrainObj", "");
  bare.materials.clear();
  bare.faces.clear();
  addInstance(level.scene, "Bare", bare);
  EXPECT_EQ(level.section(kMeshes),
            "WARNING: CTerrainObj \"Hill\" is missing some textures\n"
            "WARNING: CTerrainObj \"Bare\" is missing some textures\n"
            "ERROR: 0 triangles in mesh Bare (can't be more than 2048)\n");
}

TEST(VerificationValues, ClassCountsAreSummedOverUsedMeshesOnly) {
  LevelOnDisk level;
  addInstance(level.scene, "Sky", addMesh(level.scene, "Sky", "CSky"));
  addInstance(level.scene, "Sky2", addMesh(level.scene, "Sky2", "CSky"));
  addMesh(level.scene, "Hero", "Player");  // never placed: not checked
  const std::string text = level.report();
  EXPECT_NE(text.find("  Verifying values...\n"
                      "NOTE: Multiple classes CSky found\n"
                      "ERROR: No class TerrainPlacement found\n"
                      "ERROR: No class Player found\n"
                      "  Verifying PID...\n"),
            std::string::npos)
      << text;
}

TEST(VerificationPid, SpaceAndPaletteUseAndUnexpectedOcclusion) {
  LevelOnDisk level;
  TextureEntry odd = textureEntry(1, 16);
  odd.occlusion = 1;
  TextureEntry occluder = textureEntry(2, 16);
  occluder.occlusion = 0x2000000;
  level.writePid({textureEntry(3, 16), occluder, odd}, 3, 500000);
  EXPECT_EQ(level.section(kPid),
            "    Used 0.5MB of 6.3MB available primary texture space\n"
            "    Used 3 of 98 available palettes\n"
            "WARNING: Unexpected PID occlusion value in entry 2.\n");
}

TEST(VerificationPid, MissingTexturesWithBumpMapsAndSkippedMeshes) {
  LevelOnDisk level;
  level.writePid({textureEntry(textureId(1.0f, "Map\\lev\\have.bmp", ""), 16)});
  Mesh& wall = addMesh(level.scene, "Wall", "CThing", "Map\\lev\\have.bmp");
  wall.materials.push_back({"Map\\lev\\lack.bmp", "", ""});
  wall.materials.push_back({"Map\\lev\\rough.bmp", "", "Map\\lev\\bump.bmp"});
  wall.materials.push_back({"", "", ""});
  addMesh(level.scene, "$Helper", "-", "Map\\lev\\lack.bmp");
  addBool(*addMesh(level.scene, "Off", "CThing", "x.bmp").values, "Visible", false);
  addMesh(level.scene, "Magnet", "CMagnet", "x.bmp");
  addString(*addMesh(level.scene, "Ref", "CThing", "x.bmp").values, "Mesh", "Wall");
  // Unused meshes are still checked here.
  EXPECT_EQ(level.section(kPid),
            "    Used 0.0MB of 6.3MB available primary texture space\n"
            "    Used 0 of 98 available palettes\n"
            "WARNING: PID might be missing texture \"Map\\lev\\lack.bmp\" in mesh Wall\n"
            "WARNING: PID might be missing texture \"Map\\lev\\rough.bmp\" (bumpmap "
            "\"Map\\lev\\bump.bmp\") in mesh Wall\n");
}

TEST(VerificationPid, IgnoredTexturesGiveOneNotePerRun) {
  LevelOnDisk level;
  level.app.context.ignoredTextures = {"sky1.bmp", "sky2.bmp"};
  addMesh(level.scene, "A", "-", "sky1.bmp");
  addMesh(level.scene, "B", "-", "sky2.bmp");
  addMesh(level.scene, "C", "-", "sky1.bmp");
  const std::string note =
      "NOTE: Some textures known to cause verification problems were ignored. (see file "
      "\"Quorvel.ignoretextures.txt\")\n";
  const std::string pidHead =
      "    Used 0.0MB of 6.3MB available primary texture space\n"
      "    Used 0 of 98 available palettes\n";
  EXPECT_EQ(level.section(kPid), pidHead + note);
  EXPECT_EQ(level.section(kPid), pidHead + note);  // armed again by the next run
}

TEST(VerificationPid, UnreadablePidDropsTheSectionAndTurnsTexturesIntoNotes) {
  LevelOnDisk level;
  writeBytes(level.files.pidPath, {0x31, 0x01, 0, 0});
  Mesh& torch = addMesh(level.scene, "Torch", "CInstance");
  addString(*torch.values, "Anim00", "fire.bmp");
  addInstance(level.scene, "Torch", torch);
  const std::string text = level.report();
  EXPECT_EQ(text.find(kPid), std::string::npos);
  EXPECT_NE(text.find("NOTE: No PID, couldn't check if texture \"fire.bmp\" exists, used in "
                      "CInstance \"Torch\", value Anim00\n"),
            std::string::npos);
}

TEST(VerificationSwp, WithoutSpzAnEntryOneBytePastTheSwpEnd) {
  LevelOnDisk level;
  level.files.spzPath.clear();
  // 8 rows of 8 16-bit pixels end at 7 * 512 + 16 = 3600 bytes from the offset.
  level.writePid({textureEntry(1, 16, 0, 4096 - 3600), textureEntry(2, 16, 0, 4096 - 3600 + 1)});
  EXPECT_EQ(level.section(kSwp), "ERROR: 1 PID entries extended past end of SWP\n");
}

TEST(VerificationSwp, HugeEntriesCountWithoutWrappingRound) {
  LevelOnDisk level;
  TextureEntry huge = textureEntry(1, 16, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
  huge.pitch = 0xFFFFFFFF;
  TextureEntry flat = textureEntry(2, 8, 0, 4000, 8, 0);  // no rows: ends one pitch back
  level.writePid({huge, flat});
  EXPECT_EQ(level.section(kSwp), "ERROR: 1 PID entries extended past end of SPZ\n");
}

TEST(VerificationSwp, SpzSizeThatDiffersWarnsAndBecomesTheLimit) {
  LevelOnDisk level;
  writeBytes(level.files.spzPath, u32Bytes(1000));
  level.writePid({textureEntry(1, 8, 0, 0, 8, 2), textureEntry(2, 8, 0, 1000, 8, 1)});
  EXPECT_EQ(level.section(kSwp),
            "WARNING: SWP file will be overwritten.\n"
            "         (Size at beginning of SPZ does not match size of SWP file)\n"
            "ERROR: 1 PID entries extended past end of SPZ\n");
}

TEST(VerificationSwp, SpzTooShortForItsSizeWarnsAndTheSwpSizeCounts) {
  LevelOnDisk level;
  writeBytes(level.files.spzPath, {0x10, 0x00});
  level.writePid({textureEntry(1, 16, 0, 0)});
  EXPECT_EQ(level.section(kSwp),
            "WARNING: SWP file will be overwritten.\n"
            "         (Size at beginning of SPZ does not match size of SWP file)\n");
}

TEST(VerificationSwp, ZeroSizeSkipsTheExtentCheck) {
  LevelOnDisk level;
  writeBytes(level.files.spzPath, u32Bytes(0));
  writeBytes(level.files.swpPath, {});
  level.writePid({textureEntry(1, 16, 0, 100)});
  EXPECT_EQ(level.section(kSwp), "");
}

}  // namespace
}  // namespace quorvel
