// `quorvel extract --level L.scn --instance NAME`: the instance name is the
// answer to the string-input dialog.
#include <memory>

#include "commands.h"

namespace quorvel {

void addExtractOptions(ActionCommand& extract) {
  auto instance = std::make_shared<std::string>();
  extract.command
      ->add_option("--instance", *instance,
                   "The instance whose object is extracted; written to NAME.grf in the "
                   "current folder")
      ->required();
  extract.prepare.push_back(
      [instance](ScriptedUserInterface& ui, AppContext&) { ui.queueString(*instance); });
}

}  // namespace quorvel
