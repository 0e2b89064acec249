// Writes the lines of a report to a message sink and counts the problem
// lines among them, so a caller can tell a clean report from one with
// errors without reading the text back.
#pragma once

#include "report/message_sink.h"

namespace quorvel {

// How many lines of each kind a report held.
struct ProblemCounts {
  int errors = 0;    // lines beginning with "ERROR: " or "FATAL ERROR: "
  int warnings = 0;  // "WARNING: "
  int notes = 0;     // "NOTE: "
};

class ReportWriter {
 public:
  explicit ReportWriter(MessageSink& log) : log_(log) {}

  // Formats like printf (cut at 4095 characters, as the log does), writes
  // the text through logMessage and counts it by its first characters.
  void line(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);

  const ProblemCounts& counts() const { return counts_; }
  MessageSink& log() { return log_; }

 private:
  MessageSink& log_;
  ProblemCounts counts_;
};

}  // namespace quorvel
