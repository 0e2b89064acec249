// A program run for tests: a strict scripted user interface whose
// unscripted questions fail the test, and the run state with its program
// folder (settings file, log file) in a fresh temporary folder.
#pragma once

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel::testing_support {

struct ScriptedRun {
  ScriptedRun() : ui(ScriptedUserInterface::Mode::Strict), app(ui, folder.path()) {
    ui.setUnscriptedHandler([](const std::string& question) {
      ADD_FAILURE() << "no scripted answer for " << question;
    });
    app.settings = openProfileStore(app.settingsPath());
    app.log.captureText(true);
  }

  TempDir folder;
  ScriptedUserInterface ui;
  AppContext app;
};

}  // namespace quorvel::testing_support
