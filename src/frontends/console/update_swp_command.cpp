// `quorvel update-swp`: --textures is the answer to the texture bitmap
// dialog, --yes the answer to the save question.
#include <filesystem>
#include <memory>

#include "commands.h"
#include "platform/file_system.h"
#include "util/path_text.h"

namespace quorvel {

namespace {

struct UpdateSwpOptions {
  std::string textures;
  bool yes = false;
};

}  // namespace

void addUpdateSwpOptions(ActionCommand& action) {
  auto options = std::make_shared<UpdateSwpOptions>();
  action.command->add_option("--textures", options->textures,
                             "Folder of the texture bitmaps (or any file in it)");
  action.command->add_flag("--yes", options->yes, "Update the PID and SWP even when textures were not found");
  action.prepare.push_back([options](ScriptedUserInterface& ui, AppContext&) {
    if (!options->textures.empty()) {
      std::string path = absolutePath(options->textures, currentDirectory());
      // A folder stands for a file in it: the dialog's answer is a file.
      if (std::filesystem::is_directory(resolvePath(path)) && !endsWithSeparator(path)) path += "/";
      ui.queueFile(path);
    }
    if (options->yes) ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  });
}

}  // namespace quorvel
