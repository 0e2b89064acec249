// Descriptions of a scene for people and scripts: the canonical JSON of
// `quorvel dump --json` ("grf-dump-1") and a readable summary.
#pragma once

#include <string>

#include "level/scene.h"

namespace quorvel {

// The canonical "grf-dump-1" document, ending in a line feed. `loaded` is
// the reader's result; `geometry` adds each mesh's lists; `withTableIndex`
// writes each value's stored index (scene files have one, TPM models not).
std::string sceneToJson(const SceneFile& scene, bool loaded, bool geometry, bool withTableIndex);

// The meshes (layout, counts, colour, materials, values in the text syntax)
// and instances (mesh, position, rotation, scale) as readable lines.
std::string sceneSummary(const SceneFile& scene);

}  // namespace quorvel
