// The file set of a demo-version level named `name` in `folder` (which ends
// in a separator): SCN, GRF, PID, SWP and SPZ side by side.
#pragma once

#include <string>

#include "level/level_files.h"

namespace quorvel::testing_support {

inline LevelFiles levelFilesIn(const std::string& folder, const std::string& name) {
  LevelFiles files;
  files.name = name;
  files.scnPath = folder + name + ".scn";
  files.grfPath = folder + name + ".grf";
  files.pidPath = folder + name + "-130.pid";
  files.swpPath = folder + name + "-130.swp";
  files.spzPath = folder + name + "-130.spz";
  return files;
}

}  // namespace quorvel::testing_support
