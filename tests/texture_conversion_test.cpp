// Reading stored pixel forms back: the inverses of the forms the texture
// store is written in.
#include "textures/texture_conversion.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(StoredPixelForms, BumpWordsGiveBackTheIndicesTheyKeep) {
  // A bump word holds the index times 1024 in 16 bits: indices from 64 on
  // keep their low six bits.
  const std::vector<uint8_t> indices = {0, 1, 63, 64, 200};
  EXPECT_EQ(indicesOfBumpWords(bumpIndices(indices)), (std::vector<uint8_t>{0, 1, 63, 0, 8}));
}

TEST(StoredPixelForms, TrueColourWordsWidenEachChannelToEightBits) {
  TextureBitmap texture;
  texture.width = 2;
  texture.height = 1;
  texture.bitsPerPixel = 24;
  texture.pixels = {0xFF, 0x80, 0x00, 0, 0x1F, 0x2F, 0x3F, 0};
  EXPECT_EQ(pixelsOfTrueColor(convertTrueColor(texture, nullptr)),
            (std::vector<uint8_t>{0xFF, 0x88, 0x00, 0, 0x11, 0x22, 0x33, 0}));
}

}  // namespace
}  // namespace quorvel
