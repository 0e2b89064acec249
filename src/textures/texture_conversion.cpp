#include "textures/texture_conversion.h"

#include <algorithm>

namespace quorvel {

namespace {

// Blue, green, red of colour `index`, or black beyond the table.
const uint8_t* colorBytes(const TextureBitmap& bitmap, uint32_t index) {
  static const uint8_t black[4] = {0, 0, 0, 0};
  if (index >= bitmap.colorCount || 4 * size_t{index} + 4 > bitmap.colors.size()) return black;
  return &bitmap.colors[4 * size_t{index}];
}

}  // namespace

std::vector<uint8_t> convertTrueColor(const TextureBitmap& texture, const TextureBitmap* opacity) {
  const size_t count = size_t(texture.width) * size_t(texture.height);
  std::vector<uint8_t> words(count * 2);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* rgb = &texture.pixels[i * 4];
    uint32_t alpha = 15;
    if (opacity) {
      if (opacity->bitsPerPixel == 8 && i < opacity->pixels.size()) {
        alpha = opacity->pixels[i] / 16u;
      } else if (opacity->bitsPerPixel == 24 && i * 4 + 2 < opacity->pixels.size()) {
        const uint8_t* o = &opacity->pixels[i * 4];
        alpha = (uint32_t{o[0]} + o[1] + o[2]) / 48u;
      }
    }
    const uint32_t word = (alpha << 12) | ((rgb[0] / 16u) << 8) | ((rgb[1] / 16u) << 4) | (rgb[2] / 16u);
    words[i * 2] = static_cast<uint8_t>(word);
    words[i * 2 + 1] = static_cast<uint8_t>(word >> 8);
  }
  return words;
}

void applyOpacity(TextureBitmap& texture, const TextureBitmap& opacity) {
  const uint32_t n = texture.colorCount;
  if (n >= 2) {
    auto distance = [&](uint32_t i) {
      const uint8_t* a = &texture.colors[0];
      const uint8_t* b = &texture.colors[4 * size_t{i}];
      int d = 0;
      for (int k = 0; k < 3; ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
      return d;
    };
    uint32_t nearest = 1;
    int best = distance(1);
    for (uint32_t i = 2; i < n; ++i) {
      const int d = distance(i);
      if (d < best) {
        best = d;
        nearest = i;
      }
    }
    for (uint8_t& p : texture.pixels) {
      if (p == 0) p = static_cast<uint8_t>(nearest);
    }
  }
  if (n >= 1) {
    texture.colors[0] = 255;  // blue
    texture.colors[1] = 0;
    texture.colors[2] = 0;
  }
  const int32_t rows = std::min(texture.height, opacity.height);
  const int32_t columns = std::min(texture.width, opacity.width);
  for (int32_t y = 0; y < rows; ++y) {
    for (int32_t x = 0; x < columns; ++x) {
      const size_t at = size_t(y) * size_t(opacity.width) + size_t(x);
      const uint8_t* color = opacity.bitsPerPixel == 8 ? colorBytes(opacity, opacity.pixels[at])
                                                       : &opacity.pixels[at * 4];
      if (color[0] < 128 && color[1] < 128 && color[2] < 128)
        texture.pixels[size_t(y) * size_t(texture.width) + size_t(x)] = 0;
    }
  }
}

uint32_t averageColor(const TextureBitmap& texture, bool skipIndexZero) {
  uint64_t red = 0, green = 0, blue = 0, counted = 0;
  for (uint8_t index : texture.pixels) {
    if (skipIndexZero && index == 0) continue;
    const uint8_t* c = colorBytes(texture, index);
    blue += c[0];
    green += c[1];
    red += c[2];
    ++counted;
  }
  if (counted == 0) return 0;
  return static_cast<uint32_t>((red / counted) << 16 | (green / counted) << 8 | (blue / counted));
}

std::vector<uint8_t> bumpIndices(const std::vector<uint8_t>& indices) {
  std::vector<uint8_t> words(indices.size() * 2);
  for (size_t i = 0; i < indices.size(); ++i) {
    const uint16_t word = static_cast<uint16_t>(indices[i] * 1024u);
    words[i * 2] = static_cast<uint8_t>(word);
    words[i * 2 + 1] = static_cast<uint8_t>(word >> 8);
  }
  return words;
}

std::vector<uint8_t> pixelsOfTrueColor(std::span<const uint8_t> words) {
  const size_t count = words.size() / 2;
  std::vector<uint8_t> pixels(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t word = words[2 * i] | (uint32_t{words[2 * i + 1]} << 8);
    pixels[4 * i + 0] = static_cast<uint8_t>(((word >> 8) & 15) * 17);
    pixels[4 * i + 1] = static_cast<uint8_t>(((word >> 4) & 15) * 17);
    pixels[4 * i + 2] = static_cast<uint8_t>((word & 15) * 17);
  }
  return pixels;
}

std::vector<uint8_t> indicesOfBumpWords(std::span<const uint8_t> words) {
  std::vector<uint8_t> indices(words.size() / 2);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(words[2 * i + 1] >> 2);
  return indices;
}

void halveInPlace(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t pixelBytes) {
  const uint32_t newWidth = width / 2;
  const uint32_t newHeight = height / 2;
  size_t out = 0;
  for (uint32_t y = 0; y < newHeight; ++y) {
    for (uint32_t x = 0; x < newWidth; ++x) {
      const size_t in = (size_t(y) * 2 * width + size_t(x) * 2) * pixelBytes;
      for (uint32_t k = 0; k < pixelBytes; ++k) pixels[out++] = pixels[in + k];
    }
  }
  pixels.resize(out);
}

}  // namespace quorvel
