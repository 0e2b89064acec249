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
// by side, each after its length, and found through a flat table of eight
// bytes a slot: part of the name's hash and where the name is kept. A lookup
// in a large level touches two places in memory, and the table of 80,000
// instance names stays within a megabyte.
class NameSet {
 public:
  void reserve(size_t count, size_t bytes);
  void insert(std::string_view name);
  bool contains(std::string_view name) const;

 private:
  struct Slot {
    uint32_t tag = 0;    // the hash's upper half
    uint32_t place = 0;  // the name's first word in words_, plus one; 0 when empty
  };

  size_t find(std::string_view name, uint64_t hash) const;  // its slot, or the empty one it would take
  bool holds(const Slot& slot, std::string_view name) const;
  void grow();

  // Each name is a word holding its length, then its bytes in whole words.
  // Place numbers reach 16 GB of names, far past what scene files (at most
  // 4 GB each) can name.
  std::vector<uint32_t> words_;
  std::vector<Slot> slots_;  // a power of two, at most three quarters of it in use
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
