#include "textures/bmp_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "report/message_log.h"
#include "support/bmp_builder.h"
#include "support/scene_bytes.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::BmpOptions;
using testing_support::buildBmp;
using testing_support::buildIndexedBmp;
using testing_support::buildSolidBmp24;

uint8_t diagonal(int32_t x, int32_t y) { return static_cast<uint8_t>((x + 2 * y) % 16); }

std::optional<TextureBitmap> parse(const std::vector<uint8_t>& bytes, bool withColors = true) {
  return parseBitmap(bytes, withColors, nullptr);
}

TEST(BmpReading, EightBitRowsLoseTheirPadding) {
  // 30 pixels: each stored row is padded to 32 bytes.
  const std::vector<uint8_t> file = buildIndexedBmp(30, 3, 16, diagonal);
  ASSERT_EQ(file.size(), 54u + 64u + 3u * 32u);
  std::optional<TextureBitmap> bitmap = parse(file);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->width, 30);
  EXPECT_EQ(bitmap->height, 3);
  EXPECT_EQ(bitmap->bitsPerPixel, 8u);
  ASSERT_EQ(bitmap->pixels.size(), 90u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(bitmap->pixels[y * 30 + x], diagonal(x, y)) << x << "," << y;
}

TEST(BmpReading, ColourCountComesFromTheColoursUsedField) {
  BmpOptions o;
  o.width = 4;
  o.height = 1;
  o.rows = {0, 1, 2, 3};
  for (int i = 0; i < 256; ++i) o.colors.insert(o.colors.end(), {uint8_t(i), 1, 2, 3});
  o.colorsUsed = 0;
  std::optional<TextureBitmap> all = parse(buildBmp(o));
  ASSERT_TRUE(all);
  EXPECT_EQ(all->colorCount, 256u);
  EXPECT_EQ(all->colors.size(), 1024u);
  EXPECT_EQ(all->colors[255 * 4], 255);

  o.colors.resize(16 * 4);
  o.colorsUsed = 16;
  std::optional<TextureBitmap> sixteen = parse(buildBmp(o));
  ASSERT_TRUE(sixteen);
  EXPECT_EQ(sixteen->colorCount, 16u);
  EXPECT_EQ(std::vector<uint8_t>(sixteen->colors.begin(), sixteen->colors.begin() + 8),
            (std::vector<uint8_t>{0, 1, 2, 3, 1, 1, 2, 3}));
  EXPECT_EQ(sixteen->pixels, (std::vector<uint8_t>{0, 1, 2, 3}));
}

TEST(BmpReading, WithoutColoursOnlyTheIndicesAreRead) {
  std::optional<TextureBitmap> bitmap = parse(buildIndexedBmp(5, 2, 16, diagonal), false);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->colorCount, 0u);
  EXPECT_TRUE(bitmap->colors.empty());
  EXPECT_EQ(bitmap->pixels.size(), 10u);
}

TEST(BmpReading, TrueColourPixelsBecomeRedGreenBlueAndAFourthByte) {
  BmpOptions o;
  o.width = 2;
  o.height = 2;
  o.depth = 24;
  // File order blue, green, red; rows of 6 bytes padded to 8.
  o.rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::optional<TextureBitmap> bitmap = parse(buildBmp(o));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->bitsPerPixel, 24u);
  EXPECT_EQ(bitmap->pixels, (std::vector<uint8_t>{3, 2, 1, 0, 6, 5, 4, 0, 9, 8, 7, 0, 12, 11, 10, 0}));
}

TEST(BmpReading, TopDownRowsAreTurnedToBottomUp) {
  BmpOptions o;
  o.width = 2;
  o.height = -3;
  o.rows = {1, 1, 2, 2, 3, 3};  // top row first
  o.colors = {0, 0, 0, 0};
  o.colorsUsed = 1;
  std::optional<TextureBitmap> bitmap = parse(buildBmp(o));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->height, 3);
  EXPECT_EQ(bitmap->pixels, (std::vector<uint8_t>{3, 3, 2, 2, 1, 1}));
}

TEST(BmpReading, RefusesWhatItCannotRepresent) {
  BmpOptions o;
  o.width = 2;
  o.height = 1;
  o.rows = {0, 0};
  o.colors = {0, 0, 0, 0};
  o.colorsUsed = 1;
  o.compression = 1;  // run-length encoded
  EXPECT_FALSE(parse(buildBmp(o)));
  o.compression = 0;
  o.depth = 16;
  o.rows = {0, 0, 0, 0};
  EXPECT_FALSE(parse(buildBmp(o)));
  o.depth = 8;
  o.width = 0;
  EXPECT_FALSE(parse(buildBmp(o)));
  EXPECT_FALSE(parse({'P', 'K', 3, 4}));
}

TEST(BmpReading, PrintsItsRefusalsToTheGivenStream) {
  const std::string printed = scene_testing::captureStream([](std::FILE* stream) {
    std::vector<uint8_t> notBmp(60, 0);
    EXPECT_FALSE(parseBitmap(notBmp, true, stream));
    BmpOptions o;
    o.depth = 32;
    o.rows = {0, 0, 0, 0};
    EXPECT_FALSE(parseBitmap(buildBmp(o), true, stream));
  });
  EXPECT_EQ(printed,
               "\nERROR! not a valid BMP file :P\n"
               "\nERROR! Unrecognized BMP format (only support 24-bit RGB and 8-bit paletted\n");
}

TEST(BmpReading, EveryTruncationIsRefused) {
  const std::vector<uint8_t> indexed = buildIndexedBmp(7, 5, 16, diagonal);
  const std::vector<uint8_t> trueColor = buildSolidBmp24(5, 3, 10, 20, 30);
  for (const std::vector<uint8_t>* file : {&indexed, &trueColor}) {
    // The last row may lack its padding; anything shorter is refused.
    const size_t lastPadding = 1;
    for (size_t n = 0; n + lastPadding < file->size(); ++n) {
      std::vector<uint8_t> cut(file->begin(), file->begin() + n);
      EXPECT_FALSE(parse(cut)) << "length " << n;
    }
    EXPECT_TRUE(parse(*file));
  }
}

TEST(BmpReading, HugeSizesInTheHeaderAreRefusedWithoutAllocating) {
  std::vector<uint8_t> file = buildIndexedBmp(4, 4, 16, diagonal);
  auto patch = [&](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) file[at + k] = uint8_t(v >> (8 * k));
  };
  std::vector<uint8_t> original = file;
  patch(18, 0x7FFFFFFF);
  EXPECT_FALSE(parse(file));
  file = original;
  patch(22, 0x80000000u);  // the most negative height
  EXPECT_FALSE(parse(file));
  file = original;
  patch(10, 0xFFFFFFF0u);  // pixel offset beyond the file
  EXPECT_FALSE(parse(file));
  file = original;
  patch(14, 0x7FFFFFFF);  // colour table beyond the file
  EXPECT_FALSE(parse(file));
  EXPECT_TRUE(parse(file, false));
}

class BmpCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    log_.captureText(true);
  }
  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    testing_support::writeBytes(folder_ + name, bytes);
    return folder_ + name;
  }
  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  MessageLog log_;
};

TEST_F(BmpCheck, TrueColour300By300FailsOnTheHeightFirst) {
  const std::string path = file("a.bmp", buildSolidBmp24(300, 300, 1, 2, 3));
  EXPECT_FALSE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + path + "\" is too big. Max texture size is 256x256");
  EXPECT_TRUE(log_.problem);
}

TEST_F(BmpCheck, TrueColour300By100FailsOnTheTrueColourWidth) {
  const std::string path = file("b.bmp", buildSolidBmp24(300, 100, 1, 2, 3));
  EXPECT_FALSE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + path + "\" is too big. Max 24bit texture size is 256x256");
}

TEST_F(BmpCheck, TrueColour256By256PassesWithTheNote) {
  const std::string path = file("c.bmp", buildSolidBmp24(256, 256, 1, 2, 3));
  EXPECT_TRUE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(),
            "      NOTE: 24bit RGB textures are experimental and may not work (\"" + path + "\")\n");
  EXPECT_TRUE(log_.problem);
}

TEST_F(BmpCheck, IndexedWiderThan256FailsBeforeTheDepthTest) {
  const std::string path = file("d.bmp", buildIndexedBmp(257, 2, 4, diagonal));
  EXPECT_FALSE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + path + "\" is too big. Max texture size is 256x256");
}

TEST_F(BmpCheck, IndexedWithinLimitsPassesSilently) {
  const std::string path = file("e.bmp", buildIndexedBmp(256, 256, 16, diagonal));
  EXPECT_TRUE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "");
  EXPECT_FALSE(log_.problem);
}

TEST_F(BmpCheck, SixteenBitIsRefused) {
  BmpOptions o;
  o.width = 2;
  o.height = 2;
  o.depth = 16;
  o.rows.assign(8, 0);
  const std::string path = file("f.bmp", buildBmp(o));
  EXPECT_FALSE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + path + "\" is not a valid 8bit palette or 24bit RGB BMP file");
}

TEST_F(BmpCheck, MissingFileFailsSilently) {
  EXPECT_FALSE(checkTextureBitmap(folder_ + "missing.bmp", log_));
  EXPECT_EQ(log_.takeText(), "");
  EXPECT_FALSE(log_.problem);
}

TEST_F(BmpCheck, NonBitmapAndDamagedBitmapAreNotValid) {
  const std::string text = file("g.bmp", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_FALSE(checkTextureBitmap(text, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + text + "\" is not a valid BMP file");
  std::vector<uint8_t> cut = buildIndexedBmp(16, 16, 16, diagonal);
  cut.resize(cut.size() - 20);
  const std::string damaged = file("h.bmp", cut);
  EXPECT_FALSE(checkTextureBitmap(damaged, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + damaged + "\" is not a valid BMP file");
}

TEST_F(BmpCheck, CompressedIsNotAValidForm) {
  BmpOptions o;
  o.width = 2;
  o.height = 1;
  o.rows = {0, 0};
  o.compression = 1;
  const std::string path = file("i.bmp", buildBmp(o));
  EXPECT_FALSE(checkTextureBitmap(path, log_));
  EXPECT_EQ(log_.takeText(), "      ERROR: \"" + path + "\" is not a valid 8bit palette or 24bit RGB BMP file");
}

// Bitmaps written by other programs, from the test-model package.
const char* const kModels = "/usr/share/assimp/models/";

TEST(BmpReadingRealFiles, IndexedModelSkin) {
  const std::string path = std::string(kModels) + "MD2/faerie2.bmp";
  ASSERT_TRUE(std::filesystem::exists(path)) << "package assimp-testmodels is missing";
  std::optional<TextureBitmap> bitmap = readBitmap(path, true);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->width, 220);
  EXPECT_EQ(bitmap->height, 193);
  EXPECT_EQ(bitmap->colorCount, 256u);
  EXPECT_EQ(bitmap->pixels.size(), 220u * 193u);
  // The second colour of the table as stored: blue, green, red, fourth.
  EXPECT_EQ(std::vector<uint8_t>(bitmap->colors.begin() + 4, bitmap->colors.begin() + 8),
            (std::vector<uint8_t>{0x0d, 0x0f, 0x0b, 0x00}));
  MessageLog log;
  log.captureText(true);
  EXPECT_TRUE(checkTextureBitmap(path, log));
  EXPECT_EQ(log.takeText(), "");
}

TEST(BmpReadingRealFiles, IndexedSkinTooWideForTheGame) {
  const std::string path = std::string(kModels) + "MD2/sydney.bmp";
  ASSERT_TRUE(std::filesystem::exists(path)) << "package assimp-testmodels is missing";
  std::optional<TextureBitmap> bitmap = readBitmap(path, true);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->width, 308);
  MessageLog log;
  log.captureText(true);
  EXPECT_FALSE(checkTextureBitmap(path, log));
  EXPECT_EQ(log.takeText(), "      ERROR: \"" + path + "\" is too big. Max texture size is 256x256");
}

TEST(BmpReadingRealFiles, OnePixelTrueColour) {
  const std::string path = std::string(kModels) + "LWO/LWO2/white.bmp";
  ASSERT_TRUE(std::filesystem::exists(path)) << "package assimp-testmodels is missing";
  std::optional<TextureBitmap> bitmap = readBitmap(path, true);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->bitsPerPixel, 24u);
  EXPECT_EQ(bitmap->pixels, (std::vector<uint8_t>{255, 255, 255, 0}));
}

}  // namespace
}  // namespace quorvel
