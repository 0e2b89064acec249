#include "support/verify_fixtures.h"

#include "util/byte_io.h"

namespace quorvel::testing_support {

namespace {
Value& append(Value& group, ValueType type, const std::string& name) {
  return *group.addChild(std::make_unique<Value>(type, name));
}
}  // namespace

Value& addString(Value& group, const std::string& name, const std::string& text) {
  Value& value = append(group, ValueType::String, name);
  value.text = text;
  return value;
}
Value& addInt(Value& group, const std::string& name, int32_t v) {
  Value& value = append(group, ValueType::Int, name);
  value.setInt(v);
  return value;
}
Value& addFloat(Value& group, const std::string& name, float v) {
  Value& value = append(group, ValueType::Float, name);
  value.setFloat(v);
  return value;
}
Value& addBool(Value& group, const std::string& name, bool v) {
  Value& value = append(group, ValueType::Bool, name);
  value.setBool(v);
  return value;
}
Value& addGroup(Value& group, const std::string& name) {
  return append(group, ValueType::Group, name);
}

std::unique_ptr<ValueTable> makeTable(const std::string& name, const std::string& className) {
  auto table = std::make_unique<ValueTable>(ValueType::Group, name);
  if (!className.empty()) addString(*table, "Class", className);
  return table;
}

Mesh& addMesh(SceneFile& scene, const std::string& name, const std::string& className,
              const std::string& colorMap) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  mesh->vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  Face face;
  face.vertex[0] = 0;
  face.vertex[1] = 1;
  face.vertex[2] = 2;
  mesh->faces.push_back(face);
  Material material;
  material.colorMap = colorMap;
  mesh->materials.push_back(material);
  if (className != "-") mesh->values = makeTable(name, className);
  scene.meshes.push_back(std::move(mesh));
  return *scene.meshes.back();
}

Instance& addInstance(SceneFile& scene, const std::string& name, Mesh& mesh, float scale) {
  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = &mesh;
  instance->scale = scale;
  scene.instances.push_back(std::move(instance));
  return *scene.instances.back();
}

TextureEntry textureEntry(uint32_t id, uint32_t bitsPerPixel, uint32_t mipInfo, uint32_t offset,
                          uint32_t width, uint32_t height) {
  TextureEntry entry;
  entry.offset = offset;
  entry.width = width;
  entry.height = height;
  entry.pitch = 512;
  entry.bitsPerPixel = bitsPerPixel;
  entry.palette = bitsPerPixel == 8 ? 0 : -1;
  entry.textureId = id;
  entry.mipInfo = mipInfo;
  return entry;
}

std::vector<uint8_t> pidFileBytes(const std::vector<TextureEntry>& entries, int paletteCount,
                                  uint32_t primaryLimit, uint32_t primaryUsed) {
  ByteWriter out;
  const uint32_t paletteBytes = static_cast<uint32_t>(paletteCount) * 20;
  out.u32(0x130);
  out.u32(16);
  out.u32(32 + paletteBytes);
  out.u32(static_cast<uint32_t>(entries.size()));
  out.u32(32);
  out.u32(static_cast<uint32_t>(paletteCount));
  out.u32(primaryLimit);
  out.u32(primaryUsed);
  for (int i = 0; i < paletteCount; ++i) {
    out.u32(20);  // record size
    out.u32(1);   // one colour
    out.u32(0);   // key
    out.u32(static_cast<uint32_t>(i + 1));  // the colour, so palettes differ
    out.u32(0);   // trailer
  }
  for (const TextureEntry& e : entries) {
    for (uint32_t word : {e.size, e.offset, e.width, e.height, e.pitch, e.bitsPerPixel,
                          e.averageColor, e.transparency, e.bumpFlags, e.occlusion,
                          static_cast<uint32_t>(e.palette), e.reserved, e.textureId, e.mipInfo})
      out.u32(word);
  }
  return out.buffer();
}

std::vector<uint8_t> u32Bytes(uint32_t v) {
  std::vector<uint8_t> bytes(4);
  encodeU32(bytes.data(), v);
  return bytes;
}

}  // namespace quorvel::testing_support
