// Text held in memory, read like a character stream: the value parser and
// the value file reader work on it. Positions are byte offsets into the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

class TextStream {
 public:
  static constexpr int kEnd = -1;

  explicit TextStream(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  // The next character (0..255) without consuming it, or kEnd.
  int peek() const { return atEnd() ? kEnd : static_cast<unsigned char>(text_[pos_]); }
  int get() { return atEnd() ? kEnd : static_cast<unsigned char>(text_[pos_++]); }
  size_t position() const { return pos_; }
  // Positions beyond the end are clamped to it.
  void seek(size_t pos) { pos_ = pos < text_.size() ? pos : text_.size(); }
  std::string_view text() const { return text_; }

  // Skips whitespace as the C library's isspace sees it in the "C" locale.
  void skipWhitespace();
  // Reads one whitespace-delimited word, leading whitespace skipped; empty
  // only at the end of the text.
  std::string_view readWord();
  // Reads up to and including the next line feed, at most `limit` characters.
  std::string_view readLine(size_t limit);

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

inline bool isScanSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace quorvel
