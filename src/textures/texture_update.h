// Bringing the textures a level's meshes name into its texture store: the
// texture phase, the texture save and the Update SWP action.
#pragma once

#include <string>

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// "Map\\" + level name + "\\" + the file name part of `name` (the text after
// its last "\\" or "/"); an empty name stays empty.
std::string convertTextureName(const std::string& name, const LevelFiles& level);

// The texture phase over the meshes of the import set: rewrites texture
// names when NormalizeTextureNames is on, decides for each material whether
// its texture is new, present, to be replaced or missing, checks the
// bitmaps and fills app.pendingTextures. `textureFolder` ends in a
// separator; replaceMode -1 asks once, 0 keeps existing textures, 1
// replaces them.
void loadTextures(AppContext& app, const LevelFiles& level, const std::string& textureFolder, int replaceMode);

// Adds app.pendingTextures to the level's PID and SWP; false when the store
// could not be opened or closed.
bool saveTextures(AppContext& app, const LevelFiles& level);

// The Update SWP action: asks for the texture folder, loads the level's GRF,
// runs the texture phase for all its meshes (keeping existing textures and
// names) and, once confirmed, the texture save; then verifies the level.
// Only the PID, SWP and SPZ change.
bool updateSwp(AppContext& app, const LevelFiles& level);

}  // namespace quorvel
