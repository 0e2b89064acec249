#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "import/three_ds_check.h"
#include "support/temp_dir.h"
#include "util/byte_io.h"

namespace quorvel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes chunk(uint16_t id, const Bytes& payload, int sizeAdjust = 0) {
  ByteWriter w;
  w.u16(id);
  w.u32(static_cast<uint32_t>(payload.size() + 6 + sizeAdjust));
  w.bytes(payload.data(), payload.size());
  return w.buffer();
}
Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes text(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}
Bytes u16s(std::initializer_list<uint16_t> values) {
  ByteWriter w;
  for (uint16_t v : values) w.u16(v);
  return w.buffer();
}
Bytes points(uint16_t count, int records) {
  ByteWriter w;
  w.u16(count);
  for (int i = 0; i < records * 3; ++i) w.f32(static_cast<float>(i));
  return w.buffer();
}

// A file of one mesh "Box" with the given sub-chunks of its triangle object,
// and keyframer nodes.
Bytes file(const Bytes& tri, const Bytes& keyframer = {}) {
  Bytes object = chunk(0x4000, join({text("Box"), chunk(0x4100, tri)}));
  Bytes body = chunk(0x3D3D, object);
  if (!keyframer.empty()) body = join({body, chunk(0xB000, keyframer)});
  return chunk(0x4D4D, body);
}
const Bytes kFace = chunk(0x4120, u16s({1, 0, 1, 2, 0}));
const Bytes kPoints = chunk(0x4110, points(3, 3));

Bytes node(std::initializer_list<Bytes> parts) { return chunk(0xB002, join(parts)); }
Bytes nodeHeader(const std::string& name, uint16_t parent) {
  return chunk(0xB010, join({text(name), u16s({0, 0, parent})}));
}
Bytes track(int32_t keys, int written) {
  ByteWriter w;
  w.zeros(10);
  w.i32(keys);
  for (int k = 0; k < written; ++k) {
    w.i32(k);
    w.u16(0);
    w.zeros(12);
  }
  return w.buffer();
}

TEST(ThreeDsCheck, ASoundFileOfEveryCheckedKindPasses) {
  Bytes tri = join({kPoints, chunk(0x4140, join({u16s({3}), Bytes(24, 0)})),
                    chunk(0x4120, join({u16s({1, 0, 1, 2, 0}), chunk(0x4130, join({text("Red"), u16s({1, 0})})),
                                        chunk(0x4150, Bytes(4, 0))}))});
  Bytes keys = node({nodeHeader("Box", 0xFFFF), chunk(0xB020, track(2, 2))});
  EXPECT_EQ(check3dsChunks(file(tri, keys)), std::nullopt);
}

TEST(ThreeDsCheck, DamagedFilesAreRefusedWithTheirReason) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::string reason;
  };
  Bytes good = file(join({kPoints, kFace}));
  Bytes longTop = good;
  longTop[2] += 1;
  const Case cases[] = {
      {"empty", {}, "the file is shorter than a chunk header"},
      {"not 3DS", chunk(0x1234, {}), "the file starts with chunk 0x1234, not with a 3DS main chunk"},
      {"truncated", longTop, "chunk 0x4D4D at offset 0 runs past the end of the file"},
      {"child past parent", file(join({kPoints, chunk(0x4120, u16s({1, 0, 1, 2, 0}), 1)})),
       "chunk 0x4120 at offset 72 runs past the end of chunk 0x4100"},
      {"zero-length child", file(join({chunk(0x4110, {}, -6), kFace})),
       "chunk 0x4110 at offset 28 is shorter than its header"},
      {"count larger than chunk", file(join({chunk(0x4110, points(5, 3)), kFace})),
       "point array of mesh \"Box\" holds 5 entries but its chunk has room for 3"},
      {"face point past the points", file(join({kPoints, chunk(0x4120, u16s({1, 0, 3, 2, 0}))})),
       "face 0 of mesh \"Box\" uses point 3, but the mesh has 3 points"},
      {"faces without points", file(kFace), "face 0 of mesh \"Box\" uses point 0, but the mesh has 0 points"},
      {"material group past the faces",
       file(join({kPoints, chunk(0x4120, join({u16s({1, 0, 1, 2, 0}), chunk(0x4130, join({text("Red"), u16s({1, 1})}))}))})),
       "material group \"Red\" of mesh \"Box\" names face 1, but the mesh has 1 faces"},
      {"smoothing short", file(join({kPoints, chunk(0x4120, join({u16s({1, 0, 1, 2, 0}), chunk(0x4150, Bytes(2, 0))}))})),
       "smoothing groups of mesh \"Box\" cover 0 of its 1 faces"},
      {"name unterminated", chunk(0x4D4D, chunk(0x3D3D, chunk(0x4000, Bytes{'B', 'o', 'x'}))),
       "a name in chunk 0x4000 at offset 12 is not terminated inside its chunk"},
      {"name too long", chunk(0x4D4D, chunk(0x3D3D, chunk(0xAFFF, chunk(0xA000, text(std::string(64, 'm')))))),
       "a name in chunk 0xA000 at offset 18 is longer than 63 characters"},
      {"track keys past chunk", file(join({kPoints, kFace}), node({chunk(0xB020, track(3, 2))})),
       "track chunk 0xB020 at offset 100 has 3 keys but room for 2"},
      {"node its own parent", file(join({kPoints, kFace}), node({chunk(0xB030, u16s({7})), nodeHeader("Box", 7)})),
       "keyframer node \"Box\" at offset 94 is its own parent"},
      {"first node without header", file(join({kPoints, kFace}), node({chunk(0xB013, Bytes(12, 0))})),
       "keyframer node \"\" at offset 94 is its own parent"},
      {"short matrix", file(join({kPoints, kFace, chunk(0x4160, Bytes(40, 0))})),
       "chunk 0x4160 at offset 88 holds 40 bytes of the 48 it needs"},
      {"four gradient colours",
       chunk(0x4D4D, chunk(0x3D3D, chunk(0x1300, join({Bytes(4, 0), chunk(0x10, Bytes(12, 0)), chunk(0x10, Bytes(12, 0)),
                                                       chunk(0x10, Bytes(12, 0)), chunk(0x10, Bytes(12, 0))})))),
       "gradient chunk at offset 12 has more than three colours"},
  };
  for (const Case& c : cases) {
    auto reason = check3dsChunks(c.bytes);
    ASSERT_TRUE(reason) << c.what;
    EXPECT_EQ(*reason, c.reason) << c.what;
  }
}

TEST(ThreeDsCheck, ChunksTooDeepAreRefused) {
  Bytes inner = chunk(0x7777, {});
  for (int i = 0; i < 40; ++i) inner = chunk(0x7777, inner);
  // Unknown chunks are skipped by the library and not entered.
  EXPECT_EQ(check3dsChunks(chunk(0x4D4D, inner)), std::nullopt);
  Bytes maps = chunk(0xA200, {});
  EXPECT_EQ(check3dsChunks(chunk(0x4D4D, chunk(0x3D3D, chunk(0xAFFF, maps)))), std::nullopt);
}

const char kModels[] = "/usr/share/assimp/models/3DS/";

std::vector<std::string> realModels() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(kModels)) {
    std::string ext = entry.path().extension().string();
    if (ext == ".3ds" || ext == ".3DS") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(ThreeDsCheck, RealFilesPassAndEveryTruncationOfThemIsRefused) {
  if (!std::filesystem::is_directory(kModels)) GTEST_SKIP() << "no sample 3DS models installed";
  auto paths = realModels();
  ASSERT_EQ(paths.size(), 9u);
  for (const std::string& path : paths) {
    Bytes bytes = testing_support::readBytes(path);
    ASSERT_EQ(check3dsChunks(bytes), std::nullopt) << path;
    for (size_t n = 0; n < bytes.size(); ++n)
      ASSERT_TRUE(check3dsChunks(std::span(bytes.data(), n))) << path << " cut at " << n;
  }
}

}  // namespace
}  // namespace quorvel
