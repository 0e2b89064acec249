// `quorvel rename --level L.scn --to NEW [--move] [--overwrite]`: --to is
// the answer to the string prompt; the warning is answered Yes, "Keep
// original files?" Yes unless --move, and the overwrite question No unless
// --overwrite.
#include <memory>

#include "commands.h"

namespace quorvel {

namespace {

struct RenameOptions {
  std::string to;
  bool move = false;
  bool overwrite = false;
};

}  // namespace

void addRenameOptions(ActionCommand& action) {
  auto options = std::make_shared<RenameOptions>();
  action.command->add_option("--to", options->to, "The new level name")->required();
  action.command->add_flag("--move", options->move, "Move the files instead of copying them");
  action.command->add_flag("--overwrite", options->overwrite, "Replace files that already have the new name");
  action.prepare.push_back([options](ScriptedUserInterface& ui, AppContext&) {
    ui.queueString(options->to);
    ui.setStandingAnswer("Rename Level", Answer::Yes);
    ui.setStandingAnswer("Message", options->move ? Answer::No : Answer::Yes);
    ui.setStandingAnswer("Confirm Overwrite", options->overwrite ? Answer::Yes : Answer::No);
  });
}

}  // namespace quorvel
