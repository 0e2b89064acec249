// The state of one program run: the message log and its flags, the user
// interface, the settings file, the two lists and the import options. The
// front end owns it and passes it to every action, so two runs (in tests)
// never share anything.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/message_log.h"
#include "report/report_writer.h"
#include "import/import_options.h"
#include "platform/profile_store.h"
#include "platform/user_interface.h"
#include "values/known_values.h"

namespace quorvel {

struct AppContext {
  AppContext(UserInterface& userInterface, std::string folder);

  UserInterface& ui;
  MessageLog log;
  // The working directory at start-up, ending in a separator.
  std::string programFolder;
  std::unique_ptr<ProfileStore> settings;

  NameList ignoredTextures;
  KnownValues knownValues;
  // Further folders (ending in a separator) searched for a list file that is
  // not in the program folder; the console program's installed data folder.
  std::vector<std::string> listFolders;
  ImportOptions importOptions;

  // Ends the process after the one fatal error (no texture space left);
  // tests put a hook of their own here.
  std::function<void(int exitCode)> exitProcess = [](int exitCode) { std::exit(exitCode); };

  // The prompt and answer texts of the string-input dialog.
  std::string promptText = "Enter a string:";
  std::string answerText;

  // Where scene readers and writers print their trace lines ("Loading: ...");
  // the console front end sends them to standard error; null = silent.
  std::FILE* traceStream = stdout;

  // Whether actions back up the level files before they change them
  // (off for scripts that keep their own copies: "--no-backup").
  bool makeBackups = true;

  // The problem lines of the last verification report of this run; the
  // batch option "--strict" fails when it held an error.
  std::optional<ProblemCounts> lastVerification;

  std::string settingsPath() const { return programFolder + "Quorvel.ini"; }
};

}  // namespace quorvel
