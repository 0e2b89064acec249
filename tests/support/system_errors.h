// The system's words for the failures the tests provoke, as the program
// reports them (lastSystemError()): they differ between systems, and
// between Windows and its emulation, so tests compare with the system's own.
#pragma once

#include <string>

namespace quorvel::testing_support {

// Opening a file that does not exist.
std::string missingFileError();
// Creating a file in a folder that does not exist.
std::string missingFolderError();
// Opening a folder as a file for reading.
std::string folderReadError();

}  // namespace quorvel::testing_support
