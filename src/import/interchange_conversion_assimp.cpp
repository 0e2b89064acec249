#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "import/interchange_conversion.h"
#include "import/interchange_placement.h"
#include "import/interchange_textures.h"
#include "import/unit_normalisation.h"
#include "platform/file_system.h"
#include "platform/trial_run.h"
#include "report/message_sink.h"
#include "util/path_text.h"

namespace quorvel {

namespace {

// Bounds on what a read may hold, far beyond any model meant for the game
// (which takes 2048 triangles a mesh) and small enough to convert in memory.
constexpr uint64_t kMaxMeshes = 65536;
constexpr uint64_t kMaxVertices = uint64_t{16} << 20;  // all meshes together
constexpr uint64_t kMaxFaces = uint64_t{16} << 20;
constexpr uint64_t kMaxNodes = uint64_t{1} << 20;
constexpr uint64_t kMaxMaterials = 65536;
// A name the scene file can store (255 bytes) even with a suffix added.
constexpr size_t kMaxNameBase = 200;

// The files the library opens: found as the rest of the program finds files
// (case resolved), and none larger than the bound. Without `allowFiles`
// nothing is opened, for models read from memory.
class BoundedFiles : public Assimp::DefaultIOSystem {
 public:
  explicit BoundedFiles(bool allowFiles) : allowFiles_(allowFiles) {}
  bool Exists(const char* file) const override { return allowFiles_ && fileExists(file); }
  Assimp::IOStream* Open(const char* file, const char* mode) override {
    if (!allowFiles_ || std::string_view(mode).find_first_of("wa+") != std::string_view::npos) return nullptr;
    const std::string resolved = resolvePath(file);
    const std::optional<uint64_t> size = fileSize(resolved);
    if (!size || *size > kMaxInterchangeFileSize) return nullptr;
    return DefaultIOSystem::Open(resolved.c_str(), mode);
  }

 private:
  bool allowFiles_;
};

std::string text(const aiString& s) { return std::string(s.C_Str(), s.length); }

// The library's error text on one line and of a readable length.
std::string oneLine(std::string reason) {
  for (char& c : reason)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  while (!reason.empty() && reason.back() == ' ') reason.pop_back();
  if (reason.size() > 200) reason = reason.substr(0, 200) + "...";
  return reason.empty() ? std::string("the model library could not read it") : reason;
}

bool finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Every count, index and pointer the conversion relies on; the reason when
// one is out of bounds.
std::optional<std::string> checkScene(const aiScene& scene) {
  if (!scene.mRootNode) return "it holds no scene";
  if (scene.mNumMeshes > kMaxMeshes || (scene.mNumMeshes && !scene.mMeshes)) return "it holds too many meshes";
  if (scene.mNumMaterials > kMaxMaterials || (scene.mNumMaterials && !scene.mMaterials))
    return "it holds too many materials";
  if (scene.mNumTextures > kMaxMaterials || (scene.mNumTextures && !scene.mTextures))
    return "it holds too many images";
  for (unsigned i = 0; i < scene.mNumTextures; ++i)
    if (!scene.mTextures[i]) return "an image is missing";
  uint64_t vertices = 0, faces = 0;
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    const aiMesh* m = scene.mMeshes[i];
    if (!m) return "a mesh is missing";
    vertices += m->mNumVertices;
    faces += m->mNumFaces;
    if (vertices > kMaxVertices || faces > kMaxFaces) return "it holds too many vertices or faces";
    if ((m->mNumVertices && !m->mVertices) || (m->mNumFaces && !m->mFaces)) return "a mesh is incomplete";
    for (unsigned v = 0; v < m->mNumVertices; ++v)
      if (!finite(m->mVertices[v])) return "mesh " + text(m->mName) + " has a point that is not a finite number";
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
      const aiFace& face = m->mFaces[f];
      if (face.mNumIndices != 3 || !face.mIndices) return "mesh " + text(m->mName) + " has a face that is not a triangle";
      for (unsigned j = 0; j < 3; ++j)
        if (face.mIndices[j] >= m->mNumVertices) return "mesh " + text(m->mName) + " has a face beyond its points";
    }
  }
  uint64_t nodes = 0;
  std::vector<const aiNode*> open{scene.mRootNode};
  while (!open.empty()) {
    const aiNode* node = open.back();
    open.pop_back();
    if (!node || ++nodes > kMaxNodes) return "its node tree is too large or incomplete";
    if ((node->mNumMeshes && !node->mMeshes) || (node->mNumChildren && !node->mChildren))
      return "a node is incomplete";
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
      if (node->mMeshes[i] >= scene.mNumMeshes) return "node " + text(node->mName) + " uses a mesh that is not there";
    for (unsigned i = 0; i < node->mNumChildren; ++i) open.push_back(node->mChildren[i]);
  }
  return std::nullopt;
}

void multiply(const Matrix4& a, const aiMatrix4x4& b, Matrix4& product) {
  const float* rows[4] = {b[0], b[1], b[2], b[3]};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[i][k] * rows[k][j];
      product[i][j] = sum;
    }
}

class SceneConversion {
 public:
  SceneConversion(const aiScene& scene, const std::string& path, bool writeFiles, const MeshCallback& onMesh,
                  const InstanceCallback& onInstance, MessageSink& log)
      : scene_(scene), path_(path), onMesh_(onMesh), onInstance_(onInstance), log_(log),
        textures_(scene, path, writeFiles, log) {}

  void run() {
    const std::string stem = fileStem(path_);
    for (unsigned i = 0; i < scene_.mNumMeshes; ++i) {
      std::string name = text(scene_.mMeshes[i]->mName);
      if (name.empty()) name = stem + "_mesh" + std::to_string(i);
      meshNames_.push_back(unique(name, usedMeshNames_));
      onMesh_(convertMesh(*scene_.mMeshes[i], meshNames_.back(), nullptr), path_);
    }
    struct Open {
      const aiNode* node;
      Matrix4 parent;
    };
    std::vector<Open> open(1);
    open[0].node = scene_.mRootNode;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) open[0].parent[i][j] = i == j;
    while (!open.empty()) {
      Open next = open.back();
      open.pop_back();
      Matrix4 world;
      multiply(next.parent, next.node->mTransformation, world);
      placeNode(*next.node, world);
      // Pushed last child first, so the children are placed in their order.
      for (unsigned i = next.node->mNumChildren; i-- > 0;) {
        open.push_back({next.node->mChildren[i], {}});
        std::copy(&world[0][0], &world[0][0] + 16, &open.back().parent[0][0]);
      }
    }
  }

 private:
  static std::string unique(std::string name, std::set<std::string>& used) {
    if (name.size() > kMaxNameBase) name.resize(kMaxNameBase);
    std::string candidate = name;
    for (unsigned n = 2; used.count(candidate); ++n) candidate = name + "_" + std::to_string(n);
    used.insert(candidate);
    return candidate;
  }

  std::string texture(const aiMaterial& material, aiTextureType type, const std::string& meshName) {
    aiString reference;
    if (material.GetTexture(type, 0, &reference) != aiReturn_SUCCESS) return {};
    return textures_.bring(text(reference), meshName);
  }

  Material materialOf(const aiMaterial& material, const std::string& meshName) {
    Material converted;
    converted.colorMap = texture(material, aiTextureType_DIFFUSE, meshName);
    if (converted.colorMap.empty()) converted.colorMap = texture(material, aiTextureType_BASE_COLOR, meshName);
    converted.opacityMap = texture(material, aiTextureType_OPACITY, meshName);
    converted.bumpMap = texture(material, aiTextureType_NORMALS, meshName);
    if (converted.bumpMap.empty()) converted.bumpMap = texture(material, aiTextureType_HEIGHT, meshName);
    return converted;
  }

  // The mesh in its own coordinates, or with `bake` (a linear map) applied
  // to its points and normals.
  std::unique_ptr<Mesh> convertMesh(const aiMesh& m, const std::string& name, const Matrix3* bake) {
    auto mesh = std::make_unique<Mesh>();
    mesh->name = name;
    Matrix3 normalMap{};  // (B^-1)^T = cofactors / determinant, for the normals
    double det = 1;
    if (bake) {
      const Matrix3& b = *bake;
      det = b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1]) - b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0]) +
            b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0]);
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
          const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
          normalMap[i][j] = std::fabs(det) > 1e-30 ? (b[i1][j1] * b[i2][j2] - b[i1][j2] * b[i2][j1]) / det : i == j;
        }
    }
    auto apply = [](const Matrix3& a, const aiVector3D& v) {
      return aiVector3D(static_cast<float>(a[0][0] * v.x + a[0][1] * v.y + a[0][2] * v.z),
                        static_cast<float>(a[1][0] * v.x + a[1][1] * v.y + a[1][2] * v.z),
                        static_cast<float>(a[2][0] * v.x + a[2][1] * v.y + a[2][2] * v.z));
    };
    mesh->vertices.reserve(m.mNumVertices);
    for (unsigned i = 0; i < m.mNumVertices; ++i) {
      const aiVector3D v = bake ? apply(*bake, m.mVertices[i]) : m.mVertices[i];
      mesh->vertices.push_back({v.x, v.y, v.z});
    }
    normaliseToUnit(*mesh);
    if (m.mTextureCoords[0]) {
      mesh->texCoords.reserve(m.mNumVertices);
      for (unsigned i = 0; i < m.mNumVertices; ++i) mesh->texCoords.push_back({m.mTextureCoords[0][i].x, m.mTextureCoords[0][i].y});
    }
    mesh->normals.assign(m.mNumVertices, Vec3{});
    if (m.mNormals) {
      for (unsigned i = 0; i < m.mNumVertices; ++i) {
        aiVector3D n = m.mNormals[i];
        if (bake) {
          n = apply(normalMap, n);
          if (n.Length() > 0) n.Normalize();
        }
        if (finite(n)) mesh->normals[i] = {n.x, n.y, n.z};
      }
    }
    // A mirroring map turns the faces inside out: the order of their
    // corners turns them back.
    const bool flip = det < 0;
    mesh->faces.reserve(m.mNumFaces);
    for (unsigned i = 0; i < m.mNumFaces; ++i) {
      const unsigned* corner = m.mFaces[i].mIndices;
      Face face;
      for (int j = 0; j < 3; ++j) {
        const int32_t index = static_cast<int32_t>(corner[flip && j ? 3 - j : j]);
        face.vertex[j] = face.texCoord[j] = face.normal[j] = index;
      }
      face.attribute = 4;
      mesh->faces.push_back(face);
    }
    if (m.mMaterialIndex < scene_.mNumMaterials && scene_.mMaterials[m.mMaterialIndex])
      mesh->materials.push_back(materialOf(*scene_.mMaterials[m.mMaterialIndex], name));
    mesh->setColor(100, 100, 100);
    return mesh;
  }

  void placeNode(const aiNode& node, const Matrix4& world) {
    if (!node.mNumMeshes) return;
    const std::string nodeName = text(node.mName);
    const std::optional<NodePlacement> placement = placementOf(world);
    if (!placement) {
      log_.problem = true;
      log_.logMessage("  NOTE: node %s in file \"%s\" has a transform that is not a finite number; its meshes are not placed.\n",
                      nodeName.c_str(), path_.c_str());
      return;
    }
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
      const std::string& meshName = meshNames_[node.mMeshes[i]];
      auto instance = std::make_unique<Instance>();
      instance->name = unique(nodeName.empty() ? meshName : nodeName, usedInstanceNames_);
      std::string used = meshName;
      float scale = placement->scale;
      if (!placement->uniform) {
        used = unique(meshName + "_" + instance->name, usedMeshNames_);
        log_.problem = true;
        log_.logMessage("  NOTE: node %s in file \"%s\" scales mesh %s unevenly, which an instance cannot; "
                        "the scaled shape is mesh %s of its own.\n",
                        nodeName.c_str(), path_.c_str(), meshName.c_str(), used.c_str());
        onMesh_(convertMesh(*scene_.mMeshes[node.mMeshes[i]], used, &placement->residual), path_);
        scale = 1.0f;
      }
      Instance* placed = instance.get();  // still alive when a mesh comes back
      if (Mesh* mesh = onInstance_(std::move(instance), used, path_)) placeInstance(*placement, scale, *mesh, *placed);
    }
  }

  const aiScene& scene_;
  const std::string& path_;
  const MeshCallback& onMesh_;
  const InstanceCallback& onInstance_;
  MessageSink& log_;
  ModelTextures textures_;
  std::vector<std::string> meshNames_;
  std::set<std::string> usedMeshNames_, usedInstanceNames_;
};

constexpr const char* kTooMuchMemory = "it needs more memory than a model may take";

// A sink for the trial read, whose messages nobody reads.
class SilentSink : public MessageSink {
 protected:
  void writeMessage(const char*) override {}
};

struct Source {
  const std::string& path;
  std::span<const uint8_t> bytes;  // empty: read the file at `path`
  bool fromMemory;
};

// Reads and converts; false (with the reason) when the file is refused
// before anything reached the callbacks.
bool readAndConvert(const Source& source, bool writeFiles, const MeshCallback& onMesh,
                    const InstanceCallback& onInstance, MessageSink& log, std::string& reason) {
  try {
    Assimp::Importer importer;
    configureInterchangeImporter(importer);
    importer.SetIOHandler(new BoundedFiles(!source.fromMemory));
    const aiScene* scene = nullptr;
    if (source.fromMemory) {
      const std::string& path = source.path;
      const size_t dot = path.rfind('.');
      const std::string hint = dot == std::string::npos ? std::string() : path.substr(dot + 1);
      scene = importer.ReadFileFromMemory(source.bytes.data(), source.bytes.size(), interchangePostProcessing(),
                                          hint.c_str());
    } else {
      scene = importer.ReadFile(resolvePath(source.path), interchangePostProcessing());
    }
    if (!scene) {
      reason = oneLine(importer.GetErrorString());
      return false;
    }
    if (auto problem = checkScene(*scene)) {
      reason = *problem;
      return false;
    }
    SceneConversion(*scene, source.path, writeFiles, onMesh, onInstance, log).run();
    return true;
  } catch (const std::bad_alloc&) {
    reason = kTooMuchMemory;
  } catch (const std::exception& e) {
    reason = oneLine(e.what());
  } catch (...) {
    reason = "the model library failed on it";
  }
  return false;
}

void refuse(const std::string& path, const std::string& reason, MessageSink& log) {
  log.problem = true;
  log.logMessage("ERROR: \"%s\" could not be read as a model: %s\n", path.c_str(), reason.c_str());
}

}  // namespace

void configureInterchangeImporter(Assimp::Importer& importer) {
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS, aiComponent_ANIMATIONS | aiComponent_BONEWEIGHTS |
                                                          aiComponent_CAMERAS | aiComponent_LIGHTS |
                                                          aiComponent_COLORS | aiComponent_TANGENTS_AND_BITANGENTS);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_READ_ANIMATIONS, false);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
}

unsigned interchangePostProcessing() {
  return aiProcess_ValidateDataStructure | aiProcess_Triangulate | aiProcess_SortByPType |
         aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals | aiProcess_RemoveComponent;
}

void convertInterchangeBytes(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                             std::span<const uint8_t> bytes, const std::string& path, MessageSink& log) {
  std::string reason;
  if (bytes.size() > kMaxInterchangeFileSize) {
    refuse(path, "the file is too large", log);
  } else if (!readAndConvert({path, bytes, true}, false, onMesh, onInstance, log, reason)) {
    refuse(path, reason, log);
  }
}

void convertInterchangeFile(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                            const std::string& path, MessageSink& log) {
  const std::optional<uint64_t> size = fileSize(resolvePath(path));
  if (!size || !canOpenForReading(path)) {
    log.problem = true;
    log.logMessage("ERROR: Could not read \"%s\"\n", path.c_str());
    return;
  }
  if (*size > kMaxInterchangeFileSize) {
    refuse(path, "the file is too large", log);
    return;
  }
  // The library's readers can crash or run out of memory on a hostile file:
  // the whole conversion is tried in a child first, writing nothing.
  const Source source{path, {}, false};
  const TrialOutcome trial = runTrial([&source] {
    SilentSink silent;
    std::string reason;
    const bool read = readAndConvert(
        source, false, [](std::unique_ptr<Mesh>, const std::string&) {},
        [](std::unique_ptr<Instance>, const std::string&, const std::string&) -> Mesh* { return nullptr; }, silent,
        reason);
    if (!read && reason == kTooMuchMemory) throw std::bad_alloc();
    return read;
  });
  std::string reason;
  switch (trial) {
    case TrialOutcome::Crashed:
      refuse(path, "the model library crashed on it", log);
      return;
    case TrialOutcome::OutOfMemory:
      refuse(path, kTooMuchMemory, log);
      return;
    case TrialOutcome::TimedOut:
      refuse(path, "the model library did not finish reading it", log);
      return;
    case TrialOutcome::Passed:
    case TrialOutcome::Failed:  // the read below tells why
    case TrialOutcome::Unavailable:
      break;
  }
  if (!readAndConvert(source, true, onMesh, onInstance, log, reason)) refuse(path, reason, log);
}

}  // namespace quorvel
