#include "textures/texture_update.h"

#include <algorithm>

#include "platform/file_system.h"
#include "textures/bmp_reader.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "util/path_text.h"
#include "util/text_format.h"
#include "values/value_rules.h"
#include "verify/verify_level.h"

namespace quorvel {

namespace {

bool wantsMipmaps(const Mesh& mesh) {
  const Value* values = mesh.values.get();
  bool mipmaps = !isBool(values, "MipMap", false);
  // Animated textures always get their mipmaps.
  if (isString(values, "Anim00")) mipmaps = true;
  return mipmaps;
}

const char* mipmapsTag(bool mipmaps) { return mipmaps ? "" : "[Mipmaps=false]"; }
const char* occlusionTag(bool occlusion) { return occlusion ? "[Occlusion=true]" : ""; }

}  // namespace

std::string convertTextureName(const std::string& name, const LevelFiles& level) {
  if (name.empty()) return name;
  return "Map\\" + level.name + "\\" + fileNamePart(name);
}

void loadTextures(AppContext& app, const LevelFiles& level, const std::string& textureFolder, int replaceMode) {
  MessageLog& log = app.log;
  log.logMessage("\nLoading textures...\n");
  TextureDatabase store;
  store.read(level.pidPath);  // a store that cannot be read leaves every texture new
  int added = 0, replaced = 0, skipped = 0;
  app.pendingTextures.clear();
  bool ignoredNoteArmed = true;

  for (auto& [meshName, mesh] : app.importedMeshes) {
    if (!mesh) continue;
    const bool mipmaps = wantsMipmaps(*mesh);
    const float diffuse = diffuseFactor(mesh->values.get());
    for (Material& material : mesh->materials) {
      if (app.importOptions.NormalizeTextureNames) {
        material.colorMap = convertTextureName(material.colorMap, level);
        material.opacityMap = convertTextureName(material.opacityMap, level);
        material.bumpMap = convertTextureName(material.bumpMap, level);
      }
      if (material.colorMap.empty()) continue;
      const uint32_t id = textureId(diffuse, material.colorMap, material.bumpMap);
      const bool exists = std::any_of(store.entries.begin(), store.entries.end(),
                                      [id](const TextureEntry& e) { return e.textureId == id; });
      if (exists && replaceMode == -1) {
        MessageBoxRequest question;
        question.text = "Some textures already exist in level, replace them?";
        question.buttons = Buttons::YesNo;
        question.defaultButton = 1;
        question.owner = Owner::MessagesWindow;
        replaceMode = app.ui.messageBox(question) == Answer::Yes ? 1 : 0;
      }
      if (exists && replaceMode == 0) {
        ++skipped;
        if (log.verbose) log.logMessage("  Skipped existing texture: %s\n", material.colorMap.c_str());
        continue;
      }
      const std::string colorFile = fileNamePart(material.colorMap);
      PendingTexture pending;
      pending.textureId = id;
      pending.bitmapPath = textureFolder + colorFile;
      if (!material.opacityMap.empty()) pending.opacityPath = textureFolder + fileNamePart(material.opacityMap);
      if (!material.bumpMap.empty()) pending.bumpPath = textureFolder + fileNamePart(material.bumpMap);
      pending.textureName = material.colorMap;
      pending.replaces = exists;
      pending.mipmaps = mipmaps;
      pending.occlusion = equalsNoCase(colorFile, "SOccludet2.bmp");

      // A bitmap that exists but cannot be opened is reported by the check below.
      if (!canOpenForReading(pending.bitmapPath) && !fileExists(pending.bitmapPath)) {
        if (app.ignoredTextures.count(material.colorMap)) {
          if (ignoredNoteArmed)
            log.logMessage("NOTE: Some textures known to cause verification problems were ignored. "
                           "(see file \"Quorvel.ignoretextures.txt\")\n");
          ignoredNoteArmed = false;
          continue;
        }
        log.problem = true;
        log.logMessage("      WARNING: could not find \"%s\" in texture path \"%s\"", colorFile.c_str(),
                       textureFolder.c_str());
        if (!exists) {
          log.logMessage(", texture set to empty");
          material = Material{};
        }
        log.logMessage(".\n");
        continue;
      }
      if (!checkTextureBitmap(pending.bitmapPath, log)) {
        if (exists) {
          log.logMessage(", keeping original texture");
        } else {
          log.logMessage(", texture set to empty");
          material = Material{};
        }
        log.logMessage(".\n");
        continue;
      }
      if (log.verbose) {
        log.logMessage("  Texture: %s %s %s\n", pending.bitmapPath.c_str(), mipmapsTag(mipmaps),
                       occlusionTag(pending.occlusion));
        if (!pending.opacityPath.empty())
          log.logMessage(canOpenForReading(pending.opacityPath) ? "  Opacity: %s\n"
                                                                : "  Opacity (file not found): %s\n",
                         pending.opacityPath.c_str());
        if (!pending.bumpPath.empty())
          log.logMessage(canOpenForReading(pending.bumpPath) ? "  Bumpmap: %s\n"
                                                             : "  Bumpmap (file not found): %s\n",
                         pending.bumpPath.c_str());
      }
      app.pendingTextures[id] = std::move(pending);
      if (exists) ++replaced;
      else ++added;
    }
  }
  log.logMessage("Added %d new textures, replaced %d textures, skipped %d existing textures.\n", added, replaced,
                 skipped);
}

bool saveTextures(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  if (app.pendingTextures.empty()) {
    log.logMessage("\nNo new textures, no need to save PID and SWP.\n");
    return true;
  }
  log.logMessage("\nSaving PID and SWP...\n");
  TextureDatabase store;
  if (!store.BeginPidUpdate(level.pidPath, level.swpPath)) {
    log.logMessage("FATAL ERROR: could not open pid & swp for writing (BeginPidUpdate).\n");
    log.logMessage("       could not open %s.\n", store.failure.c_str());
    return false;
  }
  bool outOfSpace = false;
  store.outOfSpace = [&app, &outOfSpace](const std::string& message) {
    outOfSpace = true;
    MessageBoxRequest box;
    box.text = message;
    box.caption = "ERROR";
    box.owner = Owner::None;
    app.ui.messageBox(box);
    app.exitProcess(3);
  };

  for (const auto& [id, pending] : app.pendingTextures) {
    const bool ok = store.addTexture(pending.bitmapPath, id, pending.opacityPath, pending.bumpPath,
                                     pending.mipmaps, pending.occlusion);
    // Only reached when the exit hook returns (tests): the store is spent.
    if (outOfSpace) return false;
    if (!ok) {
      log.problem = true;
      log.logMessage("      ERROR: failed to add texture: %s\n", pending.bitmapPath.c_str());
      continue;
    }
    if (!log.verbose) continue;
    log.logMessage(pending.replaces ? "  Replaced Texture: %s" : "  Added Texture: %s", pending.textureName.c_str());
    log.logMessage(" %s %s\n", mipmapsTag(pending.mipmaps), occlusionTag(pending.occlusion));
    if (!pending.opacityPath.empty()) {
      if (canOpenForReading(pending.opacityPath))
        log.logMessage("  Used Opacity Map: %s\n", pending.opacityPath.c_str());
      else
        log.logMessage("  Used transparent palette entry zero (Opacity map was not found)\n");
    }
    if (!pending.bumpPath.empty() && canOpenForReading(pending.bumpPath))
      log.logMessage("  Used Bumpmap: %s\n", pending.bumpPath.c_str());
  }
  if (!store.EndPidUpdate(level.spzPath)) {
    log.logMessage("FATAL ERROR: could not open spz (EndPidUpdate).\n");
    log.logMessage("       could not save %s.\n", store.failure.c_str());
    return false;
  }
  return true;
}

bool updateSwp(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  const std::string remembered = app.settings->readString("Paths", "BmpImportPath", "\\");
  OpenFileRequest request;
  request.title = "Select any file from import directory";
  request.filterName = "Texture files (.bmp)";
  request.filterPattern = "*.bmp";
  request.initialFolder = folderPart(remembered);
  request.initialFile = fileNamePart(remembered);
  request.owner = Owner::MessagesWindow;
  std::optional<std::string> chosen = app.ui.openFile(request);
  if (!chosen) {
    log.logMessage("Load aborted.\n");
    return false;
  }
  std::string textureFolder = folderPart(*chosen);
  app.settings->writeString("Paths", "BmpImportPath", *chosen);

  log.logMessage("Loading level...\n");
  log.logMessage("File: \"%s\"\n", level.scnPath.c_str());
  SceneFile scene;
  scene.trace = app.traceStream;
  if (!scene.load(level.grfPath)) {
    log.problem = true;
    log.logMessage("ERROR: could not load the level's scene file \"%s\".\n", level.grfPath.c_str());
    return false;
  }
  // The import set borrows the scene's objects for this action only.
  struct ImportSetBorrow {
    AppContext& app;
    ~ImportSetBorrow() {
      app.importedMeshes.clear();
      app.importedInstances.clear();
    }
  } borrow{app};
  app.importedMeshes.clear();
  app.importedInstances.clear();
  for (const auto& mesh : scene.meshes) app.importedMeshes.emplace(mesh->name, mesh.get());
  for (const auto& instance : scene.instances) app.importedInstances.push_back(instance.get());
  log.problem = false;

  // Existing textures are kept and no names are rewritten.
  const bool normalize = app.importOptions.NormalizeTextureNames;
  app.importOptions.NormalizeTextureNames = false;
  log.verbose = false;
  if (!endsWithSeparator(textureFolder)) textureFolder += "\\";
  loadTextures(app, level, textureFolder, 0);
  app.importOptions.NormalizeTextureNames = normalize;

  if (app.pendingTextures.empty()) {
    log.logMessage("\nNo new textures to add to level.\n");
    return true;
  }
  if (log.problem) {
    log.logMessage(
        "\nThere were NOTEs, WARNINGs, or ERRORs.\nPlease review the above messages and then select an option "
        "from the message box.\n");
    MessageBoxRequest question;
    question.caption = "Confirm Save Level";
    question.text =
        "Some textures were not found, however Quorvel can't accurately determine which\ntextures are already in "
        "a level, so it may be safe to ignore this warning.\n\nDo you want to continue and update the PID and SWP?";
    question.buttons = Buttons::YesNo;
    question.owner = Owner::None;
    if (app.ui.messageBox(question) != Answer::Yes) {
      log.logMessage("Save level canceled.\n");
      return false;
    }
  }
  log.verbose = true;
  // A failed save is reported by saveTextures; the level is still verified
  // so the user sees what it holds, and the action counts as failed.
  const bool saved = saveTextures(app, level);
  if (saved) log.logMessage("done.\n");
  verifyLevel(app, level);
  return saved;
}

}  // namespace quorvel
