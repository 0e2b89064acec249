#include "app/actions/update_swp.h"

#include <map>
#include <string>

#include "app/actions/backup.h"
#include "app/actions/file_dialog.h"
#include "app/actions/verify.h"
#include "textures/texture_update.h"
#include "util/path_text.h"

namespace quorvel {

bool updateSwp(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  const std::string remembered = app.settings->readString("Paths", "BmpImportPath", "\\");
  std::optional<std::string> chosen = app.ui.openFile(
      fileDialogAt("Select any file from import directory", "Texture files (.bmp)", "*.bmp", remembered));
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
  // The texture phase walks the level's meshes by name, as it walks the
  // meshes of an import.
  std::map<std::string, Mesh*> meshes;
  for (const auto& mesh : scene.meshes) meshes.emplace(mesh->name, mesh.get());
  log.problem = false;

  // Existing textures are kept and no names are rewritten.
  TexturePhaseOptions options;
  if (!endsWithSeparator(textureFolder)) textureFolder += "\\";
  options.textureFolder = textureFolder;
  options.normalizeTextureNames = false;
  options.replace = ReplacePolicy::Never;
  log.verbose = false;
  const PendingTextures pending = loadTextures(meshes, level, options, app.ignoredTextures, log, app.ui);

  if (pending.empty()) {
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
  if (!backUpLevelFiles(app, level, "update-swp", {level.pidPath, level.swpPath, level.spzPath})) return false;
  // A failed save is reported by saveTextures; the level is still verified
  // so the user sees what it holds, and the action counts as failed.
  const bool saved = saveTextures(pending, level, log, app.ui, app.exitProcess);
  if (saved) log.logMessage("done.\n");
  verifyLevel(app, level);
  return saved;
}

}  // namespace quorvel
