#include "tools/level_rename.h"

#include "level/scene_format.h"
#include "textures/texture_update.h"
#include "util/path_text.h"
#include "util/text_format.h"
#include "values/scan_format.h"
#include "values/value_rules.h"

namespace quorvel {

namespace {

// Where the file name of `path` starts: after its last separator, or after
// a drive ("C:be.grf") when it has none.
size_t fileNameStart(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return separator + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

bool isAnimatedTextureName(const std::string& name) {
  int32_t number = 0;
  return scanFormat(name, "Anim%d", {&number}) == 1;
}

// One String value "Anim<number>" of a mesh: the texture file it animates.
struct AnimatedTextureValue {
  std::string fileName;  // lower case
  const Mesh* mesh;
  float diffuse;
};

std::vector<AnimatedTextureValue> animatedTextureValues(const SceneFile& scene) {
  std::vector<AnimatedTextureValue> found;
  for (const auto& mesh : scene.meshes) {
    const ValueTable* table = mesh->values.get();
    if (!table || !table->isGroup()) continue;
    // The identifier's own rule, so that an integer "Diffuse" keeps the
    // textures its mesh already has in the store.
    const float diffuse = diffuseFactor(table);
    for (const auto& child : table->children) {
      if (child->type == ValueType::String && isAnimatedTextureName(child->name))
        found.push_back({toLowerAscii(child->text), mesh.get(), diffuse});
    }
  }
  return found;
}

// Whether `material` names one of the animated files and is renamed with them.
bool isRenamedMaterial(const Material& material, const AnimatedTextures& animated) {
  return material.bumpMap.empty() && animated.count(toLowerAscii(fileNamePart(material.colorMap))) != 0;
}

AnimatedTextures animatedTextures(const SceneFile& scene) {
  AnimatedTextures animated;
  for (const AnimatedTextureValue& value : animatedTextureValues(scene)) animated[value.fileName] = value.diffuse;
  return animated;
}

}  // namespace

std::optional<std::string> levelNameProblem(const std::string& newName, const std::string& oldName) {
  for (unsigned char c : newName) {
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return formatText(
          "ERROR: the new level name \"%s\" holds a character file names can't hold (\\ / : * ? \" < > | or a "
          "control character).\n",
          newName.c_str());
  }
  if (newName.find("..") != std::string::npos)
    return formatText("ERROR: the new level name \"%s\" holds \"..\".\n", newName.c_str());
  // The game's level names end at their last "-": such a level could never
  // be opened under its name again.
  if (newName.find('-') != std::string::npos)
    return formatText("ERROR: the new level name \"%s\" holds \"-\", which ends a level name when it is opened.\n",
                      newName.c_str());
  if (newName.size() > kMaxLevelNameLength)
    return formatText("ERROR: the new level name is %d bytes long (can't be more than %d).\n",
                      static_cast<int>(newName.size()), static_cast<int>(kMaxLevelNameLength));
  // Every file would be copied onto itself.
  if (equalsNoCase(newName, oldName))
    return formatText("ERROR: the new level name \"%s\" is the level's own name.\n", newName.c_str());
  return std::nullopt;
}

std::string terrainFileName(const SceneFile& scene, const std::string& grfPath) {
  const std::string fileName = grfPath.substr(fileNameStart(grfPath));
  std::string terrain = fileName.substr(0, fileName.rfind('.'));
  for (const auto& mesh : scene.meshes) {
    if (getClass(mesh->values.get()) == "TerrainPlacement") terrain = getString(mesh->values.get(), "File", terrain);
  }
  return terrain;
}

bool isPlainTerrainName(const std::string& terrainName) {
  return terrainName.find_first_of("\\/:") == std::string::npos;
}

std::string terrainFilePath(const std::string& grfPath, const std::string& terrainName) {
  return grfPath.substr(0, fileNameStart(grfPath)) + terrainName + ".wtd";
}

std::string withBaseName(const std::string& path, const std::string& base) {
  if (path.empty()) return path;
  const size_t start = fileNameStart(path);
  const size_t dot = path.rfind('.');
  const std::string extension = dot != std::string::npos && dot >= start ? path.substr(dot) : std::string();
  return path.substr(0, start) + base + extension;
}

RenamedLevel renamedLevel(const LevelFiles& old, const std::string& oldWtdPath, const std::string& newName) {
  const std::string texturesBase = newName + "-130";
  RenamedLevel renamed;
  renamed.files.name = newName;
  renamed.files.scnPath = withBaseName(old.scnPath, newName);
  renamed.files.grfPath = withBaseName(old.grfPath, newName);
  renamed.files.pidPath = withBaseName(old.pidPath, texturesBase);
  renamed.files.swpPath = withBaseName(old.swpPath, texturesBase);
  renamed.files.spzPath = withBaseName(old.spzPath, texturesBase);
  renamed.wtdPath = withBaseName(oldWtdPath, newName);
  return renamed;
}

std::vector<FileTransfer> levelFileTransfers(const LevelFiles& old, const std::string& oldWtdPath,
                                             const RenamedLevel& renamed) {
  const FileTransfer all[] = {
      {old.grfPath, renamed.files.grfPath}, {old.scnPath, renamed.files.scnPath},
      {old.pidPath, renamed.files.pidPath}, {old.swpPath, renamed.files.swpPath},
      {old.spzPath, renamed.files.spzPath}, {oldWtdPath, renamed.wtdPath},
  };
  std::vector<FileTransfer> transfers;
  for (const FileTransfer& transfer : all) {
    if (!transfer.to.empty()) transfers.push_back(transfer);
  }
  return transfers;
}

std::string spzBesidePid(const std::string& pidPath) {
  const size_t dot = pidPath.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot >= fileNameStart(pidPath);
  return (hasExtension ? pidPath.substr(0, dot) : pidPath) + ".spz";
}

std::optional<std::string> overlongRenamedTextureName(const SceneFile& scene, const std::string& newName) {
  const AnimatedTextures animated = animatedTextures(scene);
  LevelFiles renamed;
  renamed.name = newName;
  for (const auto& mesh : scene.meshes) {
    for (const Material& material : mesh->materials) {
      if (!isRenamedMaterial(material, animated)) continue;
      for (const std::string* name : {&material.colorMap, &material.opacityMap}) {
        const std::string converted = convertTextureName(*name, renamed);
        if (converted.size() > scene_format::kMaxNameLength) return converted;
      }
    }
  }
  return std::nullopt;
}

AnimatedTextures renameSceneReferences(SceneFile& scene, const LevelFiles& renamed, MessageSink& log) {
  for (const auto& mesh : scene.meshes) {
    ValueTable* table = mesh->values.get();
    if (getClass(table) == "TerrainPlacement") setString(table, "File", renamed.name);
  }
  AnimatedTextures animated;
  for (const AnimatedTextureValue& value : animatedTextureValues(scene)) {
    animated[value.fileName] = value.diffuse;  // a later mesh's diffuse wins
    log.logMessage("Found animated texture \"%s\" in mesh %s\n", value.fileName.c_str(), value.mesh->name.c_str());
  }
  for (const auto& mesh : scene.meshes) {
    for (Material& material : mesh->materials) {
      if (!isRenamedMaterial(material, animated)) continue;
      log.logMessage("Converting animated texture reference \"%s\" in mesh %s\n", material.colorMap.c_str(),
                     mesh->name.c_str());
      material.colorMap = convertTextureName(material.colorMap, renamed);
      material.opacityMap = convertTextureName(material.opacityMap, renamed);
      material.bumpMap = convertTextureName(material.bumpMap, renamed);
    }
  }
  return animated;
}

void renameTextureIds(TextureDatabase& store, const AnimatedTextures& animated, const std::string& oldName,
                      const std::string& newName, MessageSink& log) {
  for (const auto& [fileName, diffuse] : animated) {
    const std::string oldPath = "map\\" + oldName + "\\" + fileName;
    const uint32_t oldId = textureId(diffuse, oldPath, "");
    const uint32_t newId = textureId(diffuse, "map\\" + newName + "\\" + fileName, "");
    bool reported = false;
    const TextureEntry* marker = store.hasPackerMarker() ? &store.entries.back() : nullptr;
    for (TextureEntry& entry : store.entries) {
      if (entry.textureId != oldId || &entry == marker) continue;
      if (!reported) log.logMessage("Converting PID texture ID for \"%s\"\n", oldPath.c_str());
      reported = true;
      entry.textureId = newId;
    }
  }
}

}  // namespace quorvel
