#include "platform/terminal_ui.h"

#include <string>

#include "platform/import_options_form.h"
#include "platform/file_system.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

struct MenuEntry {
  const char* key;
  int code;
  const char* caption;
  const char* description;
};

// The visible buttons of the action dialog with their mnemonics.
constexpr MenuEntry kMenu[] = {
#ifdef QUORVEL_HAVE_ASSIMP
    {"f", kActionImportFile, "Import File", "Import a single model file (.3ds;.grf;.tpm;.gltf;.glb;.obj;.fbx;.dae)"},
    {"d", kActionImportDirectory, "Import Directory",
     "Import all model files in a directory (*.3ds;*.grf;*.tpm;*.gltf;*.glb;*.obj;*.fbx;*.dae)"},
#else
    {"f", kActionImportFile, "Import File", "Import a single model file (.3ds;.grf;.tpm)"},
    {"d", kActionImportDirectory, "Import Directory", "Import all model files in a directory (*.3ds;*.grf;*.tpm)"},
#endif
    {"s", kActionUpdateSwp, "Update SWP", "Given scene files (SCN/GRF), add new textures to existing PID/SWP."},
    {"r", kActionRename, "Rename Level", "Rename a level"},
    {"v", kActionVerify, "Verify Level",
     "Perform basic level verification, warning of things known to cause problems in Halvorn."},
    {"b", kActionRestore, "Restore Backup", "Put back a level's files as they were before an action changed them"},
};

struct ButtonChoice {
  const char* label;
  const char* key;
  Answer answer;
};

std::vector<ButtonChoice> buttonChoices(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return {{"OK", "o", Answer::Ok}};
    case Buttons::OkCancel: return {{"OK", "o", Answer::Ok}, {"Cancel", "c", Answer::Cancel}};
    case Buttons::YesNo: return {{"Yes", "y", Answer::Yes}, {"No", "n", Answer::No}};
  }
  return {{"OK", "o", Answer::Ok}};
}

}  // namespace

std::optional<std::string> TerminalUserInterface::readLine() {
  out_.flush();
  std::string line;
  if (!std::getline(in_, line)) {
    out_ << "\n";
    atLineStart_ = true;
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  atLineStart_ = true;
  return line;
}

ActionChoice TerminalUserInterface::chooseAction(bool verbose) {
  for (;;) {
    out_ << "\nQuorvel - Select Action\n\n";
    for (const MenuEntry& entry : kMenu)
      out_ << "  " << entry.key << "  " << formatText("%-18s", entry.caption) << entry.description << "\n";
    out_ << "  m  Verbose mode (prints detailed information about what's happening): "
         << (verbose ? "on" : "off") << "\n";
    out_ << "  x  Exit\n\nChoice: ";
    auto line = readLine();
    if (!line) return ActionChoice{kActionExit, verbose, false};
    std::string choice = toLowerAscii(trimBlanks(*line));
    if (choice == "m") {
      verbose = !verbose;
      continue;
    }
    if (choice == "x" || choice == "exit") return ActionChoice{kActionExit, verbose, true};
    if (choice == "extract") return ActionChoice{kActionExtract, verbose, true};
    for (const MenuEntry& entry : kMenu)
      if (choice == entry.key || choice == toLowerAscii(entry.caption))
        return ActionChoice{entry.code, verbose, true};
    if (!choice.empty()) out_ << "Unknown choice \"" << choice << "\".\n";
  }
}

void TerminalUserInterface::openMessagesWindow() {
  out_ << "\n=== Quorvel v0.1 ===\n";
  atLineStart_ = true;
}

void TerminalUserInterface::enableClose() {}

void TerminalUserInterface::waitForClose() {
  if (!atLineStart_) out_ << "\n";
  out_ << "\n[Press Enter to close the messages]";
  readLine();
}

void TerminalUserInterface::closeMessagesWindow() {}

void TerminalUserInterface::appendMessagesText(std::string_view text) {
  const std::string plain = normalizeLineEnds(std::string(text));
  if (plain.empty()) return;
  out_ << plain;
  out_.flush();
  atLineStart_ = plain.back() == '\n';
}

Answer TerminalUserInterface::messageBox(const MessageBoxRequest& request) {
  std::vector<ButtonChoice> choices = buttonChoices(request.buttons);
  size_t defaultIndex = request.defaultButton >= 0 && static_cast<size_t>(request.defaultButton) < choices.size()
                            ? static_cast<size_t>(request.defaultButton)
                            : 0;
  if (!atLineStart_) out_ << "\n";
  out_ << "\n+-- " << request.caption << "\n";
  std::string_view text = request.text;
  while (!text.empty()) {
    size_t end = text.find('\n');
    out_ << "| " << text.substr(0, end) << "\n";
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  for (;;) {
    out_ << "+-- ";
    for (size_t i = 0; i < choices.size(); ++i) {
      if (i) out_ << " / ";
      out_ << "[" << choices[i].key << "] " << choices[i].label << (i == defaultIndex ? " (Enter)" : "");
    }
    out_ << ": ";
    auto line = readLine();
    if (!line) return choices.size() == 1 ? Answer::Ok : choices.back().answer;
    std::string answer = toLowerAscii(trimBlanks(*line));
    if (answer.empty()) return choices[defaultIndex].answer;
    for (const ButtonChoice& choice : choices)
      if (answer == choice.key || answer == toLowerAscii(choice.label)) return choice.answer;
  }
}

std::optional<std::string> TerminalUserInterface::openFile(const OpenFileRequest& request) {
  std::string initial = request.initialFolder + request.initialFile;
  bool canAccept = !request.initialFile.empty();
  if (!atLineStart_) out_ << "\n";
  out_ << "\n" << request.title << "\n";
  out_ << "  Files of type: " << request.filterName << "  " << request.filterPattern << "\n";
  out_ << "  Folder: " << (request.initialFolder.empty() ? "(current folder)" : request.initialFolder) << "\n";
  for (;;) {
    if (canAccept) out_ << "File [Enter: " << initial << ", -: cancel]: ";
    else out_ << "File [empty answer: cancel]: ";
    auto line = readLine();
    if (!line) return std::nullopt;
    std::string answer(trimBlanks(*line));
    if (answer == "-") return std::nullopt;
    if (answer.empty()) {
      if (!canAccept) return std::nullopt;
      answer = initial;
    } else {
      // Typed in a shell, a relative path means the current folder.
      answer = absolutePath(answer, currentDirectory());
    }
    if (answer.size() > request.maxLength) {
      out_ << "The path is longer than " << request.maxLength << " characters.\n";
      continue;
    }
    if (request.fileMustExist && !fileExists(answer)) {
      out_ << answer << "\nFile not found.\nPlease verify the correct file name was given.\n";
      continue;
    }
    return answer;
  }
}

std::string TerminalUserInterface::askString(const std::string& prompt, const std::string& answer) {
  if (!atLineStart_) out_ << "\n";
  out_ << prompt << " [" << answer << "]: ";
  auto line = readLine();
  if (!line) return std::string();
  return line->substr(0, 255);
}

// The Import Options dialog as a form of prompts: each prompt shows the
// current value and Enter keeps it.
bool TerminalUserInterface::editImportOptions(ImportOptions& options) {
  ImportOptionsForm form = importOptionsForm(options);
  if (!atLineStart_) out_ << "\n";
  out_ << "\n+-- Import Options\n| Amount to offset imported object positions by:\n";
  const std::pair<const char*, std::string*> numbers[] = {
      {"|   X", &form.x}, {"|   Y", &form.y}, {"|   Z", &form.z}, {"| Scale factor", &form.scale}};
  for (const auto& [label, text] : numbers) {
    for (;;) {
      out_ << label << " [" << *text << "]: ";
      auto line = readLine();
      if (!line) return false;
      std::string answer(trimBlanks(*line));
      if (answer.empty()) break;
      if (scanOptionNumber(answer)) {
        *text = answer;
        break;
      }
      out_ << "| Please enter numeric values\n";
    }
  }
  // The boxes in the dialog's order from top to bottom.
  const std::pair<int, const char*> boxes[] = {
      {3, "Replace existing instances"},
      {2, "Replace existing meshes"},
      {1, "Save scale factor to new object TScript (ext_ImportScale)"},
      {0, "When replacing objects, use the stored scale factor if it exists"},
      {4, "Convert texture names to form \"Map\\<LevelName>\\<FileName.bmp>\""}};
  for (const auto& [index, label] : boxes) {
    for (;;) {
      out_ << "| " << label << " [" << (form.boxes[index] ? "yes" : "no") << "] (y/n): ";
      auto line = readLine();
      if (!line) return false;
      std::string answer = toLowerAscii(trimBlanks(*line));
      if (answer.empty()) break;
      if (answer == "y" || answer == "yes" || answer == "n" || answer == "no") {
        form.boxes[index] = answer[0] == 'y';
        break;
      }
    }
  }
  for (;;) {
    out_ << "+-- [o] OK (Enter) / [c] Cancel: ";
    auto line = readLine();
    if (!line) return false;
    std::string answer = toLowerAscii(trimBlanks(*line));
    if (answer == "c" || answer == "cancel") return false;
    if (answer.empty() || answer == "o" || answer == "ok") return acceptImportOptionsForm(options, form);
  }
}

}  // namespace quorvel
