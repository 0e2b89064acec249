#include "import/three_ds_check.h"

#include <bit>
#include <cstring>
#include <vector>

#include "util/byte_io.h"
#include "util/text_format.h"

namespace quorvel {
namespace {

// Chunk ids the 3DS library reads.
enum : uint16_t {
  kM3dMagic = 0x4D4D, kMData = 0x3D3D, kMLibMagic = 0x3DAA, kCMagic = 0xC23D,
  kM3dVersion = 0x0002,
  kColorF = 0x0010, kColor24 = 0x0011, kLinColor24 = 0x0012, kLinColorF = 0x0013,
  kIntPercentage = 0x0030, kFloatPercentage = 0x0031,
  kMeshVersion = 0x3D3E, kMasterScale = 0x0100,
  kLoShadowBias = 0x1400, kHiShadowBias = 0x1410, kShadowMapSize = 0x1420,
  kShadowSamples = 0x1430, kShadowRange = 0x1440, kShadowFilter = 0x1450, kRayBias = 0x1460,
  kOConsts = 0x1500, kAmbientLight = 0x2100,
  kBitMap = 0x1100, kSolidBgnd = 0x1200, kVGradient = 0x1300,
  kFog = 0x2200, kLayerFog = 0x2302, kDistanceCue = 0x2300,
  kMatEntry = 0xAFFF, kMatName = 0xA000, kMatAmbient = 0xA010, kMatDiffuse = 0xA020,
  kMatSpecular = 0xA030, kMatShininess = 0xA040, kMatShin2Pct = 0xA041,
  kMatTransparency = 0xA050, kMatXpFall = 0xA052, kMatRefBlur = 0xA053,
  kMatSelfIlPct = 0xA084, kMatShading = 0xA100, kMatWireSize = 0xA087, kMatACubic = 0xA310,
  kMatMapName = 0xA300, kMatMapTiling = 0xA351, kMatMapTexBlur = 0xA353,
  kMatMapUScale = 0xA354, kMatMapVScale = 0xA356, kMatMapUOffset = 0xA358,
  kMatMapVOffset = 0xA35A, kMatMapAng = 0xA35C, kMatMapCol1 = 0xA360, kMatMapCol2 = 0xA362,
  kMatMapRCol = 0xA364, kMatMapGCol = 0xA366, kMatMapBCol = 0xA368,
  kNamedObject = 0x4000, kNDirectLight = 0x4600, kDlOuterRange = 0x465A,
  kDlInnerRange = 0x4659, kDlMultiplier = 0x465B, kDlAttenuate = 0x4625,
  kDlSpotlight = 0x4610, kDlSpotRoll = 0x4656, kDlLocalShadow2 = 0x4641,
  kDlSpotAspect = 0x4657, kDlSpotProjector = 0x4653, kDlRayBias = 0x4658,
  kNCamera = 0x4700, kCamRanges = 0x4720,
  kNTriObject = 0x4100, kPointArray = 0x4110, kPointFlagArray = 0x4111, kFaceArray = 0x4120,
  kMshMatGroup = 0x4130, kSmoothGroup = 0x4150, kMshBoxMap = 0x4190, kTexVerts = 0x4140,
  kMeshMatrix = 0x4160, kMeshColor = 0x4165, kMeshTextureInfo = 0x4170,
  kKfData = 0xB000, kKfHdr = 0xB00A, kKfSeg = 0xB008, kKfCurTime = 0xB009,
  kAmbientNodeTag = 0xB001, kSpotlightNodeTag = 0xB007,
  kNodeId = 0xB030, kNodeHdr = 0xB010, kPivot = 0xB013, kInstanceName = 0xB011,
  kMorphSmooth = 0xB015, kBoundBox = 0xB014, kPosTrackTag = 0xB020, kColTrackTag = 0xB025,
  kRotTrackTag = 0xB021, kSclTrackTag = 0xB022, kMorphTrackTag = 0xB026,
  kFovTrackTag = 0xB023, kRollTrackTag = 0xB024, kHotTrackTag = 0xB027,
  kFallTrackTag = 0xB028, kHideTrackTag = 0xB029,
  kDefaultView = 0x3000, kViewTop = 0x3010, kViewBack = 0x3060, kViewUser = 0x3070,
  kViewCamera = 0x3080, kViewportLayout = 0x7001, kViewportData3 = 0x7012,
  kViewportSize = 0x7020,
};

constexpr size_t kHeaderSize = 6;
constexpr int kMaxDepth = 32;
constexpr size_t kMaxChunks = 100000;
constexpr size_t kMaxNodes = 10000;
// Keys are inserted into a sorted list one by one: the count bounds the time.
constexpr int32_t kMaxTrackKeys = 20000;
constexpr uint64_t kMaxKeys = 1000000;
// Frames beyond this lose precision as floats, and the library's looping of
// repeated tracks then finds no key to evaluate.
constexpr int32_t kMaxFrame = 1 << 24;
constexpr uint16_t kNoParent = 0xFFFF;
// Name buffers of the library: 63 characters and the terminator.
constexpr size_t kNameBuffer = 64;

struct Chunk {
  uint16_t id = 0;
  size_t offset = 0;  // of the header
  size_t begin = 0;   // of the data
  size_t end = 0;
};

class ChunkChecker {
 public:
  explicit ChunkChecker(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::string> run() {
    Chunk top;
    if (bytes_.size() < kHeaderSize) return std::string("the file is shorter than a chunk header");
    top.id = decodeU16(&bytes_[0]);
    uint32_t size = decodeU32(&bytes_[2]);
    top.end = size;
    top.begin = kHeaderSize;
    if (top.id != kM3dMagic && top.id != kMData && top.id != kMLibMagic && top.id != kCMagic)
      return formatText("the file starts with chunk 0x%04X, not with a 3DS main chunk", top.id);
    if (size < kHeaderSize)
      return formatText("chunk 0x%04X at offset 0 is shorter than its header", top.id);
    if (size > bytes_.size())
      return formatText("chunk 0x%04X at offset 0 runs past the end of the file", top.id);
    bool ok = top.id == kMData ? mdata(top, 0) : magic(top);
    if (!ok) return reason_;
    return std::nullopt;
  }

 private:
  bool fail(std::string reason) {
    reason_ = std::move(reason);
    return false;
  }
  ByteReader data(const Chunk& c, size_t from) const {
    return ByteReader(bytes_.subspan(from, c.end - from));
  }
  bool need(const Chunk& c, size_t n) {
    if (c.end - c.begin >= n) return true;
    return fail(formatText("chunk 0x%04X at offset %zu holds %zu bytes of the %zu it needs", c.id,
                           c.offset, c.end - c.begin, n));
  }
  // A zero-terminated name read into a buffer of `buffer` bytes.
  bool name(ByteReader& r, const Chunk& c, size_t buffer, std::string* out = nullptr) {
    std::string text;
    if (r.readCString(text, buffer - 1)) {
      if (out) *out = std::move(text);
      return true;
    }
    const uint8_t* start = r.data().data() + r.position();
    if (std::memchr(start, 0, r.remaining()))
      return fail(formatText("a name in chunk 0x%04X at offset %zu is longer than %zu characters",
                             c.id, c.offset, buffer - 1));
    return fail(formatText("a name in chunk 0x%04X at offset %zu is not terminated inside its chunk",
                           c.id, c.offset));
  }

  // Calls visit(child, depth) for each sub-chunk from `from` on, as the
  // library walks them: a sub-chunk of id 0 ends the walk.
  template <class Visit>
  bool children(const Chunk& parent, size_t from, int depth, Visit&& visit) {
    size_t at = from;
    while (at < parent.end) {
      if (parent.end - at < kHeaderSize)
        return fail(formatText("chunk 0x%04X at offset %zu ends inside a sub-chunk header",
                               parent.id, parent.offset));
      Chunk child;
      child.id = decodeU16(&bytes_[at]);
      uint32_t size = decodeU32(&bytes_[at + 2]);
      if (child.id == 0) return true;
      if (size < kHeaderSize)
        return fail(formatText("chunk 0x%04X at offset %zu is shorter than its header", child.id, at));
      if (size > parent.end - at)
        return fail(formatText("chunk 0x%04X at offset %zu runs past the end of chunk 0x%04X",
                               child.id, at, parent.id));
      if (++chunks_ > kMaxChunks) return fail(formatText("the file has more than %zu chunks", kMaxChunks));
      if (depth + 1 > kMaxDepth)
        return fail(formatText("chunks are nested more than %d levels deep", kMaxDepth));
      child.offset = at;
      child.begin = at + kHeaderSize;
      child.end = at + size;
      if (!visit(child, depth + 1)) return false;
      at = child.end;
    }
    return true;
  }
  // Sub-chunks after `prefix` bytes of data of the chunk's own.
  template <class Visit>
  bool childrenAfter(const Chunk& c, size_t prefix, int depth, Visit&& visit) {
    return need(c, prefix) && children(c, c.begin + prefix, depth, visit);
  }
  // Sub-chunks that are fixed records of at least `size(id)` bytes (0: not read).
  template <class Size>
  bool leaves(const Chunk& c, size_t prefix, int depth, Size&& size) {
    return childrenAfter(c, prefix, depth, [&](const Chunk& child, int) {
      return need(child, size(child.id));
    });
  }
  static size_t colorSize(uint16_t id) {
    if (id == kColorF || id == kLinColorF) return 12;
    if (id == kColor24 || id == kLinColor24) return 3;
    return 0;
  }

  bool magic(const Chunk& top) {
    return children(top, top.begin, 0, [&](const Chunk& c, int depth) {
      switch (c.id) {
        case kM3dVersion: return need(c, 4);
        case kMData: return mdata(c, depth);
        case kKfData: return kfdata(c, depth);
        default: return true;
      }
    });
  }

  bool mdata(const Chunk& mdata, int depth) {
    return children(mdata, mdata.begin, depth, [&](const Chunk& c, int d) {
      switch (c.id) {
        case kShadowMapSize: case kShadowSamples: return need(c, 2);
        case kMeshVersion: case kMasterScale: case kLoShadowBias: case kHiShadowBias:
        case kShadowRange: case kShadowFilter: case kRayBias: return need(c, 4);
        case kOConsts: return need(c, 12);
        case kViewportLayout: case kDefaultView: return viewport(c, d);
        case kAmbientLight: case kSolidBgnd: return leaves(c, 0, d, colorSize);
        case kFog: case kLayerFog: return leaves(c, 16, d, colorSize);
        case kDistanceCue: return leaves(c, 16, d, [](uint16_t) { return size_t{0}; });
        case kBitMap: {
          ByteReader r = data(c, c.begin);
          return name(r, c, kNameBuffer);
        }
        case kVGradient: return gradient(c, d);
        case kMatEntry: return material(c, d);
        case kNamedObject: return namedObject(c, d);
        default: return true;
      }
    });
  }

  bool viewport(const Chunk& c, int depth) {
    if (c.id == kDefaultView) {
      return leaves(c, 0, depth, [](uint16_t id) -> size_t {
        if (id >= kViewTop && id <= kViewBack) return 16;
        if (id == kViewUser) return 28;
        if (id == kViewCamera) return 11;
        return 0;
      });
    }
    return leaves(c, 14, depth, [](uint16_t id) -> size_t {
      if (id == kViewportSize) return 8;
      if (id == kViewportData3) return 49;
      return 0;
    });
  }

  // The library keeps three colours of each kind in fixed arrays.
  bool gradient(const Chunk& c, int depth) {
    int colors = 0, linearColors = 0;
    return childrenAfter(c, 4, depth, [&](const Chunk& child, int) {
      if (child.id == kColorF) ++colors;
      if (child.id == kLinColorF) ++linearColors;
      if (colors > 3 || linearColors > 3)
        return fail(formatText("gradient chunk at offset %zu has more than three colours", c.offset));
      return need(child, colorSize(child.id));
    });
  }

  static bool isMap(uint16_t id) {
    switch (id) {
      case 0xA200: case 0xA33E: case 0xA33A: case 0xA340: case 0xA210: case 0xA342:
      case 0xA230: case 0xA344: case 0xA204: case 0xA348: case 0xA33C: case 0xA346:
      case 0xA33D: case 0xA34A: case 0xA220: case 0xA34C:
        return true;
      default:
        return false;
    }
  }

  bool material(const Chunk& mat, int depth) {
    return children(mat, mat.begin, depth, [&](const Chunk& c, int d) {
      switch (c.id) {
        case kMatName: {
          ByteReader r = data(c, c.begin);
          return name(r, c, kNameBuffer);
        }
        case kMatAmbient: case kMatDiffuse: case kMatSpecular: return leaves(c, 0, d, colorSize);
        case kMatShininess: case kMatShin2Pct: case kMatTransparency: case kMatXpFall:
        case kMatSelfIlPct: case kMatRefBlur:
          return leaves(c, 0, d, [](uint16_t id) -> size_t {
            return id == kIntPercentage ? 2 : id == kFloatPercentage ? 4 : 0;
          });
        case kMatShading: return need(c, 2);
        case kMatWireSize: return need(c, 4);
        case kMatACubic: return need(c, 12);
        default: return !isMap(c.id) || textureMap(c, d);
      }
    });
  }

  bool textureMap(const Chunk& map, int depth) {
    return children(map, map.begin, depth, [&](const Chunk& c, int) {
      switch (c.id) {
        case kIntPercentage: case kMatMapTiling: return need(c, 2);
        case kMatMapTexBlur: case kMatMapUScale: case kMatMapVScale: case kMatMapUOffset:
        case kMatMapVOffset: case kMatMapAng: return need(c, 4);
        case kMatMapCol1: case kMatMapCol2: case kMatMapRCol: case kMatMapGCol: case kMatMapBCol:
          return need(c, 3);
        case kMatMapName: {
          ByteReader r = data(c, c.begin);
          return name(r, c, kNameBuffer);
        }
        default: return true;
      }
    });
  }

  bool namedObject(const Chunk& object, int depth) {
    ByteReader r = data(object, object.begin);
    std::string objectName;
    if (!name(r, object, kNameBuffer, &objectName)) return false;
    return children(object, object.begin + r.position(), depth, [&](const Chunk& c, int d) {
      switch (c.id) {
        case kNTriObject: return triObject(c, d, objectName);
        case kNCamera:
          return leaves(c, 32, d, [](uint16_t id) -> size_t { return id == kCamRanges ? 8 : 0; });
        case kNDirectLight: return light(c, d);
        default: return true;
      }
    });
  }

  bool light(const Chunk& light, int depth) {
    return childrenAfter(light, 12, depth, [&](const Chunk& c, int d) {
      switch (c.id) {
        case kColorF: return need(c, 12);
        // The library also reads a float from an exclusion chunk, which holds
        // an object name of any length: reading past it is harmless here.
        case kDlOuterRange: case kDlInnerRange: case kDlMultiplier: case kDlAttenuate:
          return need(c, 4);
        case kDlSpotlight:
          return childrenAfter(c, 20, d, [&](const Chunk& s, int) {
            switch (s.id) {
              case kDlSpotRoll: case kDlSpotAspect: case kDlRayBias: return need(s, 4);
              case kDlLocalShadow2: return need(s, 10);
              case kDlSpotProjector: {
                ByteReader r = data(s, s.begin);
                return name(r, s, kNameBuffer);
              }
              default: return true;
            }
          });
        default: return true;
      }
    });
  }

  // An array chunk: a 16-bit count and `count` records.
  bool array(const Chunk& c, size_t record, const char* what, const std::string& mesh, uint16_t& count) {
    ByteReader r = data(c, c.begin);
    if (!r.readU16(count)) return need(c, 2);
    if (r.has(count, record)) return true;
    return fail(formatText("%s of mesh \"%s\" holds %u entries but its chunk has room for %zu", what,
                           mesh.c_str(), count, r.remaining() / record));
  }

  bool triObject(const Chunk& tri, int depth, const std::string& mesh) {
    uint16_t points = 0;
    std::vector<Chunk> faceArrays;
    bool ok = children(tri, tri.begin, depth, [&](const Chunk& c, int) {
      uint16_t count = 0;
      switch (c.id) {
        case kMeshMatrix: return need(c, 48);
        case kMeshColor: return need(c, 1);
        case kMeshTextureInfo: return need(c, 84);
        case kPointArray: return array(c, 12, "point array", mesh, points);
        case kPointFlagArray: return array(c, 2, "point flag array", mesh, count);
        case kTexVerts: return array(c, 8, "texture coordinate array", mesh, count);
        case kFaceArray: faceArrays.push_back(c); return true;
        default: return true;
      }
    });
    if (!ok) return false;
    // The library computes face normals from the points of the last point
    // array once the whole object is read.
    for (const Chunk& c : faceArrays)
      if (!faceArray(c, depth + 1, mesh, points)) return false;
    return true;
  }

  bool faceArray(const Chunk& c, int depth, const std::string& mesh, uint16_t points) {
    uint16_t faces = 0;
    if (!array(c, 8, "face array", mesh, faces)) return false;
    const size_t records = c.begin + 2;
    ByteReader r = data(c, records);
    for (uint32_t i = 0; i < faces; ++i) {
      uint16_t corner[4];
      for (auto& v : corner) r.readU16(v);
      for (int k = 0; k < 3; ++k) {
        if (corner[k] >= points)
          return fail(formatText("face %u of mesh \"%s\" uses point %u, but the mesh has %u points",
                                 i, mesh.c_str(), corner[k], points));
      }
    }
    if (faces == 0) return true;  // the library reads no sub-chunks then
    return children(c, records + r.position(), depth, [&](const Chunk& s, int) {
      ByteReader g = data(s, s.begin);
      switch (s.id) {
        case kSmoothGroup:
          if (g.has(faces, 4)) return true;
          return fail(formatText("smoothing groups of mesh \"%s\" cover %zu of its %u faces",
                                 mesh.c_str(), g.remaining() / 4, faces));
        case kMshBoxMap:
          for (int k = 0; k < 6; ++k)
            if (!name(g, s, kNameBuffer)) return false;
          return true;
        case kMshMatGroup: {
          std::string material;
          uint16_t count = 0;
          if (!name(g, s, kNameBuffer, &material)) return false;
          if (!g.readU16(count) || !g.has(count, 2))
            return fail(formatText("material group \"%s\" of mesh \"%s\" lists more faces than its "
                                   "chunk holds",
                                   material.c_str(), mesh.c_str()));
          for (uint32_t k = 0; k < count; ++k) {
            uint16_t face = 0;
            g.readU16(face);
            if (face >= faces)
              return fail(formatText("material group \"%s\" of mesh \"%s\" names face %u, but the "
                                     "mesh has %u faces",
                                     material.c_str(), mesh.c_str(), face, faces));
          }
          return true;
        }
        default: return true;
      }
    });
  }

  bool kfdata(const Chunk& kf, int depth) {
    uint16_t nodeNumber = 0;
    return children(kf, kf.begin, depth, [&](const Chunk& c, int d) {
      switch (c.id) {
        case kKfHdr: {
          ByteReader r = data(c, c.begin);
          if (!r.skip(2)) return need(c, 2);
          if (!name(r, c, 13)) return false;
          if (r.remaining() < 4) return need(c, r.position() + 4);
          return true;
        }
        case kKfSeg: return need(c, 8);
        case kKfCurTime: return need(c, 4);
        case kViewportLayout: case kDefaultView: return viewport(c, d);
        default:
          if (c.id >= kAmbientNodeTag && c.id <= kSpotlightNodeTag) return node(c, d, nodeNumber++);
          return true;
      }
    });
  }

  bool node(const Chunk& node, int depth, uint16_t number) {
    if (++nodes_ > kMaxNodes) return fail(formatText("the file has more than %zu keyframer nodes", kMaxNodes));
    // A node without a header keeps the library's parent number 0.
    uint16_t id = number, parent = 0;
    std::string nodeName;
    bool ok = children(node, node.begin, depth, [&](const Chunk& c, int) {
      ByteReader r = data(c, c.begin);
      switch (c.id) {
        case kNodeId: return r.readU16(id) || need(c, 2);
        case kNodeHdr:
          if (!name(r, c, kNameBuffer, &nodeName)) return false;
          if (!r.skip(4) || !r.readU16(parent)) return need(c, r.position() + 6);
          return true;
        case kInstanceName: return name(r, c, kNameBuffer);
        case kPivot: return need(c, 12);
        case kBoundBox: return need(c, 24);
        case kMorphSmooth: return need(c, 4);
        case kPosTrackTag: case kColTrackTag: case kSclTrackTag: return track(c, 12, false);
        case kRotTrackTag: return track(c, 16, false);
        case kFovTrackTag: case kRollTrackTag: case kHotTrackTag: case kFallTrackTag:
          return track(c, 4, false);
        case kHideTrackTag: return track(c, 0, false);
        case kMorphTrackTag: return track(c, 0, true);
        default: return true;
      }
    });
    if (!ok) return false;
    // The library's re-parenting of such a node never ends.
    if (parent != kNoParent && parent == id)
      return fail(formatText("keyframer node \"%s\" at offset %zu is its own parent", nodeName.c_str(),
                             node.offset));
    return true;
  }

  // A track: flags, 8 unused bytes, a key count, then per key a frame, the
  // flags saying which of five spline floats follow, and the key's value.
  bool track(const Chunk& c, size_t value, bool morphName) {
    ByteReader r = data(c, c.begin);
    int32_t keys = 0;
    if (!r.skip(10) || !r.readI32(keys)) return need(c, 14);
    if (keys < 0 || keys > kMaxTrackKeys)
      return fail(formatText("track chunk 0x%04X at offset %zu has %d keys (0 to %d are read)", c.id,
                             c.offset, keys, kMaxTrackKeys));
    keys_ += static_cast<uint64_t>(keys);
    if (keys_ > kMaxKeys) return fail(formatText("the file has more than %llu track keys",
                                                 static_cast<unsigned long long>(kMaxKeys)));
    for (int32_t k = 0; k < keys; ++k) {
      int32_t frame = 0;
      uint16_t flags = 0;
      bool whole = r.readI32(frame) && r.readU16(flags) &&
                   r.skip(4 * static_cast<size_t>(std::popcount(static_cast<unsigned>(flags & 0x1F)))) &&
                   r.skip(value);
      if (!whole)
        return fail(formatText("track chunk 0x%04X at offset %zu has %d keys but room for %d", c.id,
                               c.offset, keys, k));
      if (frame < -kMaxFrame || frame > kMaxFrame)
        return fail(formatText("track chunk 0x%04X at offset %zu has a key at frame %d", c.id,
                               c.offset, frame));
      if (morphName && !name(r, c, 11)) return false;
    }
    return true;
  }

  std::span<const uint8_t> bytes_;
  std::string reason_;
  size_t chunks_ = 0;
  size_t nodes_ = 0;
  uint64_t keys_ = 0;
};

}  // namespace

std::optional<std::string> check3dsChunks(std::span<const uint8_t> bytes) {
  return ChunkChecker(bytes).run();
}

}  // namespace quorvel
