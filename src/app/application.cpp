#include "app/application.h"

#include "app/actions/dispatch.h"
#include "app/settings.h"
#include "app/actions/locate_level.h"
#include "level/level_location.h"
#include "platform/file_system.h"

namespace quorvel {

const char* const kStartupNoticeCaption = "Quorvel Technology Preview";
const char* const kStartupNoticeText =
    "IMPORTANT NOTES:\n"
    " - Back up the level data files, because they will be overwritten without warning\n"
    " - This is a technology preview, don't blame me if it breaks your install of\n"
    "   Halvorn (or anything else as well).\n"
    "\n"
    "WHAT IT DOES:\n"
    " - Loads .3ds/.grf files, adding meshes and instances to the level.\n"
    "   Bitmaps (in .bmp format) must be in this directory too.\n"
    " - The TScript for a mesh in <filename>.3ds must be in the <filename>.values.txt\n"
    "   file in the same directory. The group name must be the same as the name of the\n"
    "   mesh (case sensitive).\n"
    "\n"
    "FOR USE WITH DEMO VERSION:\n"
    " - All files must be in the Demo\\data directory\n"
    "\n"
    "FOR USE WITH THE FULL VERSION:\n"
    " - All files must be in the \"data\" directory, exept for the SWP which\n"
    "   must be in the \"Halvorn\" directory\n"
    "   This means you must have copied the CD to your harddrive and installed\n"
    "   it from there (because Quorvel can't write to a CD), and you can\n"
    "   not have installed the full patch.";

namespace {

constexpr size_t kMaxAnswerLength = 255;

// A list file of the program folder, or of the first further folder that
// has it; the program folder's path when none has it, so that the missing
// file is reported where the user is expected to put it.
std::string findListFile(const AppContext& app, const char* name) {
  std::string path = app.programFolder + name;
  if (canOpenForReading(path)) return path;
  for (const std::string& folder : app.listFolders)
    if (canOpenForReading(folder + name)) return folder + name;
  return path;
}

// The ignore-textures list first, then the known-values list and its lookup.
void loadListFiles(AppContext& app) {
  loadNameList(findListFile(app, "Quorvel.ignoretextures.txt"), app.ignoredTextures, app.log,
               app.ui);
  loadNameList(findListFile(app, "Quorvel.knownvalues.txt"), app.knownValues.names, app.log,
               app.ui);
  app.knownValues.build();
}

}  // namespace

bool startUp(AppContext& app) {
  app.log.openLogFile(app.programFolder + "Quorvel_log.txt");
  app.log.logMessage("Quorvel debug log\n=================\n");

  MessageBoxRequest notice;
  notice.caption = kStartupNoticeCaption;
  notice.text = kStartupNoticeText;
  notice.buttons = Buttons::OkCancel;
  if (app.ui.messageBox(notice) != Answer::Ok) return false;

  if (!app.settings) app.settings = openProfileStore(app.settingsPath());
  loadListFiles(app);
  return true;
}

int chooseAction(AppContext& app) {
  bool verbose = app.settings->readInt("StartupWindow", "VerboseMessages", 1) != 0;
  restoreWindowPosition(*app.settings, app.ui, Window::ActionDialog, "StartupWindow");
  ActionChoice choice = app.ui.chooseAction(verbose);
  saveWindowPosition(*app.settings, app.ui, Window::ActionDialog, "StartupWindow");
  // Closing the dialog by its close box leaves the verbose setting alone.
  if (choice.verboseChosen) {
    app.log.verbose = choice.verbose;
    app.settings->writeString("StartupWindow", "VerboseMessages", choice.verbose ? "1" : "0");
  } else {
    app.log.verbose = verbose;
  }
  return choice.code;
}

bool runPass(AppContext& app, int code) {
  app.log.closeRequested = false;
  restoreWindowPosition(*app.settings, app.ui, Window::MessagesWindow, "MainWindow");
  app.ui.openMessagesWindow();
  app.log.setWindow(&app.ui);
  app.log.pumpMessages();
  app.log.logMessage("Welcome to Quorvel.\nPlease select level and file or directory to import.\n\n");

  bool ran = false;
  LevelFiles level;
  if (!locateLevel(app, level)) app.log.logMessage("Load aborted.\n");
  else ran = runAction(app, code, level);

  app.log.pumpMessages();
  app.ui.enableClose();
  app.ui.waitForClose();
  app.log.closeRequested = true;
  app.log.setWindow(nullptr);
  app.ui.closeMessagesWindow();
  saveWindowPosition(*app.settings, app.ui, Window::MessagesWindow, "MainWindow");
  return ran;
}

void runActionLoop(AppContext& app) {
  for (;;) {
    app.log.closeRequested = false;
    int code = chooseAction(app);
    if (code == kActionExit) return;
    runPass(app, code);
  }
}

void shutDown(AppContext& app) { app.log.closeLogFile(); }

int runApplication(AppContext& app) {
  if (!startUp(app)) {
    shutDown(app);
    return 0;
  }
  runActionLoop(app);
  shutDown(app);
  return 0;
}

const std::string& askString(AppContext& app, const std::string& prompt) {
  app.promptText = prompt;
  std::string entered = app.ui.askString(app.promptText, app.answerText);
  if (entered.size() > kMaxAnswerLength) entered.resize(kMaxAnswerLength);
  if (!entered.empty()) app.answerText = entered;
  return app.answerText;
}

}  // namespace quorvel
