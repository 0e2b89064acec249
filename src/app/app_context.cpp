#include "app/app_context.h"

#include "util/path_text.h"

namespace quorvel {

AppContext::AppContext(UserInterface& userInterface, std::string folder)
    : ui(userInterface), programFolder(std::move(folder)) {
  if (!endsWithSeparator(programFolder)) programFolder += '/';
}

}  // namespace quorvel
