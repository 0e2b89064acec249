// The batch subcommands of the six actions.
#include <deque>
#include <iostream>

#include "app/application.h"
#include "commands.h"
#include "platform/data_folders.h"
#include "platform/file_system.h"
#include "util/path_text.h"

namespace quorvel {

namespace {

// Stable storage for the commands: CLI11 writes into them while parsing.
std::deque<ActionCommand>& actionCommands() {
  static std::deque<ActionCommand> commands;
  return commands;
}

ActionCommand& addActionCommand(CLI::App& cli, CommandTable& table, const char* name, int code,
                                const char* description) {
  ActionCommand& action = actionCommands().emplace_back();
  action.code = code;
  action.command = cli.add_subcommand(name, description);
  action.command->add_option("--level", action.level, "The level's SCN file")->required();
  action.command->add_flag_function(
      "--verbose,!--no-verbose",
      [&action](int64_t count) { action.verbose = count > 0; },
      "Write detailed progress (default: the stored choice of the action dialog)");
  action.command->add_flag("--no-backup", action.noBackup,
                            "Do not back up the level files before they change (for scripts that keep their own copies)");
  table.add(action.command, [&action] { return runActionCommand(action); });
  return action;
}

}  // namespace

void registerActionCommands(CLI::App& cli, CommandTable& table) {
  ActionCommand& importFile =
      addActionCommand(cli, table, "import", kActionImportFile, "Import one model file into the level");
  ActionCommand& importDirectory = addActionCommand(cli, table, "import-dir", kActionImportDirectory,
                                                    "Import every model file of a directory into the level");
  ActionCommand& updateSwp = addActionCommand(cli, table, "update-swp", kActionUpdateSwp,
                                              "Add the textures the level's meshes name to its texture store");
  ActionCommand& verify = addActionCommand(cli, table, "verify", kActionVerify,
                                           "Report things known to cause problems in the game");
  ActionCommand& rename = addActionCommand(cli, table, "rename", kActionRename, "Copy or move the level to a new name");
  ActionCommand& extract = addActionCommand(cli, table, "extract", kActionExtract,
                                            "Write one instance and its sub-objects as a GRF file");
  ActionCommand& backups = addActionCommand(cli, table, "backups", kActionListBackups,
                                            "List the backups of the level's files, oldest first");
  ActionCommand& restore = addActionCommand(cli, table, "restore", kActionRestore,
                                            "Put back the level's files from a backup");
  (void)backups;
  // Each action's own options, from its own file.
  addExtractOptions(extract);
  addImportOptions(importFile, false);
  addImportOptions(importDirectory, true);
  addUpdateSwpOptions(updateSwp);
  addVerifyOptions(verify);
  addRestoreOptions(restore);
  addRenameOptions(rename);
}

int runActionCommand(const ActionCommand& action) {
  ScriptedUserInterface ui(ScriptedUserInterface::Mode::Batch);
  ui.setEcho(stdout, stderr);
  ui.setStandingAnswer(kStartupNoticeCaption, Answer::Ok);
  ui.silence(kStartupNoticeCaption);
  // The file dialog hands back full paths; so does --level.
  std::string folder = currentDirectory();
  ui.queueFile(absolutePath(action.level, folder));

  AppContext app(ui, folder);
  app.traceStream = stderr;
  app.listFolders = installedDataFolders();
  if (!startUp(app)) return 1;
  app.log.verbose = action.verbose.value_or(app.settings->readInt("StartupWindow", "VerboseMessages", 1) != 0);
  app.makeBackups = !action.noBackup;
  for (const auto& step : action.prepare) step(ui, app);
  bool ran = runPass(app, action.code);
  shutDown(app);
  // A setting that could not be saved (reported on standard error) fails the run.
  if (app.settings && app.settings->saveFailed()) return 1;
  if (ran && action.strict && app.lastVerification && app.lastVerification->errors > 0) return 1;
  return ran ? 0 : 1;
}

}  // namespace quorvel
