#include "app/actions/import.h"

#include <memory>
#include <optional>
#include <string>

#include "app/actions/backup.h"
#include "app/actions/file_dialog.h"
#include "app/actions/import_options_dialog.h"
#include "app/actions/verify.h"
#include "import/import_merge.h"
#include "import/import_set.h"
#include "import/model_files.h"
#include "level/scene.h"
#include "textures/texture_update.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

constexpr size_t kMaxPath = 260;

// The console program also reads the formats of the general model library;
// the Windows program offers what the game's own tools read.
#ifdef QUORVEL_HAVE_ASSIMP
constexpr const char* kModelFilter = "Object files (.3ds;.grf;.tpm;.gltf;.glb;.obj;.fbx;.dae)";
constexpr const char* kModelPattern = "*.3ds;*.grf;*.tpm;*.gltf;*.glb;*.obj;*.fbx;*.dae";
#else
constexpr const char* kModelFilter = "Object files (.3ds;.grf;.tpm)";
constexpr const char* kModelPattern = "*.3ds;*.grf;*.tpm";
#endif

// Steps 1 to 3: the model file (or any file of the import folder). Nothing
// when the user cancelled.
std::optional<std::string> chooseModel(AppContext& app, bool directoryMode) {
  const std::string remembered = app.settings->readString("Paths", "3dsImportPath", "\\", kMaxPath - 1);
  OpenFileRequest request =
      fileDialogAt(directoryMode ? "Select any file from import directory" : "Select import file",
                   kModelFilter, kModelPattern, remembered);
  request.maxLength = kMaxPath;
  std::optional<std::string> chosen = app.ui.openFile(request);
  if (!chosen || chosen->empty()) return std::nullopt;
  return chosen->substr(0, kMaxPath);
}

bool askYesNo(AppContext& app, const char* caption, const char* text, Owner owner) {
  MessageBoxRequest question;
  question.caption = caption;
  question.text = text;
  question.buttons = Buttons::YesNo;
  question.owner = owner;
  return app.ui.messageBox(question) == Answer::Yes;
}

// Step 12: the question, then the texture store, the GRF and the SCN, each
// replaced atomically; the first that fails stops the save.
bool saveLevel(AppContext& app, const LevelFiles& level, SceneFile& scene, const PendingTextures& textures) {
  MessageLog& log = app.log;
  const char* question;
  if (log.problem) {
    log.logMessage(
        "\nThere were NOTEs, WARNINGs, or ERRORs.\nPlease review the above messages and then select an option "
        "from the message box.\n");
    question = "The level may not behave as expected. Please review the messages window.\n\n"
               "Do you want to continue with level save?";
  } else {
    log.logMessage("\nContinue with level save?\n");
    question = "The import appears to have worked, but you may like to review the messages window.\n\n"
               "Do you want to continue with level save?";
  }
  if (!askYesNo(app, "Confirm Save Level", question, Owner::None)) {
    log.logMessage("Save level canceled.\n");
    return false;
  }
  if (!backUpLevelFiles(app, level, "import", levelFilePaths(level))) return false;
  if (!saveTextures(textures, level, log, app.ui, app.exitProcess)) return false;
  log.logMessage("Saving GRF \"%s\"...\n", level.grfPath.c_str());
  if (!scene.save(level.grfPath)) {
    log.problem = true;
    log.logMessage("ERROR: could not write \"%s\"; the level's GRF and SCN are unchanged.\n", level.grfPath.c_str());
    return false;
  }
  log.logMessage("Saving SCN \"%s\"...\n", level.scnPath.c_str());
  if (!writeLevelHeader(level.scnPath, level.grfPath, app.traceStream)) {
    log.problem = true;
    log.logMessage("ERROR: could not write \"%s\".\n", level.scnPath.c_str());
    return false;
  }
  log.logMessage("done.\n");
  return true;
}

}  // namespace

bool runImport(AppContext& app, const LevelFiles& level, bool directoryMode) {
  MessageLog& log = app.log;
  std::optional<std::string> chosen = chooseModel(app, directoryMode);
  if (!chosen) {
    log.logMessage("Load aborted.\n");
    return false;
  }
  const std::string importFolder = toLowerAscii(folderPart(*chosen));
  app.settings->writeString("Paths", "3dsImportPath", importFolder);
  if (!runImportOptions(app)) {
    log.logMessage("Load aborted.\n");
    return false;
  }

  log.logMessage("Loading level...\n");
  log.logMessage("File: \"%s\"\n", level.scnPath.c_str());
  log.problem = false;
  auto levelScene = std::make_unique<SceneFile>();
  SceneFile& scene = *levelScene;
  scene.trace = app.traceStream;
  if (!scene.load(level.grfPath)) {
    // Merging into what a damaged file left behind would lose the level.
    log.problem = true;
    log.logMessage("ERROR: could not load the level's scene file \"%s\".\n", level.grfPath.c_str());
    log.logMessage("Load aborted.\n");
    return false;
  }

  log.logMessage("\nLoading object import files...\n");
  ImportSet imported(log);
  if (directoryMode) {
    importModelFolder(importFolder, imported, log, app.traceStream);
  } else {
    importModelFile(*chosen, imported, log, app.traceStream);
  }

  MergeOutcome outcome;
  mergeMeshes(imported, scene, app.importOptions, app.knownValues, log, outcome);
  mergeInstances(imported, scene, app.importOptions, log, outcome);

  outcome.discarded.clear();
  std::vector<Mesh*> unused = unusedMeshes(scene);
  if (!unused.empty() &&
      askYesNo(app, "Confirm",
               "Some meshes are not used in the level, would you like to add instances\n"
               "for them? (The instances will appear at position <0,0,0>)",
               Owner::MessagesWindow)) {
    addInstancesForMeshes(unused, scene, log);
    outcome.changed = true;
  }

  TexturePhaseOptions textureOptions;
  textureOptions.textureFolder = endsWithSeparator(importFolder) ? importFolder : importFolder + "\\";
  textureOptions.normalizeTextureNames = app.importOptions.NormalizeTextureNames;
  textureOptions.replace = ReplacePolicy::Ask;
  const PendingTextures textures =
      loadTextures(outcome.mergedMeshes, level, textureOptions, app.ignoredTextures, log, app.ui);

  if (!outcome.changed) {
    log.logMessage("\nLevel is unchanged, nothing to save.\n");
    return true;
  }
  if (!saveLevel(app, level, scene, textures)) return false;
  // The verification reads the saved file into a scene of its own.
  levelScene.reset();
  verifyLevel(app, level);
  return true;
}

}  // namespace quorvel
