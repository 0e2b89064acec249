#include "support/sample_models.h"

#if QUORVEL_HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#endif

#include <cstring>
#include <memory>

#include "level/scene.h"
#include "platform/file_system.h"
#include "support/bmp_builder.h"
#include "support/sample_level.h"
#include "support/verify_fixtures.h"

namespace quorvel::testing_support {

namespace {

uint8_t planksPattern(int32_t x, int32_t y) { return static_cast<uint8_t>((y / 4) % 2 + (x % 8 == 0 ? 2 : 0)); }

bool writeText(const std::string& path, const std::string& text) {
  return replaceFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The boat the sample level's gate waits for ("Boat-1").
bool writeBoat(const std::string& folder) {
  SceneFile model;
  model.trace = nullptr;
  Mesh& boat = addBox(model, "Boat", "CInstance", "boat.bmp", 1.5f);
  Instance& placed = addInstance(model, "Boat-1", boat);
  placed.position = {0.0f, 0.0f, 36.0f};
  return model.save(folder + "boat.grf") && replaceFileAtomically(folder + "boat.bmp", buildIndexedBmp(32, 32, 6, planksPattern));
}

#if QUORVEL_HAVE_LIB3DS
void setName(char (&target)[64], const char* name) {
  std::strncpy(target, name, sizeof target - 1);
  target[sizeof target - 1] = '\0';
}

// A pier of planks as a modelling package writes it: a mesh "PierBox" (the
// names file calls it "Pier"), a material whose texture name is in upper
// case, and an object node placing it as "Pier-1".
bool writePier(const std::string& folder) {
  std::unique_ptr<Lib3dsFile, void (*)(Lib3dsFile*)> file(lib3ds_file_new(), lib3ds_file_free);
  Lib3dsMaterial* planks = lib3ds_material_new();
  setName(planks->name, "Planks");
  setName(planks->texture1_map.name, "PLANKS.BMP");
  lib3ds_file_insert_material(file.get(), planks);

  Lib3dsMesh* mesh = lib3ds_mesh_new("PierBox");
  lib3ds_mesh_new_point_list(mesh, 8);
  lib3ds_mesh_new_texel_list(mesh, 8);
  for (int i = 0; i < 8; ++i) {
    mesh->pointL[i].pos[0] = (i & 1) ? 4.0f : -4.0f;
    mesh->pointL[i].pos[1] = (i & 2) ? 0.5f : 0.0f;
    mesh->pointL[i].pos[2] = (i & 4) ? 12.0f : -12.0f;
    mesh->texelL[i][0] = (i & 1) ? 1.0f : 0.0f;
    mesh->texelL[i][1] = (i & 4) ? 1.0f : 0.0f;
  }
  static const int kQuads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                   {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  lib3ds_mesh_new_face_list(mesh, 12);
  for (int side = 0; side < 6; ++side) {
    for (int half = 0; half < 2; ++half) {
      Lib3dsFace& face = mesh->faceL[side * 2 + half];
      const int* q = kQuads[side];
      face.points[0] = static_cast<Lib3dsWord>(q[0]);
      face.points[1] = static_cast<Lib3dsWord>(q[half + 1]);
      face.points[2] = static_cast<Lib3dsWord>(q[half + 2]);
      face.smoothing = 1;
      setName(face.material, "Planks");
    }
  }
  lib3ds_file_insert_mesh(file.get(), mesh);

  Lib3dsNode* node = lib3ds_node_new_object();
  setName(node->name, "PierBox");
  setName(node->data.object.instance, "Pier-1");
  node->parent_id = LIB3DS_NO_PARENT;
  Lib3dsLin3Key* position = lib3ds_lin3_key_new();
  position->value[0] = 15.0f;
  position->value[2] = 30.0f;
  lib3ds_lin3_track_insert(&node->data.object.pos_track, position);
  Lib3dsLin3Key* scale = lib3ds_lin3_key_new();
  scale->value[0] = scale->value[1] = scale->value[2] = 1.0f;
  lib3ds_lin3_track_insert(&node->data.object.scl_track, scale);
  Lib3dsQuatKey* rotation = lib3ds_quat_key_new();
  rotation->axis[2] = 1.0f;
  lib3ds_quat_track_insert(&node->data.object.rot_track, rotation);
  lib3ds_file_insert_node(file.get(), node);

  const std::string path = folder + "pier.3ds";
  return lib3ds_file_save(file.get(), path.c_str()) &&
         writeText(folder + "pier.names.txt", "PierBox Pier\n") &&
         writeText(folder + "pier.values.txt",
                   "group Pier = {\n  string Class = \"CTerrainObj\"\n  int Height = 1\n}\n") &&
         replaceFileAtomically(folder + "planks.bmp", buildSolidBmp24(32, 32, 150, 110, 60));
}
#else
// Builds without lib3ds (the Windows build) keep the committed 3DS file.
bool writePier(const std::string&) { return true; }
#endif

// A coil of rope in the current TPM format, with its value file.
bool writeRope(const std::string& folder) {
  return writeText(folder + "rope.tpm",
                   "// exported by the level editor\n"
                   "fileinfo {\n  formatversion = \"1.0.2\"\n}\n"
                   "material Rope {\n  colormap = \"rope.bmp\"\n}\n"
                   "mesh Rope {\n  m = Rope\n  c = (0.8, 0.7, 0.5)\n"
                   "  v = 0, 0, 0\n  v = 1, 0, 0\n  v = 0, 0, 1\n  v = 0, 1, 0\n"
                   "  t = 0, 0\n  t = 1, 0\n  t = 0, 1\n"
                   "  n = 0, 1, 0\n"
                   "  f = 1, 2, 3, 1, 2, 3, 1, 1, 1, 1\n  f = 1, 3, 4, 1, 3, 2, 1, 1, 1, 1\n}\n"
                   "instance Rope-1 {\n  mesh = Rope\n  position = (3, 0, 33)\n"
                   "  rotation = (0, 45, 0)\n  scale = 0.5\n}\n") &&
         writeText(folder + "rope.values.txt", "group Rope = {\n  string Class = \"CInstance\"\n}\n") &&
         replaceFileAtomically(folder + "rope.bmp", buildIndexedBmp(16, 16, 3, planksPattern));
}

// A fishing net in the older sectioned TPM format, its values inside.
bool writeNet(const std::string& folder) {
  return writeText(folder + "net.tpm",
                   "[file info]\nfileversion = \"0.21\"\n"
                   "[materials]\nm = \"Net\", \"net.bmp\", \"\", \"\"\n"
                   "[geometry]\nm = \"Net\", (0, 0, 0), (200, 200, 200)\n"
                   "v = 0, 0, 0\nv = 2, 0, 0\nv = 0, 2, 0\n"
                   "t = 0, 0\nt = 1, 0\nt = 0, 1\nn = 0, 0, 1\n"
                   "f = 1, 2, 3, 1, 2, 3, 1, 1, 1, \"Net\"\n"
                   "[objects]\no = \"Net-1\", \"Net\", (-4, 1, 34), (0, 0, 0), 1\n"
                   "[values]\ngroup Net = {\n  string Class = \"CInstance\"\n}\n") &&
         replaceFileAtomically(folder + "net.bmp", buildSolidBmp24(16, 16, 90, 90, 80));
}

}  // namespace

std::vector<std::string> sampleModelFiles() {
  return {"boat.grf",        "boat.bmp", "pier.3ds", "pier.names.txt", "pier.values.txt", "planks.bmp",
          "rope.tpm",        "rope.values.txt", "rope.bmp", "net.tpm", "net.bmp"};
}

bool writeSampleModels(const std::string& folder) {
  return writeBoat(folder) && writePier(folder) && writeRope(folder) && writeNet(folder);
}

}  // namespace quorvel::testing_support
