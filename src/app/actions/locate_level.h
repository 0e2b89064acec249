// Finding the files of the level the user picks: the SCN is chosen in the
// open-file dialog, the other paths are derived from it, and the files the
// actions rewrite are checked before anything is loaded.
#pragma once

#include <string>

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Asks for the level's SCN (starting from "LevelLoadPath" of section
// "Paths"), stores the choice there, and fills `level`. True when the level
// is usable; false when the user cancelled or the SCN, GRF or PID is missing
// or read-only (each reported in a box). A missing SPZ or SWP leaves that
// path empty.
bool locateLevel(AppContext& app, LevelFiles& level);

// True when `path` opens for reading and for update ("r+"); otherwise shows
// the "File Not Found" or "Read-Only File" box and returns false.
bool checkLevelFile(AppContext& app, const std::string& path);

}  // namespace quorvel
