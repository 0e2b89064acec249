#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

#include "level/instance_rotation.h"
#include "platform/file_system.h"
#include "textures/bmp_reader.h"
#include "textures/texture_database.h"
#include "tools/gltf_export.h"
#include "util/path_text.h"
#include "util/text_format.h"
#include "values/value_rules.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace quorvel {

namespace {

// A BMP as PNG bytes, top row first as PNG keeps them.
std::optional<std::vector<uint8_t>> pngFromBitmap(const TextureBitmap& bitmap) {
  const size_t width = static_cast<size_t>(bitmap.width), height = static_cast<size_t>(bitmap.height);
  std::vector<uint8_t> rgb(width * height * 3);
  for (size_t row = 0; row < height; ++row) {
    for (size_t column = 0; column < width; ++column) {
      const size_t from = (height - 1 - row) * width + column;
      uint8_t* to = &rgb[(row * width + column) * 3];
      if (bitmap.bitsPerPixel == 8) {
        const size_t entry = bitmap.pixels[from];
        if (entry >= bitmap.colorCount) continue;  // stays black
        to[0] = bitmap.colors[entry * 4 + 2];
        to[1] = bitmap.colors[entry * 4 + 1];
        to[2] = bitmap.colors[entry * 4 + 0];
      } else {
        std::memcpy(to, &bitmap.pixels[from * 4], 3);
      }
    }
  }
  std::vector<uint8_t> png;
  auto append = [](void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  if (!stbi_write_png_to_func(append, &png, bitmap.width, bitmap.height, 3, rgb.data(), bitmap.width * 3))
    return std::nullopt;
  return png;
}

aiString aiText(const std::string& text) { return aiString(text); }

// Builds the scene the exporter writes. The aiScene owns everything handed
// to it and frees it with delete[] and delete.
class SceneBuilder {
 public:
  SceneBuilder(const GltfExportInput& input, GltfExportResult& result) : input_(input), result_(result) {}
  // What build() did not hand to a scene (it stopped on an exception).
  ~SceneBuilder() {
    for (aiMesh* mesh : meshes_) delete mesh;
    for (aiMaterial* material : materials_) delete material;
    for (aiTexture* texture : textures_) delete texture;
  }

  std::unique_ptr<aiScene> build() {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("Scene");
    std::vector<aiNode*> nodes;
    for (const Instance* instance : input_.instances) {
      if (!instance->mesh) continue;
      aiNode* node = nodeFor(*instance->mesh, instance->name);
      const std::array<float, 4> q = quaternionFromAngles(instance->rotation);
      node->mTransformation = aiMatrix4x4(aiVector3D(instance->scale), aiQuaternion(q[3], q[0], q[1], q[2]),
                                          aiVector3D(instance->position.x, instance->position.y,
                                                     instance->position.z));
      nodes.push_back(node);
    }
    for (const Mesh* mesh : input_.unplacedMeshes) nodes.push_back(nodeFor(*mesh, mesh->name));
    result_.nodes = nodes.size();
    for (aiNode* node : nodes) node->mParent = scene->mRootNode;
    attach(scene->mRootNode->mChildren, scene->mRootNode->mNumChildren, nodes);
    if (materials_.empty()) materials_.push_back(newMaterial("Default", nullptr, {200, 200, 200}, 1.0f));
    result_.meshes = parts_.size();
    result_.textures = textures_.size();
    attach(scene->mMeshes, scene->mNumMeshes, meshes_);
    attach(scene->mMaterials, scene->mNumMaterials, materials_);
    attach(scene->mTextures, scene->mNumTextures, textures_);
    return scene;
  }

 private:
  template <typename T>
  static void attach(T**& array, unsigned& count, std::vector<T*>& items) {
    count = static_cast<unsigned>(items.size());
    array = items.empty() ? nullptr : new T*[items.size()];
    for (size_t i = 0; i < items.size(); ++i) array[i] = items[i];
    items.clear();
  }

  aiNode* nodeFor(const Mesh& mesh, const std::string& name) {
    auto [found, added] = parts_.try_emplace(&mesh);
    if (added) found->second = convertMesh(mesh);
    aiNode* node = new aiNode(name);
    const std::vector<unsigned>& parts = found->second;
    node->mNumMeshes = static_cast<unsigned>(parts.size());
    node->mMeshes = parts.empty() ? nullptr : new unsigned[parts.size()];
    for (size_t i = 0; i < parts.size(); ++i) node->mMeshes[i] = parts[i];
    return node;
  }

  // One aiMesh per material the faces use; faces whose corners lie outside
  // the vertex list are left out.
  std::vector<unsigned> convertMesh(const Mesh& mesh) {
    std::map<int32_t, std::vector<const Face*>> groups;  // material (-1: none) -> faces
    for (const Face& face : mesh.faces) {
      bool inside = true;
      for (int32_t v : face.vertex) inside = inside && v >= 0 && static_cast<size_t>(v) < mesh.vertices.size();
      if (!inside) continue;
      const bool known = face.material >= 0 && static_cast<size_t>(face.material) < mesh.materials.size();
      groups[known ? face.material : -1].push_back(&face);
    }
    std::vector<unsigned> parts;
    for (const auto& [material, faces] : groups) {
      parts.push_back(static_cast<unsigned>(meshes_.size()));
      meshes_.push_back(convertPart(mesh, faces, materialFor(mesh, material)));
      if (groups.size() > 1) meshes_.back()->mName = aiText(mesh.name + "-" + std::to_string(parts.size()));
    }
    return parts;
  }

  aiMesh* convertPart(const Mesh& mesh, const std::vector<const Face*>& faces, unsigned material) {
    // glTF keeps one index per corner: each distinct (position, texture
    // coordinate, normal) triple of the mesh becomes one vertex.
    std::map<std::tuple<int32_t, int32_t, int32_t>, unsigned> corners;
    std::vector<Vec3> positions, normals;
    std::vector<Vec2> uvs;
    auto* part = new aiMesh;
    part->mName = aiText(mesh.name);
    part->mMaterialIndex = material;
    part->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    part->mNumFaces = static_cast<unsigned>(faces.size());
    part->mFaces = new aiFace[faces.size()];
    for (size_t f = 0; f < faces.size(); ++f) {
      const Face& face = *faces[f];
      const Vec3 flat =
          unitNormal(mesh.vertices[face.vertex[0]], mesh.vertices[face.vertex[1]], mesh.vertices[face.vertex[2]]);
      aiFace& out = part->mFaces[f];
      out.mNumIndices = 3;
      out.mIndices = new unsigned[3];
      for (int k = 0; k < 3; ++k) {
        const bool hasUv = face.texCoord[k] >= 0 && static_cast<size_t>(face.texCoord[k]) < mesh.texCoords.size();
        const bool hasNormal = face.normal[k] >= 0 && static_cast<size_t>(face.normal[k]) < mesh.normals.size();
        const auto key = std::make_tuple(face.vertex[k], hasUv ? face.texCoord[k] : -1,
                                         hasNormal ? face.normal[k] : -1 - static_cast<int32_t>(f));
        auto [found, added] = corners.try_emplace(key, static_cast<unsigned>(positions.size()));
        if (added) {
          positions.push_back(mesh.vertices[face.vertex[k]]);
          uvs.push_back(hasUv ? mesh.texCoords[face.texCoord[k]] : Vec2{});
          normals.push_back(hasNormal ? mesh.normals[face.normal[k]] : flat);
        }
        out.mIndices[k] = found->second;
      }
    }
    const size_t count = positions.size();
    part->mNumVertices = static_cast<unsigned>(count);
    part->mVertices = new aiVector3D[count];
    part->mNormals = new aiVector3D[count];
    part->mTextureCoords[0] = new aiVector3D[count];
    part->mNumUVComponents[0] = 2;
    for (size_t i = 0; i < count; ++i) {
      part->mVertices[i] = aiVector3D(positions[i].x, positions[i].y, positions[i].z);
      part->mNormals[i] = aiVector3D(normals[i].x, normals[i].y, normals[i].z);
      part->mTextureCoords[0][i] = aiVector3D(uvs[i].u, uvs[i].v, 0);
    }
    return part;
  }

  // A degenerate face still needs a normal a viewer can light.
  static Vec3 unitNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 normal = faceNormal(a, b, c);
    return normal == Vec3{} ? Vec3{0, 1, 0} : normal;
  }

  // Materials are shared by meshes with the same texture names and colour.
  unsigned materialFor(const Mesh& mesh, int32_t index) {
    const Material* material = index >= 0 ? &mesh.materials[index] : nullptr;
    const auto key = std::make_tuple(material ? material->colorMap : std::string(),
                                     material ? material->bumpMap : std::string(), mesh.color.r, mesh.color.g,
                                     mesh.color.b);
    auto [found, added] = materialIndex_.try_emplace(key, static_cast<unsigned>(materials_.size()));
    if (added) {
      const std::string name = material && !material->colorMap.empty() ? material->colorMap : mesh.name;
      materials_.push_back(newMaterial(name, material, mesh.color, diffuseFactor(mesh.values.get())));
    }
    return found->second;
  }

  aiMaterial* newMaterial(const std::string& name, const Material* material, Color color, float diffuseValue) {
    auto* out = new aiMaterial;
    const aiString text = aiText(name);
    out->AddProperty(&text, AI_MATKEY_NAME);
    std::optional<aiString> colorMap, bumpMap;
    if (material) {
      colorMap = embeddedTexture(material->colorMap, textureId(diffuseValue, material->colorMap, material->bumpMap));
      bumpMap = embeddedTexture(material->bumpMap, std::nullopt);
    }
    if (colorMap) out->AddProperty(&*colorMap, AI_MATKEY_TEXTURE_DIFFUSE(0));
    if (bumpMap) out->AddProperty(&*bumpMap, AI_MATKEY_TEXTURE_NORMALS(0));
    // The colour multiplies the texture; a mesh without one (black) shows
    // its texture as it is, or light grey.
    const bool black = color.r == 0 && color.g == 0 && color.b == 0;
    const float grey = colorMap ? 1.0f : 0.8f;
    const aiColor4D diffuse =
        black ? aiColor4D(grey, grey, grey, 1) : aiColor4D(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, 1);
    out->AddProperty(&diffuse, 1, AI_MATKEY_BASE_COLOR);
    out->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    // Seen from inside too: a level is looked at from within its sky.
    const int twoSided = 1;
    out->AddProperty(&twoSided, 1, AI_MATKEY_TWOSIDED);
    return out;
  }

  // The reference "*N" to the PNG made of the BMP the name points to, else
  // of the image the texture store holds under `storeId`; nothing when there
  // is neither.
  std::optional<aiString> embeddedTexture(const std::string& textureName, std::optional<uint32_t> storeId) {
    if (textureName.empty()) return std::nullopt;
    const std::string file = fileNamePart(textureName);
    auto [found, added] = textureIndex_.try_emplace(toLowerAscii(file), -1);
    if (added) {
      std::optional<std::vector<uint8_t>> bytes = readWholeFile(input_.textureFolder + file);
      std::optional<TextureBitmap> bitmap;
      if (bytes) bitmap = parseBitmap(*bytes, true, nullptr);
      if (!bitmap && storeId && input_.storedTexture) bitmap = input_.storedTexture(*storeId);
      std::optional<std::vector<uint8_t>> png;
      if (bitmap) png = pngFromBitmap(*bitmap);
      if (!png) {
        result_.missingTextures.push_back(file);
        return std::nullopt;
      }
      auto* texture = new aiTexture;
      texture->mWidth = static_cast<unsigned>(png->size());
      texture->mHeight = 0;  // compressed data of mWidth bytes
      std::strcpy(texture->achFormatHint, "png");
      texture->pcData = new aiTexel[(png->size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
      std::memcpy(texture->pcData, png->data(), png->size());
      texture->mFilename = aiText(fileStem(file) + ".png");
      found->second = static_cast<int>(textures_.size());
      textures_.push_back(texture);
    }
    if (found->second < 0) return std::nullopt;
    std::string reference(1, '*');  // the library's name of embedded texture N
    reference += std::to_string(found->second);
    return aiText(reference);
  }

  const GltfExportInput& input_;
  GltfExportResult& result_;
  std::map<const Mesh*, std::vector<unsigned>> parts_;
  std::vector<aiMesh*> meshes_;
  std::vector<aiMaterial*> materials_;
  std::vector<aiTexture*> textures_;
  std::map<std::tuple<std::string, std::string, uint8_t, uint8_t, uint8_t>, unsigned> materialIndex_;
  std::map<std::string, int> textureIndex_;
};

}  // namespace

GltfExportResult exportGltf(const GltfExportInput& input, const std::string& outputPath) {
  GltfExportResult result;
  // The library reports most failures by its return values but may throw
  // from deep inside; neither crosses this function.
  try {
    std::unique_ptr<aiScene> scene = SceneBuilder(input, result).build();
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), "glb2");
    if (!blob) {
      result.message = std::string("the glTF writer failed: ") + exporter.GetErrorString();
      return result;
    }
    if (!replaceFileAtomically(outputPath, {static_cast<const uint8_t*>(blob->data), blob->size})) {
      result.message = "cannot write \"" + outputPath + "\": " + lastSystemError();
      return result;
    }
  } catch (const std::exception& error) {
    result.message = std::string("the glTF writer failed: ") + error.what();
    return result;
  } catch (...) {
    result.message = "the glTF writer failed";
    return result;
  }
  result.ok = true;
  result.message = "Wrote \"" + outputPath + "\": " + std::to_string(result.nodes) + " nodes, " +
                   std::to_string(result.meshes) + " meshes, " + std::to_string(result.textures) + " textures";
  return result;
}

}  // namespace quorvel
