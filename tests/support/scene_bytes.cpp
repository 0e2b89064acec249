#include "support/scene_bytes.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace quorvel::scene_testing {

Bytes& Bytes::u32(uint32_t v) {
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}
Bytes& Bytes::f32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return u32(bits);
}
Bytes& Bytes::u16(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v));
  data_.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}
Bytes& Bytes::u8(uint8_t v) {
  data_.push_back(v);
  return *this;
}
Bytes& Bytes::zeros(size_t n) {
  data_.insert(data_.end(), n, 0);
  return *this;
}
Bytes& Bytes::cstring(const std::string& s) {
  data_.insert(data_.end(), s.begin(), s.end());
  data_.push_back(0);
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
  return static_cast<uint32_t>(bytes.at(offset)) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
         (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) |
         (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

void setWordAt(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
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

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quorvel::scene_testing
