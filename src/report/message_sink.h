// What the readers and subsystems need of the message log: write a message,
// know whether trace lines are wanted, and raise the problem flag. The
// message log implements it; tests may capture into a sink of their own.
#pragma once

#include <cstddef>

#include "util/text_format.h"

namespace quorvel {

class MessageSink {
 public:
  static constexpr size_t kBufferSize = 4096;  // messages are cut at 4095

  virtual ~MessageSink() = default;

  // Formats like printf (cut at 4095 characters) and writes the text.
  void logMessage(const char* format, ...) QUORVEL_FORMAT_CHECK(2, 3);

  // Trace lines are written only while this is on.
  bool verbose = true;
  // Raised by every NOTE, WARNING or ERROR a reader writes.
  bool problem = false;

 protected:
  virtual void writeMessage(const char* text) = 0;
};

}  // namespace quorvel
