// The Windows user interface: the action dialog, the messages window with
// its rich-edit control, the string-input and Import Options dialogs, the
// open-file dialog and message boxes, from the templates linked into the
// program.
#pragma once

#include <memory>

#include "platform/user_interface.h"

namespace quorvel {

std::unique_ptr<UserInterface> makeWin32UserInterface();

}  // namespace quorvel
