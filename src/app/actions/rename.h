// The Rename Level action: the level's files copied or moved to a new level
// name, with the names inside them that depend on the level's name
// rewritten, then the level verified under its new name.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Asks to go on, for the new name (preset "newlev") and whether to keep the
// originals; refuses, before anything on disk changes, a name or level that
// cannot be renamed. Copies every file first and removes the originals of a
// move only once the renamed level is written. True when the renamed level
// was written; false when the user cancelled, the rename was refused or a
// copy or write failed.
bool renameLevel(AppContext& app, const LevelFiles& level);

}  // namespace quorvel
