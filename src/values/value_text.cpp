#include "values/value_text.h"

#include <cstring>
#include <string>

#include "util/text_format.h"
#include "values/scan_format.h"

namespace quorvel {

namespace {

bool isNameChar(int c) { return c != TextStream::kEnd && c != ' ' && c != '\t' && c != '\n' && c != '='; }

// The name and the "=" after it.
bool readNameAndEquals(TextStream& in, std::string& name) {
  in.skipWhitespace();
  size_t start = in.position();
  while (isNameChar(in.peek())) in.get();
  size_t length = in.position() - start;
  if (length == 0 || length > kMaxValueWord) return false;
  name.assign(in.text().substr(start, length));
  in.skipWhitespace();
  return in.get() == '=';
}

bool readBool(TextStream& in, Value& out) {
  std::string_view word = in.readWord();
  if (word.size() > kMaxValueWord) return false;
  if (equalsNoCase(word, "true")) {
    out.setBool(true);
    return true;
  }
  if (equalsNoCase(word, "false")) {
    out.setBool(false);
    return true;
  }
  return false;
}

bool readInt(TextStream& in, Value& out) {
  in.skipWhitespace();
  size_t pos = in.position();
  int32_t v = 0;
  bool ok = scanDecimalInt(in.text(), pos, v);
  in.seek(pos);
  if (ok) out.setInt(v);
  return ok;
}

bool readFloat(TextStream& in, Value& out) {
  in.skipWhitespace();
  size_t pos = in.position();
  float v = 0;
  bool ok = scanDecimalFloat(in.text(), pos, v);
  in.seek(pos);
  if (ok) out.setFloat(v);
  return ok;
}

bool readString(TextStream& in, Value& out) {
  in.skipWhitespace();
  if (in.get() != '"') return false;
  size_t start = in.position();
  for (int c = in.peek(); c != TextStream::kEnd && c != '\n' && c != '\t' && c != '"'; c = in.peek()) in.get();
  size_t length = in.position() - start;
  if (length == 0 || length > kMaxValueWord) return false;
  if (in.get() != '"') return false;
  out.setText(std::string(in.text().substr(start, length)));
  return true;
}

bool parseAtDepth(TextStream& in, Value& out, std::string_view keyword, int depth);

bool readGroupMembers(TextStream& in, Value& out, int depth) {
  in.skipWhitespace();
  if (in.atEnd()) return false;
  if (in.peek() == '{') in.get();
  for (;;) {
    std::string_view word = in.readWord();
    if (word.empty()) return true;  // the end of the text closes the group
    if (word[0] == '}') return true;
    if (depth >= kMaxValueDepth) return false;
    auto child = std::make_unique<Value>();
    if (!parseAtDepth(in, *child, word, depth + 1)) return false;
    out.children.push_back(std::move(child));
  }
}

bool parseAtDepth(TextStream& in, Value& out, std::string_view keyword, int depth) {
  if (keyword.empty()) {
    keyword = in.readWord();
    if (keyword.empty()) return false;
  }
  if (keyword.size() > kMaxValueWord) return false;
  std::optional<ValueType> type = valueTypeFromKeyword(keyword);
  if (!type) return false;
  out.clear();
  out.type = *type;
  if (!readNameAndEquals(in, out.name)) return false;
  switch (*type) {
    case ValueType::Bool: return readBool(in, out);
    case ValueType::Int: return readInt(in, out);
    case ValueType::Float: return readFloat(in, out);
    case ValueType::String: return readString(in, out);
    case ValueType::Group: return readGroupMembers(in, out, depth);
    default: return false;
  }
}

}  // namespace

std::optional<ValueType> valueTypeFromKeyword(std::string_view word) {
  if (equalsNoCase(word, "bool")) return ValueType::Bool;
  if (equalsNoCase(word, "int")) return ValueType::Int;
  if (equalsNoCase(word, "float")) return ValueType::Float;
  if (equalsNoCase(word, "string")) return ValueType::String;
  if (equalsNoCase(word, "group")) return ValueType::Group;
  return std::nullopt;
}

bool parseValue(TextStream& in, Value& out, std::string_view keyword) {
  return parseAtDepth(in, out, keyword, 1);
}

std::unique_ptr<Value> parseValueText(std::string_view text) {
  TextStream in(text);
  auto value = std::make_unique<Value>();
  if (!parseValue(in, *value)) return nullptr;
  return value;
}

}  // namespace quorvel
