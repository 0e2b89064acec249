// The bundled sample level "harbor": a small level in the layout of the
// game's full version (SCN, GRF, PID and SPZ in the data folder, the SWP in
// the installation folder), built with the program's own writers. It has a
// few findings on purpose, so that the demo's report shows what the
// verification catches.
#pragma once

#include <string>

#include "level/scene.h"
#include "textures/texture_database.h"

namespace quorvel::testing_support {

inline constexpr const char* kSampleLevelName = "harbor";

// A closed box of 8 corners and 12 triangles, `size` units wide, with one
// material and a table of class `className` ("-": none).
Mesh& addBox(SceneFile& scene, const std::string& name, const std::string& className, const std::string& texture,
             float size);

void buildSampleScene(SceneFile& scene);
void buildSampleTextures(TextureDatabase& textures);
// The SWP's bytes: one page holding the sample's texture pixels.
std::vector<uint8_t> sampleSwpBytes();

// Writes the five files; both folders end in a separator. False when a
// file could not be written.
bool writeSampleLevel(const std::string& dataFolder, const std::string& installFolder);

}  // namespace quorvel::testing_support
