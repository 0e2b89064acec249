// A whole report on a small level with a bit of everything wrong, compared
// line by line with a checked copy in tests/data/verify/full_report.txt.
#include <gtest/gtest.h>

#include <sstream>

#include "support/level_paths.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "app/actions/verify.h"

namespace quorvel {
namespace {

using namespace testing_support;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void buildLevel(SceneFile& scene) {
  Mesh& sky = addMesh(scene, "Sky", "CSky", "sky.bmp");
  Mesh& ground = addMesh(scene, "Ground", "TerrainPlacement");
  addString(*ground.values, "File", "ground.trn");
  addMesh(scene, "HeroPart");
  Mesh& hero = addMesh(scene, "Hero", "Player", "Map\\lev\\hero.bmp");
  for (int i = 0; i < 13; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%02d", i);
    addString(*hero.values, name, "HeroPart");
  }
  addString(*hero.values, "Body", "HeroPart");
  addString(*hero.values, "Foot", "HeroPart");
  addString(*hero.values, "Hand", "HeroFist");
  addString(*hero.values, "Anim00", "walk.bmp");
  Mesh& torch = addMesh(scene, "Torch", "CInstance", "Map\\lev\\torch.bmp");
  addString(*torch.values, "Anim00", "flame0.bmp");
  addString(*torch.values, "Anim01", "flame1.bmp");
  addInt(*torch.values, "Detail1", 4);
  Mesh& wolf = addMesh(scene, "Wolf", "CAnimal", "Map\\lev\\wolf.bmp");
  addString(*wolf.values, "Body", "HeroPart");
  addString(*wolf.values, "Head", "WolfHead");
  Mesh& crate = addMesh(scene, "Crate", "CTerrainObj", "Map\\lev\\crate.bmp");
  addString(*crate.values, "Colour", "brown");
  crate.materials.push_back({"", "", ""});
  Mesh& gate = addMesh(scene, "Gate", "CTrigger");
  gate.values->name = "GateTrigger";
  addString(*gate.values, "FireExpression", "Crate-1 & !Door-9 ");
  Value& events = addGroup(*gate.values, "Events");
  addString(events, "Target", "Bridge");
  Mesh& wall = addMesh(scene, "Wall", "CInstance", "Map\\lev\\wall.bmp");
  wall.layout = MeshLayout::FaceLists;
  wall.faces.push_back(wall.faces.front());
  wall.faces.back().vertex[2] = 1;
  Mesh& rock = addMesh(scene, "Rock", "-", "Map\\lev\\rock.bmp");
  addMesh(scene, "Spare", "-", "Map\\lev\\spare.bmp");

  addInstance(scene, "Sky", sky);
  addInstance(scene, "Ground", ground);
  addInstance(scene, "Hero", hero);
  addInstance(scene, "Torch-1", torch);
  addInstance(scene, "Torch-2", torch);
  addInstance(scene, "Wolf-1", wolf, 0.0f);
  addInstance(scene, "Crate-1", crate);
  addInstance(scene, "Gate-1", gate);
  addInstance(scene, "Wall-1", wall);
  addInstance(scene, "Rock12", rock);
}

TEST(VerificationReport, FullReportMatchesTheCheckedCopy) {
  TempDir folder;
  const std::string dir = folder.path();
  const LevelFiles files = levelFilesIn(dir, "lev");
  writeBytes(files.scnPath, {1});
  writeBytes(files.grfPath, {1});
  writeBytes(files.swpPath, std::vector<uint8_t>(131072));
  writeBytes(files.spzPath, u32Bytes(131072));
  TextureEntry odd = textureEntry(textureId(1.0f, "Map\\lev\\wolf.bmp", ""), 16, 0, 512);
  odd.occlusion = 4;
  writeBytes(files.pidPath,
             pidFileBytes({textureEntry(textureId(1.0f, "Map\\lev\\hero.bmp", ""), 16),
                           textureEntry(textureId(1.0f, "Map\\lev\\walk.bmp", ""), 16),
                           textureEntry(textureId(1.0f, "Map\\lev\\flame0.bmp", ""), 8),
                           odd,
                           textureEntry(textureId(1.0f, "Map\\lev\\rock.bmp", ""), 8, 0, 131072),
                           textureEntry(textureId(1.0f, "Map\\lev\\wall.bmp", ""), 8, 0, 131000)},
                          2, 0x600000, 262144));

  CapturingApp app;
  app.context.ignoredTextures = {"sky.bmp"};
  app.context.knownValues.names = {"A%d", "Anim%d", "Body", "Class", "Detail%d", "File",
                                   "FireExpression", "Foot", "Hand", "Head", "Tail"};
  app.context.knownValues.patterns = {"A%d", "Anim%d", "Detail%d"};
  SceneFile scene;
  buildLevel(scene);
  const VerificationResult result = writeVerificationReport(app.context, scene, files);
  const std::string report = replaceAll(app.text(), dir, "<dir>/");

  const std::string expected = readFileText(QUORVEL_TEST_DATA_DIR "/verify/full_report.txt");
  const auto want = linesOf(expected);
  const auto got = linesOf(report);
  for (size_t i = 0; i < std::max(want.size(), got.size()); ++i)
    EXPECT_EQ(i < got.size() ? got[i] : "<none>", i < want.size() ? want[i] : "<none>")
        << "line " << i + 1;
  EXPECT_EQ(report, expected);
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.counts.errors, 10);
}

}  // namespace
}  // namespace quorvel
