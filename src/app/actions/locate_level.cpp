#include "app/actions/locate_level.h"

#include "app/actions/file_dialog.h"
#include "level/level_location.h"
#include "platform/file_system.h"
#include "platform/installation.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

constexpr size_t kMaxPath = 260;

}  // namespace

bool checkLevelFile(AppContext& app, const std::string& path) {
  MessageBoxRequest box;
  if (!canOpenForReading(path)) {
    box.caption = "File Not Found";
    box.text = formatText("File \"%s\"\ndoes not exist, cannot load level.", path.c_str());
    app.ui.messageBox(box);
    return false;
  }
  if (!canOpenForUpdate(path)) {
    box.caption = "Read-Only File";
    box.text = formatText("File \"%s\"\nis read-only, cannot save level.", path.c_str());
    app.ui.messageBox(box);
    return false;
  }
  return true;
}

bool locateLevel(AppContext& app, LevelFiles& level) {
  InstallationValues installation = readInstallationValues();
  std::string dataFolder = dataFolderOf(installation);

  std::string lastPath = app.settings->readString("Paths", "LevelLoadPath",
                                                  dataFolder.empty() ? "\\" : dataFolder, kMaxPath);
  OpenFileRequest dialog = fileDialogAt("Select Level", "Halvorn Scene files (.scn)", "*.scn", lastPath);
  dialog.maxLength = kMaxPath;
  std::optional<std::string> chosen = app.ui.openFile(dialog);
  if (!chosen || chosen->empty()) return false;
  std::string chosenPath = chosen->substr(0, kMaxPath);
  app.settings->writeString("Paths", "LevelLoadPath", chosenPath);

  if (!installation.patchDir.empty()) {
    MessageBoxRequest notice;
    notice.caption = "Notice about Halvorn Patched version";
    notice.text = formatText(
        "To use Quorvel with the patched version of Halvorn: After saving a level you\n"
        "must manually copy the level's GRF and SCN files from \"%s\" to\n"
        "the Halvorn\\patch directory \"%s\".",
        levelDirectoryOf(chosenPath).c_str(), installation.patchDir.c_str());
    app.ui.messageBox(notice);
  }

  level = LevelFiles{};
  LevelFiles found = levelFilesFor(chosenPath, installation);
  level.name = found.name;
  level.scnPath = found.scnPath;
  if (!checkLevelFile(app, level.scnPath)) return false;
  level.grfPath = found.grfPath;
  if (!checkLevelFile(app, level.grfPath)) return false;
  level.pidPath = found.pidPath;
  if (!checkLevelFile(app, level.pidPath)) return false;
  level.spzPath = found.spzPath;
  level.swpPath = found.swpPath;
  return true;
}

}  // namespace quorvel
