// Turning texture bitmaps into the pixel forms the game stores in the SWP.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "textures/bmp_reader.h"

namespace quorvel {

// 24-bit texture to 16-bit words (little-endian bytes): alpha in bits 12-15,
// red 8-11, green 4-7, blue 0-3. Alpha is 15 without an opacity bitmap, the
// palette index / 16 of an 8-bit one, (red + green + blue) / 48 of a 24-bit
// one; opacity pixels are taken at the same row-major position, and
// positions beyond the opacity image stay opaque.
std::vector<uint8_t> convertTrueColor(const TextureBitmap& texture, const TextureBitmap* opacity);

// Makes index 0 of an 8-bit texture transparent: pixels that used colour 0
// move to the colour nearest to it, colour 0 becomes pure blue, and pixels
// whose opacity colour is dark (every colour byte below 128) become index 0.
// `opacity` must carry its colour table when it is 8-bit.
void applyOpacity(TextureBitmap& texture, const TextureBitmap& opacity);

// 0x00RRGGBB average over the pixels of an 8-bit texture, leaving out index
// 0 when it stands for transparent; indices beyond the colour table count
// as black.
uint32_t averageColor(const TextureBitmap& texture, bool skipIndexZero);

// Bump-mapped form: each palette index times 1024 as a 16-bit word.
std::vector<uint8_t> bumpIndices(const std::vector<uint8_t>& indices);

// The inverses, for reading stored images back: 16-bit colour words to
// pixels of four bytes (red, green, blue, 0), each four-bit channel widened
// to eight bits; bump-mapped words to the palette indices they keep.
std::vector<uint8_t> pixelsOfTrueColor(std::span<const uint8_t> words);
std::vector<uint8_t> indicesOfBumpWords(std::span<const uint8_t> words);

// Keeps the pixel at every even column of every even row, in place; the
// buffer becomes (width / 2) x (height / 2) pixels of `pixelBytes` each.
void halveInPlace(std::vector<uint8_t>& pixels, uint32_t width, uint32_t height, uint32_t pixelBytes);

}  // namespace quorvel
