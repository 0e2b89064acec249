// A level's files, named "lev", in a scratch folder of the fuzz target's own.
#pragma once

#include <string>

#include "../tests/support/level_paths.h"
#include "scratch_folder.h"

namespace quorvel::fuzzing {

struct ScratchLevel {
  explicit ScratchLevel(const std::string& purpose)
      : folder(purpose), files(testing_support::levelFilesIn(folder.path(), "lev")) {}
  ScratchFolder folder;
  LevelFiles files;
};

}  // namespace quorvel::fuzzing
