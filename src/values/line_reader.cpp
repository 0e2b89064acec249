#include "values/line_reader.h"

#include <algorithm>

#include "util/text_format.h"
#include "values/scan_format.h"
#include "values/text_file.h"
#include "values/text_stream.h"

namespace quorvel {

bool LineReader::open(const std::string& path) {
  std::optional<std::string> text = readTextFile(path);
  if (!text) return false;
  openText(std::move(*text));
  return true;
}

void LineReader::openText(std::string text) {
  text_ = std::move(text);
  position_ = 0;
  lineNumber_ = 0;
  atEnd_ = false;
  current_ = {};
  nextLine();
}

void LineReader::close() {
  text_.clear();
  text_.shrink_to_fit();
  position_ = 0;
  current_ = {};
  atEnd_ = true;
}

void LineReader::nextLine() {
  for (;;) {
    if (position_ >= text_.size()) {
      atEnd_ = true;
      current_ = {};
      return;
    }
    // One physical line as a 1024-byte buffer holds it: at most 1022
    // characters; the end of the text met while reading sets atEnd.
    size_t start = position_;
    size_t limit = std::min(text_.size(), start + kMaxLineLength);
    size_t end = start;
    while (end < limit && text_[end] != '\n') ++end;
    bool lineEnd = end < text_.size() && end < limit;
    position_ = lineEnd ? end + 1 : end;
    if (!lineEnd && end - start < kMaxLineLength) atEnd_ = true;
    ++lineNumber_;

    std::string_view line(text_.data() + start, end - start);
    size_t first = 0;
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t' || line[first] == '\n' ||
                                   line[first] == '\r'))
      ++first;
    line.remove_prefix(first);
    size_t slash = line.find('/');
    if (slash != std::string_view::npos && slash + 1 < line.size() && line[slash + 1] == '/')
      line = line.substr(0, slash);
    if (!line.empty() || atEnd_) {
      current_ = line;
      return;
    }
  }
}

namespace {

enum class KeyForm { BeforeEquals, Word };

// The key as the matchers' patterns read it: after whitespace, the run of
// characters other than blank and "=" (" %[^ =]") or the whitespace-delimited
// word (" %s"). A line whose key differs cannot match, so the matchers look
// at it before scanning the whole line.
bool keyIs(std::string_view line, std::string_view key, KeyForm form) {
  size_t p = 0;
  while (p < line.size() && isScanSpace(static_cast<unsigned char>(line[p]))) ++p;
  size_t start = p;
  if (form == KeyForm::BeforeEquals) {
    while (p < line.size() && line[p] != ' ' && line[p] != '=') ++p;
  } else {
    while (p < line.size() && !isScanSpace(static_cast<unsigned char>(line[p]))) ++p;
  }
  return equalsNoCase(line.substr(start, p - start), key);
}

}  // namespace

bool LineReader::matchFloats(std::string_view key, int count, float* out) {
  static const char* const kParenthesised[] = {" %[^ =] = ( %f", " %[^ =] = ( %f , %f",
                                               " %[^ =] = ( %f , %f , %f"};
  static const char* const kBare[] = {" %[^ =] = %f", " %[^ =] = %f , %f", " %[^ =] = %f , %f , %f"};
  if (!keyIs(current_, key, KeyForm::BeforeEquals)) return false;
  count = std::clamp(count, 1, 3);
  std::string foundKey;
  float numbers[3] = {0, 0, 0};
  auto scan = [&](const char* pattern) {
    return scanFormat(current_, pattern, {&foundKey, &numbers[0], &numbers[1], &numbers[2]}) == count + 1;
  };
  if (!scan(kParenthesised[count - 1]) && !scan(kBare[count - 1])) return false;
  if (!equalsNoCase(foundKey, key)) return false;
  std::copy(numbers, numbers + count, out);
  nextLine();
  return true;
}

namespace {

bool matchKeyAndText(std::string_view line, std::string_view key, std::string& out, KeyForm form,
                     const char* quoted, const char* bare) {
  if (!keyIs(line, key, form)) return false;
  std::string foundKey;
  std::string text;
  if (scanFormat(line, quoted, {&foundKey, &text}) != 2 && scanFormat(line, bare, {&foundKey, &text}) != 2)
    return false;
  if (!equalsNoCase(foundKey, key)) return false;
  out = std::move(text);
  return true;
}

}  // namespace

bool LineReader::matchText(std::string_view key, std::string& out) {
  if (!matchKeyAndText(current_, key, out, KeyForm::BeforeEquals, " %[^ =] = \"%[^\"]", " %[^ =] = %[^ ]")) return false;
  nextLine();
  return true;
}

bool LineReader::matchKeyword(std::string_view key, std::string& out) {
  if (!matchKeyAndText(current_, key, out, KeyForm::Word, " %s \"%[^\"]", " %s %[^ ]")) return false;
  nextLine();
  return true;
}

}  // namespace quorvel
