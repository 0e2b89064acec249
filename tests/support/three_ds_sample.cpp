#include "support/three_ds_sample.h"

#if QUORVEL_HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#endif

#include <cstring>

namespace quorvel::testing_support {

#if QUORVEL_HAVE_LIB3DS
bool writeSample3ds(const std::string& path, const std::string& bitmapName) {
  if (bitmapName.size() > 63) return false;
  Lib3dsFile* file = lib3ds_file_new();
  Lib3dsMaterial* material = lib3ds_material_new();
  std::strcpy(material->name, "Crate");
  std::strcpy(material->texture1_map.name, bitmapName.c_str());
  lib3ds_file_insert_material(file, material);

  Lib3dsMesh* mesh = lib3ds_mesh_new("Crate");
  lib3ds_mesh_new_point_list(mesh, 8);
  lib3ds_mesh_new_texel_list(mesh, 8);
  for (int i = 0; i < 8; ++i) {
    mesh->pointL[i].pos[0] = (i & 1) ? 1.0f : -1.0f;
    mesh->pointL[i].pos[1] = (i & 2) ? 1.0f : -1.0f;
    mesh->pointL[i].pos[2] = (i & 4) ? 2.0f : 0.0f;
    mesh->texelL[i][0] = (i & 1) ? 1.0f : 0.0f;
    mesh->texelL[i][1] = (i & 2) ? 1.0f : 0.0f;
  }
  // Two triangles per side, wound outwards.
  static const uint16_t kFaces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                         {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  lib3ds_mesh_new_face_list(mesh, 12);
  for (int i = 0; i < 12; ++i) {
    std::memcpy(mesh->faceL[i].points, kFaces[i], sizeof kFaces[i]);
    std::strcpy(mesh->faceL[i].material, "Crate");
    mesh->faceL[i].smoothing = 1u << (i / 2);
  }
  lib3ds_file_insert_mesh(file, mesh);

  Lib3dsNode* node = lib3ds_node_new_object();
  std::strcpy(node->name, "Crate");
  node->parent_id = LIB3DS_NO_PARENT;
  lib3ds_file_insert_node(file, node);

  const bool saved = lib3ds_file_save(file, path.c_str());
  lib3ds_file_free(file);
  return saved;
}
#else
bool writeSample3ds(const std::string&, const std::string&) { return false; }
#endif

}  // namespace quorvel::testing_support
