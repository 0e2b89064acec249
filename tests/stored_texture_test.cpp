// Textures read back from a store that our own update wrote: an 8-bit one
// with its indices and colours, a true-colour one in the store's 4 bits per
// channel, the largest mipmap level, and nothing for an unknown identifier
// or rows past the SWP's end.
#include "tools/stored_texture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::buildIndexedBmp;
using testing_support::buildSolidBmp24;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

uint8_t byPosition(int32_t x, int32_t y) { return static_cast<uint8_t>(1 + (x + 3 * y) % 15); }

class StoredTexture : public ::testing::Test {
 protected:
  void SetUp() override {
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(pid_));
    writeBytes(swp_, {});
    writeBytes(spz_, {0, 0, 0, 0});
    writeBytes(folder_.file("i.bmp"), buildIndexedBmp(32, 16, 16, byPosition));
    writeBytes(folder_.file("t.bmp"), buildSolidBmp24(8, 4, 0x35, 0x80, 0xF0));
    TextureDatabase update;
    ASSERT_TRUE(update.BeginPidUpdate(pid_, swp_));
    ASSERT_TRUE(update.addTexture(folder_.file("i.bmp"), 7, "", "", true, false));
    ASSERT_TRUE(update.addTexture(folder_.file("t.bmp"), 9, "", "", false, false));
    ASSERT_TRUE(update.EndPidUpdate(spz_)) << update.failure;
    ASSERT_TRUE(store_.read(pid_));
  }

  TempDir folder_;
  std::string pid_ = folder_.file("l-130.pid"), swp_ = folder_.file("l-130.swp"), spz_ = folder_.file("l-130.spz");
  TextureDatabase store_;
};

TEST_F(StoredTexture, EightBitTextureComesBackWithItsIndicesAndColours) {
  const std::optional<TextureBitmap> original = parseBitmap(readBytes(folder_.file("i.bmp")), true, nullptr);
  const std::optional<TextureBitmap> back = readStoredTexture(store_, swp_, 7);
  ASSERT_TRUE(original && back);
  EXPECT_EQ(back->width, 32);  // the first mipmap level, not the smaller ones
  EXPECT_EQ(back->height, 16);
  EXPECT_EQ(back->bitsPerPixel, 8u);
  EXPECT_EQ(back->pixels, original->pixels);
  for (uint8_t index : back->pixels)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(back->colors[index * 4 + c], original->colors[index * 4 + c]);
}

TEST_F(StoredTexture, TrueColourComesBackInFourBitsPerChannel) {
  const std::optional<TextureBitmap> back = readStoredTexture(store_, swp_, 9);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->bitsPerPixel, 24u);
  ASSERT_EQ(back->pixels.size(), 8u * 4 * 4);
  // 0x35, 0x80, 0xF0 keep their upper four bits: 0x33, 0x88, 0xFF.
  EXPECT_EQ(std::vector<uint8_t>(back->pixels.begin(), back->pixels.begin() + 3),
            (std::vector<uint8_t>{0x33, 0x88, 0xFF}));
}

TEST_F(StoredTexture, UnknownIdentifierOrRowsPastTheSwpGiveNothing) {
  EXPECT_FALSE(readStoredTexture(store_, swp_, 8));
  std::filesystem::resize_file(swp_, store_.entries.front().offset);
  EXPECT_FALSE(readStoredTexture(store_, swp_, 7));
}

}  // namespace
}  // namespace quorvel
