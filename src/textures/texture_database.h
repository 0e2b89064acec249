// The texture store of a level: the PID index in memory, and while an update
// is open, the SWP page file and the two texture packers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

// The occlusion word of an entry whose texture hides what lies behind it.
inline constexpr uint32_t kOcclusionFlag = 0x2000000;

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
  uint32_t occlusion = 0;  // 0 or kOcclusionFlag
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

// The entry the update appends last to record where the first packer's pages
// begin and how many half-pages it holds; not a texture.
inline constexpr uint32_t kPackerMarkerId = 12345;
inline constexpr uint32_t kPackerMarkerShape = 123;  // its width and pitch
// Whether `entry` has the marker's shape (id 12345, width 123, pitch 123).
bool isPackerMarker(const TextureEntry& entry);
// A marker entry for pages starting at `firstPageOffset`.
TextureEntry packerMarker(uint32_t firstPageOffset, uint32_t halfPages);

// The game's fixed palette handles: palette j takes row j mod 98.
struct PaletteHandleRow {
  uint32_t handle;
  uint32_t key;
};
inline constexpr size_t kPaletteHandleCount = 98;
extern const PaletteHandleRow paletteHandleTable[kPaletteHandleCount];

// CRC-32 over the lower-cased texture name + bump name (backslashes as
// slashes, at most 511 characters), followed by the diffuse float.
uint32_t textureId(float diffuse, const std::string& textureName, const std::string& bumpName);

class TexturePacker;
class SwpPageCache;
class MessageSink;
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

  // Empties the lists; primaryLimit 0x600000, primaryUsed 0.
  void clear();
  // Loads a PID file; false (and an empty database) when it cannot be read
  // or is not a well-formed PID.
  bool read(const std::string& pidPath);
  // The same from the bytes of a PID file.
  bool parse(std::span<const uint8_t> bytes);
  // Stores the PID, replacing the file atomically.
  bool write(const std::string& pidPath) const;
  // The bytes write() stores.
  std::vector<uint8_t> serialize() const;
  // Index of the first palette with the same colours, else of a new one.
  int findOrAddPalette(uint32_t count, const uint8_t* colors);
  // Whether the last entry is the packer marker.
  bool hasPackerMarker() const;
  // Gives every palette the handle and key of its row (index mod 98) of the
  // handle table and rewrites the palette handle in the entries' mipInfo.
  void renumberPalettes();

  // The update: reads the PID, opens the SWP and sets up both packers.
  bool BeginPidUpdate(const std::string& pidPath, const std::string& swpPath);
  // Packs one texture (with its mipmap chain) into the SWP and adds its
  // entries; only between BeginPidUpdate and EndPidUpdate.
  bool addTexture(const std::string& bitmapPath, uint32_t id, const std::string& opacityPath,
                  const std::string& bumpPath, bool mipmaps, bool occlusion);
  // Renumbers the palettes, writes the SWP's pixels and extends it to whole
  // pages, records its size in the SPZ and then replaces the PID atomically;
  // leaves the database empty. A failure before the PID is replaced leaves
  // the old PID, SWP size and SPZ word.
  bool EndPidUpdate(const std::string& spzPath);
  // After a failed BeginPidUpdate or EndPidUpdate: the quoted path of the
  // file that failed and the system's reason, as `"a.swp": No space left`.
  std::string failure;

  std::string pidPath;
  std::string swpPath;
  FILE* swpFile = nullptr;
  uint32_t firstStart = 0;
  std::unique_ptr<TexturePacker> firstPacker;
  std::unique_ptr<TexturePacker> secondPacker;
  // The rows written during the update, written back by EndPidUpdate.
  std::shared_ptr<SwpPageCache> swpPages;
  // Called with the message when a packer has no room left: it shows the
  // ERROR box and ends the process (exit code 3). Unset, the message goes to
  // standard error and the process ends.
  std::function<void(const std::string& message)> outOfSpace;
};

}  // namespace quorvel
