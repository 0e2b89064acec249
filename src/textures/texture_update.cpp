#include "textures/texture_update.h"

#include <algorithm>

#include "platform/file_system.h"
#include "textures/bmp_reader.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "util/path_text.h"
#include "util/text_format.h"
#include "values/value_rules.h"

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

PendingTextures loadTextures(const std::map<std::string, Mesh*>& meshes, const LevelFiles& level,
                             const TexturePhaseOptions& options, const NameList& ignoredTextures,
                             MessageSink& log, UserInterface& ui) {
  log.logMessage("\nLoading textures...\n");
  TextureDatabase store;
  store.read(level.pidPath);  // a store that cannot be read leaves every texture new
  int added = 0, replaced = 0, skipped = 0;
  PendingTextures pendingTextures;
  ReplacePolicy replace = options.replace;
  const std::string& textureFolder = options.textureFolder;
  bool ignoredNoteArmed = true;

  for (const auto& [meshName, mesh] : meshes) {
    if (!mesh) continue;
    const bool mipmaps = wantsMipmaps(*mesh);
    const float diffuse = diffuseFactor(mesh->values.get());
    for (Material& material : mesh->materials) {
      if (options.normalizeTextureNames) {
        material.colorMap = convertTextureName(material.colorMap, level);
        material.opacityMap = convertTextureName(material.opacityMap, level);
        material.bumpMap = convertTextureName(material.bumpMap, level);
      }
      if (material.colorMap.empty()) continue;
      const uint32_t id = textureId(diffuse, material.colorMap, material.bumpMap);
      const bool exists = std::any_of(store.entries.begin(), store.entries.end(),
                                      [id](const TextureEntry& e) { return e.textureId == id; });
      if (exists && replace == ReplacePolicy::Ask) {
        MessageBoxRequest question;
        question.text = "Some textures already exist in level, replace them?";
        question.buttons = Buttons::YesNo;
        question.defaultButton = 1;
        question.owner = Owner::MessagesWindow;
        replace = ui.messageBox(question) == Answer::Yes ? ReplacePolicy::Always : ReplacePolicy::Never;
      }
      if (exists && replace == ReplacePolicy::Never) {
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
        if (ignoredTextures.count(material.colorMap)) {
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
      pendingTextures[id] = std::move(pending);
      if (exists) ++replaced;
      else ++added;
    }
  }
  log.logMessage("Added %d new textures, replaced %d textures, skipped %d existing textures.\n", added, replaced,
                 skipped);
  return pendingTextures;
}

bool saveTextures(const PendingTextures& pendingTextures, const LevelFiles& level, MessageSink& log,
                  UserInterface& ui, const ExitProcess& exitProcess) {
  if (pendingTextures.empty()) {
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
  store.outOfSpace = [&ui, &exitProcess, &outOfSpace](const std::string& message) {
    outOfSpace = true;
    MessageBoxRequest box;
    box.text = message;
    box.caption = "ERROR";
    box.owner = Owner::None;
    ui.messageBox(box);
    exitProcess(3);
  };

  for (const auto& [id, pending] : pendingTextures) {
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

}  // namespace quorvel
