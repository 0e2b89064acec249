#include "support/scene_bytes.h"

namespace quorvel::scene_testing {

Bytes& Bytes::u32(uint32_t v) {
  out_.u32(v);
  return *this;
}
Bytes& Bytes::f32(float v) {
  out_.f32(v);
  return *this;
}
Bytes& Bytes::u16(uint16_t v) {
  out_.u16(v);
  return *this;
}
Bytes& Bytes::u8(uint8_t v) {
  out_.u8(v);
  return *this;
}
Bytes& Bytes::zeros(size_t n) {
  out_.zeros(n);
  return *this;
}
Bytes& Bytes::cstring(const std::string& s) {
  out_.cstring(s);
  return *this;
}

void SceneBytes::assignHandles() {
  uint32_t next = 0xA00000;
  for (auto& entry : names_) entry.second.handle = next++;
}

uint32_t SceneBytes::addSection(const std::string& name, uint32_t type, const Bytes& data) {
  uint32_t ref = nextRef();
  sections_.push_back({handle(name), type, data.data()});
  return ref;
}

std::vector<uint8_t> SceneBytes::build() const {
  Bytes body;
  const uint32_t dataStart = 48 + 32 * static_cast<uint32_t>(sections_.size());
  Bytes directory;
  uint32_t offset = dataStart;
  for (size_t i = 0; i < sections_.size(); ++i) {
    const Section& s = sections_[i];
    directory.u32(s.handle).u32(0).u32(offset).u32(static_cast<uint32_t>(s.data.size()));
    directory.zeros(8).u32(s.type).u32(0x80000000u | static_cast<uint32_t>(i));
    offset += static_cast<uint32_t>(s.data.size());
  }
  Bytes nameTable;
  for (const auto& [name, entry] : names_)
    nameTable.u32(entry.handle).u32(static_cast<uint32_t>(name.size() + 1)).u32(entry.count).cstring(name);
  const uint32_t total = offset + static_cast<uint32_t>(nameTable.size());
  Bytes header;
  header.u32(0x0ACEBABE).u32(total).u32(static_cast<uint32_t>(sections_.size()));
  header.u32(static_cast<uint32_t>(names_.size())).u32(static_cast<uint32_t>(nameTable.size()));
  header.u32(offset).u32(0).u32(12).u32(10).zeros(12);

  std::vector<uint8_t> out = header.data();
  out.insert(out.end(), directory.data().begin(), directory.data().end());
  for (const Section& s : sections_) out.insert(out.end(), s.data.begin(), s.data.end());
  out.insert(out.end(), nameTable.data().begin(), nameTable.data().end());
  return out;
}

uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  static_cast<void>(bytes.at(offset + 3));  // out_of_range rather than a read past the end
  return decodeU32(bytes.data() + offset);
}

void setWordAt(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  static_cast<void>(bytes.at(offset + 3));
  encodeU32(bytes.data() + offset, value);
}

std::string captureStream(const std::function<void(std::FILE*)>& write) {
  std::FILE* stream = std::tmpfile();
  if (!stream) return "<no temporary stream>";
  write(stream);
  std::string text;
  std::rewind(stream);
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
  std::fclose(stream);
  return text;
}

}  // namespace quorvel::scene_testing
