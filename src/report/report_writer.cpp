#include "report/report_writer.h"

#include <cstdarg>
#include <cstdio>
#include <string_view>

namespace quorvel {

void ReportWriter::line(const char* format, ...) {
  if (!format) return;
  char buffer[MessageSink::kBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);

  std::string_view text(buffer);
  if (text.starts_with("ERROR: ") || text.starts_with("FATAL ERROR: "))
    ++counts_.errors;
  else if (text.starts_with("WARNING: "))
    ++counts_.warnings;
  else if (text.starts_with("NOTE: "))
    ++counts_.notes;
  // Through "%s" so that a percent sign in a name stays as it is.
  log_.logMessage("%s", buffer);
}

}  // namespace quorvel
