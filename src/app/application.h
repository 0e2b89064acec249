// The frame of every run: start-up with its notice, the loop that runs one
// chosen action at a time on one level, and the string-input dialog.
#pragma once

#include <string>

#include "app/app_context.h"

namespace quorvel {

// The notice shown at start-up (OK / Cancel).
extern const char* const kStartupNoticeCaption;
extern const char* const kStartupNoticeText;

// Opens the log file (program folder + "Quorvel_log.txt", truncated) and
// writes its header, shows the notice, opens the settings file when none is
// set and loads the two list files. False when the notice was not
// confirmed: the program then ends without further output.
bool startUp(AppContext& app);

// Shows the action dialog (verbose check box from "VerboseMessages" of
// section "StartupWindow", default on) and returns the code chosen; stores
// the verbose choice and the dialog's place.
int chooseAction(AppContext& app);

// One pass: messages window, welcome text, level location, the action,
// then the wait until the user closes the window. True when the action ran
// to its end; false when the level could not be located ("Load aborted.")
// or the action aborted or failed.
bool runPass(AppContext& app, int code);

// Passes until the user chooses Exit.
void runActionLoop(AppContext& app);

// Closes the log file.
void shutDown(AppContext& app);

// Start-up, the loop and the end; the program's exit code (0).
int runApplication(AppContext& app);

// The string-input dialog: shows `prompt` with the current answer text; a
// non-empty entry (cut to 255 characters) becomes the new answer text.
// Returns the answer text.
const std::string& askString(AppContext& app, const std::string& prompt);

}  // namespace quorvel
