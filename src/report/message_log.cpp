#include "report/message_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>


namespace quorvel {

MessageLog::~MessageLog() { closeLogFile(); }

bool MessageLog::openLogFile(const std::string& path) {
  closeLogFile();
  // Binary mode: the log holds the messages unchanged, with bare line feeds,
  // on every platform.
  logFile_ = std::fopen(path.c_str(), "wb");
  logPath_ = path;
  return logFile_ != nullptr;
}

void MessageLog::closeLogFile() {
  if (logFile_) noteLogWrite(std::fclose(logFile_) == 0);
  logFile_ = nullptr;
}

void MessageLog::noteLogWrite(bool ok) {
  if (ok || logFileFailed_) return;
  logFileFailed_ = true;
  std::fprintf(stderr, "ERROR: could not write the log file \"%s\": %s.\n", logPath_.c_str(),
               errno != 0 ? std::strerror(errno) : "unknown error");
}

void MessageLog::writeMessage(const char* buffer) {
  if (logFile_) {
    const bool written = std::fputs(buffer, logFile_) >= 0;
    noteLogWrite(std::fflush(logFile_) == 0 && written);
  }
  if (capture_) captured_ += buffer;
  if (window_) {
    std::string windowCopy;
    windowCopy.reserve(kBufferSize * 2);
    for (const char* p = buffer; *p; ++p) {
      if (*p == '\n') windowCopy += '\r';
      windowCopy += *p;
    }
    window_->appendMessagesText(windowCopy);
  }
  pumpMessages();
}

void MessageLog::logFileOnly(const char* format, ...) {
  if (!format || !logFile_) return;
  char buffer[kBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  const bool written = std::fputs(buffer, logFile_) >= 0;
  noteLogWrite(std::fflush(logFile_) == 0 && written);
}

bool MessageLog::pumpMessages() {
  if (!window_) return true;
  if (!window_->pumpMessages()) {
    closeRequested = true;
    return false;
  }
  return true;
}

std::string MessageLog::takeText() {
  std::string text;
  text.swap(captured_);
  return text;
}

}  // namespace quorvel
