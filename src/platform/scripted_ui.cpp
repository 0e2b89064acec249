#include "platform/scripted_ui.h"

#include <algorithm>
#include <cstdlib>

#include "platform/import_options_form.h"
#include "util/text_format.h"

namespace quorvel {

const char* answerName(Answer answer) {
  switch (answer) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
  }
  return "?";
}

const char* buttonsName(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return "OK";
    case Buttons::OkCancel: return "OK/Cancel";
    case Buttons::YesNo: return "Yes/No";
  }
  return "?";
}

Answer safeAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
  }
  return Answer::Cancel;
}

bool answerFits(Answer answer, Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return answer == Answer::Ok;
    case Buttons::OkCancel: return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::YesNo: return answer == Answer::Yes || answer == Answer::No;
  }
  return false;
}

void ScriptedUserInterface::unscripted(const std::string& description) {
  if (!questions_.empty()) questions_.back().scripted = false;
  if (mode_ == Mode::Batch) return;
  if (unscriptedHandler_) {
    unscriptedHandler_(description);
    return;
  }
  std::fprintf(stderr, "quorvel: no scripted answer for %s\n", description.c_str());
  std::abort();
}

ActionChoice ScriptedUserInterface::chooseAction(bool verbose) {
  AskedQuestion question;
  question.kind = QuestionKind::ChooseAction;
  question.verboseShown = verbose;
  questions_.push_back(question);
  if (actions_.empty()) {
    unscripted("the action dialog");
    return ActionChoice{kActionExit, verbose, false};
  }
  ActionChoice choice = actions_.front();
  actions_.pop_front();
  return choice;
}

void ScriptedUserInterface::openMessagesWindow() { windowEvents_.push_back("open"); }
void ScriptedUserInterface::enableClose() { windowEvents_.push_back("enableClose"); }
void ScriptedUserInterface::waitForClose() { windowEvents_.push_back("waitForClose"); }
void ScriptedUserInterface::closeMessagesWindow() { windowEvents_.push_back("close"); }

void ScriptedUserInterface::appendMessagesText(std::string_view text) {
  windowText_ += text;
  if (!echoMessages_) return;
  std::fputs(normalizeLineEnds(std::string(text)).c_str(), echoMessages_);
  std::fflush(echoMessages_);
}

bool ScriptedUserInterface::pumpMessages() {
  if (quitAfter_ < 0) return true;
  if (quitAfter_ == 0) return false;
  --quitAfter_;
  return true;
}

Answer ScriptedUserInterface::messageBox(const MessageBoxRequest& request) {
  AskedQuestion question;
  question.kind = QuestionKind::MessageBox;
  question.box = request;
  questions_.push_back(question);
  AskedQuestion& asked = questions_.back();

  // An OK-only box asks nothing: it is recorded but takes no queued answer.
  if (request.buttons == Buttons::Ok) {
    asked.answer = Answer::Ok;
  } else if (!answers_.empty()) {
    Answer answer = answers_.front();
    answers_.pop_front();
    if (answerFits(answer, request.buttons)) {
      asked.answer = answer;
    } else {
      asked.answer = safeAnswer(request.buttons);
      unscripted(std::string("box \"") + request.caption + "\": scripted answer " + answerName(answer) +
                 " is not one of its buttons " + buttonsName(request.buttons));
    }
  } else if (auto standing = standing_.find(request.caption);
             standing != standing_.end() && answerFits(standing->second, request.buttons)) {
    asked.answer = standing->second;
  } else {
    asked.answer = safeAnswer(request.buttons);
    unscripted(std::string("box \"") + request.caption + "\" (" + buttonsName(request.buttons) +
               "): " + request.text);
  }
  Answer answer = questions_.back().answer;
  bool silenced = std::find(silenced_.begin(), silenced_.end(), request.caption) != silenced_.end();
  if (echoBoxes_ && !silenced) {
    std::fprintf(echoBoxes_, "[%s] %s\n  -> %s\n", request.caption.c_str(), request.text.c_str(),
                 answerName(answer));
    std::fflush(echoBoxes_);
  }
  return answer;
}

std::optional<std::string> ScriptedUserInterface::openFile(const OpenFileRequest& request) {
  AskedQuestion question;
  question.kind = QuestionKind::OpenFile;
  question.file = request;
  questions_.push_back(question);
  std::optional<std::string> path;
  if (files_.empty()) {
    unscripted("file dialog \"" + request.title + "\"");
  } else {
    path = files_.front();
    files_.pop_front();
  }
  questions_.back().answerText = path.value_or("");
  if (echoBoxes_) {
    std::fprintf(echoBoxes_, "[%s] -> %s\n", request.title.c_str(), path ? path->c_str() : "(cancelled)");
    std::fflush(echoBoxes_);
  }
  return path;
}

std::string ScriptedUserInterface::askString(const std::string& prompt, const std::string& answer) {
  AskedQuestion question;
  question.kind = QuestionKind::AskString;
  question.prompt = prompt;
  question.presetAnswer = answer;
  questions_.push_back(question);
  std::string text;  // empty keeps the preset answer
  if (strings_.empty()) {
    unscripted("string input \"" + prompt + "\"");
  } else {
    text = strings_.front();
    strings_.pop_front();
  }
  questions_.back().answerText = text;
  if (echoBoxes_) {
    std::fprintf(echoBoxes_, "[%s] -> %s\n", prompt.c_str(), text.empty() ? answer.c_str() : text.c_str());
    std::fflush(echoBoxes_);
  }
  return text;
}

bool ScriptedUserInterface::editImportOptions(ImportOptions& options) {
  AskedQuestion question;
  question.kind = QuestionKind::ImportOptions;
  questions_.push_back(question);
  if (importOptions_.empty()) {
    unscripted("the Import Options dialog");
    return false;
  }
  ImportOptionsAnswer answer = std::move(importOptions_.front());
  importOptions_.pop_front();
  if (answer.accept && answer.edit) answer.edit(options);
  return answer.accept;
}

void ScriptedUserInterface::setWindowPosition(Window window, const std::optional<WindowPosition>& position) {
  givenPositions[window] = position;
}

std::optional<WindowPosition> ScriptedUserInterface::windowPosition(Window window) const {
  auto found = lastPositions.find(window);
  if (found == lastPositions.end()) return std::nullopt;
  return found->second;
}

}  // namespace quorvel
