#include "app/actions/rename.h"

#include <algorithm>

#include "app/actions/backup.h"
#include "app/actions/verify.h"
#include "app/application.h"
#include "platform/file_system.h"
#include "textures/texture_database.h"
#include "tools/level_rename.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

bool ask(AppContext& app, const char* caption, const char* text) {
  MessageBoxRequest question;
  question.caption = caption;
  question.text = text;
  question.buttons = Buttons::YesNo;
  question.owner = Owner::MessagesWindow;
  return app.ui.messageBox(question) == Answer::Yes;
}

bool cancelled(MessageLog& log) {
  log.logMessage("Rename level cancelled.\n");
  return false;
}

// A refusal: nothing on disk has changed.
bool refuse(MessageLog& log, const std::string& errorLine) {
  log.problem = true;
  log.logMessage("%s", errorLine.c_str());
  return cancelled(log);
}

bool failed(MessageLog& log, const std::string& errorLine) {
  log.problem = true;
  log.logMessage("%s", errorLine.c_str());
  log.logMessage("Rename level failed.\n");
  return false;
}

bool writeFailed(MessageLog& log, const std::string& path) {
  return failed(log, formatText("ERROR: could not write \"%s\"\n", path.c_str()));
}

}  // namespace

bool renameLevel(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  log.logMessage("Loading level...\n");
  log.logMessage("File: \"%s\"\n", level.scnPath.c_str());
  if (!ask(app, "Rename Level",
           "IMPORTANT: The original Halvorn levels may not work when renamed.\nLevels created from scratch (for "
           "example minilev) should work fine.\n\nDo you wish to continue?"))
    return cancelled(log);

  app.answerText = "newlev";
  // Levels are opened by their lower-cased names.
  const std::string newName = toLowerAscii(askString(app, "Enter name of new level:"));
  if (auto problem = levelNameProblem(newName, level.name)) return refuse(log, *problem);

  SceneFile scene;
  scene.trace = app.traceStream;
  // What the reader left of an unreadable GRF would replace the level's.
  if (!scene.load(level.grfPath))
    return refuse(log, formatText("ERROR: could not load the level's scene file \"%s\".\n", level.grfPath.c_str()));
  const std::string terrain = terrainFileName(scene, level.grfPath);
  if (!isPlainTerrainName(terrain))
    return refuse(log, formatText("ERROR: the TerrainPlacement \"File\" value \"%s\" names a file in another "
                                  "folder.\n",
                                  terrain.c_str()));
  if (auto overlong = overlongRenamedTextureName(scene, newName))
    return refuse(log, formatText("ERROR: the texture name \"%s\" would be longer than a scene file holds (255 "
                                  "bytes).\n",
                                  overlong->c_str()));
  const std::string oldWtdPath = terrainFilePath(level.grfPath, terrain);
  const RenamedLevel renamed = renamedLevel(level, oldWtdPath, newName);
  const LevelFiles& files = renamed.files;

  const bool copy = ask(app, "Message", "Keep original files? (ie. copy to new name instead of move)");

  // A file that already is its own new name (the terrain file when its
  // "File" value is the new name) is left where it is.
  std::vector<FileTransfer> transfers;
  for (const FileTransfer& transfer : levelFileTransfers(level, oldWtdPath, renamed)) {
    if (!isSameFile(transfer.from, transfer.to)) transfers.push_back(transfer);
  }
  const std::string staleSpz = level.spzPath.empty() ? spzBesidePid(files.pidPath) : std::string();
  bool existing = !staleSpz.empty() && canOpenForReading(staleSpz);
  for (const FileTransfer& transfer : transfers) existing = existing || canOpenForReading(transfer.to);
  if (existing && !ask(app, "Confirm Overwrite",
                       "Some files with the new level name already exist,\ndo you wish to overwrite them?"))
    return cancelled(log);

  // What the rename changes: the files it would overwrite, and the
  // originals a move removes.
  std::vector<std::string> changing;
  for (const FileTransfer& transfer : transfers) {
    if (canOpenForReading(transfer.to)) changing.push_back(transfer.to);
    if (!copy) changing.push_back(transfer.from);
  }
  if (!staleSpz.empty() && canOpenForReading(staleSpz)) changing.push_back(staleSpz);
  const bool anyChanging = std::any_of(changing.begin(), changing.end(),
                                       [](const std::string& path) { return canOpenForReading(path); });
  if (anyChanging && !backUpLevelFiles(app, level, copy ? "rename-copy" : "rename-move", changing))
    return failed(log, "");

  std::string reason;
  if (!staleSpz.empty() && canOpenForReading(staleSpz) && !deleteFile(staleSpz, &reason))
    return failed(log, formatText("ERROR: could not remove \"%s\": %s\n", staleSpz.c_str(), reason.c_str()));

  log.logMessage(copy ? "Copying files to new level name \"%s\"...\n" : "Moving files to new level name \"%s\"...\n",
                 newName.c_str());
  // Every file is copied first, in both modes: the originals of a move go
  // only once the renamed level is complete, so a failure loses nothing.
  std::vector<std::string> copied;
  for (const FileTransfer& transfer : transfers) {
    if (!fileExists(transfer.from)) continue;  // a level without a terrain file, say
    if (!copyFileReplacing(transfer.from, transfer.to, &reason))
      return failed(log, formatText("ERROR: could not copy \"%s\" to \"%s\": %s\n", transfer.from.c_str(),
                                    transfer.to.c_str(), reason.c_str()));
    copied.push_back(transfer.from);
  }

  log.logMessage("Updating SCN \"%s\"...\n", files.scnPath.c_str());
  if (!writeLevelHeader(files.scnPath, files.grfPath, app.traceStream)) return writeFailed(log, files.scnPath);

  log.logMessage("Updating texture names in GRF \"%s\"...\n", files.grfPath.c_str());
  log.logMessage("Updating texture references in PID \"%s\"...\n", files.pidPath.c_str());
  TextureDatabase store;
  const bool pidRead = store.read(files.pidPath);
  const AnimatedTextures animated = renameSceneReferences(scene, files, log);
  if (pidRead) {
    renameTextureIds(store, animated, level.name, newName, log);
  } else {
    log.problem = true;
    log.logMessage("WARNING: could not read the PID \"%s\"; its texture identifiers are left as they were.\n",
                   files.pidPath.c_str());
  }
  if (!scene.save(files.grfPath)) return writeFailed(log, files.grfPath);
  if (pidRead && !store.write(files.pidPath)) return writeFailed(log, files.pidPath);

  if (!copy) {
    for (const std::string& original : copied) {
      if (!deleteFile(original, &reason)) {
        log.problem = true;
        log.logMessage("WARNING: could not remove \"%s\": %s\n", original.c_str(), reason.c_str());
      }
    }
  }
  log.logMessage("done.\n");
  verifyLevel(app, files);
  return true;
}

}  // namespace quorvel
