// The texture store of a level: the PID index in memory, and while an update
// is open, the SWP page file and the two texture packers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// One texture image (or mipmap level); 56 bytes in the PID.
struct TextureEntry {
  uint32_t size = 56;
  uint32_t offset = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t pitch = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t averageColor = 0;
  uint32_t transparency = 0;
  uint32_t bumpFlags = 0;
  uint32_t occlusion = 0;
  int32_t palette = -1;
  uint32_t reserved = 0;
  uint32_t textureId = 0;
  uint32_t mipInfo = 0;
};
static_assert(sizeof(TextureEntry) == 56, "a PID entry is fourteen 32-bit words");

struct TexturePalette {
  uint32_t count = 0;
  uint32_t key = 0;
  uint32_t trailer = 0;
  std::vector<uint8_t> colors;  // 4 * count bytes: blue, green, red, fourth
  int64_t handle = -1;          // low 20 bits zero; -1 = none derived yet
};

// CRC-32 over the lower-cased texture name + bump name (backslashes as
// slashes, at most 511 characters), followed by the diffuse float.
uint32_t textureId(float diffuse, const std::string& textureName, const std::string& bumpName);

class TexturePacker;
class MessageLog;
class UserInterface;

class TextureDatabase {
 public:
  TextureDatabase();
  ~TextureDatabase();
  TextureDatabase(const TextureDatabase&) = delete;
  TextureDatabase& operator=(const TextureDatabase&) = delete;

  std::vector<TextureEntry> entries;
  std::vector<TexturePalette> palettes;
  uint32_t primaryLimit = 0x600000;
  uint32_t primaryUsed = 0;

  void clear();
  bool read(const std::string& pidPath);
  bool write(const std::string& pidPath);
  int findOrAddPalette(uint32_t count, const uint8_t* colors);
  // Gives every palette the handle and key of its row (index mod 98) of the
  // handle table and rewrites the palette handle in the entries' mipInfo.
  void renumberPalettes();

  // The update: reads the PID, opens the SWP and sets up both packers.
  bool BeginPidUpdate(const std::string& pidPath, const std::string& swpPath);
  // Packs one texture (with its mipmap chain) into the SWP and adds its
  // entries; only between BeginPidUpdate and EndPidUpdate.
  bool addTexture(const std::string& bitmapPath, uint32_t id, const std::string& opacityPath,
                  const std::string& bumpPath, bool mipmaps, bool occlusion);
  // Renumbers the palettes, writes the PID atomically, extends the SWP to
  // whole pages and records its size in the SPZ; leaves the database empty.
  bool EndPidUpdate(const std::string& spzPath);

  std::string pidPath;
  std::string swpPath;
  FILE* swpFile = nullptr;
  uint32_t firstStart = 0;
  std::unique_ptr<TexturePacker> firstPacker;
  std::unique_ptr<TexturePacker> secondPacker;
};

}  // namespace quorvel
