// Bringing the textures that meshes name into a level's texture store: the
// texture phase, which decides what is new, and the texture save.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "level/level_files.h"
#include "level/scene.h"
#include "platform/user_interface.h"
#include "report/message_sink.h"
#include "textures/pending_texture.h"
#include "values/known_values.h"

namespace quorvel {

// "Map\\" + level name + "\\" + the file name part of `name` (the text after
// its last "\\" or "/"); an empty name stays empty.
std::string convertTextureName(const std::string& name, const LevelFiles& level);

// What to do with a texture the store already holds.
enum class ReplacePolicy {
  Ask,     // ask once ("Some textures already exist in level, replace them?")
  Always,  // replace it
  Never,   // keep it
};

struct TexturePhaseOptions {
  std::string textureFolder;  // where the bitmaps are; ends in a separator
  bool normalizeTextureNames = true;
  ReplacePolicy replace = ReplacePolicy::Ask;
};

// The texture phase over `meshes` (by name): rewrites texture names into the
// level's texture folder when asked to, decides for each material whether
// its texture is new, present, to be replaced or missing (textures in
// `ignoredTextures` are passed over with one note), checks the bitmaps and
// returns the textures to add. The level's PID says which are present.
PendingTextures loadTextures(const std::map<std::string, Mesh*>& meshes, const LevelFiles& level,
                             const TexturePhaseOptions& options, const NameList& ignoredTextures,
                             MessageSink& log, UserInterface& ui);

// Ends the process after the one fatal error (no texture space left).
using ExitProcess = std::function<void(int exitCode)>;

// Adds `pending` to the level's PID and SWP; false when the store could not
// be opened or closed. Running out of texture space shows the "ERROR" box
// and calls `exitProcess` with 3.
bool saveTextures(const PendingTextures& pending, const LevelFiles& level, MessageSink& log, UserInterface& ui,
                  const ExitProcess& exitProcess);

}  // namespace quorvel
