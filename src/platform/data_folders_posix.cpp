// An installed program finds its data in <prefix>/share/quorvel: first
// beside the running program (a moved installation), then under the prefix
// it was built for, then in the source tree it was built from (so a program
// run from its build folder finds the lists as well).
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/data_folders.h"

namespace quorvel {

namespace {

std::string runningProgramFolder() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string program(path, static_cast<size_t>(length));
  size_t slash = program.rfind('/');
  return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

void addFolder(std::vector<std::string>& folders, std::string folder) {
  if (folder.empty()) return;
  if (folder.back() != '/') folder += '/';
  if (std::find(folders.begin(), folders.end(), folder) == folders.end())
    folders.push_back(std::move(folder));
}

}  // namespace

std::vector<std::string> installedDataFolders() {
  std::vector<std::string> folders;
  std::string programFolder = runningProgramFolder();
  if (!programFolder.empty()) addFolder(folders, programFolder + "../share/quorvel");
#ifdef QUORVEL_INSTALL_DATA_DIR
  addFolder(folders, QUORVEL_INSTALL_DATA_DIR);
#endif
#ifdef QUORVEL_SOURCE_DATA_DIR
  addFolder(folders, QUORVEL_SOURCE_DATA_DIR);
#endif
  return folders;
}

}  // namespace quorvel
