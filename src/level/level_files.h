// The files of one level, as located from the SCN the user chose.
#pragma once

#include <string>

namespace quorvel {

struct LevelFiles {
  std::string name;     // lower-case level name
  std::string scnPath;
  std::string grfPath;
  std::string pidPath;  // name + "-130.pid"
  std::string swpPath;  // empty when no SWP was found
  std::string spzPath;  // empty when the level has no SPZ
};

}  // namespace quorvel
