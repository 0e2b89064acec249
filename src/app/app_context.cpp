#include "app/app_context.h"

namespace quorvel {

AppContext::AppContext(UserInterface& userInterface, std::string folder)
    : ui(userInterface), programFolder(std::move(folder)) {
  if (programFolder.empty() || (programFolder.back() != '\\' && programFolder.back() != '/'))
    programFolder += '/';
}

}  // namespace quorvel
