// Quorvel.exe: the Windows program. The program folder is the working
// directory; everything else is the application flow.
#include <windows.h>

#include "app/app_context.h"
#include "app/application.h"
#include "platform/file_system.h"
#include "platform/win32_user_interface.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::unique_ptr<quorvel::UserInterface> ui = quorvel::makeWin32UserInterface();
  quorvel::AppContext app(*ui, quorvel::currentDirectory());
  return quorvel::runApplication(app);
}
