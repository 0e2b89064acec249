// The action loop on a terminal.
#include <iostream>

#include "app/application.h"
#include "commands.h"
#include "platform/file_system.h"
#include "platform/terminal_ui.h"

namespace quorvel {

int runInteractive() {
  TerminalUserInterface ui(std::cin, std::cout);
  AppContext app(ui, currentDirectory());
  app.traceStream = stderr;
  return runApplication(app);
}

}  // namespace quorvel
