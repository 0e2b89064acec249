#include "app/actions/dispatch.h"

#include "app/actions/backup.h"
#include "app/actions/extract.h"
#include "app/actions/import.h"
#include "app/actions/rename.h"
#include "app/actions/update_swp.h"
#include "app/actions/verify.h"

namespace quorvel {

const char* actionName(int code) {
  switch (code) {
    case kActionImportDirectory: return "Import Directory";
    case kActionUpdateSwp: return "Update SWP";
    case kActionRename: return "Rename Level";
    case kActionVerify: return "Verify Level";
    case kActionExtract: return "Extract Model";
    case kActionRestore: return "Restore Backup";
    case kActionListBackups: return "List Backups";
    case kActionExit: return "Exit";
    default: return "Import File";
  }
}

bool runAction(AppContext& app, int code, const LevelFiles& level) {
  switch (code) {
    case kActionVerify: return verifyLevel(app, level);
    case kActionExtract: return extractModel(app, level);
    case kActionUpdateSwp: return updateSwp(app, level);
    case kActionRename: return renameLevel(app, level);
    case kActionRestore: return restoreLevelBackup(app, level);
    case kActionListBackups: return listLevelBackups(app, level);
    case kActionImportDirectory: return runImport(app, level, true);
    default: return runImport(app, level, false);
  }
}

}  // namespace quorvel
