// The import options as section "Import3ds" of the settings file keeps them.
#pragma once

#include "platform/import_options_form.h"

namespace quorvel {

class ProfileStore;

// Section "Import3ds": numbers read as text like scanOptionNumber (default
// when missing, not a number or not finite), boxes as integers (non-zero = true).
ImportOptions loadImportOptions(ProfileStore& settings);
// Numbers written with "%g" (six significant digits), boxes as "1" or "0".
void storeImportOptions(ProfileStore& settings, const ImportOptions& options);

}  // namespace quorvel
