#include "app/actions/import_options_dialog.h"

#include "import/import_options.h"

namespace quorvel {

bool runImportOptions(AppContext& app) {
  app.importOptions = loadImportOptions(*app.settings);
  if (!app.ui.editImportOptions(app.importOptions)) return false;
  // An interface that edits the numbers directly still gets a usable scale.
  app.importOptions.Scale = sanitizedScale(app.importOptions.Scale);
  storeImportOptions(*app.settings, app.importOptions);
  return true;
}

}  // namespace quorvel
