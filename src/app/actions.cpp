#include "app/actions.h"

#include "textures/texture_update.h"
#include "tools/extract_model.h"
#include "verify/verify_level.h"

namespace quorvel {

namespace {

// Stands in for an action this build does not contain yet.
bool notAvailable(AppContext& app, int code) {
  app.log.logMessage("%s is not available in this build.\n", actionName(code));
  return false;
}

}  // namespace

const char* actionName(int code) {
  switch (code) {
    case kActionImportDirectory: return "Import Directory";
    case kActionUpdateSwp: return "Update SWP";
    case kActionRename: return "Rename Level";
    case kActionVerify: return "Verify Level";
    case kActionExtract: return "Extract Model";
    case kActionExit: return "Exit";
    default: return "Import File";
  }
}

bool runAction(AppContext& app, int code, const LevelFiles& level) {
  switch (code) {
    case kActionVerify: return verifyLevel(app, level);
    case kActionExtract: return extractModel(app, level);
    case kActionUpdateSwp: return updateSwp(app, level);
    case kActionRename: return notAvailable(app, code);            // renameLevel(app, level)
    case kActionImportDirectory: return notAvailable(app, code);   // runImport(app, level, true)
    default: return notAvailable(app, kActionImportFile);          // runImport(app, level, false)
  }
}

}  // namespace quorvel
