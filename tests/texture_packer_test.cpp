#include "textures/texture_packer.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(TexturePackerPages, PrimaryLimitAllowsTwentyFourPagesFromTheStart) {
  // 0x600000 bytes are 48 pages, held against the count of halves.
  TexturePacker packer(0, 0x600000u);
  EXPECT_EQ(packer.pageLimit, 48);
  for (int page = 0; page < 24; ++page) ASSERT_EQ(packer.openPage(), 2 * page) << page;
  EXPECT_EQ(packer.openPage(), -1);
  EXPECT_EQ(packer.nextPageOffset(), 24u * 131072u);
  EXPECT_EQ(packer.halves[47].base, 23u * 131072u + 256u);
}

TEST(TexturePackerPages, StartAtOrAboveTheLimitLeavesNoRoom) {
  // Without this the first packer would grow into the second packer's pages.
  TexturePacker full(0x600000, 0x600000u);
  EXPECT_EQ(full.openPage(), -1);
  TexturePacker beyond(0x700000, 0x600000u);
  uint32_t offset = 0, pitch = 0;
  EXPECT_FALSE(beyond.allocate(16, 16, 8, offset, pitch));
}

TEST(TexturePackerPages, NoLimitKeepsOpening) {
  TexturePacker packer(0x600000, std::nullopt);
  for (int page = 0; page < 100; ++page) ASSERT_GE(packer.openPage(), 0);
  EXPECT_EQ(packer.nextPageOffset(), 0x600000u + 100u * 131072u);
}

TEST(TexturePackerPages, OffsetsNeverPassFourGigabytes) {
  TexturePacker packer(0xFFFE0000u, std::nullopt);
  EXPECT_EQ(packer.openPage(), 0);
  EXPECT_EQ(packer.openPage(), -1);
}

TEST(TexturePackerPlacement, ScansRowsOfCellsThenColumns) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  ASSERT_TRUE(packer.allocate(64, 64, 8, offset, pitch));
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(pitch, 512u);
  ASSERT_TRUE(packer.allocate(64, 64, 8, offset, pitch));
  EXPECT_EQ(offset, 64u);
  ASSERT_TRUE(packer.allocate(200, 8, 8, offset, pitch));  // 25 cells wide: x = 0 only
  EXPECT_EQ(offset, 64u * 512u);
  ASSERT_TRUE(packer.allocate(8, 8, 8, offset, pitch));
  EXPECT_EQ(offset, 128u);
}

TEST(TexturePackerPlacement, HalvesKeepToOneDepthPerPair) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  ASSERT_TRUE(packer.allocate(16, 16, 8, offset, pitch));
  EXPECT_EQ(offset, 0u);
  // The right half of the same page is empty but its pair holds 8-bit pixels.
  ASSERT_TRUE(packer.allocate(32, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 131072u);
  ASSERT_TRUE(packer.allocate(16, 16, 8, offset, pitch));
  EXPECT_EQ(offset, 16u);
  ASSERT_TRUE(packer.allocate(32, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 131072u + 32u);
}

TEST(TexturePackerPlacement, FullWidthRowsTakeAFreshPageFromItsFirstByte) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  ASSERT_TRUE(packer.allocate(8, 8, 16, offset, pitch));
  ASSERT_TRUE(packer.allocate(512, 256, 16, offset, pitch));
  EXPECT_EQ(offset, 131072u);
  ASSERT_TRUE(packer.allocate(512, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 2u * 131072u);
  // The first page, below its one small texture, still has room.
  ASSERT_TRUE(packer.allocate(256, 8, 16, offset, pitch));
  EXPECT_EQ(offset, 8u * 512u);
  const PageHalf& right = packer.halves[5];
  EXPECT_EQ(right.cells[31], 1);
  EXPECT_EQ(right.cells[2 * 32], 0);
  EXPECT_EQ(right.owner, 16u);
}

TEST(TexturePackerPlacement, RowsBetweenAHalfAndAPageShareNoCell) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  ASSERT_TRUE(packer.allocate(300, 16, 16, offset, pitch));  // a 150-pixel 16-bit texture
  EXPECT_EQ(offset, 0u);
  // The right half's first 6 columns (bytes 256..303) are taken for 16 rows.
  const PageHalf& right = packer.halves[1];
  for (int column = 0; column < 8; ++column) {
    EXPECT_EQ(right.cells[32 + column], column < 6 ? 1 : 0) << column;
    EXPECT_EQ(right.cells[2 * 32 + column], 0) << column;
  }
  EXPECT_EQ(right.owner, 16u);
  ASSERT_TRUE(packer.allocate(48, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 16u * 512u);
  ASSERT_TRUE(packer.allocate(200, 8, 16, offset, pitch));
  EXPECT_EQ(offset, 32u * 512u);
  ASSERT_TRUE(packer.allocate(200, 8, 8, offset, pitch));
  EXPECT_EQ(offset, 131072u);
  EXPECT_FALSE(packer.allocate(513, 8, 16, offset, pitch));
  EXPECT_FALSE(packer.allocate(8, 257, 8, offset, pitch));
}

TEST(TexturePackerPin, SecondPlacementAvoidsThePinnedPair) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  packer.pinFlag = true;
  ASSERT_TRUE(packer.allocate(64, 64, 8, offset, pitch));
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(packer.pinnedPair, 0);
  ASSERT_TRUE(packer.allocate(32, 32, 8, offset, pitch));
  EXPECT_EQ(offset, 131072u);
  ASSERT_TRUE(packer.allocate(16, 32, 8, offset, pitch));
  EXPECT_EQ(offset, 131072u + 32u);
  packer.pinFlag = false;
  ASSERT_TRUE(packer.allocate(32, 32, 8, offset, pitch));
  EXPECT_EQ(offset, 64u);
}

TEST(TexturePackerPin, AFullWidthFirstLevelPinsItsPage) {
  TexturePacker packer(0, std::nullopt);
  uint32_t offset = 0, pitch = 0;
  packer.pinFlag = true;
  ASSERT_TRUE(packer.allocate(512, 32, 16, offset, pitch));
  EXPECT_EQ(packer.pinnedPair, 0);
  ASSERT_TRUE(packer.allocate(256, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 131072u);
}

TEST(TexturePackerStoredImages, NewPagesKeepClearOfEarlierImages) {
  TexturePacker packer(0, 0x600000u);
  // A 16-bit 20 x 10 image at row 2, byte 8 of the first page, and an
  // 8-bit image crossing from the left into the right half.
  packer.setStoredImages({{2 * 512 + 8, 40, 10, 512, 16}, {131072 + 250, 12, 1, 512, 8}});
  ASSERT_EQ(packer.openPage(), 0);
  const PageHalf& left = packer.halves[0];
  EXPECT_EQ(left.owner, 16u);
  // Rows 2..11 are cell rows 0 and 1; bytes 8..47 are cell columns 1..5.
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 7; ++column)
      EXPECT_EQ(left.cells[row * 32 + column], (row < 2 && column >= 1 && column <= 5) ? 1 : 0)
          << row << "," << column;
  EXPECT_EQ(packer.halves[1].owner, 0u);
  ASSERT_EQ(packer.openPage(), 2);
  EXPECT_EQ(packer.halves[2].cells[31], 1);
  EXPECT_EQ(packer.halves[3].cells[0], 1);
  EXPECT_EQ(packer.halves[2].owner, 8u);
  EXPECT_EQ(packer.halves[3].owner, 8u);

  uint32_t offset = 0, pitch = 0;
  ASSERT_TRUE(packer.allocate(8, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 0u);
  ASSERT_TRUE(packer.allocate(8, 16, 16, offset, pitch));
  EXPECT_EQ(offset, 48u);
}

TEST(TexturePackerStoredImages, AnImageFromAnEarlierPageReachingIntoThisOne) {
  TexturePacker packer(131072, std::nullopt);
  // Starts at row 250 of the page before; its rows 6..9 lie in this page.
  packer.setStoredImages({{250 * 512 + 16, 8, 10, 512, 8}});
  ASSERT_EQ(packer.openPage(), 0);
  EXPECT_EQ(packer.halves[0].cells[2], 1);
  EXPECT_EQ(packer.halves[0].cells[32 + 2], 0);
  EXPECT_EQ(packer.halves[0].freeCells, 32 * 32 - 1);
}

}  // namespace
}  // namespace quorvel
