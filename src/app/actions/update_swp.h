// The Update SWP action: adds to a level's texture store every texture its
// meshes name that the store lacks.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Asks for the texture folder, loads the level's GRF, runs the texture phase
// for all its meshes (keeping existing textures and names) and, once
// confirmed, the texture save; then verifies the level. Only the PID, SWP
// and SPZ change.
bool updateSwp(AppContext& app, const LevelFiles& level);

}  // namespace quorvel
