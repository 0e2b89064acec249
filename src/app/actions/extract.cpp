#include "app/actions/extract.h"

#include "app/application.h"
#include "tools/extract_model.h"

namespace quorvel {

bool extractModel(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  app.answerText.clear();
  const std::string name = askString(app, "Enter name of model to extract:");

  log.logMessage("Model to export: \"%s\"\n", name.c_str());
  // The name becomes a file name in the program folder: a name that would
  // leave that folder, or that no file system takes, is refused before any
  // work is done. An empty name would write the hidden file ".grf".
  if (name.empty()) {
    log.logMessage("ERROR: no model name given: an empty name can't be used as a file name.\n");
    log.logMessage("failed.\n");
    return false;
  }
  if (!isUsableModelFileName(name)) {
    log.logMessage(
        "ERROR: \"%s\" can't be used as a file name in the program folder\n"
        "       (no folders, drives or device names, and none of \\ / : * ? \" < > |).\n",
        name.c_str());
    log.logMessage("failed.\n");
    return false;
  }
  log.logMessage("Loading level...\n");

  SceneFile levelScene;
  levelScene.trace = app.traceStream;
  // An unreadable GRF simply has no instance of that name.
  levelScene.load(level.grfPath);

  MessageBoxRequest box;
  box.buttons = Buttons::OkCancel;
  box.owner = Owner::MessagesWindow;
  Instance* named = levelScene.findInstance(name);
  if (!named) {
    box.text = "Could not find instance with that name.";
    app.ui.messageBox(box);
    log.logMessage("failed.\n");
    return false;
  }
  Instance* base = named->mesh ? levelScene.findInstance(named->mesh->name) : nullptr;
  if (!base) {
    box.text = "Could not find base instance.";
    app.ui.messageBox(box);
    log.logMessage("failed.\n");
    return false;
  }

  log.logMessage("Adding objects to output grf...\n");
  InstanceCollection collection;
  collection.add(base);
  collectSubObjects(collection, levelScene, base);

  const std::string outputPath = app.programFolder + name + ".grf";
  if (!writeModelFile(collection, *base, outputPath, log, app.traceStream)) {
    log.logMessage("ERROR: Could not write \"%s\"\n", outputPath.c_str());
    log.logMessage("failed.\n");
    return false;
  }
  log.logMessage("done.\n");
  return true;
}

}  // namespace quorvel
