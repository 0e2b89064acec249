// One texture that the texture phase found missing from a level's store.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace quorvel {

struct PendingTexture {
  uint32_t textureId = 0;
  std::string bitmapPath;   // texture folder + file name of the colour map
  std::string opacityPath;  // likewise for the opacity map, or empty
  std::string bumpPath;     // likewise for the bump map, or empty
  std::string textureName;  // the colour map name as the material holds it
  bool replaces = false;    // the store already had this identifier
  bool mipmaps = true;
  bool occlusion = false;   // the colour map is "SOccludet2.bmp"
};

// By identifier, in unsigned order.
using PendingTextures = std::map<uint32_t, PendingTexture>;

}  // namespace quorvel
