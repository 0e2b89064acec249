// SceneFile::save and writeLevelHeader: the scene file format written byte
// for byte as the game expects it.
//
// The file is assembled in memory and then replaces the target atomically,
// so a failed save never leaves a half-written level. Meshes read from a file
// are written from their kept raw sections (only the reference words change);
// new meshes get generated sections.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "level/scene.h"
#include "level/scene_format.h"
#include "platform/file_system.h"
#include "util/byte_io.h"

namespace quorvel {
namespace {

using namespace scene_format;

// The entries of a hash map in the order of their names' bytes (a name
// before every longer name that starts with it): the order the game's name
// lists have. Counting goes through the hash map; only the list is sorted.
template <typename Map>
std::vector<typename Map::value_type*> inNameOrder(Map& map) {
  std::vector<typename Map::value_type*> entries;
  entries.reserve(map.size());
  for (auto& entry : map) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  return entries;
}

// Whether a run of kept words is copied into the output rather than written
// from where it lies: always on big-endian machines, whose words are not the
// file's bytes, and for short runs, which are cheaper copied than written as
// pieces of their own.
constexpr bool copiedIntoOutput(size_t words) {
  return std::endian::native != std::endian::little || words <= 256;
}
// The same for bytes kept as they were read, which are the file's bytes on
// every machine.
constexpr bool bytesCopiedIntoOutput(size_t bytes) { return bytes <= 1024; }

// One scene file being written: the name list, the directory and the bytes.
// Names are held as views of the scene's own strings (or of literals), which
// outlive the writer.
class FileBuilder {
 public:
  // Counts a use of the name; returns where its handle will stand once
  // assignHandles() has run (entries of the hash map do not move), so that
  // writing a name registered in bulk costs no second lookup.
  const uint32_t* registerName(std::string_view name) {
    NameEntry& entry = names_[name];
    ++entry.count;
    return &entry.handle;
  }

  // Gives the handles in name order and builds the name table. False when a
  // name is longer than the game reads.
  bool assignHandles() {
    uint32_t handle = kFirstHandle;
    for (auto* named : inNameOrder(names_)) {
      const std::string_view name = named->first;
      NameEntry& entry = named->second;
      if (name.size() > kMaxNameLength) return false;
      entry.handle = handle++;
      nameTable_.u32(entry.handle);
      nameTable_.u32(static_cast<uint32_t>(name.size() + 1));
      nameTable_.u32(entry.count);
      nameTable_.bytes(name.data(), name.size());
      nameTable_.u8(0);
    }
    return true;
  }
  uint32_t handle(std::string_view name) const { return names_.at(name).handle; }
  size_t nameTableSize() const { return nameTable_.size(); }

  // Header and directory placeholders, filled in by finish().
  void start(size_t entryCount, size_t expectedSize) {
    out.reserve(expectedSize);
    directory_.resize(entryCount);
    out.zeros(kFileHeaderSize + kDirectoryEntrySize * entryCount);
  }

  // Starts the next section; returns its reference.
  uint32_t beginSection(std::string_view name, uint32_t type) {
    Entry& entry = directory_[next_];
    entry.handle = handle(name);
    entry.type = type;
    entry.offset = static_cast<uint32_t>(position());
    current_ = next_++;
    return sectionRef(static_cast<uint32_t>(current_));
  }
  void endSection() {
    Entry& entry = directory_[current_];
    entry.length = static_cast<uint32_t>(position() - entry.offset);
  }
  // The reference the next section will get.
  uint32_t nextRef() const { return sectionRef(static_cast<uint32_t>(next_)); }

  // Kept words (a mesh's raw sections) go into the file as they are: on a
  // little-endian machine they are the file's bytes already, and the bytes
  // of words kept as read are the file's bytes on any machine; large runs
  // are written from where they lie instead of being copied into the output.
  void words(const RawWords& words) {
    const std::span<const uint32_t> leading = words.leadingWords();
    if (copiedIntoOutput(leading.size()))
      out.u32s(leading);
    else
      keep(std::span(reinterpret_cast<const uint8_t*>(leading.data()), leading.size() * 4));
    const std::span<const uint8_t> trailing = words.trailingBytes();
    if (bytesCopiedIntoOutput(trailing.size()))
      out.bytes(trailing.data(), trailing.size());
    else
      keep(trailing);
  }
  // The offset in the file being written.
  size_t position() const { return out.size() + keptBytes_; }

  // How many of `words`' bytes words() copies into the output.
  static size_t copiedBytes(const RawWords& words) {
    const size_t leading = words.leadingWords().size(), trailing = words.trailingBytes().size();
    return (copiedIntoOutput(leading) ? leading * 4 : 0) + (bytesCopiedIntoOutput(trailing) ? trailing : 0);
  }

  // Appends the name table and fills in the directory and the header.
  void finish() {
    const uint32_t nameTableOffset = static_cast<uint32_t>(position());
    out.bytes(nameTable_.buffer().data(), nameTable_.size());
    std::vector<uint8_t>& bytes = out.buffer();
    size_t at = kFileHeaderSize;
    for (size_t i = 0; i < directory_.size(); ++i, at += kDirectoryEntrySize) {
      const Entry& e = directory_[i];
      encodeU32(&bytes[at], e.handle);
      encodeU32(&bytes[at + 8], e.offset);
      encodeU32(&bytes[at + 12], e.length);
      encodeU32(&bytes[at + 24], e.type);
      encodeU32(&bytes[at + 28], sectionRef(static_cast<uint32_t>(i)));
    }
    const uint32_t header[] = {kMagic,
                               static_cast<uint32_t>(position()),
                               static_cast<uint32_t>(directory_.size()),
                               static_cast<uint32_t>(names_.size()),
                               static_cast<uint32_t>(nameTable_.size()),
                               nameTableOffset,
                               0,
                               12,
                               10};
    for (size_t i = 0; i < std::size(header); ++i) encodeU32(&bytes[i * 4], header[i]);
  }

  // The finished file as consecutive pieces: runs of the output between the
  // kept words. They point into the builder and the scene.
  std::vector<std::span<const uint8_t>> pieces() const {
    std::vector<std::span<const uint8_t>> result;
    result.reserve(2 * kept_.size() + 1);
    const std::span<const uint8_t> all(out.buffer());
    size_t from = 0;
    for (const Kept& kept : kept_) {
      if (kept.at > from) result.push_back(all.subspan(from, kept.at - from));
      result.push_back(kept.bytes);
      from = kept.at;
    }
    if (all.size() > from) result.push_back(all.subspan(from));
    return result;
  }
  // The finished file in one buffer.
  std::vector<uint8_t> joined() {
    if (kept_.empty()) return std::move(out.buffer());
    std::vector<uint8_t> bytes;
    bytes.reserve(position());
    for (std::span<const uint8_t> piece : pieces()) bytes.insert(bytes.end(), piece.begin(), piece.end());
    return bytes;
  }

  ByteWriter out;

 private:
  void keep(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    kept_.push_back({out.size(), bytes});
    keptBytes_ += bytes.size();
  }

  struct NameEntry {
    uint32_t count = 0;
    uint32_t handle = 0;
  };
  struct Entry {
    uint32_t handle = 0, offset = 0, length = 0, type = 0;
  };
  struct Kept {
    size_t at;  // where in `out` the words stand
    std::span<const uint8_t> bytes;
  };
  std::vector<Kept> kept_;
  size_t keptBytes_ = 0;
  std::unordered_map<std::string_view, NameEntry> names_;
  ByteWriter nameTable_;
  std::vector<Entry> directory_;
  size_t next_ = 0;
  size_t current_ = 0;
};

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }


// Out-of-range indices in a model built by hand read as zero rather than
// running off the list.
template <typename T>
T at(const std::vector<T>& list, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < list.size() ? list[index] : T{};
}

void writeVec3(ByteWriter& w, const Vec3& v) {
  w.f32(v.x);
  w.f32(v.y);
  w.f32(v.z);
}

void writeBoundingBox(ByteWriter& w, const std::vector<Vec3>& vertices) {
  Vec3 lo, hi;
  if (!vertices.empty()) lo = hi = vertices.front();
  for (const Vec3& v : vertices) {
    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  }
  // x slowest, then z, then y: the corner order the game expects.
  for (float x : {lo.x, hi.x})
    for (float z : {lo.z, hi.z})
      for (float y : {lo.y, hi.y}) writeVec3(w, {x, y, z});
}

bool isUntextured(const Mesh& mesh) {
  return mesh.materials.empty() ||
         (mesh.materials.size() == 1 && mesh.materials[0].colorMap.empty());
}

// A mesh gets mapping and material sections when it has materials. Without
// a mapping, readers take the geometry's second word for the untextured
// flag of vertex records, so a face-lists mesh whose second word is 1 (its
// middle extra header word) keeps a mapping and an empty material list too:
// it would read back as vertex records otherwise.
bool writesMapping(const Mesh& mesh) {
  if (!mesh.materials.empty()) return true;
  if (mesh.layout != MeshLayout::FaceLists) return false;
  // A geometry read from a file goes out as read; a new one begins with the
  // extra header.
  if (mesh.rawGeometry.empty()) return mesh.extraHeader[1] == 1;
  return mesh.rawGeometry.size() >= 2 && mesh.rawGeometry[1] == 1;
}



class SceneWriter {
 public:
  SceneWriter(SceneFile& scene) : scene_(scene) {}

  // Builds the file; false when the scene cannot be stored.
  bool write() {
    registerNames();
    trace("Writing name table\n");
    if (!file_.assignHandles()) return false;

    size_t entryCount = 3;
    size_t expected = kFileHeaderSize + 8 + 8 + file_.nameTableSize();
    for (const auto& mesh : scene_.meshes) {
      const size_t entries = writesMapping(*mesh) ? 4 : 2;
      entryCount += entries;
      expected += kDirectoryEntrySize * entries + meshBytes(*mesh);
    }
    std::unordered_set<const Mesh*> inScene;
    for (const auto& mesh : scene_.meshes) inScene.insert(mesh.get());
    // An instance of a mesh that is not in this scene has nothing its
    // reference could point to; it is left out rather than written dangling.
    std::vector<std::pair<const Instance*, const uint32_t*>> instances;
    for (size_t i = 0; i < scene_.instances.size(); ++i)
      if (inScene.count(scene_.instances[i]->mesh))
        instances.emplace_back(scene_.instances[i].get(), instanceHandles_[i]);
    expected += kDirectoryEntrySize * 3 + instances.size() * kInstanceRecordSize;
    expected += numberValues();
    // Reserving the output up front keeps it from growing by doubling; the
    // kept sections of meshes read from a file are not copied into it.
    file_.start(entryCount, expected);

    ByteWriter& out = file_.out;
    file_.beginSection(".header", kSectionHeader);
    out.u32(kMagic);
    out.u32(kHeaderSectionWord);
    file_.endSection();

    file_.beginSection(".region", kSectionRegion);
    const size_t regionOffset = out.size();
    out.zeros(4 + kInstanceRecordSize * instances.size() + 4);
    file_.endSection();

    trace("Writing meshes\n");
    for (auto& mesh : scene_.meshes) writeMesh(*mesh);

    trace("Writing values\n");
    const uint32_t valueTableRef = writeValueTable();

    trace("Writing instances\n");
    ByteWriter region;
    region.reserve(4 + kInstanceRecordSize * instances.size() + 4);
    region.u32(static_cast<uint32_t>(instances.size()));
    for (const auto& [instance, handle] : instances) {
      region.u32(static_cast<uint32_t>(instance->mesh->sectionRef));
      region.u32(*handle);
      writeVec3(region, instance->position);
      writeVec3(region, instance->rotation);
      region.f32(instance->scale);
      const ValueTable* table = instance->mesh->values.get();
      region.u32(table ? static_cast<uint32_t>(table->tableIndex) : 0);
      region.u32(table ? 1 : 0);
    }
    region.u32(valueTableRef);
    std::copy(region.buffer().begin(), region.buffer().end(),
              out.buffer().begin() + static_cast<std::ptrdiff_t>(regionOffset));

    file_.finish();
    return true;
  }

  std::vector<std::span<const uint8_t>> pieces() const { return file_.pieces(); }
  std::vector<uint8_t> joined() { return file_.joined(); }

 private:
  void trace(const char* line) {
    if (scene_.trace) std::fputs(line, scene_.trace);
  }

  void registerNames() {
    for (const char* name : {".header", ".region", ".valuetable"}) file_.registerName(name);
    for (const auto& mesh : scene_.meshes) {
      file_.registerName(".geometry");
      file_.registerName(mesh->name);
      if (!writesMapping(*mesh)) continue;
      file_.registerName(".mapping");
      file_.registerName(".material");
      for (const Material& m : mesh->materials) {
        file_.registerName(m.colorMap);
        file_.registerName(m.opacityMap);
        file_.registerName(m.bumpMap);
      }
    }
    instanceHandles_.reserve(scene_.instances.size());
    for (const auto& instance : scene_.instances) instanceHandles_.push_back(file_.registerName(instance->name));
  }

  void writeMesh(Mesh& mesh) {
    ByteWriter& out = file_.out;
    const bool hasMapping = writesMapping(mesh);
    const uint32_t ref = file_.beginSection(mesh.name, kSectionMesh);
    mesh.sectionRef = static_cast<int32_t>(ref);
    const uint32_t materialRef = ref + 3;
    out.u32(file_.handle(mesh.name));
    out.u32(ref + 1);
    out.u32(hasMapping ? ref + 2 : 0);
    out.zeros(16);
    file_.endSection();

    const bool fromFile = !mesh.rawGeometry.empty();
    file_.beginSection(".geometry", kSectionGeometry);
    if (mesh.layout == MeshLayout::FaceLists) {
      if (fromFile)
        file_.words(mesh.rawGeometry);
      else
        writeFaceListsGeometry(mesh);
    } else {
      const bool untextured = isUntextured(mesh);
      if (fromFile) {
        if (mesh.rawGeometry.size() >= 2) {
          mesh.rawGeometry.set(0, untextured ? 0 : materialRef);
          mesh.rawGeometry.set(1, untextured ? 1 : 0);
        }
        file_.words(mesh.rawGeometry);
      } else {
        writeVertexRecordsGeometry(mesh, untextured ? 0 : materialRef, untextured);
      }
    }
    file_.endSection();
    if (!hasMapping) return;

    file_.beginSection(".mapping", kSectionMapping);
    // A mesh read without a mapping whose materials were added later has no
    // raw mapping to keep: its mapping is generated from the model.
    if (fromFile && !mesh.rawMapping.empty()) {
      mesh.rawMapping.set(0, materialRef);
      file_.words(mesh.rawMapping);
    } else if (mesh.layout == MeshLayout::FaceLists) {
      writeFaceListsMapping(mesh, materialRef);
    } else {
      out.u32(materialRef);
    }
    file_.endSection();

    file_.beginSection(".material", kSectionMaterial);
    out.u32(static_cast<uint32_t>(mesh.materials.size()));
    for (const Material& m : mesh.materials) out.u32(file_.handle(m.colorMap));
    for (const Material& m : mesh.materials) out.u32(file_.handle(m.opacityMap));
    for (const Material& m : mesh.materials) out.u32(file_.handle(m.bumpMap));
    for (size_t i = 0; i < mesh.materials.size() * 3; ++i) out.u32(128);
    out.bytes(mesh.materialTrailer.data(), mesh.materialTrailer.size());
    file_.endSection();
  }

  void writeFaceListsGeometry(const Mesh& mesh) {
    ByteWriter& out = file_.out;
    const uint32_t faceCount = static_cast<uint32_t>(mesh.faces.size());
    for (uint32_t word : mesh.extraHeader) out.u32(word);
    out.u32(static_cast<uint32_t>(mesh.vertices.size()));
    out.u32(faceCount);
    out.u32(3 * faceCount);
    out.u32(8);
    out.u32(mesh.color.b);
    out.u32(mesh.color.g);
    out.u32(mesh.color.r);
    for (const Vec3& v : mesh.vertices) writeVec3(out, v);
    for (const Face& f : mesh.faces)
      for (int32_t index : f.vertex) out.i32(index);
    for (const Face& f : mesh.faces)
      writeVec3(out, faceNormal(at(mesh.vertices, f.vertex[0]), at(mesh.vertices, f.vertex[1]),
                                at(mesh.vertices, f.vertex[2])));
    for (const Face& f : mesh.faces)
      for (int32_t index : f.normal) writeVec3(out, at(mesh.normals, index));
    writeBoundingBox(out, mesh.vertices);
  }

  void writeFaceListsMapping(const Mesh& mesh, uint32_t materialRef) {
    ByteWriter& out = file_.out;
    out.u32(materialRef);
    out.u32(static_cast<uint32_t>(mesh.texCoords.size()));
    out.u32(static_cast<uint32_t>(mesh.faces.size()));
    if (!mesh.texCoords.empty()) {
      for (const Vec2& t : mesh.texCoords) {
        out.f32(t.u);
        out.f32(t.v);
      }
      for (const Face& f : mesh.faces)
        for (int32_t index : f.texCoord) out.i32(index);
    } else {
      out.zeros(mesh.faces.size() * 12);
    }
    for (const Face& f : mesh.faces) out.i32(f.material);
  }

  // Each face becomes its own triangle with three unshared corners.
  void writeVertexRecordsGeometry(const Mesh& mesh, uint32_t materialRef, bool untextured) {
    ByteWriter& out = file_.out;
    const uint32_t faceCount = static_cast<uint32_t>(mesh.faces.size());
    const uint32_t cornerCount = 3 * faceCount;
    out.u32(materialRef);
    out.u32(untextured ? 1 : 0);
    out.u32((uint32_t{mesh.color.r} << 16) | (uint32_t{mesh.color.g} << 8) | mesh.color.b);
    for (uint32_t word : mesh.extraHeader) out.u32(word);
    out.u32(cornerCount);
    out.u32(cornerCount);
    out.u32(cornerCount);
    out.u32(8);
    out.u32(faceCount);
    for (const Face& f : mesh.faces)
      for (int32_t index : f.vertex) writeVec3(out, at(mesh.vertices, index));
    uint32_t corner = 0;
    for (const Face& f : mesh.faces) {
      for (int j = 0; j < 3; ++j) {
        out.u32(corner++);
        writeVec3(out, at(mesh.normals, f.normal[j]));
        Vec2 t = at(mesh.texCoords, f.texCoord[j]);
        out.f32(t.u);
        out.f32(t.v);
        out.u32(1);
        out.u32(0);
      }
    }
    for (uint32_t i = 0; i < cornerCount; ++i) out.u32(i);
    for (uint32_t i = 0; i < faceCount; ++i) {
      const Face& f = mesh.faces[i];
      Vec3 a = at(mesh.vertices, f.vertex[0]);
      Vec3 n = faceNormal(a, at(mesh.vertices, f.vertex[1]), at(mesh.vertices, f.vertex[2]));
      out.u32(3);
      out.u32(3 * i);
      writeVec3(out, n);
      out.f32(-dot(n, a));
      out.i32(untextured ? 0 : f.material);
      out.i32(f.attribute);
      out.u32(0);
      out.u32(0);
    }
    writeBoundingBox(out, mesh.vertices);
  }

  // Counts the values of every mesh's table by name (a group before its
  // children) and returns the size of the value table section.
  size_t numberValues() {
    for (const auto& mesh : scene_.meshes)
      if (mesh->values) tables_.push_back(mesh->values.get());
    size_t bytes = 20 + 18;
    std::vector<Value*> stack;
    for (Value* table : tables_) {
      stack.push_back(table);
      while (!stack.empty()) {
        Value* value = stack.back();
        stack.pop_back();
        value->nameOccurrence = static_cast<int32_t>(valueNames_[value->name].count++);
        ++valueCount_;
        bytes += kValueRecordHeadSize + kValueRecordTailSize + valuePayloadSize(*value);
        for (auto it = value->children.rbegin(); it != value->children.rend(); ++it)
          stack.push_back(it->get());
      }
    }
    for (const auto& entry : valueNames_) bytes += entry.first.size() + 1 + 8;
    return bytes;
  }

  static size_t valuePayloadSize(const Value& value) {
    switch (value.type) {
      case ValueType::Bool: return 1;
      case ValueType::Int:
      case ValueType::Float: return 4;
      case ValueType::String: return value.text.size() + 1;
      case ValueType::Group: return 4 + 8 * value.children.size();
      default: return 0;
    }
  }

  // The bytes of a mesh's sections that writeMesh puts into the output.
  static size_t keptBytes(const RawWords& words) { return FileBuilder::copiedBytes(words); }
  static size_t meshBytes(const Mesh& mesh) {
    const size_t faces = mesh.faces.size();
    size_t bytes = kMeshHeaderSize;
    const bool fromFile = !mesh.rawGeometry.empty();
    if (fromFile)
      bytes += keptBytes(mesh.rawGeometry);
    else if (mesh.layout == MeshLayout::FaceLists)
      bytes += 4 * kFaceListsHeadWords + mesh.vertices.size() * 12 + faces * 60 + kBoundingBoxSize;
    else
      bytes += 4 * kVertexRecordsHeadWords + faces * (3 * 12 + 3 * kVertexRecordSize + 3 * 4) +
               faces * kPolygonSize + kBoundingBoxSize;
    if (!writesMapping(mesh)) return bytes;
    if (fromFile && !mesh.rawMapping.empty())
      bytes += keptBytes(mesh.rawMapping);
    else if (mesh.layout == MeshLayout::FaceLists)
      bytes += 12 + mesh.texCoords.size() * 8 + faces * 16;
    else
      bytes += 4;
    return bytes + 4 + mesh.materials.size() * 24 + kMaterialTrailerSize;
  }

  // Writes the values numbered by numberValues(), children first.
  uint32_t writeValueTable() {
    auto& valueNames = valueNames_;
    const uint32_t valueCount = valueCount_;
    const std::vector<Value*>& tables = tables_;
    ByteWriter& out = file_.out;
    const uint32_t ref = file_.beginSection(".valuetable", kSectionValueTable);
    const uint32_t nameCount = static_cast<uint32_t>(valueNames.size());
    out.zeros(6);
    out.u32(nameCount);
    out.zeros(6);
    out.u32(nameCount);
    uint32_t id = 0;
    for (auto* named : inNameOrder(valueNames)) {
      NameCount& entry = named->second;
      entry.id = id++;
      out.bytes(named->first.data(), named->first.size());
      out.u8(0);
      out.u32(entry.id);
      out.u32(entry.count);
    }
    out.zeros(5);
    out.u32(valueCount);
    out.zeros(5);
    out.u32(valueCount);

    // Post-order without recursion: a group is written after its children,
    // so it can list their indices.
    uint32_t written = 0;
    std::vector<std::pair<Value*, size_t>> path;
    for (Value* table : tables) {
      path.emplace_back(table, 0);
      while (!path.empty()) {
        auto& [value, next] = path.back();
        if (next < value->children.size()) {
          Value* child = value->children[next++].get();
          path.emplace_back(child, 0);
          continue;
        }
        value->tableIndex = static_cast<int32_t>(written++);
        writeValueRecord(*value, valueNames.at(value->name).id);
        path.pop_back();
      }
    }
    file_.endSection();
    return ref;
  }

  void writeValueRecord(const Value& value, uint32_t nameId) {
    ByteWriter& out = file_.out;
    const uint32_t index = static_cast<uint32_t>(value.tableIndex);
    out.u16(static_cast<uint16_t>(value.type));
    out.u8(0);
    out.u32(index);
    out.u32(1);
    out.u32(nameId);
    out.zeros(12);
    switch (value.type) {
      case ValueType::Bool:
        out.u8(static_cast<uint8_t>(value.scalar));
        break;
      case ValueType::Int:
      case ValueType::Float:
        out.u32(value.scalar);
        break;
      case ValueType::String:
        out.cstring(value.text);
        break;
      case ValueType::Group:
        out.u32(static_cast<uint32_t>(value.children.size()));
        for (const auto& child : value.children) {
          out.u32(static_cast<uint32_t>(child->tableIndex));
          out.u32(1);
        }
        break;
      default:
        break;
    }
    out.u32(index);
    out.u32(0);
  }

  struct NameCount {
    uint32_t count = 0;
    uint32_t id = 0;
  };

  SceneFile& scene_;
  FileBuilder file_;
  std::vector<const uint32_t*> instanceHandles_;  // in the order of the scene's instances
  std::vector<Value*> tables_;
  std::unordered_map<std::string_view, NameCount> valueNames_;
  uint32_t valueCount_ = 0;
};

}  // namespace

std::optional<std::vector<uint8_t>> SceneFile::serialize() {
  SceneWriter writer(*this);
  if (!writer.write()) return std::nullopt;
  return writer.joined();
}

bool SceneFile::save(const std::string& path) {
  if (trace) std::fprintf(trace, "Saving: '%s'\n", path.c_str());
  SceneWriter writer(*this);
  return writer.write() && replaceFileAtomically(path, writer.pieces());
}

std::optional<std::vector<uint8_t>> levelHeaderBytes(const std::string& grfPath) {
  if (grfPath.size() > kMaxLevelHeaderPath) return std::nullopt;
  FileBuilder file;
  file.registerName("Header");
  file.assignHandles();
  file.start(1, kLevelHeaderSize + 256);
  file.beginSection("Header", kSectionLevelHeader);
  file.out.u32(kLevelHeaderWord);
  file.out.cstring(grfPath);
  file.out.zeros(kLevelHeaderSize - 4 - (grfPath.size() + 1));
  file.endSection();
  file.finish();
  return file.joined();
}

bool writeLevelHeader(const std::string& scnPath, const std::string& grfPath, std::FILE* trace) {
  if (trace) std::fprintf(trace, "Saving: '%s'\n", scnPath.c_str());
  auto bytes = levelHeaderBytes(grfPath);
  if (trace) std::fputs("Writing name table\n", trace);
  return bytes && replaceFileAtomically(scnPath, *bytes);
}

}  // namespace quorvel
