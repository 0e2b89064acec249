// Quorvel.exe (temporary driver until the application flow lands).
#include <windows.h>

#include "import/import_options.h"
#include "platform/file_system.h"
#include "platform/win32_user_interface.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace quorvel;
  auto ui = makeWin32UserInterface(currentDirectory() + "Quorvel.ini");
  MessageBoxRequest notice;
  notice.text = "notice";
  notice.caption = "Quorvel Technology Preview";
  notice.buttons = Buttons::OkCancel;
  if (ui->messageBox(notice) != Answer::Ok) return 0;
  for (;;) {
    ActionChoice c = ui->chooseAction(true);
    if (c.code == kActionExit) break;
    ui->openMessagesWindow();
    ui->appendMessagesText("Welcome to Quorvel.\r\nPlease select level\r\n\r\n");
    ui->openFile(OpenFileRequest{"Select Level", "Halvorn Scene files (.scn)", "*.scn", "C:\\", "", 260});
    std::string s = ui->askString("Enter a string:", "abc");
    quorvel::ImportOptions o;
    ui->editImportOptions(o);
    for (int i = 0; i < 50; ++i) ui->appendMessagesText("line " + std::to_string(i) + " " + s + "\r\n");
    ui->enableClose();
    ui->waitForClose();
    ui->closeMessagesWindow();
  }
  return 0;
}
