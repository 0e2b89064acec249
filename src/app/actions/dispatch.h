// The actions of the action dialog, dispatched by their button codes.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Runs the action of `code` on the located level: true when it ran to its
// end, false when it was aborted or failed. Codes other than the known ones
// import one file, as the action dialog's default does.
bool runAction(AppContext& app, int code, const LevelFiles& level);

// The caption of an action's button without its mnemonic ("Import File").
const char* actionName(int code);

}  // namespace quorvel
