// The Windows program keeps its lists in the program folder only.
#include "platform/data_folders.h"

namespace quorvel {

std::vector<std::string> installedDataFolders() { return {}; }

}  // namespace quorvel
