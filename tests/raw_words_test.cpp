// The raw sections of meshes read from a file stay in the file's block: they
// must outlive the scene and the caller's bytes, and a save's rewrites of
// their first words must not touch the block.
#include <gtest/gtest.h>

#include "level/raw_words.h"
#include "level/scene.h"
#include "platform/file_system.h"
#include "support/scene_bytes.h"
#include "support/scene_fixtures.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using namespace scene_testing;

// The words of section `index` of a scene file, as the file stores them.
std::vector<uint32_t> sectionWords(const std::vector<uint8_t>& file, int index) {
  const uint32_t offset = wordAt(file, 48 + 32 * index + 8), length = wordAt(file, 48 + 32 * index + 12);
  std::vector<uint32_t> words;
  for (uint32_t at = 0; at < length; at += 4) words.push_back(wordAt(file, offset + at));
  return words;
}

TEST(RawWordsKeptAsRead, MeshOutlivesTheSceneAndTheCallersBytes) {
  std::vector<uint8_t> bytes = faceListsFile();
  const std::vector<uint8_t> original = bytes;
  std::unique_ptr<Mesh> mesh;
  {
    SceneFile scene;
    scene.trace = nullptr;
    ASSERT_TRUE(scene.loadFromBytes(bytes));
    std::fill(bytes.begin(), bytes.end(), 0xEE);  // the scene read a copy
    mesh = std::move(scene.meshes[0]);
    scene.meshes.clear();
  }
  // Directory: .header, .region, the mesh header, its geometry, its mapping.
  EXPECT_EQ(mesh->rawGeometry.toVector(), sectionWords(original, 3));
  EXPECT_EQ(mesh->rawMapping.toVector(), sectionWords(original, 4));

  SceneFile other;
  other.trace = nullptr;
  other.meshes.push_back(std::move(mesh));
  auto saved = other.serialize();
  ASSERT_TRUE(saved);
  EXPECT_EQ(sectionWords(*saved, 3), sectionWords(original, 3));
}

TEST(RawWordsKeptAsRead, SettingTheFirstWordsLeavesTheBlockAndTheRestInPlace) {
  const std::vector<uint8_t> bytes = Bytes().u32(10).u32(11).u32(12).u32(13).data();
  auto block = ByteBlock::copyOf(bytes);
  RawWords words = RawWords::viewOf(block, block->bytes());
  words.set(0, 99);
  words.set(1, 98);
  EXPECT_EQ(words, (std::vector<uint32_t>{99, 98, 12, 13}));
  EXPECT_EQ(words.trailingBytes().data(), block->data() + 8);  // nothing copied
  // A later word makes the words the mesh's own; the block keeps the file.
  words.set(3, 7);
  EXPECT_EQ(words, (std::vector<uint32_t>{99, 98, 12, 7}));
  EXPECT_TRUE(words.trailingBytes().empty());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), block->data()));
}

TEST(RawWordsKeptAsRead, ShortSectionsAreAllHeadWords) {
  const std::vector<uint8_t> bytes = Bytes().u32(0x80000005).data();
  auto block = ByteBlock::copyOf(bytes);
  RawWords words = RawWords::viewOf(block, block->bytes());
  ASSERT_EQ(words.size(), 1u);
  words.set(0, 0x80000007);
  EXPECT_EQ(words, (std::vector<uint32_t>{0x80000007}));
  EXPECT_TRUE(RawWords::viewOf(block, {}).empty());
}

TEST(FileBlocks, LargeFileReadsWhole) {
  testing_support::TempDir dir;
  std::string text(5 << 20, '\0');  // past the size that asks for large pages
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7 + i / 4096);
  const std::string path = dir.write("large.grf", text);
  auto block = readWholeFileBlock(path);
  ASSERT_TRUE(block);
  ASSERT_EQ(block->size(), text.size());
  EXPECT_EQ(std::memcmp(block->data(), text.data(), text.size()), 0);
  EXPECT_FALSE(readWholeFileBlock(dir.path() + "missing.grf"));
  EXPECT_FALSE(readWholeFileBlock(path, 1000));
}

}  // namespace
}  // namespace quorvel
