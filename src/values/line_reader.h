// The line scanner of the TPM model formats. It delivers the next line with
// content: leading blanks, tabs and line ends skipped, a comment cut where
// the first "/" of the line is followed by another "/", empty lines passed
// over. Physical lines longer than 1022 characters are delivered in pieces,
// and the line number counts every physical line read, skipped ones too.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

class LineReader {
 public:
  static constexpr size_t kMaxLineLength = 1022;

  // Reads the file (it must exist), sets the line number to 0 and makes the
  // first line with content current. False when it cannot be read.
  bool open(const std::string& path);
  // The same on text in memory.
  void openText(std::string text);
  void close();

  // Makes the next line with content current; at the end of the text the
  // current line is empty.
  void nextLine();
  std::string_view currentLine() const { return current_; }
  // True once a read has reached the end of the text: already while a last
  // line without a line end is current.
  bool atEnd() const { return atEnd_; }
  // True while there is a line to handle, including a last line without a
  // line end.
  bool hasLine() const { return !atEnd_ || !current_.empty(); }
  int lineNumber() const { return lineNumber_; }

  // "key = ( x , y , z" or "key = x , y , z" (count 1..3 numbers, a larger
  // count means 3). On a match with `key` (any letter case) stores the
  // numbers in `out`, consumes the line and returns true.
  bool matchFloats(std::string_view key, int count, float* out);
  // "key = \"text" (closing quote not examined) or "key = word".
  bool matchText(std::string_view key, std::string& out);
  // "key \"text" or "key word": a block header.
  bool matchKeyword(std::string_view key, std::string& out);

 private:
  std::string text_;
  size_t position_ = 0;
  std::string_view current_;
  bool atEnd_ = true;
  int lineNumber_ = 0;
};

}  // namespace quorvel
