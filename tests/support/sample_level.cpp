#include "support/sample_level.h"

#include <cmath>
#include <cstdio>

#include "platform/file_system.h"
#include "support/verify_fixtures.h"
#include "util/byte_io.h"

namespace quorvel::testing_support {

namespace {

constexpr uint32_t kPageBytes = 131072;
constexpr uint32_t kPitch = 512;

}  // namespace

Mesh& addBox(SceneFile& scene, const std::string& name, const std::string& className,
             const std::string& texture, float size) {
  Mesh& mesh = addMesh(scene, name, className, texture);
  mesh.vertices.clear();
  mesh.faces.clear();
  for (int i = 0; i < 8; ++i)
    mesh.vertices.push_back({(i & 1) ? size : -size, (i & 2) ? size : 0.0f, (i & 4) ? size : -size});
  mesh.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  mesh.normals = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
  static const int kQuads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                   {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (int side = 0; side < 6; ++side) {
    const int* q = kQuads[side];
    for (const auto& corners : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
      Face face;
      for (int c = 0; c < 3; ++c) {
        face.vertex[c] = q[corners[c]];
        face.texCoord[c] = corners[c];
        face.normal[c] = side;
      }
      mesh.faces.push_back(face);
    }
  }
  return mesh;
}

namespace {

Instance& place(SceneFile& scene, const std::string& name, Mesh& mesh, float x, float z) {
  Instance& instance = addInstance(scene, name, mesh);
  instance.position = {x, 0.0f, z};
  return instance;
}

struct SampleTexture {
  const char* file;
  uint32_t bitsPerPixel;
  bool mipmap;  // the one smaller level an 8-bit texture needs to animate
};

// In SWP order; every image is 32 x 32, the mipmap level 16 x 16.
constexpr SampleTexture kTextures[] = {
    {"sky.bmp", 8, false},   {"sand.bmp", 8, false},  {"hero.bmp", 16, false},
    {"crate.bmp", 8, false}, {"lamp.bmp", 8, false},  {"lamp0.bmp", 8, true},
    {"lamp1.bmp", 8, false}, {"gull.bmp", 16, false},
};

}  // namespace

void buildSampleScene(SceneFile& scene) {
  Mesh& sky = addBox(scene, "Sky", "CSky", "Map\\harbor\\sky.bmp", 500.0f);
  addFloat(*sky.values, "Speed", 0.1f);
  Mesh& terrain = addBox(scene, "Terrain", "TerrainPlacement", "Map\\harbor\\sand.bmp", 200.0f);
  addString(*terrain.values, "File", "harbor.trn");

  Mesh& hero = addBox(scene, "Hero", "Player", "Map\\harbor\\hero.bmp", 0.5f);
  Mesh& heroFrame = addBox(scene, "HeroFrame", "-", "Map\\harbor\\hero.bmp", 0.5f);
  for (int i = 0; i < 13; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%02d", i);
    addString(*hero.values, name, "HeroFrame");
  }
  addString(*hero.values, "Body", "HeroFrame");
  addString(*hero.values, "Foot", "HeroFrame");
  addString(*hero.values, "Hand", "HeroFrame");

  Mesh& crate = addBox(scene, "Crate", "CTerrainObj", "Map\\harbor\\crate.bmp", 1.0f);
  addInt(*crate.values, "Height", 2);

  // The second frame of the lamp's animation has no mipmap in the store.
  Mesh& lamp = addBox(scene, "Lamp", "CInstance", "Map\\harbor\\lamp.bmp", 0.3f);
  addString(*lamp.values, "Anim00", "lamp0.bmp");
  addString(*lamp.values, "Anim01", "lamp1.bmp");

  // The gull lacks its "Tail".
  Mesh& gull = addBox(scene, "Gull", "CAnimal", "Map\\harbor\\gull.bmp", 0.4f);
  addBox(scene, "GullBody", "-", "Map\\harbor\\gull.bmp", 0.4f);
  addBox(scene, "GullHead", "-", "Map\\harbor\\gull.bmp", 0.2f);
  addString(*gull.values, "Body", "GullBody");
  addString(*gull.values, "Head", "GullHead");

  // The gate opens when a boat arrives, but the level has no boat.
  Mesh& gate = addBox(scene, "Gate", "CTrigger", "", 2.0f);
  gate.materials.clear();
  for (Face& face : gate.faces) face.material = 0;
  addString(*gate.values, "FireExpression", "Crate-1 & !Boat-1");
  addBool(*gate.values, "Visible", false);

  // Its texture never made it into the store.
  Mesh& buoy = addBox(scene, "Buoy", "CInstance", "Map\\harbor\\buoy.bmp", 0.5f);

  place(scene, "Sky", sky, 0, 0);
  place(scene, "Terrain", terrain, 0, 0);
  place(scene, "Hero", hero, 10, 10);
  place(scene, "HeroFrame", heroFrame, 10, 10);
  place(scene, "Crate-1", crate, 4, 2);
  place(scene, "Crate-2", crate, 6, 2);
  place(scene, "Crate-3", crate, 5, 4).rotation = {0.0f, 0.5f, 0.0f};
  place(scene, "Lamp-1", lamp, 0, 8);
  place(scene, "Gull-1", gull, 3, 20).position.y = 6.0f;
  place(scene, "Gate-1", gate, 0, 30);
  place(scene, "Buoy-1", buoy, -12, 40);
}

void buildSampleTextures(TextureDatabase& textures) {
  textures.clear();
  std::vector<uint8_t> colors(256 * 4);
  for (int i = 0; i < 256; ++i) {
    colors[i * 4 + 0] = static_cast<uint8_t>(i);
    colors[i * 4 + 1] = static_cast<uint8_t>(255 - i);
    colors[i * 4 + 2] = static_cast<uint8_t>(i / 2 + 64);
  }
  const int palette = textures.findOrAddPalette(256, colors.data());
  uint32_t column = 0;  // byte offset within the page's first 32 rows
  for (const SampleTexture& texture : kTextures) {
    const std::string name = std::string("Map\\harbor\\") + texture.file;
    TextureEntry entry = textureEntry(textureId(1.0f, name, ""), texture.bitsPerPixel, 0, column,
                                      32, 32);
    entry.pitch = kPitch;
    entry.palette = texture.bitsPerPixel == 8 ? palette : -1;
    entry.averageColor = 0x00806040;
    column += 32 * texture.bitsPerPixel / 8;
    textures.entries.push_back(entry);
    if (texture.mipmap) {
      TextureEntry mip = entry;
      mip.offset = 32 * kPitch + column;
      mip.width = 16;
      mip.height = 16;
      mip.mipInfo = ((16u * 1024u) & 0xFFF00u) | 16u;
      textures.entries.push_back(mip);
    }
  }
  textures.renumberPalettes();
  textures.primaryUsed = kPageBytes;
}

std::vector<uint8_t> sampleSwpBytes() {
  std::vector<uint8_t> bytes(kPageBytes);
  for (uint32_t row = 0; row < 48; ++row)
    for (uint32_t x = 0; x < kPitch; ++x) bytes[row * kPitch + x] = static_cast<uint8_t>((row * 7 + x) & 0xFF);
  return bytes;
}

bool writeSampleLevel(const std::string& dataFolder, const std::string& installFolder) {
  const std::string base = dataFolder + kSampleLevelName;
  SceneFile scene;
  scene.trace = nullptr;
  buildSampleScene(scene);
  if (!scene.save(base + ".grf")) return false;
  if (!writeLevelHeader(base + ".scn", std::string(kSampleLevelName) + ".grf", nullptr))
    return false;
  TextureDatabase textures;
  buildSampleTextures(textures);
  if (!textures.write(base + "-130.pid")) return false;
  const std::vector<uint8_t> swp = sampleSwpBytes();
  if (!replaceFileAtomically(installFolder + kSampleLevelName + "-130.swp", swp)) return false;
  std::vector<uint8_t> spz(4);
  encodeU32(spz.data(), static_cast<uint32_t>(swp.size()));
  return replaceFileAtomically(base + "-130.spz", spz);
}

}  // namespace quorvel::testing_support
