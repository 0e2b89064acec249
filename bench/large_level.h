// Large synthetic levels for benchmarks, built with the project's own scene
// model and written by its own writer: meshes in both geometry layouts with
// materials, value tables and many instances.
#pragma once

#include <cstdint>
#include <memory>

#include "level/scene.h"

namespace quorvel::bench {

struct LevelSize {
  int meshes;
  int instancesPerMesh;
  int valuesPerMesh;  // the table itself included
  int minFaces;
  int maxFaces;
};

// 2,000 meshes of 100 to 200 faces, 20,000 instances, 50,000 values: about
// 45 MB as a GRF.
inline constexpr LevelSize kLargeLevel{2000, 10, 25, 100, 200};
// A quarter of that.
inline constexpr LevelSize kQuarterLevel{500, 10, 25, 100, 200};

// A deterministic level of the given size; half the meshes use each layout,
// every tenth mesh has no materials.
std::unique_ptr<SceneFile> buildLevel(const LevelSize& size);

inline std::unique_ptr<SceneFile> buildLargeLevel() { return buildLevel(kLargeLevel); }
inline std::unique_ptr<SceneFile> buildQuarterLevel() { return buildLevel(kQuarterLevel); }

}  // namespace quorvel::bench
