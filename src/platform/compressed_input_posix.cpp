// SZDD-compressed files on POSIX, decoded with libmspack.
//
// libmspack only reads through a mspack_system of file callbacks, so we give
// it one over memory: the "file names" it is handed are pointers to our own
// buffers. It does not report a stream that ends early (it decodes what there
// is), so the decoded length is compared with the length the header promises.
#include <mspack.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/compressed_input.h"
#include "platform/file_system.h"
#include "platform/szdd_decoder.h"

namespace quorvel {
namespace {

constexpr uint8_t kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

// What a "file name" given to libmspack points to: input bytes or an output
// buffer.
struct MemoryFile {
  const std::vector<uint8_t>* input = nullptr;
  std::vector<uint8_t>* output = nullptr;
};

// An open handle; libmspack treats it as an opaque mspack_file.
struct MemoryHandle {
  MemoryFile* file = nullptr;
  size_t position = 0;
};

mspack_file* memoryOpen(mspack_system*, const char* name, int mode) {
  auto* file = reinterpret_cast<MemoryFile*>(const_cast<char*>(name));
  if (mode == MSPACK_SYS_OPEN_READ ? !file->input : !file->output) return nullptr;
  auto* handle = new MemoryHandle{file, 0};
  return reinterpret_cast<mspack_file*>(handle);
}

void memoryClose(mspack_file* f) { delete reinterpret_cast<MemoryHandle*>(f); }

int memoryRead(mspack_file* f, void* buffer, int bytes) {
  auto* handle = reinterpret_cast<MemoryHandle*>(f);
  const std::vector<uint8_t>* input = handle->file->input;
  if (!input || bytes < 0) return -1;
  size_t n = std::min(static_cast<size_t>(bytes), input->size() - handle->position);
  if (n) std::memcpy(buffer, input->data() + handle->position, n);
  handle->position += n;
  return static_cast<int>(n);
}

int memoryWrite(mspack_file* f, void* buffer, int bytes) {
  auto* handle = reinterpret_cast<MemoryHandle*>(f);
  std::vector<uint8_t>* output = handle->file->output;
  if (!output || bytes < 0) return -1;
  const uint8_t* data = static_cast<const uint8_t*>(buffer);
  output->insert(output->end(), data, data + bytes);
  return bytes;
}

int memorySeek(mspack_file* f, off_t offset, int mode) {
  auto* handle = reinterpret_cast<MemoryHandle*>(f);
  const std::vector<uint8_t>* input = handle->file->input;
  off_t size = static_cast<off_t>(input ? input->size() : handle->file->output->size());
  off_t base = mode == MSPACK_SYS_SEEK_START ? 0
               : mode == MSPACK_SYS_SEEK_CUR ? static_cast<off_t>(handle->position)
                                             : size;
  off_t target = base + offset;
  if (target < 0 || target > size) return -1;
  handle->position = static_cast<size_t>(target);
  return 0;
}

off_t memoryTell(mspack_file* f) {
  return static_cast<off_t>(reinterpret_cast<MemoryHandle*>(f)->position);
}

void memoryMessage(mspack_file*, const char*, ...) {}
void* memoryAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void memoryFree(void* p) { std::free(p); }
void memoryCopy(void* src, void* dest, size_t bytes) { std::memmove(dest, src, bytes); }

mspack_system memorySystem = {memoryOpen, memoryClose, memoryRead,    memoryWrite,
                              memorySeek, memoryTell,  memoryMessage, memoryAlloc,
                              memoryFree, memoryCopy,  nullptr};

bool isSzdd(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= sizeof kSzddMagic &&
         std::memcmp(bytes.data(), kSzddMagic, sizeof kSzddMagic) == 0;
}

}  // namespace

std::optional<std::vector<uint8_t>> decodeSzdd(const std::vector<uint8_t>& compressed) {
  msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(&memorySystem);
  if (!decompressor) return std::nullopt;
  std::vector<uint8_t> decoded;
  MemoryFile input{&compressed, nullptr};
  MemoryFile output{nullptr, &decoded};
  std::optional<std::vector<uint8_t>> result;
  msszddd_header* header =
      decompressor->open(decompressor, reinterpret_cast<const char*>(&input));
  if (header) {
    // Each compressed byte yields at most a few dozen decoded bytes, so a
    // larger promise is damage; grow on demand rather than trusting it.
    decoded.reserve(std::min<uint64_t>(static_cast<uint64_t>(std::max<off_t>(header->length, 0)),
                                       uint64_t{compressed.size()} * 9 + 64));
    int error = decompressor->extract(decompressor, header, reinterpret_cast<const char*>(&output));
    if (error == MSPACK_ERR_OK && static_cast<off_t>(decoded.size()) == header->length)
      result = std::move(decoded);
    decompressor->close(decompressor, header);
  }
  mspack_destroy_szdd_decompressor(decompressor);
  return result;
}

namespace {

bool beginsWith(std::span<const uint8_t> bytes, std::span<const uint8_t> start) {
  return bytes.size() >= start.size() && std::equal(start.begin(), start.end(), bytes.begin());
}

}  // namespace

std::optional<std::vector<uint8_t>> readPossiblyCompressedFile(const std::string& path,
                                                               std::span<const uint8_t> expectedStart,
                                                               uint64_t maxSize) {
  // The header first: a file that is neither compressed nor of the expected
  // kind is refused without reading it all.
  auto head = readFileStart(path, std::max(sizeof kSzddMagic, expectedStart.size()));
  if (!head) return std::nullopt;
  const bool compressed = isSzdd(*head);
  if (!compressed && !beginsWith(*head, expectedStart)) return std::nullopt;
  auto bytes = readWholeFile(path, maxSize);
  if (!bytes || !compressed) return bytes;
  auto decoded = decodeSzdd(*bytes);
  if (decoded && (decoded->size() > maxSize || !beginsWith(*decoded, expectedStart))) return std::nullopt;
  return decoded;
}

std::shared_ptr<ByteBlock> readPossiblyCompressedBlock(const std::string& path,
                                                       std::span<const uint8_t> expectedStart,
                                                       uint64_t maxSize) {
  auto head = readFileStart(path, std::max(sizeof kSzddMagic, expectedStart.size()));
  if (!head) return nullptr;
  if (isSzdd(*head)) {
    auto decoded = readPossiblyCompressedFile(path, expectedStart, maxSize);
    return decoded ? std::make_shared<ByteBlock>(std::move(*decoded)) : nullptr;
  }
  if (!beginsWith(*head, expectedStart)) return nullptr;
  return readWholeFileBlock(path, maxSize);
}

}  // namespace quorvel
