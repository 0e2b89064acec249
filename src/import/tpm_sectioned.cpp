// The older TPM generation: "[name]" section headers, one record per line,
// and the model's values in the last section. This reader is lenient: bad
// indices are brought into range and unknown names give empty materials,
// without messages.
#include <algorithm>

#include "import/tpm_primitives.h"
#include "import/tpm_reader_state.h"
#include "util/text_format.h"
#include "values/scan_format.h"
#include "values/value_file.h"

namespace quorvel {

namespace {

bool isSectionHeader(std::string_view line) { return !line.empty() && line[0] == '['; }

Mesh& appendMesh(SceneFile& scene, const std::string& name) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  scene.meshes.push_back(std::move(mesh));
  return *scene.meshes.back();
}

void appendInstance(SceneFile& scene, const std::string& name, Mesh& mesh, Vec3 position, Vec3 rotation,
                    float scale) {
  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = &mesh;
  instance->position = position;
  instance->rotation = rotation;
  instance->scale = scale;
  scene.instances.push_back(std::move(instance));
}

// A 1-based number as a 0-based index into a list of `size` entries,
// brought into range.
int32_t clampIndex(int32_t number, size_t size) {
  int64_t index = static_cast<int64_t>(number) - 1;
  int64_t last = size == 0 ? 0 : static_cast<int64_t>(size) - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(index, 0, last));
}

}  // namespace

void TpmReader::readSections() {
  while (lines_.hasLine()) {
    std::string name;
    if (scanFormat(lines_.currentLine(), " [ %[^]]]", {&name}) < 1) {
      lines_.nextLine();
      continue;
    }
    const int line = lines_.lineNumber();
    lines_.nextLine();
    if (equalsNoCase(name, "file info")) {
      readFileInfoSection();
    } else if (equalsNoCase(name, "joints")) {
      readJointsSection();
    } else if (equalsNoCase(name, "materials")) {
      readMaterialsSection();
    } else if (equalsNoCase(name, "geometry")) {
      readGeometrySection();
    } else if (equalsNoCase(name, "objects")) {
      readObjectsSection();
    } else if (equalsNoCase(name, "values")) {
      readValuesSection();
    } else {
      reportProblem("NOTE: Unsupported section '%s' in line %d\n", name.c_str(), line);
    }
  }
}

template <typename HandleLine>
void TpmReader::readSectionBody(HandleLine handleLine) {
  while (lines_.hasLine() && !isSectionHeader(lines_.currentLine())) {
    handleLine(lines_.currentLine(), lines_.lineNumber());
    lines_.nextLine();
  }
}

void TpmReader::readFileInfoSection() {
  readSectionBody([&](std::string_view line, int) {
    std::string key, value;
    if (scanFormat(line, "%[^= ] = \"%[^\"]\"", {&key, &value}) == 2 && equalsNoCase(key, "fileversion") &&
        !equalsNoCase(value, "0.21"))
      reportProblem("NOTE: File version number not supported, file may not parse correctly\n");
  });
}

void TpmReader::readJointsSection() {
  readSectionBody([&](std::string_view line, int lineNumber) {
    std::string name;
    Vec3 position;
    int32_t anim00 = 0, anim01 = 1;
    float ratio = 0.5f, rotationRatio = 0.5f;
    int items = scanFormat(line, " j = \"%[^\"]\" , ( %f , %f , %f ), %d , %d , %f , %f",
                           {&name, &position.x, &position.y, &position.z, &anim00, &anim01, &ratio, &rotationRatio});
    if (items < 4) {
      reportProblem("NOTE: Unrecognised data in line %d\n", lineNumber);
      return;
    }
    Mesh& mesh = *addBone(name, position)->mesh;
    if (items > 4) {
      if (items != 8) reportProblem("NOTE: expected four values after joint position (line %d)\n", lineNumber);
      setInt(mesh.values.get(), "Anim00", anim00);
      setInt(mesh.values.get(), "Anim01", anim01);
      setFloat(mesh.values.get(), "Ratio", ratio);
      setFloat(mesh.values.get(), "RotationRatio", rotationRatio);
    }
    boneMeshes_.push_back(&mesh);
  });
}

void TpmReader::readMaterialsSection() {
  readSectionBody([&](std::string_view line, int lineNumber) {
    std::string name, colorMap, opacityMap, unused;
    int items = scanFormat(line, " m = \"%[^\"]\" , \"%[^\"]\" , \"%[^\"]\" , \"%[^\"]\"",
                           {&name, &colorMap, &opacityMap, &unused});
    if (items < 1) {
      reportProblem("NOTE: Unrecognised data in line %d\n", lineNumber);
      return;
    }
    materialLibrary_[name] = Material{colorMap, opacityMap, std::string()};
    materialOrder_.push_back(name);
  });
}

void TpmReader::readGeometrySection() {
  Mesh* mesh = nullptr;
  std::map<std::string, int32_t> materialNumbers;
  JointTable joints;
  readSectionBody([&](std::string_view line, int lineNumber) {
    std::string name;
    float f[3];
    int32_t color[3];
    if (scanFormat(line, " m = \"%[^\"]\" , ( %f , %f , %f ) , ( %d , %d , %d )",
                   {&name, &f[0], &f[1], &f[2], &color[0], &color[1], &color[2]}) == 7) {
      mesh = &appendMesh(*scene_, name);
      mesh->layout = MeshLayout::VertexRecords;
      mesh->setColor(color[0], color[1], color[2]);
      materialNumbers.clear();
      joints = buildJointTable(name);
      return;
    }
    if (!mesh) return;

    int32_t joint = 0;
    int items = scanFormat(line, " v = %f , %f , %f , %d", {&f[0], &f[1], &f[2], &joint});
    if (items >= 3) {
      mesh->vertices.push_back({f[0], f[1], f[2]});
      if (items == 4) joints.bindVertex(joint, static_cast<int32_t>(mesh->vertices.size() - 1));
      return;
    }
    if (scanFormat(line, " t = %f , %f", {&f[0], &f[1]}) == 2) {
      mesh->texCoords.push_back({f[0], f[1]});
      return;
    }
    if (scanFormat(line, " n = %f , %f , %f", {&f[0], &f[1], &f[2]}) == 3) {
      mesh->normals.push_back({f[0], f[1], f[2]});
      return;
    }

    int32_t n[10];
    std::string materialName;
    bool named = scanFormat(line, " f = %d , %d , %d , %d , %d , %d , %d , %d , %d , \"%[^\"]\"",
                            {&n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &materialName}) == 10;
    if (!named) {
      items = scanFormat(line, " f = %d , %d , %d , %d , %d , %d , %d , %d , %d , %d",
                         {&n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9]});
      if (items < 9) {
        reportProblem("NOTE: Unrecognised data in line %d\n", lineNumber);
        return;
      }
      // A material number picks from the materials section's order; without
      // any material there it counts as a face without a material name.
      if (items == 10 && !materialOrder_.empty()) {
        size_t index = static_cast<size_t>(std::clamp<int64_t>(n[9], 1, static_cast<int64_t>(materialOrder_.size())));
        materialName = materialOrder_[index - 1];
        named = true;
      }
    }

    Face face;
    face.attribute = kTpmFaceAttribute;
    for (int k = 0; k < 3; ++k) {
      face.vertex[k] = clampIndex(n[k], mesh->vertices.size());
      face.texCoord[k] = clampIndex(n[3 + k], mesh->texCoords.size());
      face.normal[k] = clampIndex(n[6 + k], mesh->normals.size());
    }
    int32_t number = 1;
    if (named) {
      auto known = materialNumbers.find(materialName);
      if (known != materialNumbers.end()) {
        number = known->second;
      } else {
        // A name the library lacks becomes an empty material there.
        mesh->materials.push_back(materialLibrary_[materialName]);
        number = static_cast<int32_t>(mesh->materials.size());
        materialNumbers[materialName] = number;
      }
    }
    face.material = number - 1;
    mesh->faces.push_back(face);
  });
}

void TpmReader::readObjectsSection() {
  const std::map<std::string, Mesh*> lookup = meshLookup();
  readSectionBody([&](std::string_view line, int lineNumber) {
    std::string name, kind;
    Vec3 position, degrees;
    float scale[3] = {1.0f, 1.0f, 1.0f};
    int items = scanFormat(line, " o = \"%[^\"]\" , %[^, ] , ( %f , %f , %f ) , ( %f , %f , %f ) , %f",
                           {&name, &kind, &position.x, &position.y, &position.z, &degrees.x, &degrees.y, &degrees.z,
                            &scale[0]});
    if (items < 9) {
      items = scanFormat(line, " o = \"%[^\"]\" , %[^, ] , ( %f , %f , %f ) , ( %f , %f , %f ) , ( %f , %f , %f",
                         {&name, &kind, &position.x, &position.y, &position.z, &degrees.x, &degrees.y, &degrees.z,
                          &scale[0], &scale[1], &scale[2]});
    }
    if (items < 9) {
      reportProblem("NOTE: Unrecognised data in line %d\n", lineNumber);
      return;
    }
    const Vec3 rotation{degrees.x * kDegreesToRadians, degrees.y * kDegreesToRadians, degrees.z * kDegreesToRadians};
    const float s = scale[0];

    if (!kind.empty() && kind[0] == '"') {
      std::string meshName = kind.substr(1);
      if (!meshName.empty() && meshName.back() == '"') meshName.pop_back();
      auto found = lookup.find(meshName);
      if (found != lookup.end()) appendInstance(*scene_, name, *found->second, position, rotation, s);
      return;
    }
    if (equalsNoCase(kind, "sphere")) {
      Mesh& mesh = appendMesh(*scene_, name);
      buildSphere(mesh);
      appendInstance(*scene_, name, mesh, position, rotation, s);
    } else if (equalsNoCase(kind, "diamond")) {
      Mesh& mesh = appendMesh(*scene_, name);
      buildDiamond(mesh);
      appendInstance(*scene_, name, mesh, position, rotation, s);
    } else if (equalsNoCase(kind, "box")) {
      Mesh& mesh = appendMesh(*scene_, name);
      if (items == 11) {
        buildBox(mesh, 0.5f * scale[0], 0.5f * scale[1], 0.5f * scale[2]);
      } else {
        reportProblem("NOTE: Box y and z scale not found in line %d, using uniform scale\n", lineNumber);
        buildBox(mesh, 0.5f * s, 0.5f * s, 0.5f * s);
      }
      appendInstance(*scene_, name, mesh, position, rotation, 1.0f);
    } else {
      reportProblem("NOTE: Unsupported object type in line %d\n", lineNumber);
    }
  });
}

// The rest of the file is value text, later headers included. It is kept in
// memory, one delivered line after another, each with a line end: comments
// are already cut and leading blanks dropped.
void TpmReader::readValuesSection() {
  std::string text;
  while (lines_.hasLine()) {
    text += lines_.currentLine();
    text += '\n';
    lines_.nextLine();
  }
  readValuesForTpm(text, path_, scene_->meshes, log_, fileProblem_);
}

}  // namespace quorvel
