// Packing textures into a level's store: entries, SWP bytes, PID and SPZ.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/file_system.h"
#include "support/bmp_builder.h"
#include "support/system_errors.h"
#include "support/temp_dir.h"
#include "textures/texture_database.h"
#include "textures/texture_packer.h"

namespace quorvel {
namespace {

using testing_support::buildBmp;
using testing_support::buildIndexedBmp;
using testing_support::buildSolidBmp24;
using testing_support::readBytes;
using testing_support::writeBytes;

uint8_t byPosition(int32_t x, int32_t y) { return static_cast<uint8_t>((x + 3 * y) % 16); }
uint8_t many(int32_t x, int32_t y) { return static_cast<uint8_t>((x * 7 + y) % 200); }

// Every row of every entry occupies its own bytes of the SWP.
void expectNoOverlap(const std::vector<TextureEntry>& entries) {
  std::vector<std::pair<uint64_t, uint64_t>> spans;
  for (const TextureEntry& e : entries) {
    if (e.textureId == 12345 && e.width == 123) continue;  // the packer marker
    const uint64_t rowBytes = uint64_t{e.width} * e.bitsPerPixel / 8;
    for (uint32_t r = 0; r < e.height; ++r) {
      const uint64_t start = e.offset + uint64_t{r} * e.pitch;
      spans.emplace_back(start, start + rowBytes);
    }
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i)
    ASSERT_LE(spans[i - 1].second, spans[i].first) << "rows overlap at SWP offset " << spans[i].first;
}

class TextureStoreUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    pid_ = folder_ + "level-130.pid";
    swp_ = folder_ + "level-130.swp";
    spz_ = folder_ + "level-130.spz";
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(pid_));
    writeBytes(swp_, {});
    writeBytes(spz_, {0, 0, 0, 0, 'S', 'P', 'Z', '!'});
  }
  std::string bmp(const std::string& name, const std::vector<uint8_t>& bytes) {
    writeBytes(folder_ + name, bytes);
    return folder_ + name;
  }
  // Entries of the PID on disk.
  std::vector<TextureEntry> stored() {
    TextureDatabase db;
    EXPECT_TRUE(db.read(pid_));
    return db.entries;
  }
  void begin() {
    ASSERT_TRUE(db_.BeginPidUpdate(pid_, swp_));
    db_.outOfSpace = [this](const std::string& message) { fatalMessages_.push_back(message); };
  }
  void end() { ASSERT_TRUE(db_.EndPidUpdate(spz_)) << db_.failure; }

  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  std::string pid_, swp_, spz_;
  TextureDatabase db_;
  std::vector<std::string> fatalMessages_;
};

TEST_F(TextureStoreUpdate, MipmappedTextureGivesFourLevelsFromBothPackers) {
  const std::string path = bmp("m.bmp", buildIndexedBmp(64, 64, 16, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(path, 0xABCD, "", "", true, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  ASSERT_EQ(entries.size(), 5u);  // four levels and the marker
  const uint32_t widths[4] = {64, 32, 16, 8};
  // 64 and 32 go to the second packer (above the primary space, the 32 kept
  // off the 64's page), 16 and 8 to the first packer.
  const uint32_t offsets[4] = {0x600000, 0x620000, 0, 16};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].size, 56u);
    EXPECT_EQ(entries[i].width, widths[i]);
    EXPECT_EQ(entries[i].height, widths[i]);
    EXPECT_EQ(entries[i].offset, offsets[i]);
    EXPECT_EQ(entries[i].pitch, 512u);
    EXPECT_EQ(entries[i].bitsPerPixel, 8u);
    EXPECT_EQ(entries[i].palette, 0);
    EXPECT_EQ(entries[i].textureId, 0xABCDu);
    EXPECT_EQ(entries[i].transparency, 0u);
  }
  EXPECT_EQ(entries[0].mipInfo, 0u);
  // The palette's handle (row 0 of the handle table) and the level's size.
  EXPECT_EQ(entries[1].mipInfo, 0x07600000u | 0x8000u | 32u);
  EXPECT_EQ(entries[3].mipInfo, 0x07600000u | 0x2000u | 8u);
  const TextureEntry& marker = entries[4];
  EXPECT_EQ(marker.textureId, 12345u);
  EXPECT_EQ(marker.width, 123u);
  EXPECT_EQ(marker.pitch, 123u);
  EXPECT_EQ(marker.offset, 0u);
  EXPECT_EQ(marker.height, 2u);
  EXPECT_EQ(marker.palette, 0);

  // The 32 x 32 level keeps every even pixel of every even row.
  const std::vector<uint8_t> swp = readBytes(swp_);
  ASSERT_EQ(swp.size(), 0x640000u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(swp[0x620000 + y * 512 + x], byPosition(2 * x, 2 * y)) << x << "," << y;
  expectNoOverlap(entries);
}

TEST_F(TextureStoreUpdate, SmallTextureWithoutMipmapsWritesItsRowsAtThePitch) {
  const std::string path = bmp("s.bmp", buildIndexedBmp(32, 16, 16, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(path, 7, "", "", false, true));
  end();
  const std::vector<TextureEntry> entries = stored();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].offset, 0u);
  EXPECT_EQ(entries[0].width, 32u);
  EXPECT_EQ(entries[0].height, 16u);
  EXPECT_EQ(entries[0].occlusion, 0x2000000u);
  const std::vector<uint8_t> swp = readBytes(swp_);
  ASSERT_EQ(swp.size(), 131072u);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(swp[y * 512 + x], byPosition(x, y));
    ASSERT_EQ(swp[y * 512 + 32], 0);
  }
  // Colours 0..15: colour i is (blue i, green 255 - i, red i / 2); the
  // average over the pixels.
  uint32_t red = 0, green = 0, blue = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const uint32_t i = byPosition(x, y);
      blue += i;
      green += 255 - i;
      red += i / 2;
    }
  EXPECT_EQ(entries[0].averageColor, (red / 512) << 16 | (green / 512) << 8 | (blue / 512));
}

TEST_F(TextureStoreUpdate, FullSizeTrueColourStartsAFreshPage) {
  const std::string small = bmp("a.bmp", buildIndexedBmp(8, 8, 16, byPosition));
  const std::string big = bmp("b.bmp", buildSolidBmp24(256, 256, 0x12, 0x34, 0x56));
  begin();
  ASSERT_TRUE(db_.addTexture(small, 1, "", "", false, false));
  ASSERT_TRUE(db_.addTexture(big, 2, "", "", true, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  ASSERT_EQ(entries.size(), 3u);
  const TextureEntry& e = entries[1];
  EXPECT_EQ(e.offset, 131072u);
  EXPECT_EQ(e.bitsPerPixel, 16u);
  EXPECT_EQ(e.palette, -1);
  EXPECT_EQ(e.averageColor, 0u);
  EXPECT_EQ(e.mipInfo, 0u);
  EXPECT_EQ(entries[2].height, 4u);  // two pages in the first packer
  const std::vector<uint8_t> swp = readBytes(swp_);
  ASSERT_EQ(swp.size(), 2u * 131072u);
  // Alpha 15, red 1, green 3, blue 5: the word 0xF135, low byte first.
  for (size_t i = 131072; i < swp.size(); i += 2) {
    ASSERT_EQ(swp[i], 0x35) << i;
    ASSERT_EQ(swp[i + 1], 0xF1) << i;
  }
  expectNoOverlap(entries);
}

TEST_F(TextureStoreUpdate, TrueColourAlphaComesFromTheOpacityMap) {
  const std::string texture = bmp("t.bmp", buildSolidBmp24(4, 2, 0xFF, 0x00, 0x80));
  const std::string opacity = bmp("o.bmp", buildSolidBmp24(4, 2, 0x30, 0x30, 0x30));
  begin();
  ASSERT_TRUE(db_.addTexture(texture, 3, opacity, "", false, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  EXPECT_EQ(entries[0].transparency, 8u);
  const std::vector<uint8_t> swp = readBytes(swp_);
  // (0x30 * 3) / 48 = 3: the word 0x3F08.
  EXPECT_EQ(swp[0], 0x08);
  EXPECT_EQ(swp[1], 0x3F);
}

TEST_F(TextureStoreUpdate, IndexedAndTrueColourNeverShareAHalfPagePair) {
  const std::string indexed = bmp("i.bmp", buildIndexedBmp(32, 16, 16, byPosition));
  const std::string trueColor = bmp("t.bmp", buildSolidBmp24(16, 16, 1, 2, 3));
  begin();
  ASSERT_TRUE(db_.addTexture(indexed, 1, "", "", false, false));
  ASSERT_TRUE(db_.addTexture(trueColor, 2, "", "", false, false));
  ASSERT_TRUE(db_.addTexture(indexed, 3, "", "", false, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  EXPECT_EQ(entries[0].offset, 0u);
  EXPECT_EQ(entries[1].offset, 131072u);
  EXPECT_EQ(entries[2].offset, 32u);
  expectNoOverlap(entries);
}

TEST_F(TextureStoreUpdate, OpacityMakesDarkPixelsIndexZeroAndColourZeroBlue) {
  const std::string texture = bmp("t.bmp", buildIndexedBmp(16, 16, 16, byPosition));
  // Dark on the left half, white on the right.
  testing_support::BmpOptions o;
  o.width = 16;
  o.height = 16;
  o.depth = 24;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) o.rows.insert(o.rows.end(), 3, x < 8 ? 0x7F : 0xFF);
  const std::string opacity = bmp("o.bmp", buildBmp(o));
  begin();
  ASSERT_TRUE(db_.addTexture(texture, 5, opacity, "", false, false));
  ASSERT_EQ(db_.palettes.size(), 1u);
  // Colour 1 is nearest to colour 0 (0, 255, 0).
  EXPECT_EQ(std::vector<uint8_t>(db_.palettes[0].colors.begin(), db_.palettes[0].colors.begin() + 8),
            (std::vector<uint8_t>{255, 0, 0, 0, 1, 254, 0, 0}));
  end();
  const std::vector<TextureEntry> entries = stored();
  EXPECT_EQ(entries[0].transparency, 8u);
  const std::vector<uint8_t> swp = readBytes(swp_);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint8_t original = byPosition(x, y);
      const uint8_t expected = x < 8 ? 0 : original == 0 ? 1 : original;
      ASSERT_EQ(swp[y * 512 + x], expected) << x << "," << y;
    }
}

TEST_F(TextureStoreUpdate, MissingOpacityMapStillMarksIndexZeroTransparent) {
  const std::string texture = bmp("t.bmp", buildIndexedBmp(16, 16, 16, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(texture, 5, folder_ + "none.bmp", "", false, false));
  EXPECT_EQ(db_.palettes[0].colors[1], 255);  // colour 0 unchanged
  end();
  EXPECT_EQ(stored()[0].transparency, 8u);
  const std::vector<uint8_t> swp = readBytes(swp_);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(swp[x], byPosition(x, 0));
}

TEST_F(TextureStoreUpdate, BumpMapStoresIndicesTimes1024AndSixtyFourColours) {
  const std::string texture = bmp("t.bmp", buildIndexedBmp(16, 8, 200, many));
  const std::string bump = bmp("b.bmp", buildIndexedBmp(4, 4, 2, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(texture, 9, "", bump, false, false));
  ASSERT_EQ(db_.palettes.size(), 1u);
  EXPECT_EQ(db_.palettes[0].count, 64u);
  EXPECT_EQ(db_.palettes[0].colors.size(), 256u);
  end();
  const TextureEntry e = stored()[0];
  EXPECT_EQ(e.bitsPerPixel, 16u);
  EXPECT_EQ(e.bumpFlags, 16u);
  EXPECT_EQ(e.transparency, 0u);
  const std::vector<uint8_t> swp = readBytes(swp_);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint16_t word = static_cast<uint16_t>(many(x, y) * 1024);
      ASSERT_EQ(swp[y * 512 + 2 * x], word & 0xFF);
      ASSERT_EQ(swp[y * 512 + 2 * x + 1], word >> 8) << x << "," << y;
    }
}

TEST_F(TextureStoreUpdate, SecondUpdateReopensTheFirstPackerFromTheMarker) {
  const std::string small = bmp("s.bmp", buildIndexedBmp(16, 16, 16, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(small, 1, "", "", false, false));
  end();
  {
    TextureDatabase db;
    ASSERT_TRUE(db.read(pid_));
    EXPECT_EQ(db.primaryUsed, 131072u);
  }
  begin();
  EXPECT_EQ(db_.firstStart, 0u);
  EXPECT_EQ(db_.entries.size(), 1u);  // the marker is not a texture
  ASSERT_TRUE(db_.addTexture(small, 2, "", "", false, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].offset, 0u);
  EXPECT_EQ(entries[1].offset, 16u);
  EXPECT_EQ(entries[2].textureId, 12345u);
  EXPECT_EQ(entries[2].height, 2u);
  expectNoOverlap(entries);
}

TEST_F(TextureStoreUpdate, ReplacingATextureRemovesItsEntriesButNotItsSpace) {
  const std::string small = bmp("s.bmp", buildIndexedBmp(16, 16, 16, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(small, 1, "", "", false, false));
  ASSERT_TRUE(db_.addTexture(small, 1, "", "", false, false));
  end();
  const std::vector<TextureEntry> entries = stored();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].offset, 16u);
}

TEST_F(TextureStoreUpdate, UnreadableOrOversizedBitmapsAreRefused) {
  begin();
  EXPECT_FALSE(db_.addTexture(folder_ + "none.bmp", 1, "", "", true, false));
  EXPECT_FALSE(db_.addTexture(bmp("w.bmp", buildIndexedBmp(300, 4, 2, byPosition)), 1, "", "", true, false));
  EXPECT_TRUE(db_.entries.empty());
  end();
}

TEST_F(TextureStoreUpdate, RunningOutOfPrimarySpaceIsFatal) {
  TextureDatabase small;
  small.primaryLimit = 0x40000;  // room for one page of the first packer
  ASSERT_TRUE(small.write(pid_));
  const std::string big = bmp("b.bmp", buildSolidBmp24(256, 256, 1, 2, 3));
  begin();
  ASSERT_TRUE(db_.addTexture(big, 1, "", "", false, false));
  EXPECT_FALSE(db_.addTexture(big, 2, "", "", false, false));
  ASSERT_EQ(fatalMessages_.size(), 1u);
  EXPECT_EQ(fatalMessages_[0],
            "Ran out of texture space (firstPacker).\nPlease start again with original copies of swp "
            "and pid,\nand run the SWP Update option");
}

TEST_F(TextureStoreUpdate, EndRecordsTheSwpSizeAndTimeInTheSpz) {
  // An SWP of some odd size: it grows to whole pages.
  writeBytes(swp_, std::vector<uint8_t>(1000, 0xAA));
  ASSERT_TRUE(setLastWriteTime(spz_, int64_t{1262304000} * 1000000000));
  const std::string small = bmp("s.bmp", buildIndexedBmp(8, 8, 2, byPosition));
  begin();
  ASSERT_TRUE(db_.addTexture(small, 1, "", "", false, false));
  end();
  const std::vector<uint8_t> swp = readBytes(swp_);
  ASSERT_EQ(swp.size(), 131072u);
  EXPECT_EQ(swp[8], 0xAA);  // the bytes right of the texture are kept
  const std::vector<uint8_t> spz = readBytes(spz_);
  EXPECT_EQ(spz, (std::vector<uint8_t>{0x00, 0x00, 0x02, 0x00, 'S', 'P', 'Z', '!'}));
  EXPECT_EQ(lastWriteTime(swp_), lastWriteTime(spz_));
}

TEST_F(TextureStoreUpdate, EndExtendsToWholePagesEvenWithoutNewTextures) {
  writeBytes(swp_, std::vector<uint8_t>(131073, 0x11));
  begin();
  end();
  const std::vector<uint8_t> swp = readBytes(swp_);
  ASSERT_EQ(swp.size(), 262144u);
  EXPECT_EQ(swp[131073], 0);
  // The byte at the new end was past the old end: it reads as 0xFF.
  EXPECT_EQ(swp[262143], 0xFF);
  EXPECT_EQ(readBytes(spz_)[2], 0x04);
}

// The pages written past the old end stop at the last row written, so the
// rounding byte at the new end reads as past the end of the file: 0xFF.
TEST_F(TextureStoreUpdate, GrownSwpEndsInTheByteReadPastItsOldEnd) {
  struct Case {
    size_t oldSize;
    bool mipmaps;
    size_t newSize;
  } cases[] = {{0, false, 0x20000}, {1000, false, 0x20000}, {0x20000, false, 0x20000},
               {0, true, 0x640000}, {0x600000, true, 0x640000}};
  const std::string texture = bmp("m.bmp", buildIndexedBmp(64, 64, 16, byPosition));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.oldSize << (c.mipmaps ? " mipmapped" : ""));
    SetUp();
    writeBytes(swp_, std::vector<uint8_t>(c.oldSize, 0x11));
    begin();
    ASSERT_TRUE(db_.addTexture(texture, 7, "", "", c.mipmaps, false));
    end();
    const std::vector<uint8_t> swp = readBytes(swp_);
    ASSERT_EQ(swp.size(), c.newSize);
    // A whole old page keeps its own last byte; a grown file ends in 0xFF.
    EXPECT_EQ(swp.back(), c.oldSize == c.newSize ? 0x11 : 0xFF);
    const std::vector<uint8_t> spz = readBytes(spz_);
    EXPECT_EQ(spz[0] | spz[1] << 8 | spz[2] << 16 | spz[3] << 24, static_cast<int>(c.newSize));
    EXPECT_EQ(std::vector<uint8_t>(spz.begin() + 4, spz.end()), (std::vector<uint8_t>{'S', 'P', 'Z', '!'}));
  }
}

// A failure before the PID is replaced leaves the old PID, cuts the SWP back
// to its old size and restores the SPZ, and names the file that failed.
TEST_F(TextureStoreUpdate, FailedEndLeavesTheOldLevel) {
  struct Case {
    const char* what;
    std::function<void(const std::string& pid, const std::string& spz)> breakIt;
    bool pidFails;
    std::string reason;
  } cases[] = {
      {"spz missing", [](const std::string&, const std::string& spz) { std::filesystem::remove(spz); },
       false, testing_support::missingFileError()},
      {"pid is a folder",
       [](const std::string& pid, const std::string&) {
         std::filesystem::remove(pid);
         std::filesystem::create_directory(pid);
       },
       true, "Is a directory"},
  };
  const std::string texture = bmp("m.bmp", buildIndexedBmp(64, 64, 16, byPosition));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(pid_);
    SetUp();
    writeBytes(swp_, std::vector<uint8_t>(1000, 0x11));
    const std::vector<uint8_t> oldPid = readBytes(pid_);
    begin();
    ASSERT_TRUE(db_.addTexture(texture, 7, "", "", true, false));
    c.breakIt(pid_, spz_);
    EXPECT_FALSE(db_.EndPidUpdate(spz_));
    EXPECT_EQ(db_.failure, "\"" + (c.pidFails ? pid_ : spz_) + "\": " + c.reason);
    EXPECT_EQ(readBytes(swp_), std::vector<uint8_t>(1000, 0x11));
    if (c.pidFails) {
      EXPECT_EQ(readBytes(spz_), (std::vector<uint8_t>{0, 0, 0, 0, 'S', 'P', 'Z', '!'}));
    } else {
      EXPECT_EQ(readBytes(pid_), oldPid);
    }
    EXPECT_TRUE(db_.entries.empty());
  }
}

TEST_F(TextureStoreUpdate, BeginFailsWithoutAnSwp) {
  std::filesystem::remove(swp_);
  EXPECT_FALSE(db_.BeginPidUpdate(pid_, swp_));
  EXPECT_FALSE(db_.BeginPidUpdate(folder_ + "missing.pid", swp_));
  EXPECT_FALSE(db_.EndPidUpdate(spz_));
}

TEST_F(TextureStoreUpdate, ManyTexturesNeverOverlap) {
  std::vector<std::string> paths = {
      bmp("a.bmp", buildIndexedBmp(256, 256, 16, byPosition)), bmp("b.bmp", buildIndexedBmp(64, 32, 16, byPosition)),
      bmp("c.bmp", buildIndexedBmp(40, 24, 16, byPosition)),   bmp("d.bmp", buildSolidBmp24(128, 64, 1, 2, 3)),
      bmp("e.bmp", buildSolidBmp24(200, 40, 1, 2, 3)),         bmp("f.bmp", buildIndexedBmp(16, 16, 16, byPosition))};
  const std::string bump = bmp("bump.bmp", buildIndexedBmp(2, 2, 2, byPosition));
  for (int round = 0; round < 2; ++round) {
    begin();
    for (uint32_t i = 0; i < 30; ++i) {
      const std::string& path = paths[i % paths.size()];
      ASSERT_TRUE(db_.addTexture(path, round * 1000 + i, "", i % 7 == 0 ? bump : "", i % 3 != 0, false))
          << path << " " << (fatalMessages_.empty() ? "" : fatalMessages_[0]);
    }
    end();
    expectNoOverlap(stored());
  }
  EXPECT_TRUE(fatalMessages_.empty());
}

}  // namespace
}  // namespace quorvel
