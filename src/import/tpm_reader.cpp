#include "import/tpm_reader.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "import/tpm_primitives.h"
#include "import/tpm_reader_state.h"
#include "util/text_format.h"
#include "values/scan_format.h"
#include "values/scan_pattern.h"
#include "values/text_file.h"
#include "values/text_stream.h"
#include "values/value_file.h"

namespace quorvel {

namespace {

// A colour component of 0.0 .. 1.0 as 0 .. 255, truncated toward zero;
// out-of-range and NaN input cannot overflow the conversion.
int colorComponent(float c) {
  float scaled = c * 255.0f;
  if (!(scaled > -1.0f)) return 0;
  if (scaled > 256.0f) return 256;
  return static_cast<int>(scaled);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view firstWord(std::string_view line) {
  size_t end = 0;
  while (end < line.size() && !isScanSpace(static_cast<unsigned char>(line[end]))) ++end;
  return line.substr(0, end);
}

int scanTenInts(std::string_view line, const char* pattern, int32_t* n) {
  return scanFormat(line, pattern, {&n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9]});
}

}  // namespace

bool JointTable::bindVertex(int32_t joint, int32_t vertexIndex) {
  if (joint < 0 || static_cast<size_t>(joint) >= bones.size() || !bones[joint]) return false;
  char name[16];
  std::snprintf(name, sizeof name, "A%02d", counters[joint]++);
  setInt(bones[joint]->values.get(), name, vertexIndex);
  return true;
}

std::unique_ptr<SceneFile> readTpmFile(const std::string& path, MessageSink& log) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) return nullptr;
  return readTpmText(std::move(*text), path, log);
}

std::unique_ptr<SceneFile> readTpmText(std::string text, const std::string& path, MessageSink& log) {
  TpmReader reader(log, path);
  return reader.read(std::move(text));
}

std::unique_ptr<SceneFile> TpmReader::read(std::string text) {
  scene_ = std::make_unique<SceneFile>();
  materialLibrary_.clear();
  boneMeshes_.clear();
  materialOrder_.clear();
  fileProblem_ = false;
  verbose_ = log_.verbose;
  lines_.openText(std::move(text));
  if (verbose_) log_.logMessage("File: \"%s\"\n", path_.c_str());
  if (lines_.currentLine().find('[') != std::string_view::npos) {
    log_.logMessage("NOTE: Found a '[' in the first line of the file, assuming it is the old file format.\n");
    readSections();
  } else {
    readBlocks();
    readValueFileStep();
  }
  lines_.close();
  if (fileProblem_) log_.problem = true;
  return std::move(scene_);
}

void TpmReader::reportProblem(const char* format, ...) {
  char buffer[MessageSink::kBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  fileProblem_ = true;
  log_.logMessage("%s", buffer);
}

Instance* TpmReader::addBone(const std::string& name, Vec3 position) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  buildBox(*mesh, 1.0f, 1.0f, 1.0f);
  mesh->layout = MeshLayout::FaceLists;
  mesh->values = std::make_unique<Value>(ValueType::Group, name);
  setInt(mesh->values.get(), "ext_GeometryType", 1);

  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = mesh.get();
  instance->position = position;
  instance->scale = kBoneInstanceScale;

  scene_->meshes.push_back(std::move(mesh));
  scene_->instances.push_back(std::move(instance));
  return scene_->instances.back().get();
}

JointTable TpmReader::buildJointTable(const std::string& skinName) {
  JointTable table;
  const std::string pattern = "$J" + skinName + "%d";
  for (Mesh* bone : boneMeshes_) {
    std::optional<long> joint = scanIntPattern(bone->name, pattern);
    if (!joint) continue;
    if (*joint < 0 || *joint > kMaxJointNumber) {
      reportProblem("NOTE: Bone \"%s\" gives no usable joint number for skin \"%s\"\n", bone->name.c_str(),
                    skinName.c_str());
      continue;
    }
    size_t n = static_cast<size_t>(*joint);
    if (table.bones.size() < n + 1) {
      table.bones.resize(n + 1, nullptr);
      table.counters.resize(n + 1, 0);
    }
    table.bones[n] = bone;
    table.counters[n] = 0;
  }
  return table;
}

std::map<std::string, Mesh*> TpmReader::meshLookup() const {
  std::map<std::string, Mesh*> lookup;
  for (const auto& mesh : scene_->meshes) lookup[mesh->name] = mesh.get();  // the last of a name wins
  return lookup;
}

// ---- Block format ----

void TpmReader::readBlocks() {
  while (lines_.hasLine()) {
    std::string_view line = lines_.currentLine();
    bool handled;
    if (startsWithNoCase(line, "fileinfo")) {
      readFileInfoBlock();
      handled = true;
    } else if (startsWithNoCase(line, "material")) {
      handled = readMaterialBlock();
    } else if (startsWithNoCase(line, "bone")) {
      handled = readBoneBlock();
    } else if (startsWithNoCase(line, "skin")) {
      handled = readMeshBlock("skin");
    } else if (startsWithNoCase(line, "mesh")) {
      handled = readMeshBlock("mesh");
    } else if (startsWithNoCase(line, "instance")) {
      handled = readInstanceBlock();
    } else {
      handled = false;
    }
    // A header without a name ("mesh" alone) or a longer keyword ("meshes")
    // is skipped like a block of an unknown kind.
    if (!handled) skipUnsupportedBlock();
  }
}

void TpmReader::skipUnsupportedBlock() {
  std::string_view line = lines_.currentLine();
  if (line.empty() || line[0] != '{') {
    std::string word(firstWord(line));
    reportProblem("NOTE: Unsupported root-level block \"%s\" in line %d\n", word.c_str(), lines_.lineNumber());
  }
  if (line.find('{') != std::string_view::npos) {
    while (lines_.hasLine() && lines_.currentLine().find('}') == std::string_view::npos) lines_.nextLine();
  }
  lines_.nextLine();
}

template <typename HandleLine>
void TpmReader::readBlockBody(HandleLine handleLine) {
  while (lines_.hasLine()) {
    std::string_view line = lines_.currentLine();
    if (!line.empty() && line[0] == '}') {
      lines_.nextLine();
      return;
    }
    if (line.empty() || line[0] == '{') {
      lines_.nextLine();
      continue;
    }
    handleLine();  // consumes the line
  }
}

void TpmReader::readFileInfoBlock() {
  lines_.nextLine();
  readBlockBody([&] {
    std::string version;
    if (lines_.matchText("formatversion", version)) {
      if (!equalsNoCase(version, "1.0.2"))
        log_.logMessage("NOTE: File format version not supported, file may not load correctly.\n");
      return;
    }
    lines_.nextLine();
  });
}

bool TpmReader::readMaterialBlock() {
  std::string name;
  if (!lines_.matchKeyword("material", name)) return false;
  Material material;
  readBlockBody([&] {
    if (lines_.matchText("colormap", material.colorMap)) return;
    if (lines_.matchText("opacitymap", material.opacityMap)) return;
    if (lines_.matchText("bumpmap", material.bumpMap)) return;
    lines_.nextLine();
  });
  materialLibrary_[name] = material;
  return true;
}

bool TpmReader::readBoneBlock() {
  std::string name;
  if (!lines_.matchKeyword("bone", name)) return false;
  Instance* instance = addBone(name, Vec3{});
  Mesh& mesh = *instance->mesh;
  readBlockBody([&] {
    float v[3];
    int32_t anim = 0;
    if (lines_.matchFloats("position", 3, v)) {
      instance->position = {v[0], v[1], v[2]};
    } else if (lines_.matchFloats("rotation", 3, v)) {
      instance->rotation = {v[0] * kDegreesToRadians, v[1] * kDegreesToRadians, v[2] * kDegreesToRadians};
    } else if (scanFormat(lines_.currentLine(), "Anim00 = %d", {&anim}) == 1) {
      setInt(mesh.values.get(), "Anim00", anim);
      lines_.nextLine();
    } else if (scanFormat(lines_.currentLine(), "Anim01 = %d", {&anim}) == 1) {
      setInt(mesh.values.get(), "Anim01", anim);
      lines_.nextLine();
    } else if (lines_.matchFloats("Ratio", 1, v)) {
      setFloat(mesh.values.get(), "Ratio", v[0]);
    } else if (lines_.matchFloats("RotationRatio", 1, v)) {
      setFloat(mesh.values.get(), "RotationRatio", v[0]);
    } else {
      lines_.nextLine();
    }
  });
  boneMeshes_.push_back(&mesh);
  return true;
}

bool TpmReader::readMeshBlock(const char* keyword) {
  std::string name;
  if (!lines_.matchKeyword(keyword, name)) return false;
  auto owned = std::make_unique<Mesh>();
  owned->name = name;
  owned->layout = MeshLayout::VertexRecords;
  Mesh& mesh = *owned;
  scene_->meshes.push_back(std::move(owned));

  JointTable joints = buildJointTable(name);
  for (size_t j = 0; j < joints.bones.size(); ++j) {
    if (!joints.bones[j])
      reportProblem("ERROR: Missing joint \"$J%s%02d\" in skin \"%s\"\n", name.c_str(), static_cast<int>(j),
                    name.c_str());
  }

  bool hasMaterialLines = false;
  readBlockBody([&] {
    const int line = lines_.lineNumber();
    std::string text;
    float f[3];
    if (lines_.matchText("m", text)) {
      hasMaterialLines = true;
      auto found = materialLibrary_.find(text);
      if (found != materialLibrary_.end()) {
        mesh.materials.push_back(found->second);
      } else {
        mesh.materials.push_back(Material{});
        if (!equalsNoCase(text, "Default") && !equalsNoCase(text, "Dummy"))
          reportProblem("NOTE: Unknown material \"%s\" used in line %d\n", text.c_str(), line);
      }
      return;
    }
    if (lines_.matchFloats("c", 3, f)) {
      mesh.setColor(colorComponent(f[0]), colorComponent(f[1]), colorComponent(f[2]));
      return;
    }
    std::string_view current = lines_.currentLine();
    int32_t joint = 0;
    int items = scanFormat(current, " v = ( %f , %f , %f ) , %d", {&f[0], &f[1], &f[2], &joint});
    if (items < 3) items = scanFormat(current, " v = %f , %f , %f , %d", {&f[0], &f[1], &f[2], &joint});
    if (items >= 3) {
      mesh.vertices.push_back({f[0], f[1], f[2]});
      if (items == 4 && !joints.bindVertex(joint, static_cast<int32_t>(mesh.vertices.size() - 1)))
        reportProblem("ERROR: Bad joint index in line %d\n", line);
      lines_.nextLine();
      return;
    }
    if (lines_.matchFloats("t", 2, f)) {
      mesh.texCoords.push_back({f[0], f[1]});
      return;
    }
    if (lines_.matchFloats("n", 3, f)) {
      mesh.normals.push_back({f[0], f[1], f[2]});
      return;
    }
    int32_t n[10];
    if (scanTenInts(current, " f = %d , %d , %d , %d , %d , %d , %d , %d , %d , %d", n) == 10 ||
        scanTenInts(current, " f = ( %d , %d , %d ) , ( %d , %d , %d ) , ( %d , %d , %d ) , %d", n) == 10) {
      Face face;
      face.attribute = kTpmFaceAttribute;
      const int32_t m = n[9];
      if (m >= 1 && static_cast<size_t>(m) <= mesh.materials.size()) {
        face.material = m - 1;
      } else {
        face.material = 0;
        if (hasMaterialLines)
          reportProblem("ERROR: Bad material index \"%d\" in line %d.\n", m, line);
        else if (mesh.materials.empty())
          mesh.materials.push_back(Material{});
      }
      auto valid = [](int32_t i, size_t size) { return i >= 1 && static_cast<size_t>(i) <= size; };
      for (int k = 0; k < 3; ++k) {
        if (valid(n[k], mesh.vertices.size())) {
          face.vertex[k] = n[k] - 1;
        } else {
          reportProblem("ERROR: Bad vertex index \"%d\" in line %d.\n", n[k], line);
        }
        if (valid(n[3 + k], mesh.texCoords.size())) {
          face.texCoord[k] = n[3 + k] - 1;
        } else {
          reportProblem("ERROR: Bad tvert index \"%d\" in line %d.\n", n[3 + k], line);
        }
        if (valid(n[6 + k], mesh.normals.size())) {
          face.normal[k] = n[6 + k] - 1;
        } else {
          reportProblem("ERROR: Bad normal index \"%d\" in line %d.\n", n[6 + k], line);
        }
      }
      mesh.faces.push_back(face);
      lines_.nextLine();
      return;
    }
    reportProblem("NOTE: Unrecognised data in line %d\n", line);
    lines_.nextLine();
  });
  return true;
}

bool TpmReader::readInstanceBlock() {
  std::string name;
  if (!lines_.matchKeyword("instance", name)) return false;
  const std::map<std::string, Mesh*> lookup = meshLookup();
  Mesh* chosen = nullptr;
  Vec3 position;
  Vec3 rotation;
  float scale = 1.0f;
  readBlockBody([&] {
    const int line = lines_.lineNumber();
    std::string meshName;
    float v[3];
    if (lines_.matchText("mesh", meshName)) {
      auto found = lookup.find(meshName);
      if (found != lookup.end())
        chosen = found->second;
      else
        reportProblem("NOTE: Mesh \"%s\" not found, used in line %d\n", meshName.c_str(), line);
    } else if (lines_.matchFloats("position", 3, v)) {
      position = {v[0], v[1], v[2]};
    } else if (lines_.matchFloats("rotation", 3, v)) {
      rotation = {v[0] * kDegreesToRadians, v[1] * kDegreesToRadians, v[2] * kDegreesToRadians};
    } else if (scanFormat(lines_.currentLine(), " scale = %f", {&v[0]}) == 1 ||
               scanFormat(lines_.currentLine(), " scale = ( %f", {&v[0]}) == 1) {
      scale = v[0];
      lines_.nextLine();
    } else {
      lines_.nextLine();
    }
  });
  if (chosen) {
    auto instance = std::make_unique<Instance>();
    instance->name = name;
    instance->mesh = chosen;
    instance->position = position;
    instance->rotation = rotation;
    instance->scale = scale;
    scene_->instances.push_back(std::move(instance));
  }
  return true;
}

void TpmReader::readValueFileStep() {
  const std::string valuePath = valueFilePath(path_);
  std::optional<std::string> text = readTextFile(valuePath);
  if (!text) {
    // No line end: the next message continues this line.
    reportProblem("NOTE: Could not find value file \"%s\".", valuePath.c_str());
    return;
  }
  if (verbose_) log_.logMessage("File: \"%s\"\n", valuePath.c_str());
  readValuesForTpm(*text, valuePath, scene_->meshes, log_, fileProblem_);
}

}  // namespace quorvel
