#include "level/level_location.h"

#include "platform/file_system.h"
#include "util/text_format.h"
#include "util/path_text.h"

namespace quorvel {

namespace {

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

std::string dataFolderOf(const InstallationValues& installation) {
  if (installation.dataDrive.empty()) return std::string();
  return asFolder(installation.dataDrive) + "data\\";
}

LevelFiles levelFilesFor(const std::string& chosenPath, const InstallationValues& installation) {
  const std::string directory = levelDirectoryOf(chosenPath);
  const std::string name = levelNameOf(chosenPath);
  LevelFiles level;
  level.name = name;
  level.scnPath = directory + name + ".scn";
  level.grfPath = directory + name + ".grf";
  level.pidPath = directory + name + "-130.pid";

  level.spzPath = directory + name + "-130.spz";
  if (!canOpenForReading(level.spzPath)) level.spzPath.clear();

  std::string swpPath;
  if (!level.spzPath.empty()) {
    if (!installation.installedDirectory.empty())
      swpPath = asFolder(installation.installedDirectory) + name + "-130.swp";
  } else {
    swpPath = directory + name + "-130.swp";
  }
  level.swpPath = !swpPath.empty() && canOpenForReading(swpPath) ? swpPath : std::string();
  return level;
}

}  // namespace quorvel
