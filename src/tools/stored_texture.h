// The image a level's texture store holds for a texture, read back from the
// PID entry and the SWP's pixels into a bitmap, to show a level's textures
// outside the game.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "textures/bmp_reader.h"
#include "textures/texture_database.h"

namespace quorvel {

// The largest image (the first mipmap level) stored under `textureId`, rows
// in the order the store keeps them (as a BMP does): 8-bit indices with
// their palette's colours, bump-mapped 16-bit words as those indices, and
// 16-bit colour as 24-bit pixels. Nothing when no entry has the identifier,
// or when its palette or its rows lie outside the PID or the SWP.
std::optional<TextureBitmap> readStoredTexture(const TextureDatabase& store, const std::string& swpPath,
                                               uint32_t textureId);

}  // namespace quorvel
