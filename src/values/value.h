// TScript values: typed, named nodes; a group owns its children.
//
// A mesh's ValueTable is a Group value named after the mesh. The type codes
// are the numbers stored in scene files, so they are fixed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

enum class ValueType : uint32_t {
  Bool = 0x101,
  Untyped = 0x102,  // no keyword, no payload; kept as read from scene files
  Int = 0x103,
  Float = 0x104,
  String = 0x105,
  Group = 0x106,
};

struct Value {
  ValueType type = ValueType::Int;
  std::string name;
  std::string text;     // payload of String values
  uint32_t scalar = 0;  // Bool (first byte), Int or Float bits
  std::vector<std::unique_ptr<Value>> children;  // Group only
  int32_t tableIndex = -1;
  int32_t nameOccurrence = -1;

  Value() = default;
  Value(ValueType t, std::string n) : type(t), name(std::move(n)) {}
  // Destroys the subtree without recursion, so a deep tree cannot exhaust
  // the stack.
  ~Value();
  Value(Value&&) = default;
  Value& operator=(Value&&) = default;

  bool isGroup() const { return type == ValueType::Group; }
  int32_t intValue() const { return static_cast<int32_t>(scalar); }
  float floatValue() const;
  bool boolValue() const { return (scalar & 0xFF) != 0; }
  void setInt(int32_t v) { type = ValueType::Int; scalar = static_cast<uint32_t>(v); }
  void setFloat(float v);
  void setBool(bool v) { type = ValueType::Bool; scalar = v ? 1 : 0; }
  void setText(std::string t) { type = ValueType::String; text = std::move(t); }

  // Destroys the children and returns the value to the state of a new Int.
  void clear();
  // Deep copy, indices included.
  std::unique_ptr<Value> clone() const;
  Value* addChild(std::unique_ptr<Value> child) {
    children.push_back(std::move(child));
    return children.back().get();
  }
};

using ValueTable = Value;

// Group accessors. Each goes through findChild, so names match exactly and the
// first match wins; all give none/false when `group` is null or not a Group.
Value* findChild(const Value* group, std::string_view name);
bool hasChild(const Value* group, std::string_view name, uint32_t typeCode = 0);
bool isInt(const Value* group, std::string_view name, int32_t v);
bool isBool(const Value* group, std::string_view name, bool v);
bool isFloat(const Value* group, std::string_view name);
bool isString(const Value* group, std::string_view name);
bool isStringEqual(const Value* group, std::string_view name, std::string_view text);
float getFloat(const Value* group, std::string_view name, float defaultValue);
std::string getString(const Value* group, std::string_view name, const std::string& defaultValue);
// Text of the first "Class" child when it is a String, else "".
std::string getClass(const Value* group);
Value* findOrAddChild(Value* group, std::string_view name);
void setString(Value* group, std::string_view name, const std::string& text);
void setInt(Value* group, std::string_view name, int32_t v);
void setFloat(Value* group, std::string_view name, float v);

}  // namespace quorvel
