#include "report/message_sink.h"

#include <cstdarg>
#include <cstdio>

namespace quorvel {

void MessageSink::logMessage(const char* format, ...) {
  if (!format) return;
  char buffer[kBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);  // cuts at 4095
  va_end(args);
  writeMessage(buffer);
}

}  // namespace quorvel
