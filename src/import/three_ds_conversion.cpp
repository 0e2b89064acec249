#include "import/three_ds_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "import/three_ds_check.h"
#include "import/unit_normalisation.h"
#include "level/instance_rotation.h"
#include "platform/file_system.h"
#include "report/message_sink.h"

#if QUORVEL_HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/vector.h>
#endif

namespace quorvel {

#if QUORVEL_HAVE_LIB3DS
namespace {

// A name field of the library: at most `size` bytes, zero-terminated within.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The library reads through these callbacks from the checked bytes, so what
// it reads is what was checked. A short read fills the rest with zeros.
struct MemoryStream {
  std::span<const uint8_t> bytes;
  long position = 0;
  bool failed = false;
};

Lib3dsBool streamError(void* self) { return static_cast<MemoryStream*>(self)->failed; }

long streamSeek(void* self, long offset, Lib3dsIoSeek origin) {
  auto* s = static_cast<MemoryStream*>(self);
  const long size = static_cast<long>(s->bytes.size());
  const long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? s->position : size;
  if (offset < -base || offset > size - base) return -1;
  s->position = base + offset;
  return 0;
}

long streamTell(void* self) { return static_cast<MemoryStream*>(self)->position; }

size_t streamRead(void* self, void* buffer, size_t size) {
  auto* s = static_cast<MemoryStream*>(self);
  const size_t left = s->bytes.size() - static_cast<size_t>(s->position);
  const size_t n = std::min(size, left);
  if (n) std::memcpy(buffer, s->bytes.data() + s->position, n);
  if (n < size) {
    std::memset(static_cast<uint8_t*>(buffer) + n, 0, size - n);
    s->failed = true;
  }
  s->position += static_cast<long>(n);
  return n;
}

size_t streamWrite(void*, const void*, size_t) { return 0; }

struct FileDeleter {
  void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
using FilePtr = std::unique_ptr<Lib3dsFile, FileDeleter>;

FilePtr loadFromMemory(std::span<const uint8_t> bytes) {
  FilePtr file(lib3ds_file_new());
  if (!file) return nullptr;
  MemoryStream stream{bytes};
  Lib3dsIo* io = lib3ds_io_new(&stream, streamError, streamSeek, streamTell, streamRead, streamWrite);
  if (!io) return nullptr;
  const bool read = lib3ds_file_read(file.get(), io);
  lib3ds_io_free(io);
  if (!read) return nullptr;
  return file;
}

// The library keeps the distinct normals met around one point in a fixed
// array of 128; a point of more faces than that gets this equivalent.
constexpr size_t kLibraryFan = 128;

void cornerNormalsOfLargeFans(Lib3dsMesh* m, std::vector<Vec3>& corners) {
  std::vector<std::vector<const Lib3dsFace*>> around(m->points);
  for (unsigned i = 0; i < m->faces; ++i)
    for (int j = 0; j < 3; ++j) around[m->faceL[i].points[j]].push_back(&m->faceL[i]);
  for (unsigned i = 0; i < m->faces; ++i) {
    const Lib3dsFace& f = m->faceL[i];
    for (int j = 0; j < 3; ++j) {
      Lib3dsVector n = {f.normal[0], f.normal[1], f.normal[2]};
      if (f.smoothing) {
        std::vector<const float*> met;
        lib3ds_vector_zero(n);
        // The library adds faces most recently listed first.
        const auto& fan = around[f.points[j]];
        for (auto it = fan.rbegin(); it != fan.rend(); ++it) {
          Lib3dsVector other = {(*it)->normal[0], (*it)->normal[1], (*it)->normal[2]};
          bool found = false;
          for (const float* seen : met) {
            Lib3dsVector s = {seen[0], seen[1], seen[2]};
            if (std::fabs(lib3ds_vector_dot(s, other) - 1.0) < 1e-5) {
              found = true;
              break;
            }
          }
          if (!found && (f.smoothing & (*it)->smoothing)) {
            lib3ds_vector_add(n, n, other);
            met.push_back((*it)->normal);
          }
        }
      }
      lib3ds_vector_normalize(n);
      corners[3 * i + j] = {n[0], n[1], n[2]};
    }
  }
}

std::vector<Vec3> cornerNormals(Lib3dsMesh* m) {
  std::vector<Vec3> corners(3 * static_cast<size_t>(m->faces));
  if (!m->faces) return corners;
  std::vector<uint32_t> uses(m->points, 0);
  uint32_t largest = 0;
  for (unsigned i = 0; i < m->faces; ++i)
    for (int j = 0; j < 3; ++j) largest = std::max(largest, ++uses[m->faceL[i].points[j]]);
  if (largest > kLibraryFan) {
    cornerNormalsOfLargeFans(m, corners);
    return corners;
  }
  std::vector<Lib3dsVector> normals(corners.size());
  lib3ds_mesh_calculate_normals(m, normals.data());
  for (size_t i = 0; i < corners.size(); ++i) corners[i] = {normals[i][0], normals[i][1], normals[i][2]};
  return corners;
}

std::unique_ptr<Mesh> convertMesh(Lib3dsFile* file, Lib3dsMesh* m, const std::string& path,
                                  MessageSink& log) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = fieldText(m->name);

  Lib3dsMatrix inverse;
  lib3ds_matrix_copy(inverse, m->matrix);
  if (!lib3ds_matrix_inv(inverse)) {
    log.problem = true;
    log.logMessage("  NOTE: mesh %s in file \"%s\" has a matrix that cannot be inverted; its points are used as they are.\n",
                   mesh->name.c_str(), path.c_str());
    lib3ds_matrix_identity(inverse);
  }
  mesh->vertices.reserve(m->points);
  for (unsigned i = 0; i < m->points; ++i) {
    Lib3dsVector v;
    lib3ds_vector_transform(v, inverse, m->pointL[i].pos);
    mesh->vertices.push_back({v[0], v[1], v[2]});
  }
  normaliseToUnit(*mesh);

  for (unsigned i = 0; i < m->texels; ++i) mesh->texCoords.push_back({m->texelL[i][0], m->texelL[i][1]});
  // Faces index texture coordinates by point number: each point needs one.
  if (m->texels && m->texels < m->points) {
    log.problem = true;
    log.logMessage("  NOTE: mesh %s in file \"%s\" has %u texture coordinates for %u points; the missing ones are (0, 0).\n",
                   mesh->name.c_str(), path.c_str(), static_cast<unsigned>(m->texels),
                   static_cast<unsigned>(m->points));
    mesh->texCoords.resize(m->points);
  }

  std::map<std::string, int32_t> materialNumbers;
  mesh->faces.reserve(m->faces);
  for (unsigned i = 0; i < m->faces; ++i) {
    const Lib3dsFace& f = m->faceL[i];
    Face face;
    for (int j = 0; j < 3; ++j) face.vertex[j] = face.texCoord[j] = face.normal[j] = f.points[j];
    face.attribute = 4;
    const std::string materialName = fieldText(f.material);
    if (materialName != "Default") {
      if (auto known = materialNumbers.find(materialName); known != materialNumbers.end()) {
        face.material = known->second;
      } else if (Lib3dsMaterial* mat = lib3ds_file_material_by_name(file, materialName.c_str())) {
        face.material = static_cast<int32_t>(mesh->materials.size());
        mesh->materials.push_back({fieldText(mat->texture1_map.name), fieldText(mat->opacity_map.name),
                                   fieldText(mat->bump_map.name)});
        materialNumbers.emplace(materialName, face.material);
      }
    }
    mesh->faces.push_back(face);
  }

  const std::vector<Vec3> corners = cornerNormals(m);
  mesh->normals.assign(m->points, Vec3{});
  for (unsigned i = 0; i < m->faces; ++i)
    for (int j = 0; j < 3; ++j) mesh->normals[m->faceL[i].points[j]] = corners[3 * i + j];

  mesh->setColor(100, 100, 100);
  return mesh;
}

void placeInstance(Lib3dsNode* node, const Mesh& mesh, Instance& instance) {
  lib3ds_node_eval(node, 0);
  Lib3dsObjectData& object = node->data.object;
  instance.rotation = anglesFromQuaternion(object.rot);
  const float k = mesh.unitScale * object.scl[0];
  instance.scale = k;
  Lib3dsMatrix rotation;
  lib3ds_matrix_identity(rotation);
  lib3ds_matrix_rotate(rotation, object.rot);
  Lib3dsVector d = {mesh.unitCentre.x - object.pivot[0] / mesh.unitScale,
                    mesh.unitCentre.y - object.pivot[1] / mesh.unitScale,
                    mesh.unitCentre.z - object.pivot[2] / mesh.unitScale};
  Lib3dsVector turned;
  lib3ds_vector_transform(turned, rotation, d);
  instance.position = {object.pos[0] + k * turned[0], object.pos[1] + k * turned[1],
                       object.pos[2] + k * turned[2]};
}

}  // namespace

void convert3dsBytes(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                     std::span<const uint8_t> bytes, const std::string& path, MessageSink& log) {
  if (auto reason = check3dsChunks(bytes)) {
    log.problem = true;
    log.logMessage("ERROR: \"%s\" is not a valid 3DS file: %s\n", path.c_str(), reason->c_str());
    return;
  }
  FilePtr file = loadFromMemory(bytes);
  if (!file) {
    log.problem = true;
    log.logMessage("ERROR: \"%s\" is not a valid 3DS file: the 3DS library could not read it\n",
                   path.c_str());
    return;
  }
  for (Lib3dsMesh* m = file->meshes; m; m = m->next) onMesh(convertMesh(file.get(), m, path, log), path);
  for (Lib3dsNode* node = file->nodes; node; node = node->next) {
    const std::string nodeName = fieldText(node->name);
    if (node->type != LIB3DS_OBJECT_NODE || nodeName == "$$$DUMMY") continue;
    auto instance = std::make_unique<Instance>();
    const std::string instanceName = fieldText(node->data.object.instance);
    instance->name = instanceName.empty() ? nodeName : instanceName;
    Instance* placed = instance.get();  // still alive when a mesh comes back
    if (Mesh* mesh = onInstance(std::move(instance), nodeName, path)) placeInstance(node, *mesh, *placed);
  }
}

#else

void convert3dsBytes(const MeshCallback&, const InstanceCallback&, std::span<const uint8_t>,
                     const std::string& path, MessageSink& log) {
  log.problem = true;
  log.logMessage("ERROR: \"%s\" cannot be read: this build has no 3DS support\n", path.c_str());
}

#endif

void convert3dsFile(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                    const std::string& path, MessageSink& log) {
  auto bytes = readWholeFile(path);
  if (!bytes) {
    log.problem = true;
    log.logMessage("ERROR: Could not read \"%s\"\n", path.c_str());
    return;
  }
  convert3dsBytes(onMesh, onInstance, *bytes, path, log);
}

}  // namespace quorvel
