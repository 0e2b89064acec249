// The buttons of the action dialog: each action is known by its button's
// id, which the dialog returns when it is pressed.
#pragma once

namespace quorvel {

enum ActionCode : int {
  kActionExit = 2,
  kActionImportDirectory = 1008,
  kActionUpdateSwp = 1009,
  kActionImportFile = 1010,
  kActionVerify = 1019,
  kActionExtract = 1021,
  kActionRename = 1030,
  // Only the terminal's menu and the batch commands have these two.
  kActionRestore = 1040,
  kActionListBackups = 1041,
};

}  // namespace quorvel
