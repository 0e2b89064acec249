// The names of a scene's instances and meshes as sets, so that checks which
// ask "does the scene have one named so?" for every value of a level do not
// search the lists each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "level/scene.h"

namespace quorvel {

// A set of names built once and then only asked. The names are copied side
// by side and found through a flat table of their hashes, so that a lookup
// in a large level touches two places in memory rather than a chain of
// nodes and the scattered strings they point to.
class NameSet {
 public:
  void reserve(size_t count, size_t bytes);
  void insert(std::string_view name);
  bool contains(std::string_view name) const;

 private:
  struct Slot {
    uint64_t hash = 0;
    size_t offset = kEmpty;
    size_t length = 0;
  };
  static constexpr size_t kEmpty = SIZE_MAX;

  size_t find(std::string_view name, uint64_t hash) const;  // its slot, or the empty one it would take
  void grow();

  std::string bytes_;
  std::vector<Slot> slots_;  // a power of two, at most half of it in use
  size_t used_ = 0;
};

// Answers the same as findInstance/findMesh being non-null. Build it once
// the scene is complete and drop it before the scene changes.
class SceneNameIndex {
 public:
  explicit SceneNameIndex(const SceneFile& scene);

  bool hasInstance(std::string_view name) const { return instances_.contains(name); }
  bool hasMesh(std::string_view name) const { return meshes_.contains(name); }

 private:
  NameSet instances_;
  NameSet meshes_;
};

}  // namespace quorvel
