// The user interface of the console program on a terminal: the action
// dialog becomes a menu, message boxes and file dialogs become prompts, and
// the messages window is the terminal itself.
#pragma once

#include <istream>
#include <ostream>

#include "platform/user_interface.h"

namespace quorvel {

class TerminalUserInterface : public UserInterface {
 public:
  TerminalUserInterface(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  // A menu of the five visible actions, the verbose switch and Exit; the
  // hidden Extract Model is reached by typing "extract". End of input is
  // the close box: Exit without a verbose choice.
  ActionChoice chooseAction(bool verbose) override;
  void openMessagesWindow() override;
  void enableClose() override;
  // Waits for Enter (or the end of input).
  void waitForClose() override;
  void closeMessagesWindow() override;
  // Prints the text with plain line feeds.
  void appendMessagesText(std::string_view windowText) override;
  bool pumpMessages() override { return true; }
  // Shows caption, text and the buttons; Enter takes the default button,
  // the end of input the safe one (No / Cancel).
  Answer messageBox(const MessageBoxRequest& request) override;
  // Shows title, filter and initial path. Enter accepts the initial path
  // when it names a file, "-" (or an empty answer with nothing to accept)
  // cancels; a relative answer is taken in the current folder, as a shell
  // user expects, and the full path is returned. With the
  // must-exist options a missing file is asked again.
  std::optional<std::string> openFile(const OpenFileRequest& request) override;
  std::string askString(const std::string& prompt, const std::string& answer) override;
  // A form of prompts, one per number and box, each showing the current
  // value (Enter keeps it); a number that does not scan is asked again after
  // "Please enter numeric values". End of input cancels.
  bool editImportOptions(ImportOptions& options) override;

 private:
  // One line of input without its line end; nothing at the end of input.
  std::optional<std::string> readLine();

  std::istream& in_;
  std::ostream& out_;
  bool atLineStart_ = true;
};

}  // namespace quorvel
