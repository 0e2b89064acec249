// Deriving the files of a level from the SCN the user chose and the values
// of the game's installation. Nothing here asks the user.
#pragma once

#include <string>

#include "level/level_files.h"
#include "platform/installation.h"

namespace quorvel {

// The derivations of a chosen SCN path: the directory part lower-cased with
// its separator, and the base name cut at its last "-" (or, without one, at
// its last ".") and lower-cased.
std::string levelDirectoryOf(const std::string& chosenPath);
std::string levelNameOf(const std::string& chosenPath);

// The game's data folder ("Data Drive" + "data\\"), or "" when unknown.
std::string dataFolderOf(const InstallationValues& installation);

// The level's five paths. The SPZ and SWP are looked for on disk (the full
// version keeps the SWP in its installation folder and has an SPZ beside the
// SCN; the demo keeps the SWP beside the SCN); a missing one leaves its path
// empty.
LevelFiles levelFilesFor(const std::string& chosenPath, const InstallationValues& installation);

}  // namespace quorvel
