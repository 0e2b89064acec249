#include "textures/pid_dump.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

// Not copyable (it owns the open SWP during updates): filled in place.
void fillSmallStore(TextureDatabase& db) {
  db.primaryLimit = 0x600000;
  db.primaryUsed = 0x40000;
  const uint8_t colors[8] = {0x00, 0x10, 0xff, 0x00, 0xab, 0xcd, 0xef, 0x01};
  db.findOrAddPalette(2, colors);
  db.palettes[0].key = 0xD0A7;
  db.palettes[0].handle = -1;
  TextureEntry e;
  e.offset = 0x20000;
  e.width = 64;
  e.height = 32;
  e.pitch = 512;
  e.bitsPerPixel = 8;
  e.averageColor = 0x808080;
  e.transparency = 8;
  e.palette = 0;
  e.textureId = 0xC571BE48;
  db.entries.push_back(e);
  e.offset = 0x20040;
  e.width = 32;
  e.height = 16;
  e.mipInfo = 0x07604020;
  db.entries.push_back(e);
  db.entries.push_back(packerMarker(0x20000, 2));
}

TEST(PidJsonDump, ListsHeaderPalettesEntriesAndMarker) {
  TextureDatabase db;
  fillSmallStore(db);
  EXPECT_EQ(pidDumpJson(db, true),
            "{\"format\":\"pid-dump-1\",\"loaded\":true,\"primaryLimit\":6291456,"
            "\"primaryUsed\":262144,\"palettes\":[{\"count\":2,\"key\":53415,\"trailer\":0,"
            "\"handle\":-1,\"colors\":\"0010ff00abcdef01\"}],\"entries\":["
            "{\"size\":56,\"offset\":131072,\"width\":64,\"height\":32,\"pitch\":512,"
            "\"bitsPerPixel\":8,\"averageColor\":8421504,\"transparency\":8,\"bumpFlags\":0,"
            "\"occlusion\":0,\"palette\":0,\"reserved\":0,\"textureId\":3312565832,\"mipInfo\":0},"
            "{\"size\":56,\"offset\":131136,\"width\":32,\"height\":16,\"pitch\":512,"
            "\"bitsPerPixel\":8,\"averageColor\":8421504,\"transparency\":8,\"bumpFlags\":0,"
            "\"occlusion\":0,\"palette\":0,\"reserved\":0,\"textureId\":3312565832,"
            "\"mipInfo\":123748384},"
            "{\"size\":56,\"offset\":131072,\"width\":123,\"height\":2,\"pitch\":123,"
            "\"bitsPerPixel\":0,\"averageColor\":0,\"transparency\":0,\"bumpFlags\":0,"
            "\"occlusion\":0,\"palette\":0,\"reserved\":0,\"textureId\":12345,\"mipInfo\":0}],"
            "\"marker\":true}\n");
}

TEST(PidJsonDump, UnreadableFileGivesZerosAndEmptyLists) {
  TextureDatabase db;  // limit 0x600000 after clear(), yet the dump says 0
  EXPECT_EQ(pidDumpJson(db, false),
            "{\"format\":\"pid-dump-1\",\"loaded\":false,\"primaryLimit\":0,\"primaryUsed\":0,"
            "\"palettes\":[],\"entries\":[],\"marker\":false}\n");
}

TEST(PidJsonDump, NegativePaletteIndexAndHandleStaySigned) {
  TextureDatabase db;
  db.findOrAddPalette(0, nullptr);
  db.palettes[0].handle = 0xFD400000;
  TextureEntry e;
  e.palette = -1;
  e.textureId = 0xFFFFFFFF;
  db.entries.push_back(e);
  const std::string json = pidDumpJson(db, true);
  EXPECT_NE(json.find("\"handle\":4248829952,\"colors\":\"\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"palette\":-1,"), std::string::npos);
  EXPECT_NE(json.find("\"textureId\":4294967295,"), std::string::npos);
  EXPECT_NE(json.find("\"marker\":false}"), std::string::npos);
}

TEST(PidTextDump, MarksThePackerMarker) {
  TextureDatabase db;
  fillSmallStore(db);
  EXPECT_EQ(pidDumpText(db, "lvl-130.pid"),
            "Texture index: \"lvl-130.pid\"\n"
            "  Primary texture space: limit 6291456 (0x00600000), used 262144 (0x00040000)\n"
            "  Palettes: 1\n"
            "    0: 2 colours, key 0x0000d0a7, handle none\n"
            "  Entries: 3\n"
            "    0: offset 0x00020000, 64 x 32, pitch 512, 8 bpp, palette 0, id 0xc571be48, "
            "full size, transparency 8\n"
            "    1: offset 0x00020040, 32 x 16, pitch 512, 8 bpp, palette 0, id 0xc571be48, "
            "mip 0x07604020, transparency 8\n"
            "    2: packer marker: first page at 0x00020000, 2 half-pages\n");
}

TEST(PidTextDump, LongPathIsShownWhole) {
  TextureDatabase db;
  const std::string path = std::string(600, 'd') + "/lvl-130.pid";
  const std::string text = pidDumpText(db, path);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Texture index: \"" + path + "\"\n");
}

}  // namespace
}  // namespace quorvel
