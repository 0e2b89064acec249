#include "textures/texture_database.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"
#include "textures/texture_packer.h"
#include "util/byte_io.h"

namespace quorvel {

namespace {

constexpr uint32_t kPidMagic = 0x130;
constexpr uint32_t kPidSecondWord = 16;
constexpr uint32_t kHeaderSize = 32;
constexpr uint32_t kEntrySize = 56;
constexpr uint32_t kDefaultPrimaryLimit = 0x600000;
// Size word, count, key and trailer: the smallest palette record.
constexpr uint32_t kPaletteRecordFixedSize = 16;
constexpr size_t kMaxTextureNameLength = 511;

bool readEntry(ByteReader& in, TextureEntry& e) {
  return in.readU32(e.size) && in.readU32(e.offset) && in.readU32(e.width) &&
         in.readU32(e.height) && in.readU32(e.pitch) && in.readU32(e.bitsPerPixel) &&
         in.readU32(e.averageColor) && in.readU32(e.transparency) && in.readU32(e.bumpFlags) &&
         in.readU32(e.occlusion) && in.readI32(e.palette) && in.readU32(e.reserved) &&
         in.readU32(e.textureId) && in.readU32(e.mipInfo);
}

void writeEntry(ByteWriter& out, const TextureEntry& e) {
  out.u32(e.size);
  out.u32(e.offset);
  out.u32(e.width);
  out.u32(e.height);
  out.u32(e.pitch);
  out.u32(e.bitsPerPixel);
  out.u32(e.averageColor);
  out.u32(e.transparency);
  out.u32(e.bumpFlags);
  out.u32(e.occlusion);
  out.i32(e.palette);
  out.u32(e.reserved);
  out.u32(e.textureId);
  out.u32(e.mipInfo);
}

// Palette indices come from the file; anything outside the list refers to
// no palette we hold.
TexturePalette* paletteOf(std::vector<TexturePalette>& palettes, const TextureEntry& e) {
  if (e.palette < 0 || static_cast<size_t>(e.palette) >= palettes.size()) return nullptr;
  return &palettes[static_cast<size_t>(e.palette)];
}

}  // namespace

const PaletteHandleRow paletteHandleTable[kPaletteHandleCount] = {
    {0x07600000, 0x0000D0A7}, {0x09500000, 0x00DD311F}, {0x0B100000, 0x03D7372F},
    {0x10400000, 0x02512587}, {0x15100000, 0x0257E51F}, {0x17900000, 0x0345E713},
    {0x18D00000, 0x0151F3DF}, {0x1AC00000, 0x031B77EB}, {0x1C500000, 0x00C7A0EB},
    {0x1FC00000, 0x03FD7677}, {0x20000000, 0x0368D403}, {0x23300000, 0x025D36BB},
    {0x25400000, 0x01C0B167}, {0x28200000, 0x0203E667}, {0x31600000, 0x035D258F},
    {0x33900000, 0x010CA183}, {0x3BF00000, 0x021BF77B}, {0x3E500000, 0x0220B717},
    {0x3F800000, 0x026A371F}, {0x41800000, 0x012FA6E3}, {0x47000000, 0x001BB4F3},
    {0x47300000, 0x00487497}, {0x48600000, 0x0050B493}, {0x49000000, 0x03DBE3C3},
    {0x49700000, 0x004A1417}, {0x4B800000, 0x02D3819B}, {0x4C100000, 0x03937393},
    {0x51000000, 0x0167479B}, {0x57600000, 0x027641DF}, {0x58100000, 0x01E786CB},
    {0x59100000, 0x00D984A7}, {0x59A00000, 0x012277AB}, {0x5A100000, 0x020FE15B},
    {0x5B100000, 0x025FC1CB}, {0x5E300000, 0x00F8F4E7}, {0x60400000, 0x0200E2E3},
    {0x62000000, 0x02C29333}, {0x6CD00000, 0x026E0217}, {0x6F800000, 0x005AA6EB},
    {0x70C00000, 0x025E43F7}, {0x71200000, 0x0035077F}, {0x72100000, 0x032AF183},
    {0x74600000, 0x00136707}, {0x75300000, 0x001DA7CF}, {0x79400000, 0x012C05CB},
    {0x7C400000, 0x03323197}, {0x7F000000, 0x03B250C3}, {0x7F100000, 0x036EA18B},
    {0x81700000, 0x028E2D23}, {0x83200000, 0x02DAFD7F}, {0x83300000, 0x03A81F7B},
    {0x84600000, 0x00AAE9FB}, {0x8A400000, 0x01EDFB87}, {0x8FB00000, 0x03624E77},
    {0x95D00000, 0x03E7FE6B}, {0x99300000, 0x0278ED8B}, {0x9B800000, 0x014B5B77},
    {0xA1B00000, 0x008D3B3B}, {0xA5600000, 0x0019DABF}, {0xA6600000, 0x0077BA33},
    {0xABC00000, 0x0262DEA3}, {0xAD400000, 0x010CC807}, {0xADA00000, 0x0297CF3F},
    {0xAFB00000, 0x03BF6DEF}, {0xB5400000, 0x00A01A0F}, {0xBBD00000, 0x0158C9C7},
    {0xBDB00000, 0x022F9F1F}, {0xBE900000, 0x03C8BCC3}, {0xBFC00000, 0x009E1ADB},
    {0xC3E00000, 0x03A89BF3}, {0xC5900000, 0x00513CC7}, {0xC7000000, 0x001B9CDB},
    {0xC8C00000, 0x00E38DC7}, {0xCD300000, 0x03585A3F}, {0xCE100000, 0x02EB093B},
    {0xCE100000, 0x03B15BDF}, {0xD3600000, 0x03787BBB}, {0xD8000000, 0x03374BA3},
    {0xD8A00000, 0x03163B9B}, {0xD9F00000, 0x03E8FAB3}, {0xDEE00000, 0x00425D37},
    {0xDF200000, 0x031A0BCB}, {0xE1800000, 0x024CCA4F}, {0xE4F00000, 0x021D5A2B},
    {0xE7D00000, 0x01727CE7}, {0xEB200000, 0x00338E5B}, {0xEF800000, 0x03828973},
    {0xF0100000, 0x0378E91F}, {0xF1700000, 0x02E9FA3B}, {0xF2600000, 0x00013F1B},
    {0xF3E00000, 0x01276D1F}, {0xF4E00000, 0x03AD687B}, {0xF5000000, 0x028A3A7B},
    {0xF7400000, 0x00140F53}, {0xF8F00000, 0x0323A967}, {0xF9B00000, 0x00CD8E8F},
    {0xFBF00000, 0x03F398C7}, {0xFD400000, 0x00083FFB},
};

bool isPackerMarker(const TextureEntry& entry) {
  return entry.textureId == kPackerMarkerId && entry.width == kPackerMarkerShape &&
         entry.pitch == kPackerMarkerShape;
}

TextureEntry packerMarker(uint32_t firstPageOffset, uint32_t halfPages) {
  TextureEntry marker;
  marker.size = kEntrySize;
  marker.offset = firstPageOffset;
  marker.width = kPackerMarkerShape;
  marker.height = halfPages;
  marker.pitch = kPackerMarkerShape;
  marker.palette = 0;
  marker.textureId = kPackerMarkerId;
  return marker;
}

uint32_t textureId(float diffuse, const std::string& textureName, const std::string& bumpName) {
  std::string key = textureName + bumpName;
  if (key.size() > kMaxTextureNameLength) key.resize(kMaxTextureNameLength);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    else if (c == '\\') c = '/';
  }
  uint8_t diffuseBytes[4];
  encodeU32(diffuseBytes, bitsFromFloat(diffuse));
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(key.data()), static_cast<uInt>(key.size()));
  crc = crc32(crc, diffuseBytes, 4);
  return static_cast<uint32_t>(crc);
}

TextureDatabase::TextureDatabase() = default;

TextureDatabase::~TextureDatabase() {
  if (swpFile) std::fclose(swpFile);
}

void TextureDatabase::clear() {
  entries.clear();
  palettes.clear();
  primaryLimit = kDefaultPrimaryLimit;
  primaryUsed = 0;
}

bool TextureDatabase::read(const std::string& path) {
  clear();
  // The magic first, so that no other file is read whole.
  std::optional<std::vector<uint8_t>> head = readFileStart(path, 4);
  if (!head || head->size() < 4 || decodeU32(head->data()) != kPidMagic) return false;
  std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
  if (!bytes) return false;
  return parse(*bytes);
}

bool TextureDatabase::parse(std::span<const uint8_t> bytes) {
  clear();
  ByteReader in(bytes);
  uint32_t header[8];
  for (uint32_t& word : header)
    if (!in.readU32(word)) return false;
  if (header[0] != kPidMagic) return false;
  const uint32_t entryTableOffset = header[2];
  const uint32_t entryCount = header[3];
  const uint32_t paletteCount = header[5];

  // The palettes always start right after the header, whatever word 4 says.
  // Every count is checked against the bytes left before anything is sized.
  if (!in.has(paletteCount, kPaletteRecordFixedSize)) return false;
  std::vector<TexturePalette> readPalettes(paletteCount);
  for (TexturePalette& palette : readPalettes) {
    if (!in.skip(4) || !in.readU32(palette.count) || !in.readU32(palette.key)) return false;
    if (!in.has(palette.count, 4) || !in.has(1, uint64_t{palette.count} * 4 + 4)) return false;
    palette.colors.resize(size_t{palette.count} * 4);
    if (!in.readBytes(palette.colors.data(), palette.colors.size()) ||
        !in.readU32(palette.trailer))
      return false;
  }

  std::vector<TextureEntry> readEntries;
  if (entryCount > 0) {
    if (!in.seek(entryTableOffset) || !in.has(entryCount, kEntrySize)) return false;
    readEntries.resize(entryCount);
    for (TextureEntry& entry : readEntries)
      if (!readEntry(in, entry)) return false;
  }

  // A palette's handle is known from the first smaller mipmap level using it.
  for (const TextureEntry& entry : readEntries) {
    if (entry.mipInfo == 0) continue;
    TexturePalette* palette = paletteOf(readPalettes, entry);
    if (palette && palette->handle == -1) palette->handle = entry.mipInfo & 0xFFF00000u;
  }

  palettes = std::move(readPalettes);
  entries = std::move(readEntries);
  primaryLimit = header[6];
  primaryUsed = header[7];
  return true;
}

std::vector<uint8_t> TextureDatabase::serialize() const {
  ByteWriter out;
  out.u32(kPidMagic);
  out.u32(kPidSecondWord);
  out.u32(0);  // entry table offset, filled in below
  out.u32(static_cast<uint32_t>(entries.size()));
  out.u32(kHeaderSize);
  out.u32(static_cast<uint32_t>(palettes.size()));
  out.u32(primaryLimit);
  out.u32(primaryUsed);
  for (const TexturePalette& palette : palettes) {
    // The colour count and the colour bytes are written as held; a palette
    // built in memory always has 4 bytes per colour.
    out.u32(kPaletteRecordFixedSize + 4 * palette.count);
    out.u32(palette.count);
    out.u32(palette.key);
    std::vector<uint8_t> colors = palette.colors;
    colors.resize(size_t{palette.count} * 4);
    out.bytes(colors.data(), colors.size());
    out.u32(palette.trailer);
  }
  out.patchU32(8, static_cast<uint32_t>(out.size()));
  out.reserve(out.size() + entries.size() * kEntrySize);
  for (const TextureEntry& entry : entries) writeEntry(out, entry);
  return std::move(out.buffer());
}

bool TextureDatabase::write(const std::string& path) const {
  return replaceFileAtomically(path, serialize());
}

int TextureDatabase::findOrAddPalette(uint32_t count, const uint8_t* colors) {
  const size_t byteCount = size_t{count} * 4;
  for (size_t i = 0; i < palettes.size(); ++i) {
    const TexturePalette& p = palettes[i];
    if (p.count == count && p.colors.size() == byteCount &&
        (byteCount == 0 || std::memcmp(p.colors.data(), colors, byteCount) == 0))
      return static_cast<int>(i);
  }
  TexturePalette palette;
  palette.count = count;
  if (byteCount) palette.colors.assign(colors, colors + byteCount);
  palette.handle = 0;
  palettes.push_back(std::move(palette));
  return static_cast<int>(palettes.size() - 1);
}

bool TextureDatabase::hasPackerMarker() const {
  return !entries.empty() && isPackerMarker(entries.back());
}

void TextureDatabase::renumberPalettes() {
  for (size_t j = 0; j < palettes.size(); ++j) {
    const PaletteHandleRow& row = paletteHandleTable[j % kPaletteHandleCount];
    palettes[j].handle = row.handle;
    palettes[j].key = row.key;
    palettes[j].trailer = 0;
  }
  for (TextureEntry& entry : entries) {
    if (entry.mipInfo == 0) continue;
    const TexturePalette* palette = paletteOf(palettes, entry);
    if (!palette) continue;
    entry.mipInfo = (entry.mipInfo & 0xFFFFFu) | static_cast<uint32_t>(palette->handle);
  }
}

}  // namespace quorvel
