// Building blocks for the verification tests: a run state that captures the
// report, scenes and value tables built in code, and texture store files
// written byte by byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "level/scene.h"
#include "support/scripted_run.h"
#include "textures/texture_database.h"
#include "values/value.h"

namespace quorvel::testing_support {

// A run whose message log keeps everything written, for comparison, with
// no trace output. Strict: a question nobody scripted fails the test.
struct CapturingApp : ScriptedRun {
  CapturingApp() { app.traceStream = nullptr; }
  AppContext& context = app;
  std::string text() { return app.log.takeText(); }
};

// Value tree helpers; each returns the value it appended.
Value& addString(Value& group, const std::string& name, const std::string& text);
Value& addInt(Value& group, const std::string& name, int32_t v);
Value& addFloat(Value& group, const std::string& name, float v);
Value& addBool(Value& group, const std::string& name, bool v);
Value& addGroup(Value& group, const std::string& name);
// A table named `name` with a String "Class" child (none when empty).
std::unique_ptr<ValueTable> makeTable(const std::string& name, const std::string& className);

// A well-formed mesh: three vertices, one face, one material with
// `colorMap` (none when empty), and a table of class `className` (no table
// when className is "-").
Mesh& addMesh(SceneFile& scene, const std::string& name, const std::string& className = "-",
              const std::string& colorMap = "");
Instance& addInstance(SceneFile& scene, const std::string& name, Mesh& mesh, float scale = 1.0f);

// A texture entry with the given identifier and shape.
TextureEntry textureEntry(uint32_t id, uint32_t bitsPerPixel, uint32_t mipInfo = 0,
                          uint32_t offset = 0, uint32_t width = 8, uint32_t height = 8);
// The bytes of a PID file holding `entries` and `paletteCount` one-colour
// palettes.
std::vector<uint8_t> pidFileBytes(const std::vector<TextureEntry>& entries, int paletteCount = 0,
                                  uint32_t primaryLimit = 0x600000, uint32_t primaryUsed = 0);

std::vector<uint8_t> u32Bytes(uint32_t v);

}  // namespace quorvel::testing_support
