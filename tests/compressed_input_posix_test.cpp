#include <gtest/gtest.h>

#include "level/scene.h"
#include "level/scene_dump.h"
#include "platform/compressed_input.h"
#include "platform/szdd_decoder.h"
#include "support/scene_bytes.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readBytes;
using testing_support::writeBytes;
using testing_support::TempDir;

// lamp_szdd.grf is lamp.grf compressed by mscompress.
const std::string kPlain = std::string(QUORVEL_TEST_DATA_DIR) + "/scene/lamp.grf";
const std::string kCompressed = std::string(QUORVEL_TEST_DATA_DIR) + "/scene/lamp_szdd.grf";

TEST(CompressedInput, PlainFileReadsAsItIs) {
  auto bytes = readPossiblyCompressedFile(kPlain);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, readBytes(kPlain));
}

TEST(CompressedInput, SzddFileDecodesToTheOriginal) {
  ASSERT_NE(readBytes(kCompressed), readBytes(kPlain));
  auto bytes = readPossiblyCompressedFile(kCompressed);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, readBytes(kPlain));
}

TEST(CompressedInput, MissingFileGivesNothing) {
  TempDir folder;
  EXPECT_FALSE(readPossiblyCompressedFile(folder.file("none.grf")));
}

TEST(CompressedInput, TruncatedSzddIsRejected) {
  const auto whole = readBytes(kCompressed);
  TempDir folder;
  for (size_t length : {size_t{8}, size_t{13}, size_t{14}, size_t{20}, whole.size() / 2, whole.size() - 1}) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    const std::string path = folder.file("cut" + std::to_string(length) + ".grf");
    writeBytes(path, cut);
    EXPECT_FALSE(readPossiblyCompressedFile(path)) << length;
  }
}

TEST(CompressedInput, LengthPromiseLargerThanTheStreamIsRejected) {
  auto bytes = readBytes(kCompressed);
  scene_testing::setWordAt(bytes, 10, scene_testing::wordAt(bytes, 10) + 1);
  EXPECT_FALSE(decodeSzdd(bytes));
  scene_testing::setWordAt(bytes, 10, 0xFFFFFFFF);
  EXPECT_FALSE(decodeSzdd(bytes));
}

TEST(CompressedInput, CompressedSceneLoadsLikeThePlainOne) {
  SceneFile plain, compressed;
  plain.trace = compressed.trace = nullptr;
  ASSERT_TRUE(plain.load(kPlain));
  ASSERT_TRUE(compressed.load(kCompressed));
  EXPECT_EQ(sceneToJson(compressed, true, true, true), sceneToJson(plain, true, true, true));
  EXPECT_EQ(compressed.serialize(), plain.serialize());
}

TEST(CompressedInput, LoadTracesThePath) {
  const std::string text = scene_testing::captureStream([](std::FILE* stream) {
    SceneFile scene;
    scene.trace = stream;
    EXPECT_TRUE(scene.load(kCompressed));
  });
  EXPECT_EQ(text, "Loading: '" + kCompressed +
                      "'\nReading name table\nReading data dir\nReading meshes\n"
                      "Reading values\nReading instances\n");
}

}  // namespace
}  // namespace quorvel
