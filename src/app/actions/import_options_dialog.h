// The Import Options dialog as the import action shows it.
#pragma once

#include "app/app_context.h"

namespace quorvel {

// Loads the options, shows the Import Options dialog and on OK stores them
// back (true); Cancel writes nothing (false). The run's options are the ones
// the dialog left.
bool runImportOptions(AppContext& app);

}  // namespace quorvel
