#include "import/model_files.h"

#include <memory>

#include "import/interchange_conversion.h"
#include "import/three_ds_conversion.h"
#include "import/tpm_reader.h"
#include "level/scene.h"
#include "platform/file_system.h"
#include "util/path_text.h"
#include "values/value_file.h"

namespace quorvel {

namespace {

void readSceneModel(const std::string& path, ImportSet& set, MessageSink& log, std::FILE* trace) {
  SceneFile model;
  model.trace = trace;
  const bool loaded = model.load(path);
  log.logMessage("File: \"%s\"\n", path.c_str());
  if (!loaded) {
    // What a damaged file left behind is not a model to merge.
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" could not be read as a scene file. (skipping)\n", path.c_str());
    return;
  }
  set.addScene(model);
}

// A converted model (3DS, or the formats of the general model library): the
// names file before the conversion, the value file after it.
template <auto convert>
void readConvertedModel(const std::string& path, ImportSet& set, MessageSink& log, std::FILE*) {
  set.names.read(path, log);
  convert([&set](std::unique_ptr<Mesh> mesh, const std::string& from) { set.addMesh(std::move(mesh), from); },
                 [&set](std::unique_ptr<Instance> instance, const std::string& meshName, const std::string& from) {
                   return set.addInstance(std::move(instance), meshName, from);
                 },
                 path, log);
  readValuesForModel(path, set.meshView(), log);
  set.names.clear();
}

void readTpmModel(const std::string& path, ImportSet& set, MessageSink& log, std::FILE*) {
  std::unique_ptr<SceneFile> model = readTpmFile(path, log);
  if (model) set.addScene(*model);
}

constexpr ModelReader kReaders[] = {
    {".grf", "*.grf", readSceneModel},
    {".3ds", "*.3ds", readConvertedModel<convert3dsFile>},
    {".tpm", "*.tpm", readTpmModel},
#ifdef QUORVEL_HAVE_ASSIMP
    {".gltf", "*.gltf", readConvertedModel<convertInterchangeFile>},
    {".glb", "*.glb", readConvertedModel<convertInterchangeFile>},
    {".obj", "*.obj", readConvertedModel<convertInterchangeFile>},
    {".fbx", "*.fbx", readConvertedModel<convertInterchangeFile>},
    {".dae", "*.dae", readConvertedModel<convertInterchangeFile>},
#endif
};

}  // namespace

std::span<const ModelReader> modelReaders() { return kReaders; }

void importModelFile(const std::string& path, ImportSet& set, MessageSink& log, std::FILE* trace) {
  for (const ModelReader& reader : kReaders) {
    if (hasExtension(path, reader.extension)) {
      reader.read(path, set, log, trace);
      return;
    }
  }
  readTpmModel(path, set, log, trace);  // any other extension is a TPM file
}

void importModelFolder(const std::string& folder, ImportSet& set, MessageSink& log, std::FILE* trace) {
  for (const ModelReader& reader : kReaders)
    for (const std::string& name : listFiles(folder, reader.pattern)) reader.read(folder + name, set, log, trace);
}

}  // namespace quorvel
