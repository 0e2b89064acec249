#include "support/scene_fixtures.h"

#include "support/scene_bytes.h"

namespace quorvel::scene_testing {
namespace {

void vec3(Bytes& b, float x, float y, float z) { b.f32(x).f32(y).f32(z); }

void boundingBox(Bytes& b, float lo, float hi) {
  for (float x : {lo, hi})
    for (float z : {lo, hi})
      for (float y : {lo, hi}) vec3(b, x, y, z);
}

// Value record head: type, zero byte, index, 1, name id, 12 zero bytes.
void valueHead(Bytes& b, uint16_t type, uint32_t index, uint32_t nameId) {
  b.u16(type).u8(0).u32(index).u32(1).u32(nameId).zeros(12);
}
void valueTail(Bytes& b, uint32_t index) { b.u32(index).u32(0); }

}  // namespace

std::vector<uint8_t> faceListsFile() {
  SceneBytes file;
  for (const char* name : {".header", ".region", ".valuetable", ".geometry", "Crate", ".mapping",
                           ".material", "crate.bmp", "", "", "Crate01", "Crate02"})
    file.useName(name);
  file.assignHandles();

  file.addSection(".header", 1, Bytes().u32(0x0ACEBABE).u32(0x8000000F));
  Bytes region;
  region.u32(2);
  for (const char* name : {"Crate01", "Crate02"}) {
    region.u32(0x80000002).u32(file.handle(name));
    vec3(region, name[6] == '1' ? 1.0f : -4.5f, 2.0f, 3.0f);
    vec3(region, 0.0f, 0.5f, -0.25f);
    region.f32(name[6] == '1' ? 1.0f : 2.0f).u32(2).u32(1);
  }
  region.u32(0x80000006);
  file.addSection(".region", 2, region);

  file.addSection("Crate", 4,
                  Bytes().u32(file.handle("Crate")).u32(0x80000003).u32(0x80000004).zeros(16));
  Bytes geometry;
  geometry.u32(7).u32(8).u32(9).u32(4).u32(2).u32(6).u32(8).u32(30).u32(20).u32(10);
  vec3(geometry, 0, 0, 0);
  vec3(geometry, 1, 0, 0);
  vec3(geometry, 1, 1, 0);
  vec3(geometry, 0, 1, 0);
  geometry.u32(0).u32(1).u32(2).u32(0).u32(2).u32(3);
  vec3(geometry, 0, 0, 1);
  vec3(geometry, 0, 0, 1);
  for (int i = 0; i < 6; ++i) vec3(geometry, 0, 0.125f * i, 1);
  boundingBox(geometry, 0, 1);
  file.addSection(".geometry", 8, geometry);

  Bytes mapping;
  mapping.u32(0x80000005).u32(4).u32(2);
  mapping.f32(0).f32(0).f32(1).f32(0).f32(1).f32(1).f32(0).f32(1);
  mapping.u32(0).u32(1).u32(2).u32(0).u32(2).u32(3);
  mapping.u32(0).u32(0);
  file.addSection(".mapping", 16, mapping);

  Bytes material;
  material.u32(1).u32(file.handle("crate.bmp")).u32(file.handle("")).u32(file.handle(""));
  material.u32(128).u32(128).u32(128);
  for (uint8_t i = 1; i <= 20; ++i) material.u8(i);
  file.addSection(".material", 32, material);

  Bytes values;
  values.zeros(6).u32(3).zeros(6).u32(3);
  values.cstring("Class").u32(0).u32(1);
  values.cstring("Crate").u32(1).u32(1);
  values.cstring("Height").u32(2).u32(1);
  values.zeros(5).u32(3).zeros(5).u32(3);
  valueHead(values, 0x105, 0, 0);
  values.cstring("CTerrainObj");
  valueTail(values, 0);
  valueHead(values, 0x103, 1, 2);
  values.u32(2);
  valueTail(values, 1);
  valueHead(values, 0x106, 2, 1);
  values.u32(2).u32(0).u32(1).u32(1).u32(1);
  valueTail(values, 2);
  file.addSection(".valuetable", 8192, values);
  return file.build();
}

std::vector<uint8_t> vertexRecordsFile() {
  SceneBytes file;
  for (const char* name : {".header", ".region", ".valuetable", ".geometry", "Lamp", ".mapping",
                           ".material", "lamp.bmp", "", "", "glow.bmp", "glow_a.bmp", "",
                           ".geometry", "Box", "Lamp01", "Box01"})
    file.useName(name);
  file.assignHandles();

  file.addSection(".header", 1, Bytes().u32(0x0ACEBABE).u32(0x8000000F));
  Bytes region;
  region.u32(2);
  region.u32(0x80000002).u32(file.handle("Lamp01"));
  vec3(region, 10, 20, 30);
  vec3(region, 0, 0, 0);
  region.f32(1).u32(0).u32(0);
  region.u32(0x80000006).u32(file.handle("Box01"));
  vec3(region, -1, -2, -3);
  vec3(region, 1.5f, 0, 0);
  region.f32(0.5f).u32(3).u32(1);
  region.u32(0x80000008);
  file.addSection(".region", 2, region);

  file.addSection("Lamp", 4,
                  Bytes().u32(file.handle("Lamp")).u32(0x80000003).u32(0x80000004).zeros(16));
  Bytes lamp;
  lamp.u32(0x80000005).u32(0).u32(0x0A141E).u32(1).u32(2).u32(3);
  lamp.u32(5).u32(6).u32(7).u32(8).u32(2);
  for (int i = 0; i < 5; ++i) vec3(lamp, static_cast<float>(i), static_cast<float>(i * i), 0.5f);
  const uint32_t positionOf[6] = {0, 1, 2, 3, 4, 0};
  for (uint32_t r = 0; r < 6; ++r) {
    lamp.u32(positionOf[r]);
    vec3(lamp, 0, 0, r == 5 ? -1.0f : 1.0f);
    lamp.f32(0.25f * r).f32(1 - 0.25f * r).u32(1).u32(0);
  }
  for (uint32_t index : {0, 1, 2, 3, 4, 5, 0}) lamp.u32(index);
  lamp.u32(5).u32(0);
  vec3(lamp, 0, 0, 1);
  lamp.f32(-0.5f).u32(1).u32(77).u32(0).u32(0);
  lamp.u32(2).u32(5);
  vec3(lamp, 0, 0, 1);
  lamp.f32(0).u32(0).u32(0).u32(0).u32(0);
  boundingBox(lamp, 0, 16);
  file.addSection(".geometry", 8, lamp);
  file.addSection(".mapping", 16, Bytes().u32(0x80000005));
  Bytes material;
  material.u32(2).u32(file.handle("lamp.bmp")).u32(file.handle("glow.bmp"));
  material.u32(file.handle("")).u32(file.handle("glow_a.bmp"));
  material.u32(file.handle("")).u32(file.handle(""));
  for (int i = 0; i < 6; ++i) material.u32(128);
  material.zeros(20);
  file.addSection(".material", 32, material);

  file.addSection("Box", 4, Bytes().u32(file.handle("Box")).u32(0x80000007).u32(0).zeros(16));
  Bytes box;
  box.u32(0).u32(1).u32(0xFF8000).u32(0).u32(0).u32(0);
  box.u32(3).u32(3).u32(3).u32(8).u32(1);
  vec3(box, 0, 0, 0);
  vec3(box, 2, 0, 0);
  vec3(box, 0, 2, 0);
  for (uint32_t r = 0; r < 3; ++r) {
    box.u32(r);
    vec3(box, 0, 0, 1);
    box.f32(0).f32(0).u32(1).u32(0);
  }
  box.u32(0).u32(1).u32(2);
  box.u32(3).u32(0);
  vec3(box, 0, 0, 1);
  box.f32(0).u32(0).u32(0).u32(0).u32(0);
  boundingBox(box, 0, 2);
  file.addSection(".geometry", 8, box);

  Bytes values;
  values.zeros(6).u32(4).zeros(6).u32(4);
  values.cstring("Box").u32(0).u32(1);
  values.cstring("Marker").u32(1).u32(1);
  values.cstring("Mass").u32(2).u32(1);
  values.cstring("Solid").u32(3).u32(1);
  values.zeros(5).u32(4).zeros(5).u32(4);
  valueHead(values, 0x101, 0, 3);
  values.u8(1);
  valueTail(values, 0);
  valueHead(values, 0x104, 1, 2);
  values.f32(1.5f);
  valueTail(values, 1);
  valueHead(values, 0x102, 2, 1);
  valueTail(values, 2);
  valueHead(values, 0x106, 3, 0);
  values.u32(3).u32(0).u32(1).u32(1).u32(1).u32(2).u32(1);
  valueTail(values, 3);
  file.addSection(".valuetable", 8192, values);
  return file.build();
}

}  // namespace quorvel::scene_testing
