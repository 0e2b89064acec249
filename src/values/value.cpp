#include "values/value.h"

#include <cstring>

namespace quorvel {

float Value::floatValue() const {
  float f;
  std::memcpy(&f, &scalar, 4);
  return f;
}

void Value::setFloat(float v) {
  type = ValueType::Float;
  std::memcpy(&scalar, &v, 4);
}

Value::~Value() {
  if (children.empty()) return;
  std::vector<std::unique_ptr<Value>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<Value> last = std::move(pending.back());
    pending.pop_back();
    for (auto& child : last->children) pending.push_back(std::move(child));
    last->children.clear();  // only empty pointers left
  }
}

void Value::clear() {
  children.clear();
  type = ValueType::Int;
  scalar = 0;
  tableIndex = -1;
  nameOccurrence = -1;
  text.clear();
  name.clear();
}

std::unique_ptr<Value> Value::clone() const {
  auto copy = std::make_unique<Value>(type, name);
  copy->text = text;
  copy->scalar = scalar;
  copy->tableIndex = tableIndex;
  copy->nameOccurrence = nameOccurrence;
  copy->children.reserve(children.size());
  for (const auto& child : children) copy->children.push_back(child->clone());
  return copy;
}

Value* findChild(const Value* group, std::string_view name) {
  if (!group || group->type != ValueType::Group) return nullptr;
  for (const auto& child : group->children)
    if (child->name == name) return child.get();
  return nullptr;
}

bool hasChild(const Value* group, std::string_view name, uint32_t typeCode) {
  const Value* v = findChild(group, name);
  return v && (typeCode == 0 || static_cast<uint32_t>(v->type) == typeCode);
}

bool isInt(const Value* group, std::string_view name, int32_t expected) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::Int && v->intValue() == expected;
}

bool isBool(const Value* group, std::string_view name, bool expected) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::Bool && v->boolValue() == expected;
}

bool isFloat(const Value* group, std::string_view name) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::Float;
}

bool isString(const Value* group, std::string_view name) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::String;
}

bool isStringEqual(const Value* group, std::string_view name, std::string_view text) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::String && v->text == text;
}

float getFloat(const Value* group, std::string_view name, float defaultValue) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::Float ? v->floatValue() : defaultValue;
}

std::string getString(const Value* group, std::string_view name, const std::string& defaultValue) {
  const Value* v = findChild(group, name);
  return v && v->type == ValueType::String ? v->text : defaultValue;
}

std::string getClass(const Value* group) { return getString(group, "Class", std::string()); }

Value* findOrAddChild(Value* group, std::string_view name) {
  if (!group || group->type != ValueType::Group) return nullptr;
  if (Value* v = findChild(group, name)) return v;
  return group->addChild(std::make_unique<Value>(ValueType::Int, std::string(name)));
}

void setString(Value* group, std::string_view name, const std::string& text) {
  if (Value* v = findOrAddChild(group, name)) v->setText(text);
}

void setInt(Value* group, std::string_view name, int32_t n) {
  if (Value* v = findOrAddChild(group, name)) v->setInt(n);
}

void setFloat(Value* group, std::string_view name, float f) {
  if (Value* v = findOrAddChild(group, name)) v->setFloat(f);
}

}  // namespace quorvel
