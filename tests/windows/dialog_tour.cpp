// QuorvelDialogTour.exe: shows the two dialogs that no action of this build
// reaches from the action dialog (the string-input dialog of Extract Model
// and the Import Options dialog of the import) with the real user
// interface, so the Windows smoke test can drive and photograph them. What
// the user entered goes to the log file; the options to Quorvel.ini.
#include <windows.h>

#include "app/app_context.h"
#include "app/application.h"
#include "app/actions/import_options_dialog.h"
#include "import/import_options.h"
#include "platform/file_system.h"
#include "platform/win32_user_interface.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::unique_ptr<quorvel::UserInterface> ui = quorvel::makeWin32UserInterface();
  quorvel::AppContext app(*ui, quorvel::currentDirectory());
  app.log.openLogFile(app.programFolder + "Quorvel_log.txt");
  app.settings = quorvel::openProfileStore(app.settingsPath());

  app.ui.openMessagesWindow();
  app.log.setWindow(&app.ui);
  app.log.logMessage("Dialog tour.\n");
  const std::string name = quorvel::askString(app, "Enter name of model to extract:");
  app.log.logMessage("Model name: \"%s\"\n", name.c_str());
  const bool accepted = quorvel::runImportOptions(app);
  app.log.logMessage("Import options: %s\n", accepted ? "OK" : "Cancel");

  app.ui.enableClose();
  app.ui.waitForClose();
  app.log.setWindow(nullptr);
  app.ui.closeMessagesWindow();
  app.log.closeLogFile();
  return 0;
}
