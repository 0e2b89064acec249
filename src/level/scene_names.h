// The names of a scene's instances and meshes as sets, so that checks which
// ask "does the scene have one named so?" for every value of a level do not
// search the lists each time.
#pragma once

#include <string_view>
#include <unordered_set>

#include "level/scene.h"

namespace quorvel {

// Answers the same as findInstance/findMesh being non-null. It refers to the
// scene's own strings: build it once the scene is complete and drop it
// before the scene changes.
class SceneNameIndex {
 public:
  explicit SceneNameIndex(const SceneFile& scene);

  bool hasInstance(std::string_view name) const { return instances_.contains(name); }
  bool hasMesh(std::string_view name) const { return meshes_.contains(name); }

 private:
  std::unordered_set<std::string_view> instances_;
  std::unordered_set<std::string_view> meshes_;
};

}  // namespace quorvel
