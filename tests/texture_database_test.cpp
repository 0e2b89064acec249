#include "textures/texture_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/file_system.h"
#include "support/temp_dir.h"
#include "util/byte_io.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

std::vector<uint8_t> colorBytes(uint32_t count, uint8_t seed) {
  std::vector<uint8_t> colors(count * 4);
  for (size_t i = 0; i < colors.size(); ++i) colors[i] = static_cast<uint8_t>(seed + i);
  return colors;
}

TextureEntry texture(uint32_t id, int32_t palette, uint32_t mipInfo) {
  TextureEntry e;
  e.offset = 0x20000;
  e.width = 64;
  e.height = 32;
  e.pitch = 512;
  e.bitsPerPixel = 8;
  e.palette = palette;
  e.textureId = id;
  e.mipInfo = mipInfo;
  return e;
}

// A PID header followed by `tail` (palette records and entries).
std::vector<uint8_t> pidBytes(uint32_t entryOffset, uint32_t entryCount, uint32_t paletteCount,
                              const std::vector<uint8_t>& tail, uint32_t limit = 0x600000,
                              uint32_t used = 0) {
  ByteWriter w;
  for (uint32_t word : {0x130u, 16u, entryOffset, entryCount, 32u, paletteCount, limit, used})
    w.u32(word);
  w.bytes(tail.data(), tail.size());
  return w.buffer();
}

void expectSameEntry(const TextureEntry& a, const TextureEntry& b) {
  EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

TEST(PidReading, EmptyStoreKeepsStoredLimitAndUsedSpace) {
  TextureDatabase db;
  ASSERT_TRUE(db.parse(pidBytes(32, 0, 0, {}, 0x800000, 0x40000)));
  EXPECT_TRUE(db.entries.empty());
  EXPECT_TRUE(db.palettes.empty());
  EXPECT_EQ(db.primaryLimit, 0x800000u);
  EXPECT_EQ(db.primaryUsed, 0x40000u);
}

TEST(PidReading, ReadsFromFileAndFailsForMissingFile) {
  TempDir folder;
  const std::string path = folder.file("lvl-130.pid");
  auto bytes = pidBytes(32, 0, 0, {}, 0x123456, 7);
  ASSERT_TRUE(replaceFileAtomically(path, bytes));
  TextureDatabase db;
  ASSERT_TRUE(db.read(path));
  EXPECT_EQ(db.primaryLimit, 0x123456u);
  EXPECT_FALSE(db.read(folder.file("absent-130.pid")));
  EXPECT_EQ(db.primaryLimit, 0x600000u);
}

TEST(PidReading, PaletteHandleComesFromFirstSmallerMipLevel) {
  TextureDatabase source;
  source.findOrAddPalette(2, colorBytes(2, 1).data());
  source.findOrAddPalette(2, colorBytes(2, 9).data());
  source.entries = {texture(1, 0, 0), texture(1, 0, 0x4BF08020), texture(1, 0, 0x11108010),
                    texture(2, 7, 0x22208010), texture(3, -1, 0x33308010)};
  TextureDatabase db;
  ASSERT_TRUE(db.parse(source.serialize()));
  ASSERT_EQ(db.palettes.size(), 2u);
  EXPECT_EQ(db.palettes[0].handle, 0x4BF00000);
  EXPECT_EQ(db.palettes[1].handle, -1);  // no mip level uses it
  // An index past the palette list is kept as stored, not followed.
  EXPECT_EQ(db.entries[3].palette, 7);
}

TEST(PidReading, RejectsOtherMagic) {
  auto bytes = pidBytes(32, 0, 0, {});
  bytes[0] = 0x31;
  TextureDatabase db;
  EXPECT_FALSE(db.parse(bytes));
}

TEST(PidReading, EveryTruncationFailsAndLeavesDatabaseEmpty) {
  TextureDatabase source;
  source.primaryLimit = 0x700000;
  source.findOrAddPalette(3, colorBytes(3, 5).data());
  source.entries = {texture(10, 0, 0), texture(10, 0, 0x4BF08020)};
  const std::vector<uint8_t> whole = source.serialize();
  for (size_t size = 0; size < whole.size(); ++size) {
    TextureDatabase db;
    db.entries.push_back(texture(99, -1, 0));
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
    EXPECT_FALSE(db.parse(cut)) << "size " << size;
    EXPECT_TRUE(db.entries.empty());
    EXPECT_TRUE(db.palettes.empty());
    EXPECT_EQ(db.primaryLimit, 0x600000u);
  }
}

TEST(PidReading, RejectsCountsLargerThanTheFile) {
  TextureDatabase db;
  // Four billion palettes or entries in a 32-byte file.
  EXPECT_FALSE(db.parse(pidBytes(32, 0, 0xFFFFFFFF, {})));
  EXPECT_FALSE(db.parse(pidBytes(32, 0xFFFFFFFF, 0, {})));
  // A palette claiming more colours than there are bytes.
  ByteWriter palette;
  for (uint32_t word : {16u + 4u * 0x40000000u, 0x40000000u, 0u, 0u}) palette.u32(word);
  EXPECT_FALSE(db.parse(pidBytes(48, 0, 1, palette.buffer())));
  // An entry table beyond the end of the file.
  ByteWriter entry;
  for (int i = 0; i < 14; ++i) entry.u32(0);
  EXPECT_FALSE(db.parse(pidBytes(0x7FFFFFF0, 1, 0, entry.buffer())));
}

TEST(PidWriting, WritesExactBytes) {
  TempDir folder;
  TextureDatabase db;
  db.primaryLimit = 0x600000;
  db.primaryUsed = 0x20000;
  const uint8_t colors[8] = {1, 2, 3, 0, 4, 5, 6, 0};
  db.findOrAddPalette(2, colors);
  db.palettes[0].key = 0x0000D0A7;
  TextureEntry e = texture(0xC571BE48, 0, 0x07604010);
  db.entries.push_back(e);

  ByteWriter expected;
  for (uint32_t word : {0x130u, 16u, 56u, 1u, 32u, 1u, 0x600000u, 0x20000u}) expected.u32(word);
  for (uint32_t word : {24u, 2u, 0xD0A7u}) expected.u32(word);
  expected.bytes(colors, 8);
  expected.u32(0);  // trailer
  for (uint32_t word : {56u, 0x20000u, 64u, 32u, 512u, 8u, 0u, 0u, 0u, 0u, 0u, 0u, 0xC571BE48u,
                        0x07604010u})
    expected.u32(word);
  EXPECT_EQ(db.serialize(), expected.buffer());

  const std::string path = folder.file("out-130.pid");
  ASSERT_TRUE(db.write(path));
  EXPECT_EQ(readWholeFile(path), expected.buffer());
}

TEST(PidWriting, WriteThenReadGivesSameStore) {
  TempDir folder;
  TextureDatabase db;
  db.primaryLimit = 0x500000;
  db.primaryUsed = 0x60000;
  db.findOrAddPalette(4, colorBytes(4, 0x10).data());
  db.findOrAddPalette(256, colorBytes(256, 0x20).data());
  db.palettes[1].key = 0x1234;
  db.palettes[1].trailer = 9;
  TextureEntry odd = texture(5, 1, 0x09508020);
  odd.averageColor = 0x00A0B0C0;
  odd.transparency = 8;
  odd.bumpFlags = 16;
  odd.occlusion = 0x2000000;
  odd.reserved = 3;
  db.entries = {texture(4, 0, 0), odd, packerMarker(0x40000, 4)};

  const std::string path = folder.file("round-130.pid");
  ASSERT_TRUE(db.write(path));
  auto bytes = readWholeFile(path);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(decodeU32(bytes->data() + 8), 32u + (16 + 4 * 4) + (16 + 4 * 256));

  TextureDatabase back;
  ASSERT_TRUE(back.read(path));
  EXPECT_EQ(back.primaryLimit, 0x500000u);
  EXPECT_EQ(back.primaryUsed, 0x60000u);
  ASSERT_EQ(back.entries.size(), 3u);
  for (size_t i = 0; i < 3; ++i) expectSameEntry(back.entries[i], db.entries[i]);
  ASSERT_EQ(back.palettes.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back.palettes[i].count, db.palettes[i].count);
    EXPECT_EQ(back.palettes[i].key, db.palettes[i].key);
    EXPECT_EQ(back.palettes[i].trailer, db.palettes[i].trailer);
    EXPECT_EQ(back.palettes[i].colors, db.palettes[i].colors);
  }
  EXPECT_EQ(back.serialize(), *bytes);
}

TEST(PidWriting, FailsWhenFolderIsMissing) {
  TempDir folder;
  TextureDatabase db;
  EXPECT_FALSE(db.write(folder.file("no-such-folder") + "/x-130.pid"));
}

TEST(PackerMarker, RecognisedOnlyAsLastEntry) {
  TextureDatabase db;
  db.entries = {texture(1, -1, 0), packerMarker(0x20000, 6)};
  ASSERT_TRUE(db.parse(db.serialize()));
  EXPECT_TRUE(db.hasPackerMarker());
  const TextureEntry& marker = db.entries.back();
  EXPECT_EQ(marker.offset, 0x20000u);
  EXPECT_EQ(marker.height, 6u);
  EXPECT_EQ(marker.palette, 0);
  EXPECT_EQ(marker.size, 56u);

  std::swap(db.entries[0], db.entries[1]);
  EXPECT_FALSE(db.hasPackerMarker());
  EXPECT_TRUE(isPackerMarker(db.entries[0]));
}

TEST(PackerMarker, NeedsIdWidthAndPitch) {
  TextureEntry e = packerMarker(0, 2);
  EXPECT_TRUE(isPackerMarker(e));
  e.pitch = 512;
  EXPECT_FALSE(isPackerMarker(e));
  e = packerMarker(0, 2);
  e.width = 124;
  EXPECT_FALSE(isPackerMarker(e));
  e = packerMarker(0, 2);
  e.textureId = 12346;
  EXPECT_FALSE(isPackerMarker(e));
}

TEST(PaletteHandles, TableRowsAsTheGameExpects) {
  EXPECT_EQ(paletteHandleTable[0].handle, 0x07600000u);
  EXPECT_EQ(paletteHandleTable[0].key, 0x0000D0A7u);
  EXPECT_EQ(paletteHandleTable[74].handle, 0xCE100000u);
  EXPECT_EQ(paletteHandleTable[74].key, 0x02EB093Bu);
  EXPECT_EQ(paletteHandleTable[75].handle, 0xCE100000u);
  EXPECT_EQ(paletteHandleTable[75].key, 0x03B15BDFu);
  EXPECT_EQ(paletteHandleTable[97].handle, 0xFD400000u);
  EXPECT_EQ(paletteHandleTable[97].key, 0x00083FFBu);
  for (size_t i = 0; i < kPaletteHandleCount; ++i) {
    EXPECT_EQ(paletteHandleTable[i].handle & 0xFFFFFu, 0u) << i;
    if (i > 0) {
      EXPECT_LE(paletteHandleTable[i - 1].handle, paletteHandleTable[i].handle) << i;
    }
  }
}

TEST(PaletteHandles, RenumberingWrapsAfter98Palettes) {
  TextureDatabase db;
  for (uint8_t i = 0; i < 99; ++i) db.findOrAddPalette(1, colorBytes(1, i).data());
  ASSERT_EQ(db.palettes.size(), 99u);
  db.palettes[98].trailer = 5;
  db.entries = {texture(1, 98, 0), texture(1, 98, 0xFFF08020), texture(2, 75, 0x00004010),
                texture(3, -1, 0x00004010), texture(4, 200, 0x00004010)};
  db.renumberPalettes();
  EXPECT_EQ(db.palettes[98].handle, db.palettes[0].handle);
  EXPECT_EQ(db.palettes[98].key, db.palettes[0].key);
  EXPECT_EQ(db.palettes[98].handle, 0x07600000);
  EXPECT_EQ(db.palettes[98].trailer, 0u);
  EXPECT_EQ(db.palettes[75].handle, 0xCE100000);
  EXPECT_EQ(db.palettes[75].key, 0x03B15BDFu);

  EXPECT_EQ(db.entries[0].mipInfo, 0u);           // full-size images keep 0
  EXPECT_EQ(db.entries[1].mipInfo, 0x07608020u);  // handle replaced, size kept
  EXPECT_EQ(db.entries[2].mipInfo, 0xCE104010u);
  EXPECT_EQ(db.entries[3].mipInfo, 0x00004010u);  // no palette
  EXPECT_EQ(db.entries[4].mipInfo, 0x00004010u);  // no such palette
}

TEST(PaletteLookup, SameColoursShareAPalette) {
  TextureDatabase db;
  auto a = colorBytes(16, 1);
  auto b = colorBytes(16, 2);
  EXPECT_EQ(db.findOrAddPalette(16, a.data()), 0);
  EXPECT_EQ(db.findOrAddPalette(16, b.data()), 1);
  EXPECT_EQ(db.findOrAddPalette(16, a.data()), 0);
  EXPECT_EQ(db.findOrAddPalette(15, a.data()), 2);  // a shorter palette is another one
  ASSERT_EQ(db.palettes.size(), 3u);
  EXPECT_EQ(db.palettes[1].key, 0u);
  EXPECT_EQ(db.palettes[1].trailer, 0u);
  EXPECT_EQ(db.palettes[1].handle, 0);
  EXPECT_EQ(db.palettes[1].colors, b);
}

TEST(TextureIdentifier, MatchesStandardCrcOfLowerCaseName) {
  EXPECT_EQ(textureId(1.0f, "map/a/b.bmp", ""), 0xC571BE48u);
  EXPECT_EQ(textureId(1.0f, "Map\\A\\B.bmp", ""), 0xC571BE48u);
  EXPECT_EQ(textureId(0.5f, "Map\\A\\B.bmp", ""), 0xFEF22603u);
}

TEST(TextureIdentifier, BumpNameIsAppended) {
  EXPECT_EQ(textureId(1.0f, "Map\\Lvl\\Tex.bmp", "Map\\Lvl\\Bump.bmp"), 0x309BACE9u);
  EXPECT_EQ(textureId(1.0f, "Map\\Lvl\\Tex.bmp", "Map\\Lvl\\Bump.bmp"),
            textureId(1.0f, "Map\\Lvl\\Tex.bmpMap\\Lvl\\Bump.bmp", ""));
}

TEST(TextureIdentifier, NameIsCutAt511Characters) {
  const std::string base(511, 'x');
  EXPECT_EQ(textureId(1.0f, base + "tail", ""), textureId(1.0f, base, ""));
  EXPECT_EQ(textureId(1.0f, base, "bump"), textureId(1.0f, base, ""));
  EXPECT_NE(textureId(1.0f, base.substr(1) + "y", ""), textureId(1.0f, base, ""));
}

}  // namespace
}  // namespace quorvel
