// The action loop on a terminal.
#include <iostream>

#include "app/application.h"
#include "commands.h"
#include "platform/data_folders.h"
#include "platform/file_system.h"
#include "platform/terminal_ui.h"

namespace quorvel {

int runInteractive() {
  TerminalUserInterface ui(std::cin, std::cout);
  AppContext app(ui, currentDirectory());
  app.traceStream = stderr;
  app.listFolders = installedDataFolders();
  return runApplication(app);
}

}  // namespace quorvel
