// Constants of the scene file format (GRF and SCN), shared by the reader and
// the writer.
//
// A scene file is a 48-byte header, a directory of 32-byte entries, the
// section data in directory order and a name table up to the end of the file.
// Sections refer to each other by 0x80000000 | directory index; names are
// stored once in the name table and referred to by handles.
#pragma once

#include <cstdint>

namespace quorvel::scene_format {

inline constexpr uint32_t kMagic = 0x0ACEBABE;
inline constexpr uint32_t kHeaderSectionWord = 0x8000000F;

inline constexpr uint32_t kFileHeaderSize = 48;
inline constexpr uint32_t kDirectoryEntrySize = 32;
// Handle, length with terminator, use count; then the name.
inline constexpr uint32_t kNameEntryFixedSize = 12;
// The game reads at most 255 characters of a name.
inline constexpr uint32_t kMaxNameLength = 255;
inline constexpr uint32_t kFirstHandle = 0xA00000;

inline constexpr uint32_t kRefFlag = 0x80000000;
inline constexpr uint32_t kRefIndexMask = 0x0FFFFFFF;
inline constexpr uint32_t sectionRef(uint32_t index) { return kRefFlag | index; }
inline constexpr uint32_t refIndex(uint32_t ref) { return ref & kRefIndexMask; }

enum SectionType : uint32_t {
  kSectionHeader = 1,
  kSectionRegion = 2,
  kSectionMesh = 4,
  kSectionGeometry = 8,
  kSectionMapping = 16,
  kSectionMaterial = 32,
  kSectionValueTable = 8192,
  kSectionLevelHeader = 0x80000000,
};

// Mesh header section: name handle, geometry ref, mapping ref, four zeros.
inline constexpr uint32_t kMeshHeaderSize = 28;
inline constexpr uint32_t kInstanceRecordSize = 44;
// u32 position index, normal, u, v, 1, 0.
inline constexpr uint32_t kVertexRecordSize = 32;
// Corner count, first index, normal, plane distance, material, attribute, 0, 0.
inline constexpr uint32_t kPolygonSize = 40;
inline constexpr uint32_t kBoundingBoxSize = 8 * 12;
// u16 type, a zero byte, index, 1, name id, 12 zero bytes.
inline constexpr uint32_t kValueRecordHeadSize = 27;
// The index again and a zero after the payload.
inline constexpr uint32_t kValueRecordTailSize = 8;
inline constexpr uint32_t kMaterialTrailerSize = 20;

// Header words of a FaceLists geometry section before the vertices.
inline constexpr uint32_t kFaceListsHeadWords = 10;
// Header words of a VertexRecords geometry section before the positions.
inline constexpr uint32_t kVertexRecordsHeadWords = 11;

// The level header section of an SCN: the word 22 and the GRF path.
inline constexpr uint32_t kLevelHeaderSize = 1348;
inline constexpr uint32_t kLevelHeaderWord = 22;
inline constexpr uint32_t kMaxLevelHeaderPath = kLevelHeaderSize - 4 - 1;

// Value trees whose chains of parents are longer than this are rejected: the
// game's tables nest a few levels, the bound keeps every recursive walk safe,
// and it is no tighter than what value files may hold.
inline constexpr int kMaxValueNesting = 256;

}  // namespace quorvel::scene_format
