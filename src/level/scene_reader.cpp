// SceneFile::load: turns the bytes of a scene file into meshes, instances and
// value tables.
//
// The file is read whole and parsed in memory. Nothing in it is trusted:
// every count is checked against the bytes that could hold it before
// anything is allocated, and every index, offset and reference against what
// it points into. A malformed file is rejected as a whole; the meshes read
// before the fault stay in the scene, as they do when the file ends early.
#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "level/scene.h"
#include "level/scene_format.h"
#include "platform/compressed_input.h"
#include "util/byte_io.h"

namespace quorvel {
namespace {

using namespace scene_format;

const std::string kNoName;

struct DirectoryEntry {
  uint32_t offset = 0;
  uint32_t length = 0;
  uint32_t type = 0;
};

class SceneReader {
 public:
  SceneReader(SceneFile& scene, std::shared_ptr<const ByteBlock> block)
      : scene_(scene), block_(std::move(block)), file_(block_->bytes()) {}

  bool read() {
    ByteReader header(file_);
    uint32_t magic = 0, entryCount = 0, nameCount = 0, nameTableOffset = 0;
    if (!header.readU32(magic) || magic != kMagic) return false;
    if (!header.skip(4) || !header.readU32(entryCount) || !header.readU32(nameCount) ||
        !header.skip(4) || !header.readU32(nameTableOffset) || !header.skip(24))
      return false;

    trace("Reading name table\n");
    if (!readNameTable(nameTableOffset, nameCount)) return false;
    trace("Reading data dir\n");
    if (!readDirectory(entryCount)) return false;
    trace("Reading meshes\n");
    meshByEntry_.assign(directory_.size(), nullptr);
    for (size_t i = 0; i < directory_.size(); ++i) {
      if (directory_[i].type != kSectionMesh) continue;
      auto mesh = readMesh(directory_[i]);
      if (!mesh) return false;
      meshByEntry_[i] = mesh.get();
      scene_.meshes.push_back(std::move(mesh));
    }

    std::optional<size_t> regionEntry, valueEntry;
    for (size_t i = 0; i < directory_.size(); ++i) {
      if (directory_[i].type == kSectionRegion) regionEntry = i;
      if (directory_[i].type == kSectionValueTable) valueEntry = i;
    }
    if (!regionEntry || !valueEntry) return false;

    trace("Reading values\n");
    if (!readValueTable(directory_[*valueEntry])) return false;
    trace("Reading instances\n");
    return readInstances(directory_[*regionEntry]);
  }

 private:
  void trace(const char* line) {
    if (scene_.trace) std::fputs(line, scene_.trace);
  }

  bool readNameTable(uint32_t offset, uint32_t count) {
    ByteReader r(file_);
    if (!r.seek(offset) || !r.has(count, kNameEntryFixedSize + 1)) return false;
    names_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t handle = 0, length = 0;
      if (!r.readU32(handle) || !r.readU32(length) || !r.skip(4)) return false;
      if (length == 0 || length > kMaxNameLength + 1 || length > r.remaining()) return false;
      size_t start = r.position();
      std::string name;
      // The name ends at its zero byte, which must lie within its length.
      if (!r.readCString(name, length - 1) || !r.seek(start + length)) return false;
      names_[handle] = std::move(name);
    }
    return true;
  }

  const std::string* nameOf(uint32_t handle) const {
    auto it = names_.find(handle);
    return it == names_.end() ? nullptr : &it->second;
  }

  bool readDirectory(uint32_t count) {
    ByteReader r(file_);
    if (!r.seek(kFileHeaderSize) || !r.has(count, kDirectoryEntrySize)) return false;
    directory_.resize(count);
    for (auto& entry : directory_) {
      if (!r.skip(8) || !r.readU32(entry.offset) || !r.readU32(entry.length) || !r.skip(8) ||
          !r.readU32(entry.type) || !r.skip(4))
        return false;
    }
    return true;
  }

  // The data of the section a reference points to; nothing when the
  // reference or the section's extent lies outside the file.
  std::optional<std::span<const uint8_t>> sectionData(const DirectoryEntry& entry) const {
    if (entry.offset > file_.size() || entry.length > file_.size() - entry.offset)
      return std::nullopt;
    return file_.subspan(entry.offset, entry.length);
  }
  std::optional<std::span<const uint8_t>> sectionByRef(uint32_t ref) const {
    uint32_t index = refIndex(ref);
    if (index >= directory_.size()) return std::nullopt;
    return sectionData(directory_[index]);
  }

  // The section's words stay in the file's block, kept alive by the mesh.
  bool toWords(std::span<const uint8_t> bytes, RawWords& words) const {
    if (bytes.size() % 4 != 0) return false;
    words = RawWords::viewOf(block_, bytes);
    return true;
  }

  std::unique_ptr<Mesh> readMesh(const DirectoryEntry& entry) {
    auto header = sectionData(entry);
    if (!header) return nullptr;
    ByteReader r(*header);
    uint32_t nameHandle = 0, geometryRef = 0, mappingRef = 0;
    if (!r.readU32(nameHandle) || !r.readU32(geometryRef) || !r.readU32(mappingRef))
      return nullptr;

    auto mesh = std::make_unique<Mesh>();
    if (const std::string* name = nameOf(nameHandle)) mesh->name = *name;

    auto geometry = sectionByRef(geometryRef);
    if (!geometry) return nullptr;
    std::optional<std::span<const uint8_t>> mapping;
    if (mappingRef != 0) {
      mapping = sectionByRef(mappingRef);
      if (!mapping) return nullptr;
      mesh->layout = mapping->size() == 4 ? MeshLayout::VertexRecords : MeshLayout::FaceLists;
    } else {
      // Without a mapping the untextured flag of a VertexRecords geometry
      // tells the layouts apart.
      if (geometry->size() < 8) return nullptr;
      mesh->layout = decodeU32(&(*geometry)[4]) == 1 ? MeshLayout::VertexRecords
                                                     : MeshLayout::FaceLists;
    }

    if (!toWords(*geometry, mesh->rawGeometry)) return nullptr;
    bool parsed = mesh->layout == MeshLayout::FaceLists ? parseFaceListsGeometry(*geometry, *mesh)
                                                        : parseVertexRecordsGeometry(*geometry, *mesh);
    if (!parsed) return nullptr;

    if (mapping) {
      if (!toWords(*mapping, mesh->rawMapping) || mesh->rawMapping.empty()) return nullptr;
      if (mesh->layout == MeshLayout::FaceLists && !parseFaceListsMapping(*mapping, *mesh))
        return nullptr;
      if (!readMaterials(mesh->rawMapping[0], *mesh)) return nullptr;
    }
    // A face's material index is kept as it stands, even one that names no
    // material: it is written back unchanged and the verification reports it.
    return mesh;
  }

  static bool readVec3(ByteReader& r, Vec3& v) {
    return r.readF32(v.x) && r.readF32(v.y) && r.readF32(v.z);
  }
  // Fields of records in a run that readRecords has checked as a whole.
  static float f32At(const uint8_t* p) { return floatFromBits(decodeU32(p)); }
  static Vec3 vec3At(const uint8_t* p) { return {f32At(p), f32At(p + 4), f32At(p + 8)}; }

  static bool parseFaceListsGeometry(std::span<const uint8_t> data, Mesh& mesh) {
    ByteReader r(data);
    uint32_t vertexCount = 0, faceCount = 0, blue = 0, green = 0, red = 0;
    if (!r.readU32(mesh.extraHeader[0]) || !r.readU32(mesh.extraHeader[1]) ||
        !r.readU32(mesh.extraHeader[2]) || !r.readU32(vertexCount) || !r.readU32(faceCount) ||
        !r.skip(8) || !r.readU32(blue) || !r.readU32(green) || !r.readU32(red))
      return false;
    mesh.setColor(static_cast<int>(std::min<uint32_t>(red, 255)),
                  static_cast<int>(std::min<uint32_t>(green, 255)),
                  static_cast<int>(std::min<uint32_t>(blue, 255)));
    std::span<const uint8_t> vertices, indices, normals;
    if (!r.readRecords(vertexCount, 12, vertices)) return false;
    // Per face: three indices, a face normal and three corner normals.
    if (!r.has(faceCount, 60)) return false;
    if (!r.readRecords(faceCount, 12, indices) || !r.skip(size_t{faceCount} * 12) ||
        !r.readRecords(uint64_t{faceCount} * 3, 12, normals))
      return false;
    mesh.vertices.resize(vertexCount);
    for (size_t i = 0; i < vertexCount; ++i) mesh.vertices[i] = vec3At(&vertices[i * 12]);
    mesh.faces.resize(faceCount);
    for (size_t i = 0; i < faceCount; ++i) {
      Face& face = mesh.faces[i];
      for (size_t j = 0; j < 3; ++j) {
        const uint32_t index = decodeU32(&indices[i * 12 + j * 4]);
        if (index >= vertexCount) return false;
        face.vertex[j] = static_cast<int32_t>(index);
        face.normal[j] = static_cast<int32_t>(3 * i + j);
      }
    }
    mesh.normals.resize(size_t{faceCount} * 3);
    for (size_t i = 0; i < mesh.normals.size(); ++i) mesh.normals[i] = vec3At(&normals[i * 12]);
    return true;
  }

  static bool parseFaceListsMapping(std::span<const uint8_t> data, Mesh& mesh) {
    ByteReader r(data);
    uint32_t texCoordCount = 0, faceCount = 0;
    if (!r.skip(4) || !r.readU32(texCoordCount) || !r.readU32(faceCount)) return false;
    // Without texture coordinates the faces keep coordinate 0 and material 0.
    if (texCoordCount == 0) return true;
    std::span<const uint8_t> coords, indices, materials;
    if (!r.readRecords(texCoordCount, 8, coords)) return false;
    // The indices follow for every face of the geometry; the mapping's own
    // face count is kept in the raw section but does not steer the reading.
    const size_t faces = mesh.faces.size();
    if (!r.readRecords(faces, 12, indices) || !r.readRecords(faces, 4, materials)) return false;
    mesh.texCoords.resize(texCoordCount);
    for (size_t i = 0; i < texCoordCount; ++i)
      mesh.texCoords[i] = {f32At(&coords[i * 8]), f32At(&coords[i * 8 + 4])};
    for (size_t i = 0; i < faces; ++i) {
      Face& face = mesh.faces[i];
      for (size_t j = 0; j < 3; ++j) {
        const uint32_t index = decodeU32(&indices[i * 12 + j * 4]);
        if (index >= texCoordCount) return false;
        face.texCoord[j] = static_cast<int32_t>(index);
      }
      face.material = static_cast<int32_t>(decodeU32(&materials[i * 4]));
    }
    return true;
  }

  static bool parseVertexRecordsGeometry(std::span<const uint8_t> data, Mesh& mesh) {
    ByteReader r(data);
    uint32_t packed = 0, positionCount = 0, recordCount = 0, indexCount = 0, polygonCount = 0;
    if (!r.skip(8) || !r.readU32(packed) || !r.readU32(mesh.extraHeader[0]) ||
        !r.readU32(mesh.extraHeader[1]) || !r.readU32(mesh.extraHeader[2]) ||
        !r.readU32(positionCount) || !r.readU32(recordCount) || !r.readU32(indexCount) ||
        !r.skip(4) || !r.readU32(polygonCount))
      return false;
    mesh.color = {static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 8),
                  static_cast<uint8_t>(packed)};

    std::span<const uint8_t> positions, records, indices, polygons;
    if (!r.readRecords(positionCount, 12, positions) ||
        !r.readRecords(recordCount, kVertexRecordSize, records) ||
        !r.readRecords(indexCount, 4, indices) || !r.readRecords(polygonCount, kPolygonSize, polygons))
      return false;

    mesh.vertices.resize(recordCount);
    mesh.normals.resize(recordCount);
    mesh.texCoords.resize(recordCount);
    for (size_t i = 0; i < recordCount; ++i) {
      const uint8_t* record = &records[i * kVertexRecordSize];
      const uint32_t position = decodeU32(record);
      if (position >= positionCount) return false;
      mesh.vertices[i] = vec3At(&positions[size_t{position} * 12]);
      mesh.normals[i] = vec3At(record + 4);
      mesh.texCoords[i] = {f32At(record + 16), f32At(record + 20)};
    }
    for (size_t i = 0; i < indexCount; ++i)
      if (decodeU32(&indices[i * 4]) >= recordCount) return false;
    auto index = [&indices](size_t i) { return static_cast<int32_t>(decodeU32(&indices[i * 4])); };

    // Fans give no more triangles than the index list has entries unless
    // polygons overlap. Overlaps such as a triangle listed twice read, but
    // the total stays within the entries and polygons the file holds, so a
    // forged file cannot ask for billions of faces.
    uint64_t totalFaces = 0;
    for (size_t i = 0; i < polygonCount; ++i) {
      const uint8_t* polygon = &polygons[i * kPolygonSize];
      const uint32_t corners = decodeU32(polygon), first = decodeU32(polygon + 4);
      if (corners < 3) continue;
      if (first > indexCount || corners > indexCount - first) return false;
      totalFaces += corners - 2;
      if (totalFaces > uint64_t{indexCount} + polygonCount) return false;
    }
    mesh.faces.resize(static_cast<size_t>(totalFaces));
    size_t next = 0;
    for (size_t i = 0; i < polygonCount; ++i) {
      const uint8_t* polygon = &polygons[i * kPolygonSize];
      const uint32_t corners = decodeU32(polygon), first = decodeU32(polygon + 4);
      const int32_t material = static_cast<int32_t>(decodeU32(polygon + 24));
      const int32_t attribute = static_cast<int32_t>(decodeU32(polygon + 28));
      for (uint32_t k = 2; k < corners; ++k) {
        Face& face = mesh.faces[next++];
        const int32_t fan[3] = {index(first), index(first + k - 1), index(first + k)};
        for (int j = 0; j < 3; ++j) face.vertex[j] = face.texCoord[j] = face.normal[j] = fan[j];
        face.material = material;
        face.attribute = attribute;
      }
    }
    return true;
  }

  bool readMaterials(uint32_t ref, Mesh& mesh) {
    auto data = sectionByRef(ref);
    if (!data) return false;
    ByteReader r(*data);
    uint32_t count = 0;
    if (!r.readU32(count) || !r.has(count, 24)) return false;
    if (r.remaining() - size_t{count} * 24 < kMaterialTrailerSize) return false;
    mesh.materials.resize(count);
    std::string Material::*maps[3] = {&Material::colorMap, &Material::opacityMap,
                                      &Material::bumpMap};
    for (auto map : maps) {
      for (Material& material : mesh.materials) {
        uint32_t handle = 0;
        if (!r.readU32(handle)) return false;
        // A handle missing from the name table leaves the map name empty,
        // as it does for a mesh name.
        if (const std::string* name = nameOf(handle)) material.*map = *name;
      }
    }
    return r.skip(size_t{count} * 12) &&
           r.readBytes(mesh.materialTrailer.data(), mesh.materialTrailer.size());
  }

  bool readValueTable(const DirectoryEntry& entry) {
    auto data = sectionData(entry);
    if (!data) return false;
    ByteReader r(*data);

    uint32_t nameCount = 0;
    if (!r.skip(6) || !r.readU32(nameCount) || !r.skip(10)) return false;
    // A name, its zero, its id and its count take at least 9 bytes.
    if (!r.has(nameCount, 9)) return false;
    std::unordered_map<uint32_t, std::string> valueNames;
    valueNames.reserve(nameCount);
    for (uint32_t i = 0; i < nameCount; ++i) {
      std::string name;
      uint32_t id = 0;
      if (!r.readCString(name, r.remaining()) || !r.readU32(id) || !r.skip(4)) return false;
      valueNames[id] = std::move(name);
    }

    uint32_t valueCount = 0;
    if (!r.skip(5) || !r.readU32(valueCount) || !r.skip(9)) return false;
    if (!r.has(valueCount, kValueRecordHeadSize + kValueRecordTailSize)) return false;

    valueCount_ = valueCount;
    std::vector<std::unique_ptr<Value>> pool(valueCount);
    std::vector<Value*> byPosition(valueCount);
    std::vector<std::vector<uint32_t>> childPositions(valueCount);
    for (uint32_t i = 0; i < valueCount; ++i) {
      uint16_t type = 0;
      uint32_t index = 0, nameId = 0;
      if (!r.readU16(type) || !r.skip(1) || !r.readU32(index) || !r.skip(4) ||
          !r.readU32(nameId) || !r.skip(12))
        return false;
      // An id missing from the value-name list gives the value an empty name.
      auto name = valueNames.find(nameId);
      auto value = std::make_unique<Value>(static_cast<ValueType>(type),
                                           name == valueNames.end() ? kNoName : name->second);
      value->tableIndex = static_cast<int32_t>(index);
      switch (value->type) {
        case ValueType::Bool: {
          uint8_t b = 0;
          if (!r.readU8(b)) return false;
          value->scalar = b;
          break;
        }
        case ValueType::Int:
        case ValueType::Float:
          if (!r.readU32(value->scalar)) return false;
          break;
        case ValueType::String:
          if (!r.readCString(value->text, r.remaining())) return false;
          break;
        case ValueType::Group: {
          uint32_t childCount = 0;
          if (!r.readU32(childCount) || !r.has(childCount, 8)) return false;
          childPositions[i].resize(childCount);
          for (uint32_t& child : childPositions[i])
            if (!r.readU32(child) || !r.skip(4)) return false;
          break;
        }
        default:
          break;  // other codes carry no payload
      }
      if (!r.skip(kValueRecordTailSize)) return false;
      byPosition[i] = value.get();
      pool[i] = std::move(value);
    }
    if (!linkChildren(pool, byPosition, childPositions)) return false;

    for (auto& value : pool)
      if (value) topLevel_.emplace(value->tableIndex, std::move(value));
    return true;
  }

  // Moves every child into its group. Each value may have one parent, not
  // itself, and no chain of parents may be longer than the depth limit (which
  // also rules out cycles); otherwise the table is rejected.
  static bool linkChildren(std::vector<std::unique_ptr<Value>>& pool,
                           const std::vector<Value*>& byPosition,
                           const std::vector<std::vector<uint32_t>>& childPositions) {
    const size_t count = pool.size();
    std::vector<int64_t> parent(count, -1);
    for (size_t group = 0; group < count; ++group) {
      for (uint32_t child : childPositions[group]) {
        if (child >= count || child == group || parent[child] != -1) return false;
        parent[child] = static_cast<int64_t>(group);
      }
    }
    std::vector<int> depth(count, -1);
    std::vector<size_t> chain;
    for (size_t start = 0; start < count; ++start) {
      chain.clear();
      size_t node = start;
      while (depth[node] < 0 && parent[node] >= 0) {
        chain.push_back(node);
        if (chain.size() > static_cast<size_t>(kMaxValueNesting)) return false;
        node = static_cast<size_t>(parent[node]);
      }
      int d = depth[node] < 0 ? 0 : depth[node];
      depth[node] = d;
      for (size_t k = chain.size(); k-- > 0;) {
        depth[chain[k]] = ++d;
        if (d > kMaxValueNesting) return false;
      }
    }
    for (size_t group = 0; group < count; ++group) {
      auto& children = byPosition[group]->children;
      children.reserve(childPositions[group].size());
      for (uint32_t child : childPositions[group]) children.push_back(std::move(pool[child]));
    }
    return true;
  }

  bool readInstances(const DirectoryEntry& entry) {
    auto data = sectionData(entry);
    if (!data) return false;
    ByteReader r(*data);
    uint32_t count = 0;
    if (!r.readU32(count) || !r.has(count, kInstanceRecordSize)) return false;
    std::unordered_map<const Value*, Mesh*> tableOwner;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t meshRef = 0, nameHandle = 0, tableIndex = 0, hasTable = 0;
      auto instance = std::make_unique<Instance>();
      if (!r.readU32(meshRef) || !r.readU32(nameHandle) || !readVec3(r, instance->position) ||
          !readVec3(r, instance->rotation) || !r.readF32(instance->scale) ||
          !r.readU32(tableIndex) || !r.readU32(hasTable))
        return false;
      uint32_t meshEntry = refIndex(meshRef);
      const std::string* name = nameOf(nameHandle);
      if (meshEntry >= meshByEntry_.size() || !meshByEntry_[meshEntry] || !name) continue;
      instance->name = *name;
      instance->mesh = meshByEntry_[meshEntry];
      if (hasTable != 0 && !attachTable(*instance, static_cast<int32_t>(tableIndex))) return false;
      scene_.instances.push_back(std::move(instance));
    }
    return true;
  }

  // The first instance of a mesh decides its table. A table already owned by
  // another mesh is copied, so that both meshes keep their values and each
  // table has a single owner. Copies may together hold as many values as the
  // file does, or 262,144 (some 35 MB) when the file has fewer: a small
  // model whose meshes all share one table reads, while a forged file naming
  // one large table from thousands of meshes is rejected rather than
  // multiplied in memory.
  static constexpr size_t kMinCopiedValues = size_t{1} << 18;
  bool attachTable(Instance& instance, int32_t tableIndex) {
    auto it = topLevel_.find(tableIndex);
    if (it == topLevel_.end() || instance.mesh->values) return true;
    TopLevelValue& top = it->second;
    if (top.table) {
      top.owner = top.table.get();
      top.ownerMesh = instance.mesh;
      instance.attachValues(top.table);
      return true;
    }
    if (top.ownerMesh == instance.mesh) return true;
    const size_t size = countValues(*top.owner);
    const size_t budget = std::max(valueCount_, kMinCopiedValues);
    if (size > budget - std::min(budget, copiedValues_)) return false;
    copiedValues_ += size;
    std::unique_ptr<ValueTable> copy = top.owner->clone();
    instance.attachValues(copy);
    return true;
  }

  static size_t countValues(const Value& root) {
    size_t count = 0;
    std::vector<const Value*> stack{&root};
    while (!stack.empty()) {
      const Value* value = stack.back();
      stack.pop_back();
      ++count;
      for (const auto& child : value->children) stack.push_back(child.get());
    }
    return count;
  }

  struct TopLevelValue {
    TopLevelValue(std::unique_ptr<Value> v) : table(std::move(v)) {}
    std::unique_ptr<Value> table;  // until a mesh takes it
    const Value* owner = nullptr;
    Mesh* ownerMesh = nullptr;
  };

  SceneFile& scene_;
  std::shared_ptr<const ByteBlock> block_;
  std::span<const uint8_t> file_;
  std::unordered_map<uint32_t, std::string> names_;
  std::vector<DirectoryEntry> directory_;
  std::vector<Mesh*> meshByEntry_;
  std::unordered_map<int32_t, TopLevelValue> topLevel_;
  size_t valueCount_ = 0;   // values in the file's value table
  size_t copiedValues_ = 0;  // values in copies of shared tables
};

}  // namespace

bool SceneFile::loadFromBytes(std::span<const uint8_t> bytes) {
  return loadFromBlock(ByteBlock::copyOf(bytes));
}

bool SceneFile::loadFromBlock(std::shared_ptr<const ByteBlock> block) {
  clear();
  if (!block) return false;
  if (SceneReader(*this, std::move(block)).read()) return true;
  instances.clear();  // a failed load keeps the meshes read, no instances
  return false;
}

bool SceneFile::load(const std::string& path) {
  clear();
  if (trace) std::fprintf(trace, "Loading: '%s'\n", path.c_str());
  // Anything that does not start as a scene file is refused before the rest
  // of it is read.
  uint8_t magic[4];
  encodeU32(magic, kMagic);
  auto block = readPossiblyCompressedBlock(path, magic);
  if (!block) return false;
  return loadFromBlock(std::move(block));
}

}  // namespace quorvel
