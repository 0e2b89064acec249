// The Import File and Import Directory actions: the meshes and instances of
// one model file, or of every model file of a folder, merged into the level
// with their textures, saved once the user confirms, and verified.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// The whole action; `directoryMode` for Import Directory. True when it ran to
// its end (saved, or nothing to save); false when it was aborted, the save
// was declined or a file could not be written.
bool runImport(AppContext& app, const LevelFiles& level, bool directoryMode);

}  // namespace quorvel
