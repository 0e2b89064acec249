#include "level/scene_dump.h"

#include <zlib.h>

#include <cinttypes>
#include <cstdio>
#include <unordered_map>

#include "util/byte_io.h"
#include "util/json_text.h"
#include "util/text_format.h"

namespace quorvel {
namespace {

void appendInt(std::string& out, int64_t v) { out += std::to_string(v); }

void appendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void appendVec3(std::string& out, const Vec3& v) {
  out += '[';
  json::appendFloat(out, v.x);
  out += ',';
  json::appendFloat(out, v.y);
  out += ',';
  json::appendFloat(out, v.z);
  out += ']';
}

// Word count and CRC-32 of the words as stored (little-endian).
void appendRaw(std::string& out, const RawWords& words) {
  std::vector<uint8_t> bytes(words.leadingWords().size() * 4);
  for (size_t i = 0; i < words.leadingWords().size(); ++i) encodeU32(&bytes[i * 4], words.leadingWords()[i]);
  bytes.insert(bytes.end(), words.trailingBytes().begin(), words.trailingBytes().end());
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes lengths as uInt: feed large sections in pieces.
  for (size_t at = 0; at < bytes.size();) {
    uInt piece = static_cast<uInt>(std::min<size_t>(bytes.size() - at, 1u << 30));
    crc = crc32(crc, bytes.data() + at, piece);
    at += piece;
  }
  out += "{\"words\":";
  appendInt(out, static_cast<int64_t>(words.size()));
  out += ",\"crc32\":\"";
  out += json::hex32(static_cast<uint32_t>(crc));
  out += "\"}";
}

void appendValue(std::string& out, const Value& value, bool withTableIndex) {
  out += "{\"type\":";
  appendInt(out, static_cast<uint32_t>(value.type));
  out += ",\"name\":";
  json::appendString(out, value.name);
  if (withTableIndex) {
    out += ",\"tableIndex\":";
    appendInt(out, value.tableIndex);
  }
  switch (value.type) {
    case ValueType::Bool:
      out += ",\"bool\":";
      appendInt(out, value.scalar & 0xFF);
      break;
    case ValueType::Int:
      out += ",\"int\":";
      appendInt(out, value.intValue());
      break;
    case ValueType::Float:
      out += ",\"float\":";
      json::appendFloat(out, value.floatValue());
      break;
    case ValueType::String:
      out += ",\"text\":";
      json::appendString(out, value.text);
      break;
    case ValueType::Group: {
      out += ",\"children\":[";
      bool first = true;
      for (const auto& child : value.children) {
        if (!first) out += ',';
        first = false;
        appendValue(out, *child, withTableIndex);
      }
      out += ']';
      break;
    }
    default:
      break;
  }
  out += '}';
}

void appendGeometry(std::string& out, const Mesh& mesh) {
  out += "{\"faces\":[";
  for (size_t i = 0; i < mesh.faces.size(); ++i) {
    const Face& f = mesh.faces[i];
    if (i) out += ',';
    out += '[';
    const int32_t fields[11] = {f.vertex[0],   f.vertex[1],   f.vertex[2], f.texCoord[0],
                                f.texCoord[1], f.texCoord[2], f.normal[0], f.normal[1],
                                f.normal[2],   f.material,    f.attribute};
    for (int k = 0; k < 11; ++k) {
      if (k) out += ',';
      appendInt(out, fields[k]);
    }
    out += ']';
  }
  out += "],\"vertices\":[";
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    if (i) out += ',';
    appendVec3(out, mesh.vertices[i]);
  }
  out += "],\"texCoords\":[";
  for (size_t i = 0; i < mesh.texCoords.size(); ++i) {
    if (i) out += ',';
    out += '[';
    json::appendFloat(out, mesh.texCoords[i].u);
    out += ',';
    json::appendFloat(out, mesh.texCoords[i].v);
    out += ']';
  }
  out += "],\"normals\":[";
  for (size_t i = 0; i < mesh.normals.size(); ++i) {
    if (i) out += ',';
    appendVec3(out, mesh.normals[i]);
  }
  out += "]}";
}

void appendMesh(std::string& out, const Mesh& mesh, bool geometry, bool withTableIndex) {
  out += "{\"name\":";
  json::appendString(out, mesh.name);
  out += ",\"layout\":";
  appendInt(out, static_cast<uint32_t>(mesh.layout));
  const std::pair<const char*, size_t> counts[] = {{"faces", mesh.faces.size()},
                                                   {"vertices", mesh.vertices.size()},
                                                   {"texCoords", mesh.texCoords.size()},
                                                   {"normals", mesh.normals.size()}};
  for (const auto& [key, count] : counts) {
    out += ',';
    appendKey(out, key);
    appendInt(out, static_cast<int64_t>(count));
  }
  out += ",\"color\":[";
  appendInt(out, mesh.color.r);
  out += ',';
  appendInt(out, mesh.color.g);
  out += ',';
  appendInt(out, mesh.color.b);
  out += "],\"extraHeader\":[";
  for (size_t i = 0; i < 3; ++i) {
    if (i) out += ',';
    appendInt(out, mesh.extraHeader[i]);
  }
  out += "],\"rawGeometry\":";
  appendRaw(out, mesh.rawGeometry);
  out += ",\"rawMapping\":";
  appendRaw(out, mesh.rawMapping);
  out += ",\"materialTrailer\":\"";
  out += json::hexBytes(mesh.materialTrailer.data(), mesh.materialTrailer.size());
  out += "\",\"materials\":[";
  for (size_t i = 0; i < mesh.materials.size(); ++i) {
    const Material& m = mesh.materials[i];
    if (i) out += ',';
    out += "{\"colorMap\":";
    json::appendString(out, m.colorMap);
    out += ",\"opacityMap\":";
    json::appendString(out, m.opacityMap);
    out += ",\"bumpMap\":";
    json::appendString(out, m.bumpMap);
    out += '}';
  }
  out += "],\"values\":";
  if (mesh.values)
    appendValue(out, *mesh.values, withTableIndex);
  else
    out += "null";
  if (geometry) {
    out += ",\"geometry\":";
    appendGeometry(out, mesh);
  }
  out += '}';
}

// A value in the text syntax of value files; types without a keyword are
// shown as a comment with their code.
void summarizeValue(std::string& out, const Value& value, int depth) {
  std::string indent(static_cast<size_t>(depth) * 4, ' ');
  const char* name = value.name.c_str();
  switch (value.type) {
    case ValueType::Bool:
      out += formatText("%sbool %s = %s\n", indent.c_str(), name, value.boolValue() ? "true" : "false");
      break;
    case ValueType::Int:
      out += formatText("%sint %s = %" PRId32 "\n", indent.c_str(), name, value.intValue());
      break;
    case ValueType::Float:
      out += formatText("%sfloat %s = %g\n", indent.c_str(), name, static_cast<double>(value.floatValue()));
      break;
    case ValueType::String:
      out += formatText("%sstring %s = \"%s\"\n", indent.c_str(), name, value.text.c_str());
      break;
    case ValueType::Group:
      out += formatText("%sgroup %s = {\n", indent.c_str(), name);
      for (const auto& child : value.children) summarizeValue(out, *child, depth + 1);
      out += formatText("%s}\n", indent.c_str());
      break;
    default:
      out += formatText("%s# %s: type 0x%x, no payload\n", indent.c_str(), name,
              static_cast<unsigned>(value.type));
      break;
  }
}

std::string vec3Text(const Vec3& v) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "(%g, %g, %g)", static_cast<double>(v.x),
                static_cast<double>(v.y), static_cast<double>(v.z));
  return buffer;
}

}  // namespace

std::string sceneToJson(const SceneFile& scene, bool loaded, bool geometry, bool withTableIndex) {
  std::string out = "{\"format\":\"grf-dump-1\",\"loaded\":";
  out += loaded ? "true" : "false";
  out += ",\"meshes\":[";
  std::unordered_map<const Mesh*, size_t> meshIndex;
  for (size_t i = 0; i < scene.meshes.size(); ++i) {
    if (i) out += ',';
    appendMesh(out, *scene.meshes[i], geometry, withTableIndex);
    meshIndex.emplace(scene.meshes[i].get(), i);
  }
  out += "],\"instances\":[";
  for (size_t i = 0; i < scene.instances.size(); ++i) {
    const Instance& instance = *scene.instances[i];
    if (i) out += ',';
    out += "{\"name\":";
    json::appendString(out, instance.name);
    auto found = meshIndex.find(instance.mesh);
    out += ",\"mesh\":";
    appendInt(out, found == meshIndex.end() ? -1 : static_cast<int64_t>(found->second));
    out += ",\"meshName\":";
    json::appendString(out, instance.mesh ? instance.mesh->name : std::string());
    out += ",\"position\":";
    appendVec3(out, instance.position);
    out += ",\"rotation\":";
    appendVec3(out, instance.rotation);
    out += ",\"scale\":";
    json::appendFloat(out, instance.scale);
    out += ",\"hasValues\":";
    out += instance.mesh && instance.mesh->values ? "true" : "false";
    out += '}';
  }
  out += "]}\n";
  return out;
}

std::string sceneSummary(const SceneFile& scene) {
  std::string out;
  out += formatText("%zu meshes, %zu instances\n", scene.meshes.size(), scene.instances.size());
  for (const auto& meshPtr : scene.meshes) {
    const Mesh& mesh = *meshPtr;
    out += formatText("\nMesh '%s': %s, %zu faces, %zu vertices, %zu texture coordinates, %zu normals\n",
            mesh.name.c_str(), mesh.layout == MeshLayout::FaceLists ? "face lists" : "vertex records",
            mesh.faces.size(), mesh.vertices.size(), mesh.texCoords.size(), mesh.normals.size());
    out += formatText("  colour %d %d %d%s\n", mesh.color.r, mesh.color.g, mesh.color.b,
            mesh.rawGeometry.empty() ? "" : ", geometry kept as read");
    for (size_t i = 0; i < mesh.materials.size(); ++i) {
      const Material& m = mesh.materials[i];
      out += formatText("  material %zu: '%s'", i, m.colorMap.c_str());
      if (!m.opacityMap.empty()) out += formatText(", opacity '%s'", m.opacityMap.c_str());
      if (!m.bumpMap.empty()) out += formatText(", bump '%s'", m.bumpMap.c_str());
      out += '\n';
    }
    if (mesh.values) {
      out += "  values:\n";
      std::string values;
      summarizeValue(values, *mesh.values, 1);
      out += values;
    } else {
      out += "  no values\n";
    }
  }
  if (!scene.instances.empty()) out += '\n';
  for (const auto& instance : scene.instances) {
    out += formatText("Instance '%s': mesh '%s', position %s, rotation %s, scale %g\n",
            instance->name.c_str(), instance->mesh ? instance->mesh->name.c_str() : "",
            vec3Text(instance->position).c_str(), vec3Text(instance->rotation).c_str(),
            static_cast<double>(instance->scale));
  }
  return out;
}

}  // namespace quorvel
