// The textures of a model read through the general model library, brought
// beside the model as BMP files, the only form the texture phase takes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct aiScene;

namespace quorvel {

class MessageSink;

// A 24-bit BMP of an image given as rows of red, green, blue, alpha bytes,
// top row first; halved (each pixel the mean of four) until it is at most
// 256 x 256, the largest texture the game takes.
std::vector<uint8_t> bitmapFileOf(const uint8_t* rgba, uint32_t width, uint32_t height);

class ModelTextures {
 public:
  // `writeFiles` off decodes the images but writes nothing (for the fuzzer).
  ModelTextures(const aiScene& scene, const std::string& modelPath, bool writeFiles, MessageSink& log);

  // The texture name for the material: a BMP file beside the model, or the
  // reference's file name (nothing for an embedded image) after a WARNING when it cannot be brought along. An
  // image met before gives the name it got then.
  std::string bring(const std::string& reference, const std::string& meshName);

 private:
  bool writeBitmap(const std::string& fileName, const std::vector<uint8_t>& bmp, std::string& reason);
  std::string fromEmbedded(const std::string& reference, std::string& reason);
  std::string fromFile(const std::string& reference, std::string& reason);

  const aiScene& scene_;
  std::string modelPath_;
  std::string folder_;
  std::string stem_;
  bool writeFiles_;
  MessageSink& log_;
  std::map<std::string, std::string> brought_;
};

}  // namespace quorvel
