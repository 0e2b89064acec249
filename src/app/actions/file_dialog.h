// The open-file dialog as the actions show it: owned by the messages window
// and starting where the settings file says the user last chose a file.
#pragma once

#include <string>

#include "platform/user_interface.h"
#include "util/path_text.h"

namespace quorvel {

// `remembered` is a stored path: its folder becomes the initial folder and
// its file name the initial file.
inline OpenFileRequest fileDialogAt(const std::string& title, const std::string& filterName,
                                    const std::string& filterPattern, const std::string& remembered) {
  OpenFileRequest request;
  request.title = title;
  request.filterName = filterName;
  request.filterPattern = filterPattern;
  request.initialFolder = folderPart(remembered);
  request.initialFile = fileNamePart(remembered);
  request.owner = Owner::MessagesWindow;
  return request;
}

}  // namespace quorvel
