// `quorvel backups --level L.scn` lists the backups of a level;
// `quorvel restore --level L.scn [--backup NAME] [--yes]` puts one back (the
// newest without --backup; without --yes the question is answered No).
#include <memory>

#include "commands.h"

namespace quorvel {

namespace {

struct RestoreOptions {
  std::string backup;
  bool yes = false;
};

}  // namespace

void addRestoreOptions(ActionCommand& restore) {
  auto options = std::make_shared<RestoreOptions>();
  restore.command->add_option("--backup", options->backup, "The backup to put back (default: the newest)");
  restore.command->add_flag("--yes", options->yes, "Put the files back (without it nothing is changed)");
  restore.prepare.push_back([options](ScriptedUserInterface& ui, AppContext&) {
    ui.queueString(options->backup);
    if (options->yes) ui.setStandingAnswer("Confirm Restore", Answer::Yes);
  });
}

}  // namespace quorvel
