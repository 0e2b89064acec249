#include "level/level_location.h"

#include "platform/file_system.h"
#include "platform/installation.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

constexpr size_t kMaxPath = 260;

// Installation folders are joined to file names by plain concatenation; a
// value set without its closing separator would otherwise name a file
// beside the folder instead of one inside it.
std::string asFolder(const std::string& folder) {
  return folder.empty() || endsWithSeparator(folder) ? folder : folder + "\\";
}

}  // namespace

std::string levelDirectoryOf(const std::string& chosenPath) {
  return toLowerAscii(folderPart(chosenPath));
}

std::string levelNameOf(const std::string& chosenPath) {
  const std::string base = fileNamePart(chosenPath);
  size_t cut = base.rfind('-');
  if (cut == std::string::npos) cut = base.rfind('.');
  return toLowerAscii(cut == std::string::npos ? base : base.substr(0, cut));
}

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
  std::string dataFolder;
  if (!installation.dataDrive.empty()) dataFolder = asFolder(installation.dataDrive) + "data\\";

  std::string lastPath = app.settings->readString("Paths", "LevelLoadPath",
                                                  dataFolder.empty() ? "\\" : dataFolder, kMaxPath);
  OpenFileRequest dialog;
  dialog.title = "Select Level";
  dialog.filterName = "Halvorn Scene files (.scn)";
  dialog.filterPattern = "*.scn";
  dialog.initialFolder = folderPart(lastPath);
  dialog.initialFile = fileNamePart(lastPath);
  dialog.maxLength = kMaxPath;
  dialog.owner = Owner::MessagesWindow;
  std::optional<std::string> chosen = app.ui.openFile(dialog);
  if (!chosen || chosen->empty()) return false;
  std::string chosenPath = chosen->substr(0, kMaxPath);
  app.settings->writeString("Paths", "LevelLoadPath", chosenPath);

  std::string directory = levelDirectoryOf(chosenPath);
  std::string name = levelNameOf(chosenPath);

  if (!installation.patchDir.empty()) {
    MessageBoxRequest notice;
    notice.caption = "Notice about Halvorn Patched version";
    notice.text = formatText(
        "To use Quorvel with the patched version of Halvorn: After saving a level you\n"
        "must manually copy the level's GRF and SCN files from \"%s\" to\n"
        "the Halvorn\\patch directory \"%s\".",
        directory.c_str(), installation.patchDir.c_str());
    app.ui.messageBox(notice);
  }

  level.name = name;
  level.scnPath = directory + name + ".scn";
  if (!checkLevelFile(app, level.scnPath)) return false;
  level.grfPath = directory + name + ".grf";
  if (!checkLevelFile(app, level.grfPath)) return false;
  level.pidPath = directory + name + "-130.pid";
  if (!checkLevelFile(app, level.pidPath)) return false;

  level.spzPath = directory + name + "-130.spz";
  if (!canOpenForReading(level.spzPath)) level.spzPath.clear();

  // The full version keeps the SWP in its installation folder and has an
  // SPZ beside the SCN; the demo keeps the SWP beside the SCN.
  std::string swpPath;
  if (!level.spzPath.empty()) {
    if (!installation.installedDirectory.empty())
      swpPath = asFolder(installation.installedDirectory) + name + "-130.swp";
  } else {
    swpPath = directory + name + "-130.swp";
  }
  level.swpPath = !swpPath.empty() && canOpenForReading(swpPath) ? swpPath : std::string();
  return true;
}

}  // namespace quorvel
