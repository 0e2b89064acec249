// A user interface that answers from a script: tests queue the answers in
// advance and then assert every question that was asked; batch mode gives
// the answers of the command line and takes the safe answer (No / Cancel)
// for everything else.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace quorvel {

enum class QuestionKind { MessageBox, OpenFile, AskString, ImportOptions, ChooseAction };

// One question as the program asked it, with the answer it got.
struct AskedQuestion {
  QuestionKind kind = QuestionKind::MessageBox;
  MessageBoxRequest box;        // MessageBox
  OpenFileRequest file;         // OpenFile
  std::string prompt;           // AskString: the prompt ...
  std::string presetAnswer;     // ... and the answer shown
  Answer answer = Answer::Ok;   // MessageBox
  std::string answerText;       // OpenFile (empty = cancelled), AskString
  bool verboseShown = false;    // ChooseAction: the check box as it opened
  bool scripted = true;         // false: nobody had scripted an answer
};

class ScriptedUserInterface : public UserInterface {
 public:
  // Strict: an unscripted question (other than an OK-only box) is a fault
  // reported through the unscripted-question handler (by default a message
  // on standard error and abort()). Batch: it quietly gets the safe answer.
  enum class Mode { Strict, Batch };

  explicit ScriptedUserInterface(Mode mode = Mode::Strict) : mode_(mode) {}

  // Answers, each used once and in order.
  void queueAnswer(Answer answer) { answers_.push_back(answer); }
  void queueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void queueString(std::string text) { strings_.push_back(std::move(text)); }
  void queueAction(int code, bool verbose = true, bool verboseChosen = true) {
    actions_.push_back({code, verbose, verboseChosen});
  }
  // Accept (after applying `edit`) or cancel the Import Options dialog.
  void queueImportOptions(bool accept, std::function<void(ImportOptions&)> edit = {}) {
    importOptions_.push_back({accept, std::move(edit)});
  }
  // The answer to every box with this caption once the queue is empty.
  void setStandingAnswer(const std::string& caption, Answer answer) { standing_[caption] = answer; }
  // Boxes with this caption are not copied to the echo stream.
  void silence(const std::string& caption) { silenced_.push_back(caption); }
  // Messages-window pumps report a quit message after this many pumps.
  void quitAfterPumps(int pumps) { quitAfter_ = pumps; }

  // Called with a description of each unscripted question in strict mode.
  void setUnscriptedHandler(std::function<void(const std::string&)> handler) {
    unscriptedHandler_ = std::move(handler);
  }
  // Copies the messages (LF line ends) and the boxes to `stream` as they come.
  void setEcho(FILE* messages, FILE* boxes) {
    echoMessages_ = messages;
    echoBoxes_ = boxes;
  }

  const std::vector<AskedQuestion>& questions() const { return questions_; }
  // Everything appended to the messages window, in its CR LF form.
  const std::string& windowText() const { return windowText_; }
  // The lifecycle calls in order: "open", "enableClose", "waitForClose", "close".
  const std::vector<std::string>& windowEvents() const { return windowEvents_; }
  // Positions handed in before a window opened, and set as its last place.
  std::map<Window, std::optional<WindowPosition>> givenPositions;
  std::map<Window, WindowPosition> lastPositions;
  // Answers still queued (a test that scripted too much is wrong as well).
  size_t unusedAnswers() const {
    return answers_.size() + files_.size() + strings_.size() + actions_.size() + importOptions_.size();
  }

  ActionChoice chooseAction(bool verbose) override;
  void openMessagesWindow() override;
  void enableClose() override;
  void waitForClose() override;
  void closeMessagesWindow() override;
  void appendMessagesText(std::string_view windowText) override;
  bool pumpMessages() override;
  Answer messageBox(const MessageBoxRequest& request) override;
  std::optional<std::string> openFile(const OpenFileRequest& request) override;
  std::string askString(const std::string& prompt, const std::string& answer) override;
  bool editImportOptions(ImportOptions& options) override;
  void setWindowPosition(Window window, const std::optional<WindowPosition>& position) override;
  std::optional<WindowPosition> windowPosition(Window window) const override;

 private:
  struct ImportOptionsAnswer {
    bool accept;
    std::function<void(ImportOptions&)> edit;
  };
  void unscripted(const std::string& description);

  Mode mode_;
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::string> strings_;
  std::deque<ActionChoice> actions_;
  std::deque<ImportOptionsAnswer> importOptions_;
  std::map<std::string, Answer> standing_;
  std::vector<std::string> silenced_;
  int quitAfter_ = -1;
  std::function<void(const std::string&)> unscriptedHandler_;
  FILE* echoMessages_ = nullptr;
  FILE* echoBoxes_ = nullptr;
  std::vector<AskedQuestion> questions_;
  std::string windowText_;
  std::vector<std::string> windowEvents_;
};

// Names for messages: "OK", "Cancel", "Yes", "No"; "OK/Cancel" and the like.
const char* answerName(Answer answer);
const char* buttonsName(Buttons buttons);
// The answer that changes nothing: No, Cancel, or OK for an OK-only box.
Answer safeAnswer(Buttons buttons);
bool answerFits(Answer answer, Buttons buttons);

}  // namespace quorvel
