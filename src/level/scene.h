// The in-memory image of one scene file (a level's GRF or a stand-alone
// model GRF): meshes with geometry, materials and a value table, and the
// instances that place them.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "level/raw_words.h"
#include "util/byte_block.h"
#include "values/value.h"

namespace quorvel {

struct Vec3 {
  float x = 0, y = 0, z = 0;
  bool operator==(const Vec3&) const = default;
};
struct Vec2 {
  float u = 0, v = 0;
  bool operator==(const Vec2&) const = default;
};

// The unit normal of (b - a) x (c - a), in single precision as scene files
// store it; zero for a degenerate face.
Vec3 faceNormal(const Vec3& a, const Vec3& b, const Vec3& c);

enum class MeshLayout : uint32_t {
  FaceLists = 1,      // per-face normals; mapping holds texture coordinates
  VertexRecords = 2,  // vertex records and polygons; mapping names the materials
};

struct Face {
  int32_t vertex[3] = {0, 0, 0};
  int32_t texCoord[3] = {0, 0, 0};
  int32_t normal[3] = {0, 0, 0};
  int32_t material = 0;
  int32_t attribute = 0;
};

struct Material {
  std::string colorMap;
  std::string opacityMap;
  std::string bumpMap;
  bool operator==(const Material&) const = default;
};

struct Color {
  uint8_t r = 0, g = 0, b = 0;
};

struct Mesh {
  std::string name;
  std::unique_ptr<ValueTable> values;
  std::vector<Face> faces;
  std::vector<Vec3> vertices;
  std::vector<Vec2> texCoords;
  std::vector<Vec3> normals;
  std::vector<Material> materials;
  std::array<uint32_t, 3> extraHeader{};
  Color color;
  RawWords rawGeometry;  // verbatim geometry section, if read
  RawWords rawMapping;   // verbatim mapping section, if read
  float unitScale = 1.0f;
  Vec3 unitCentre;
  std::array<uint8_t, 20> materialTrailer{};
  int32_t sectionRef = -1;
  MeshLayout layout = MeshLayout::VertexRecords;

  // Back to the state of a new mesh; destroys the value table.
  void reset();
  // Stores each component clamped to 0..255.
  void setColor(int r, int g, int b);
};

// The mesh's value table; a mesh without one first gets an empty Group named
// after the mesh.
ValueTable* ensureValueTable(Mesh* mesh);

struct Instance {
  std::string name;
  Mesh* mesh = nullptr;  // a mesh of the same scene; not owned
  Vec3 position;
  Vec3 rotation;
  float scale = 1.0f;

  // Without a table: whether the mesh has none. With one: when the mesh has
  // no table yet, it takes ownership of `table` (which is left empty) and the
  // result is true; otherwise nothing changes and the result says whether the
  // mesh's table is the one offered. A table has one owner at a time.
  bool attachValues(std::unique_ptr<ValueTable>& table);
  bool attachValues(std::nullptr_t) const { return !mesh || !mesh->values; }
};

class SceneFile {
 public:
  SceneFile() = default;
  SceneFile(const SceneFile&) = delete;
  SceneFile& operator=(const SceneFile&) = delete;
  virtual ~SceneFile() = default;

  std::vector<std::unique_ptr<Instance>> instances;
  std::vector<std::unique_ptr<Mesh>> meshes;
  // Where load and save print their progress lines ("Loading: '...'");
  // null keeps them silent.
  std::FILE* trace = stdout;

  // Clears the scene and reads a scene file (plain or LZ-compressed). False
  // when the file cannot be read or is not a well-formed scene file; the
  // meshes read before the failure stay in the scene.
  bool load(const std::string& path);
  // The same for file contents already in memory: they are copied once,
  // into the block the meshes keep their raw sections in.
  bool loadFromBytes(std::span<const uint8_t> bytes);
  // The same for a block the meshes may keep (their raw sections stay views
  // into it, so it lives as long as the last of them).
  bool loadFromBlock(std::shared_ptr<const ByteBlock> block);
  // Writes the scene, replacing `path` atomically; false when it cannot be
  // written (the old file is then left as it was) or when the scene cannot
  // be stored (a name longer than 255 bytes). Sets each mesh's sectionRef
  // and each value's tableIndex and nameOccurrence.
  bool save(const std::string& path);
  // The bytes save() writes, or nothing when the scene cannot be stored.
  std::optional<std::vector<uint8_t>> serialize();

  void clear();
  // Releases every object without destroying it: for a scene that only
  // borrows another scene's objects.
  void releaseAll();

  Instance* findInstance(std::string_view name) const;
  Mesh* findMesh(std::string_view name) const;
};

// Writes a level's SCN: a scene file with one "Header" section naming the GRF.
// False when the SCN cannot be written or the GRF path is longer than the
// 1343 bytes the section holds.
bool writeLevelHeader(const std::string& scnPath, const std::string& grfPath,
                      std::FILE* trace = stdout);
// The bytes of such an SCN, or nothing when the path does not fit.
std::optional<std::vector<uint8_t>> levelHeaderBytes(const std::string& grfPath);

}  // namespace quorvel
