// Where an installed program keeps its shipped data files (the two list
// files) when they are not in the program folder.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

// Folders to search after the program folder, each ending in a separator,
// most specific first; empty where the program folder is the only place.
std::vector<std::string> installedDataFolders();

}  // namespace quorvel
