// Small scene files built byte by byte, in the exact form the writer gives
// them, so that a load and save must reproduce them unchanged.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvel::scene_testing {

// One FaceLists mesh "Crate" (4 vertices, 2 faces, 4 texture coordinates,
// material "crate.bmp", colour 10, 20, 30, extra header 7, 8, 9), two
// instances "Crate01" and "Crate02" sharing the table
// group Crate { string Class = "CTerrainObj"  int Height = 2 }.
std::vector<uint8_t> faceListsFile();

// Two VertexRecords meshes: "Lamp" (textured, materials "lamp.bmp" and
// "glow.bmp" with opacity "glow_a.bmp"; a 5-corner polygon with material 1
// and attribute 77, then a 2-corner polygon) without values, and the
// untextured "Box" (no mapping) with the table
// group Box { bool Solid = true  float Mass = 1.5  <untyped> Marker }.
// Instances "Lamp01" and "Box01".
std::vector<uint8_t> vertexRecordsFile();


}  // namespace quorvel::scene_testing
