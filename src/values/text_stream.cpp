#include "values/text_stream.h"

#include <algorithm>

namespace quorvel {

void TextStream::skipWhitespace() {
  while (pos_ < text_.size() && isScanSpace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
}

std::string_view TextStream::readWord() {
  skipWhitespace();
  size_t start = pos_;
  while (pos_ < text_.size() && !isScanSpace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::string_view TextStream::readLine(size_t limit) {
  size_t start = pos_;
  size_t end = std::min(text_.size(), pos_ + limit);
  while (pos_ < end) {
    if (text_[pos_++] == '\n') break;
  }
  return text_.substr(start, pos_ - start);
}

}  // namespace quorvel
