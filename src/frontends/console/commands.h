// The console program's commands. main() registers each command with one
// call; a command's own file adds its options, which it keeps in a
// shared_ptr captured by its `prepare` steps.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/app_context.h"
#include "platform/scripted_ui.h"

namespace quorvel {

// The chosen command runs and returns the process exit code.
struct CommandTable {
  std::vector<std::pair<CLI::App*, std::function<int()>>> commands;
  void add(CLI::App* command, std::function<int()> run) { commands.emplace_back(command, std::move(run)); }
};

// A batch action: `quorvel ACTION --level PATH.scn [options]`. The options
// of an action turn into scripted answers or settings of the run through
// the `prepare` steps, which run after start-up state exists and before the
// action starts.
struct ActionCommand {
  CLI::App* command = nullptr;
  int code = 0;
  std::string level;
  std::optional<bool> verbose;  // unset: the stored "VerboseMessages"
  // Fail (exit 1) when the verification report held an "ERROR:" line.
  bool strict = false;
  // No backups before the level files change ("--no-backup").
  bool noBackup = false;
  std::vector<std::function<void(ScriptedUserInterface&, AppContext&)>> prepare;
};

// The action subcommands: import, import-dir, update-swp, verify, rename,
// extract, and backups and restore.
void registerActionCommands(CLI::App& cli, CommandTable& table);

// `--instance NAME` of the extract command.
void addExtractOptions(ActionCommand& extract);
// `import MODEL` and `import-dir DIR`: the options of the Import Options
// dialog (starting from the stored settings) and the answers --yes,
// --add-unused-instances and --replace-textures.
void addImportOptions(ActionCommand& action, bool directoryMode);
// `rename`: --to (the new name), --move and --overwrite.
void addRenameOptions(ActionCommand& action);
// `update-swp`: --textures (the texture bitmap dialog's answer) and --yes.
void addUpdateSwpOptions(ActionCommand& action);
// `restore`: --backup NAME and --yes.
void addRestoreOptions(ActionCommand& restore);
// `verify`: --strict.
void addVerifyOptions(ActionCommand& verify);

// Runs one action in batch mode: the notice is confirmed, the level dialog
// answers `--level`, every other question gets its scripted or safe answer.
// 0 when the action ran, 1 when it was aborted or failed.
int runActionCommand(const ActionCommand& action);

// `dump FILE [--json [--geometry]]` and `resave IN OUT`.
void registerSceneCommands(CLI::App& cli, CommandTable& table);

// `export MODEL|--level L.scn --out FILE.glb`; only where the model library
// is found.
void registerExportCommand(CLI::App& cli, CommandTable& table);

// The interactive action loop on the terminal.
int runInteractive();

}  // namespace quorvel
