// The program's one reporting channel: every message goes to the log file
// (flushed at once) and to the messages window, and after each message the
// pending window messages are processed.
#pragma once

#include <cstdio>
#include <string>

#include "util/text_format.h"

namespace quorvel {

class UserInterface;

class MessageLog {
 public:
  static constexpr size_t kBufferSize = 4096;  // messages are cut at 4095

  MessageLog() = default;
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // Opens (truncates) the log file; false when it cannot be opened.
  bool openLogFile(const std::string& path);
  void closeLogFile();
  bool hasLogFile() const { return logFile_ != nullptr; }

  // The window that receives the messages; null while none is open.
  void setWindow(UserInterface* window) { window_ = window; }
  UserInterface* window() const { return window_; }

  void logMessage(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);
  // Writes to the log file only (never to the window).
  void logFileOnly(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);
  bool pumpMessages();

  bool verbose = true;
  bool closeRequested = false;
  bool problem = false;

  // Everything written since the last takeText(), for tests and batch output.
  void captureText(bool on) { capture_ = on; }
  std::string takeText();

 private:
  FILE* logFile_ = nullptr;
  UserInterface* window_ = nullptr;
  bool capture_ = false;
  std::string captured_;
};

}  // namespace quorvel
