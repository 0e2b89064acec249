// The program's one reporting channel: every message goes to the log file
// (flushed at once) and to the messages window, and after each message the
// pending window messages are processed.
#pragma once

#include <cstdio>
#include <string>

#include "report/message_sink.h"
#include "report/message_window.h"

namespace quorvel {

class MessageLog : public MessageSink {
 public:
  MessageLog() = default;
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // Opens (truncates) the log file; false when it cannot be opened.
  bool openLogFile(const std::string& path);
  void closeLogFile();
  bool hasLogFile() const { return logFile_ != nullptr; }
  // Whether writing, flushing or closing the log file failed; the first
  // failure is reported on standard error with the system's reason.
  bool logFileFailed() const { return logFileFailed_; }

  // The window that receives the messages; null while none is open.
  void setWindow(MessageWindow* window) { window_ = window; }
  MessageWindow* window() const { return window_; }

  // Writes to the log file only (never to the window).
  void logFileOnly(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);
  bool pumpMessages();

  bool closeRequested = false;

  // Everything written since the last takeText(), for tests and batch output.
  void captureText(bool on) { capture_ = on; }
  std::string takeText();

 protected:
  void writeMessage(const char* buffer) override;

 private:
  // Reports the first failed write to the log file on standard error.
  void noteLogWrite(bool ok);

  FILE* logFile_ = nullptr;
  std::string logPath_;
  bool logFileFailed_ = false;
  MessageWindow* window_ = nullptr;
  bool capture_ = false;
  std::string captured_;
};

}  // namespace quorvel
