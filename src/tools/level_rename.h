// Rename Level: the names a level's files get under a new level name, and
// the places inside the GRF and PID that depend on the level's name (the
// terrain file, the animated textures and their texture identifiers).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "level/level_files.h"
#include "level/scene.h"
#include "report/message_sink.h"
#include "textures/texture_database.h"

namespace quorvel {

// The longest new level name: name + "-130.pid" must fit a 255-byte file name.
inline constexpr size_t kMaxLevelNameLength = 247;

// Why `newName` (already lower-cased) cannot name the renamed level of
// `oldName`, as one "ERROR: ...\n" line; nothing when it can. Refused: the
// characters no file system takes (\ / : * ? " < > | and bytes below 0x20),
// "..", "-" (a level's name is cut at its last "-" when it is opened), more
// than 247 bytes, and the old name itself in any letter case.
std::optional<std::string> levelNameProblem(const std::string& newName, const std::string& oldName);

// The name (without extension) of the level's terrain file: the GRF's file
// name, unless meshes of class "TerrainPlacement" have a String "File"
// value, of which the last one in list order wins.
std::string terrainFileName(const SceneFile& scene, const std::string& grfPath);
// Whether a terrain name stays in the GRF's folder (no \ / or :).
bool isPlainTerrainName(const std::string& terrainName);
// Drive and folder of the GRF + terrain name + ".wtd".
std::string terrainFilePath(const std::string& grfPath, const std::string& terrainName);

// `path` with its file name (without extension) replaced by `base`, its
// drive, folder and extension kept; an empty path stays empty.
std::string withBaseName(const std::string& path, const std::string& base);

// A level's seven paths: the `LevelFiles` and its terrain file.
struct RenamedLevel {
  LevelFiles files;
  std::string wtdPath;
};

// The new paths for the level `old` (with its terrain file at `oldWtdPath`)
// under `newName`: GRF, SCN and WTD named `newName`, PID, SWP and SPZ
// `newName` + "-130", each in its own folder.
RenamedLevel renamedLevel(const LevelFiles& old, const std::string& oldWtdPath, const std::string& newName);

// One file to copy or move.
struct FileTransfer {
  std::string from;
  std::string to;
};
// GRF, SCN, PID, SWP, SPZ and WTD in this order; files without a new path
// (no SWP or SPZ found) are left out.
std::vector<FileTransfer> levelFileTransfers(const LevelFiles& old, const std::string& oldWtdPath,
                                             const RenamedLevel& renamed);

// The PID path with ".spz" for its extension: an SPZ found there makes a
// level without one look like the full version.
std::string spzBesidePid(const std::string& pidPath);

// Animated textures: lower-case file name -> the diffuse factor of the mesh
// that animates it.
using AnimatedTextures = std::map<std::string, float>;

// The first texture name that renameSceneReferences would make longer than
// a scene file can store (255 bytes) under `newName`; nothing when all fit.
std::optional<std::string> overlongRenamedTextureName(const SceneFile& scene, const std::string& newName);

// Rewrites `scene` for the level `renamed`: every "TerrainPlacement" mesh's
// "File" value becomes the new name; the String values "Anim<number>" are
// collected ("Found animated texture ...") with their mesh's diffuse, read
// by the texture store's rule; and every material without a bump map whose
// colour map is such a file is renamed into the new level's texture folder
// ("Converting animated texture reference ..."). Returns the animated
// textures.
AnimatedTextures renameSceneReferences(SceneFile& scene, const LevelFiles& renamed, MessageSink& log);

// Gives the PID entries of each animated texture the identifier of its name
// under the new level ("Converting PID texture ID for ..."): the name
// "map\<old>\<file>" becomes "map\<new>\<file>", with the same diffuse.
void renameTextureIds(TextureDatabase& store, const AnimatedTextures& animated, const std::string& oldName,
                      const std::string& newName, MessageSink& log);

}  // namespace quorvel
