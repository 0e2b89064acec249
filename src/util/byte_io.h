// Little-endian reading and writing of binary files.
//
// Every number in the game's files is little-endian. ByteReader checks every
// read against the bytes it has, so parsing code cannot run past the end:
// a failed read returns false and leaves the destination untouched.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

inline uint16_t decodeU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t decodeU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void encodeU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
// Runs of words, as the kept raw sections of scene files are: on a
// little-endian machine the bytes already are the words, and one copy moves
// the whole run.
inline void decodeU32s(const uint8_t* p, std::span<uint32_t> words) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!words.empty()) std::memcpy(words.data(), p, words.size() * 4);
  } else {
    for (size_t i = 0; i < words.size(); ++i) words[i] = decodeU32(p + 4 * i);
  }
}
inline void encodeU32s(uint8_t* p, std::span<const uint32_t> words) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!words.empty()) std::memcpy(p, words.data(), words.size() * 4);
  } else {
    for (size_t i = 0; i < words.size(); ++i) encodeU32(p + 4 * i, words[i]);
  }
}
inline float floatFromBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
inline uint32_t bitsFromFloat(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t size() const { return data_.size(); }
  size_t position() const { return pos_; }
  size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  std::span<const uint8_t> data() const { return data_; }

  // Moves to an absolute position; false (and no move) beyond the end.
  bool seek(size_t pos) {
    if (pos > data_.size()) return false;
    pos_ = pos;
    return true;
  }
  bool skip(size_t n) {
    if (n > remaining()) return false;
    pos_ += n;
    return true;
  }
  // True when `count` records of `recordSize` bytes are left: check this
  // before allocating for a count read from the file.
  bool has(uint64_t count, uint64_t recordSize) const {
    if (recordSize != 0 && count > remaining() / recordSize) return false;
    return count * recordSize <= remaining();
  }

  bool readU8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool readU16(uint16_t& v) {
    if (remaining() < 2) return false;
    v = decodeU16(&data_[pos_]);
    pos_ += 2;
    return true;
  }
  bool readU32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = decodeU32(&data_[pos_]);
    pos_ += 4;
    return true;
  }
  bool readI32(int32_t& v) {
    uint32_t u;
    if (!readU32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool readF32(float& v) {
    uint32_t u;
    if (!readU32(u)) return false;
    v = floatFromBits(u);
    return true;
  }
  bool readBytes(void* dest, size_t n) {
    if (remaining() < n) return false;
    if (n) std::memcpy(dest, &data_[pos_], n);
    pos_ += n;
    return true;
  }
  // The next `count` records of `recordSize` bytes as one checked run, for
  // parsing many fixed-size records without checking each field again;
  // false (and no move) when they are not all there.
  bool readRecords(uint64_t count, uint64_t recordSize, std::span<const uint8_t>& out) {
    if (!has(count, recordSize)) return false;
    const size_t n = static_cast<size_t>(count * recordSize);
    out = data_.subspan(pos_, n);
    pos_ += n;
    return true;
  }
  // Reads a zero-terminated string of at most `maxLength` characters before
  // the zero; false when no terminator is found in time.
  bool readCString(std::string& out, size_t maxLength) {
    size_t limit = std::min(remaining(), maxLength + 1);
    const uint8_t* start = data_.data() + pos_;
    const void* zero = std::memchr(start, 0, limit);
    if (!zero) return false;
    size_t len = static_cast<const uint8_t*>(zero) - start;
    out.assign(reinterpret_cast<const char*>(start), len);
    pos_ += len + 1;
    return true;
  }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

class ByteWriter {
 public:
  std::vector<uint8_t>& buffer() { return buf_; }
  const std::vector<uint8_t>& buffer() const { return buf_; }
  size_t size() const { return buf_.size(); }
  void reserve(size_t n) { buf_.reserve(n); }

  void u8(uint8_t v) { buf_.push_back(v); }
  void u16(uint16_t v) {
    buf_.push_back(static_cast<uint8_t>(v));
    buf_.push_back(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    size_t at = buf_.size();
    buf_.resize(at + 4);
    encodeU32(&buf_[at], v);
  }
  // Words in one go: a whole kept section costs one copy.
  void u32s(std::span<const uint32_t> words) {
    size_t at = buf_.size();
    buf_.resize(at + words.size() * 4);
    encodeU32s(buf_.data() + at, words);
  }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void f32(float v) { u32(bitsFromFloat(v)); }
  void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
  void bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    buf_.insert(buf_.end(), b, b + n);
  }
  void cstring(const std::string& s) {
    bytes(s.data(), s.size());
    u8(0);
  }
  // Overwrites a word written earlier (for back-filled headers).
  void patchU32(size_t at, uint32_t v) { encodeU32(&buf_[at], v); }

 private:
  std::vector<uint8_t> buf_;
};

}  // namespace quorvel
