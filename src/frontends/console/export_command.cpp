// `quorvel export --level L.scn --out FILE.glb` and `quorvel export MODEL
// --out FILE.glb`: a level or a model file as a glTF binary, to look at in
// an ordinary 3D viewer. Only where the model library is found.
#if QUORVEL_HAVE_ASSIMP

#include <cstdio>
#include <deque>
#include <memory>
#include <set>
#include <string>

#include "commands.h"
#include "import/import_set.h"
#include "import/model_files.h"
#include "level/level_location.h"
#include "level/scene.h"
#include "platform/installation.h"
#include "textures/texture_database.h"
#include "tools/gltf_export.h"
#include "tools/stored_texture.h"
#include "util/path_text.h"

namespace quorvel {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

struct ExportOptions {
  std::string model;
  std::string level;
  std::string out;
  std::string textures;
};

// The readers' messages go to standard error; standard output keeps the
// result line.
class StderrSink : public MessageSink {
 protected:
  void writeMessage(const char* text) override { std::fputs(text, stderr); }
};

int writeExport(GltfExportInput& input, const ExportOptions& options, const std::string& sourcePath) {
  input.textureFolder = options.textures.empty() ? folderPart(sourcePath) : options.textures;
  if (!input.textureFolder.empty() && !endsWithSeparator(input.textureFolder)) input.textureFolder += '/';
  const GltfExportResult result = exportGltf(input, options.out);
  if (!result.ok) {
    std::fprintf(stderr, "Cannot export '%s': %s.\n", sourcePath.c_str(), result.message.c_str());
    return kFailed;
  }
  for (const std::string& file : result.missingTextures)
    std::fprintf(stderr, "NOTE: texture \"%s\" not found in \"%s\"; exported without it.\n", file.c_str(),
                 input.textureFolder.c_str());
  std::printf("%s\n", result.message.c_str());
  return 0;
}

int exportLevel(const ExportOptions& options) {
  const LevelFiles files = levelFilesFor(options.level, readInstallationValues());
  SceneFile scene;
  scene.trace = nullptr;
  if (!scene.load(files.grfPath)) {
    std::fprintf(stderr, "Cannot load '%s' as a scene file.\n", files.grfPath.c_str());
    return kFailed;
  }
  GltfExportInput input;
  for (const auto& instance : scene.instances) input.instances.push_back(instance.get());
  // Textures without a BMP come from the level's own store.
  TextureDatabase store;
  if (!files.swpPath.empty() && store.read(files.pidPath))
    input.storedTexture = [&store, &files](uint32_t id) { return readStoredTexture(store, files.swpPath, id); };
  return writeExport(input, options, files.grfPath);
}

int exportModel(const ExportOptions& options) {
  StderrSink log;
  log.verbose = false;
  ImportSet set(log);
  importModelFile(options.model, set, log, nullptr);
  if (set.meshes.empty()) {
    std::fprintf(stderr, "Cannot export '%s': no meshes could be read from it.\n", options.model.c_str());
    return kFailed;
  }
  GltfExportInput input;
  std::set<const Mesh*> placed;
  for (const auto& instance : set.instances) {
    input.instances.push_back(instance.get());
    placed.insert(instance->mesh);
  }
  for (const auto& [name, mesh] : set.meshes)
    if (!placed.count(mesh.get())) input.unplacedMeshes.push_back(mesh.get());
  return writeExport(input, options, options.model);
}

int runExport(const ExportOptions& options) {
  if (options.model.empty() == options.level.empty()) {
    std::fputs("export: give either a model file or --level, not both.\n", stderr);
    return kUsageError;
  }
  return options.level.empty() ? exportModel(options) : exportLevel(options);
}

}  // namespace

void registerExportCommand(CLI::App& cli, CommandTable& table) {
  static std::deque<ExportOptions> exports;
  ExportOptions& options = exports.emplace_back();
  CLI::App* command = cli.add_subcommand("export", "Write a level or a model file as glTF binary (.glb)");
  command->add_option("MODEL", options.model, "A .grf or .tpm model file (or any file the import reads)");
  command->add_option("--level", options.level, "The level's SCN: every instance of the level");
  command->add_option("--out", options.out, "The .glb file to write")->required();
  command->add_option("--textures", options.textures,
                      "The folder of the BMP textures (default: the folder of the model or the level's GRF)");
  table.add(command, [&options] { return runExport(options); });
}

}  // namespace quorvel

#endif  // QUORVEL_HAVE_ASSIMP
