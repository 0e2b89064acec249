// The only ways the actions reach the user. The console front end answers
// in a terminal, tests answer from a script, the Windows program with the
// real dialogs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/action_codes.h"
#include "platform/import_options_form.h"
#include "report/message_window.h"

namespace quorvel {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };
enum class Owner { None, MessagesWindow, ActiveDialog };

struct MessageBoxRequest {
  std::string text;
  std::string caption = "Quorvel";
  Buttons buttons = Buttons::Ok;
  int defaultButton = 0;  // 0 = first button, 1 = second
  Owner owner = Owner::None;
};

struct OpenFileRequest {
  std::string title;
  std::string filterName;     // e.g. "Halvorn Scene files (.scn)"
  std::string filterPattern;  // e.g. "*.scn"
  std::string initialFolder;
  std::string initialFile;
  size_t maxLength = 260;
  bool pathMustExist = true;
  bool fileMustExist = true;
  bool hideReadOnly = true;
  Owner owner = Owner::MessagesWindow;
};

struct ActionChoice {
  int code = kActionExit;
  bool verbose = true;
  // False when the dialog was closed by its system menu: the verbose
  // setting is then left as it was.
  bool verboseChosen = true;
};

// The two windows whose places the settings file keeps.
enum class Window { ActionDialog, MessagesWindow };

// A window's top-left corner in screen pixels.
struct WindowPosition {
  int32_t left = 0;
  int32_t top = 0;
};

class UserInterface : public MessageWindow {
 public:
  virtual ~UserInterface() = default;

  // The action dialog; `verbose` is the check box's initial state.
  virtual ActionChoice chooseAction(bool verbose) = 0;

  // Messages window lifecycle: open (Close disabled), enable Close, wait
  // until the user closes it, then discard it.
  virtual void openMessagesWindow() = 0;
  virtual void enableClose() = 0;
  virtual void waitForClose() = 0;
  virtual void closeMessagesWindow() = 0;
  // appendMessagesText and pumpMessages come from MessageWindow.

  virtual Answer messageBox(const MessageBoxRequest& request) = 0;
  // A path, or nothing when the user cancelled.
  virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
  // The string-input dialog: shows `prompt` and `answer`; returns the text
  // entered (at most 255 characters), or "" to keep the answer.
  virtual std::string askString(const std::string& prompt, const std::string& answer) = 0;
  // The Import Options dialog: edits `options` in place; false on Cancel.
  virtual bool editImportOptions(ImportOptions& options) = 0;

  // Window placement. The flow hands a window its stored place before the
  // window opens (nothing: where the system puts it) and asks for its last
  // place after it has closed; interfaces without windows ignore both.
  virtual void setWindowPosition(Window, const std::optional<WindowPosition>&) {}
  virtual std::optional<WindowPosition> windowPosition(Window) const { return std::nullopt; }
};

}  // namespace quorvel
