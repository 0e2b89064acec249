// Hand-assembled scene files for tests: a name table, a directory and
// section data laid out independently of the production writer, so tests can
// feed the reader files in either geometry layout and damage them at will.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "util/byte_io.h"

namespace quorvel::scene_testing {

// Little-endian words and bytes for section contents, chained.
class Bytes {
 public:
  Bytes& u32(uint32_t v);
  Bytes& f32(float v);
  Bytes& u16(uint16_t v);
  Bytes& u8(uint8_t v);
  Bytes& zeros(size_t n);
  Bytes& cstring(const std::string& s);
  const std::vector<uint8_t>& data() const { return out_.buffer(); }
  size_t size() const { return out_.buffer().size(); }

 private:
  ByteWriter out_;
};

// Assembles a scene file. Names are used (counted) first, then handles are
// given in byte order from 0xA00000, as the game's own files have them.
class SceneBytes {
 public:
  void useName(const std::string& name) { ++names_[name].count; }
  void assignHandles();
  uint32_t handle(const std::string& name) const { return names_.at(name).handle; }

  // Appends a section; returns its reference (0x80000000 | index).
  uint32_t addSection(const std::string& name, uint32_t type, const Bytes& data);
  // The reference the next section will get.
  uint32_t nextRef() const { return 0x80000000u | static_cast<uint32_t>(sections_.size()); }

  std::vector<uint8_t> build() const;

 private:
  struct Name {
    uint32_t count = 0;
    uint32_t handle = 0;
  };
  struct Section {
    uint32_t handle, type;
    std::vector<uint8_t> data;
  };
  std::map<std::string, Name> names_;
  std::vector<Section> sections_;
};

// Reading and patching words of a file in tests.
uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t offset);
void setWordAt(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

// Runs `write` with a temporary stream and returns what it wrote there.
std::string captureStream(const std::function<void(std::FILE*)>& write);

}  // namespace quorvel::scene_testing
