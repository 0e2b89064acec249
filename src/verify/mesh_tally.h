// For each mesh an instance names: how often it is in the scene's mesh list
// and whether an instance uses it. One flat table keyed by the mesh's
// address, so that checking each of a large level's instances touches one
// slot rather than two chains of hash nodes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "level/scene.h"

namespace quorvel {

class MeshTally {
 public:
  struct Entry {
    const Mesh* mesh = nullptr;
    int32_t copies = 0;  // in the mesh list
    bool used = false;   // by an instance
  };

  explicit MeshTally(const std::vector<std::unique_ptr<Mesh>>& meshes);

  // The entry of a mesh (not null), made with no copies for a mesh not in
  // the list. The reference lasts until the next call.
  Entry& at(const Mesh* mesh);
  bool used(const Mesh* mesh) const;

 private:
  size_t find(const Mesh* mesh) const;  // its slot, or the empty one it would take
  void grow();

  std::vector<Entry> slots_;  // a power of two, at most half of it in use
  size_t used_ = 0;
};

}  // namespace quorvel
