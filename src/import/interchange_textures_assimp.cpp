#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "import/interchange_conversion.h"
#include "import/interchange_textures.h"
#include "platform/file_system.h"
#include "report/message_sink.h"
#include "util/byte_io.h"
#include "util/path_text.h"

// The image decoder stays private to this file: the model library carries
// one of its own.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_MAX_DIMENSIONS 8192
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace quorvel {

namespace {

// Far beyond a texture anyone means for the game, and small enough to decode.
constexpr uint64_t kMaxPixels = uint64_t{4096} * 4096;
constexpr uint32_t kMaxSide = 256;

struct Image {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;  // top row first
};

// Halves the image (mean of each 2 x 2 block, the odd last row or column
// left out) until it fits the game's largest texture.
void shrinkToFit(Image& image) {
  while (image.width > kMaxSide || image.height > kMaxSide) {
    const uint32_t w = std::max(1u, image.width / 2), h = std::max(1u, image.height / 2);
    const uint32_t dx = image.width > 1 ? 2 : 1, dy = image.height > 1 ? 2 : 1;
    std::vector<uint8_t> half(size_t{w} * h * 4);
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x)
        for (uint32_t c = 0; c < 4; ++c) {
          unsigned sum = 0;
          for (uint32_t j = 0; j < dy; ++j)
            for (uint32_t i = 0; i < dx; ++i)
              sum += image.rgba[((size_t{y} * dy + j) * image.width + x * dx + i) * 4 + c];
          half[(size_t{y} * w + x) * 4 + c] = static_cast<uint8_t>(sum / (dx * dy));
        }
    image = {w, h, std::move(half)};
  }
}

bool decode(const uint8_t* bytes, size_t size, Image& image, std::string& reason) {
  int w = 0, h = 0, channels = 0;
  if (size > static_cast<size_t>(INT32_MAX) || !stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels)) {
    reason = "it is not an image in a known format";
    return false;
  }
  if (w <= 0 || h <= 0 || static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > kMaxPixels) {
    reason = "the image is too large";
    return false;
  }
  stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
  if (!pixels) {
    reason = std::string("the image cannot be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  image.width = static_cast<uint32_t>(w);
  image.height = static_cast<uint32_t>(h);
  image.rgba.assign(pixels, pixels + size_t{image.width} * image.height * 4);
  stbi_image_free(pixels);
  return true;
}

// A name usable as a file name: separators and other unsafe bytes become "_".
std::string safeFileName(std::string_view name) {
  std::string safe;
  for (char c : name) safe += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' ? c : '_';
  return safe.empty() ? std::string("texture") : safe.substr(0, 96);
}

}  // namespace

std::vector<uint8_t> bitmapFileOf(const uint8_t* rgba, uint32_t width, uint32_t height) {
  Image image{width, height, std::vector<uint8_t>(rgba, rgba + size_t{width} * height * 4)};
  shrinkToFit(image);
  const uint32_t rowBytes = (image.width * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * image.height;
  ByteWriter bmp;
  bmp.reserve(54 + pixelBytes);
  bmp.u8('B');
  bmp.u8('M');
  for (uint32_t word : {54 + pixelBytes, 0u, 54u, 40u, image.width, image.height}) bmp.u32(word);
  bmp.u16(1);
  bmp.u16(24);
  for (uint32_t word : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) bmp.u32(word);
  // Bottom row first, blue-green-red, rows padded to four bytes.
  for (uint32_t y = image.height; y-- > 0;) {
    const uint8_t* row = image.rgba.data() + size_t{y} * image.width * 4;
    for (uint32_t x = 0; x < image.width; ++x) {
      bmp.u8(row[x * 4 + 2]);
      bmp.u8(row[x * 4 + 1]);
      bmp.u8(row[x * 4 + 0]);
    }
    bmp.zeros(rowBytes - image.width * 3);
  }
  return std::move(bmp.buffer());
}

ModelTextures::ModelTextures(const aiScene& scene, const std::string& modelPath, bool writeFiles, MessageSink& log)
    : scene_(scene),
      modelPath_(modelPath),
      folder_(folderPart(modelPath)),
      stem_(safeFileName(fileStem(modelPath))),
      writeFiles_(writeFiles),
      log_(log) {}

bool ModelTextures::writeBitmap(const std::string& fileName, const std::vector<uint8_t>& bmp, std::string& reason) {
  if (!writeFiles_) return true;
  if (replaceFileAtomically(folder_ + fileName, bmp)) return true;
  reason = "\"" + folder_ + fileName + "\" cannot be written: " + lastSystemError();
  return false;
}

std::string ModelTextures::fromEmbedded(const std::string& reference, std::string& reason) {
  const auto [texture, index] = scene_.GetEmbeddedTextureAndIndex(reference.c_str());
  Image image;
  if (texture->mHeight == 0) {
    if (!texture->pcData || !decode(reinterpret_cast<const uint8_t*>(texture->pcData), texture->mWidth, image, reason))
      return {};
  } else {
    if (!texture->pcData || uint64_t{texture->mWidth} * texture->mHeight > kMaxPixels) {
      reason = "the image is too large";
      return {};
    }
    image.width = texture->mWidth;
    image.height = texture->mHeight;
    for (size_t i = 0; i < size_t{image.width} * image.height; ++i) {
      const aiTexel& t = texture->pcData[i];
      image.rgba.insert(image.rgba.end(), {t.r, t.g, t.b, t.a});
    }
  }
  const std::string fileName = stem_ + "_texture" + std::to_string(index) + ".bmp";
  if (!writeBitmap(fileName, bitmapFileOf(image.rgba.data(), image.width, image.height), reason)) return {};
  return fileName;
}

std::string ModelTextures::fromFile(const std::string& reference, std::string& reason) {
  const std::string fileName = fileNamePart(reference);
  const bool isBitmap = fileName.size() > 4 && hasExtension(fileName, ".bmp");
  // A BMP that lies beside the model already is what the texture phase reads.
  if (isBitmap && fileExists(folder_ + fileName)) return fileName;
  std::string source = isAbsolutePath(reference) ? reference : folder_ + reference;
  if (!fileExists(source)) source = folder_ + fileName;
  if (fileName.empty() || !fileExists(source)) {
    reason = "the file is missing";
    return {};
  }
  auto bytes = readWholeFile(source, kMaxInterchangeFileSize);
  if (!bytes) {
    reason = "\"" + source + "\" cannot be read: " + lastSystemError();
    return {};
  }
  Image image;
  if (!decode(bytes->data(), bytes->size(), image, reason)) return {};
  const std::string bitmapName = safeFileName(fileStem(fileName)) + ".bmp";
  if (!writeBitmap(bitmapName, bitmapFileOf(image.rgba.data(), image.width, image.height), reason)) return {};
  return bitmapName;
}

std::string ModelTextures::bring(const std::string& reference, const std::string& meshName) {
  if (reference.empty()) return {};
  if (auto known = brought_.find(reference); known != brought_.end()) return known->second;
  std::string reason;
  // "*N" names the file's image N; the library reads N without a bound.
  const bool embedded = (reference[0] != '*' || reference.size() <= 6) && scene_.GetEmbeddedTexture(reference.c_str());
  std::string name = embedded ? fromEmbedded(reference, reason) : fromFile(reference, reason);
  if (name.empty()) {
    log_.problem = true;
    log_.logMessage("  WARNING: texture \"%s\" of mesh %s in file \"%s\" cannot be brought along: %s.\n",
                    reference.c_str(), meshName.c_str(), modelPath_.c_str(), reason.c_str());
    // A file name still tells the texture phase what to look for.
    if (!embedded) name = fileNamePart(reference);
  }
  brought_.emplace(reference, name);
  return name;
}

}  // namespace quorvel
