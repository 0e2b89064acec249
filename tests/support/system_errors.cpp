#include "support/system_errors.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include "platform/file_system.h"

namespace quorvel::testing_support {

#ifdef _WIN32
std::string missingFileError() { return systemErrorMessage(ERROR_FILE_NOT_FOUND); }
std::string missingFolderError() { return systemErrorMessage(ERROR_PATH_NOT_FOUND); }
std::string folderReadError() { return systemErrorMessage(ERROR_ACCESS_DENIED); }
#else
std::string missingFileError() { return systemErrorMessage(ENOENT); }
std::string missingFolderError() { return systemErrorMessage(ENOENT); }
std::string folderReadError() { return systemErrorMessage(EISDIR); }
#endif

}  // namespace quorvel::testing_support
