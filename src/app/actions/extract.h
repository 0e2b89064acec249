// The Extract Model action: one object of a level (its base instance and
// the objects that belong to it) written as a stand-alone GRF in the
// program folder.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Asks for an instance name, extracts its object into program folder +
// name + ".grf". False when nothing was written.
bool extractModel(AppContext& app, const LevelFiles& level);

}  // namespace quorvel
