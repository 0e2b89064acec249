#include "import/import_set.h"

#include <algorithm>

namespace quorvel {

void ImportSet::addScene(SceneFile& scene) {
  std::map<const Mesh*, Mesh*> displaced;  // displaced mesh -> the one now under its name
  std::vector<std::unique_ptr<Mesh>> displacedMeshes;
  for (std::unique_ptr<Mesh>& mesh : scene.meshes) {
    if (log_.verbose) log_.logMessage("  Mesh: %s\n", mesh->name.c_str());
    std::unique_ptr<Mesh>& entry = meshes[mesh->name];
    if (entry) {
      displaced[entry.get()] = mesh.get();
      displacedMeshes.push_back(std::move(entry));
    }
    entry = std::move(mesh);
  }
  for (std::unique_ptr<Instance>& instance : scene.instances) {
    if (log_.verbose) log_.logMessage("  Instance: %s\n", instance->name.c_str());
    instances.push_back(std::move(instance));
  }
  scene.meshes.clear();
  scene.instances.clear();
  // An instance of a displaced mesh (of an earlier model, or of a mesh the
  // same file names twice) keeps a mesh of the name it asked for; no
  // instance may be left with a mesh the level will not hold.
  for (std::unique_ptr<Instance>& instance : instances) {
    for (auto found = displaced.find(instance->mesh); found != displaced.end(); found = displaced.find(instance->mesh))
      instance->mesh = found->second;
  }
}

void ImportSet::noteFile(const std::string& path) {
  if (path == currentFile_) return;
  log_.logMessage("File: \"%s\"\n", path.c_str());
  currentFile_ = path;
}

bool ImportSet::hasInstance(const std::string& name) const {
  return std::any_of(instances.begin(), instances.end(),
                     [&name](const std::unique_ptr<Instance>& instance) { return instance->name == name; });
}

void ImportSet::addMesh(std::unique_ptr<Mesh> mesh, const std::string& path) {
  noteFile(path);
  if (std::string renamed = names.lookupName(mesh->name); !renamed.empty()) mesh->name = renamed;
  if (meshes.count(mesh->name)) {
    log_.problem = true;
    log_.logMessage("      ERROR: mesh %s in file \"%s\" has already been imported from another file. (skipping)\n",
                    mesh->name.c_str(), path.c_str());
    return;
  }
  if (log_.verbose) log_.logMessage("  Mesh: %s\n", mesh->name.c_str());
  for (Material& material : mesh->materials) {
    for (std::string* texture : {&material.colorMap, &material.opacityMap, &material.bumpMap})
      if (std::string renamed = names.lookupNameIgnoreCase(*texture); !renamed.empty()) *texture = renamed;
  }
  std::string name = mesh->name;
  meshes.emplace(std::move(name), std::move(mesh));
}

Mesh* ImportSet::addInstance(std::unique_ptr<Instance> instance, const std::string& meshName,
                             const std::string& path) {
  noteFile(path);
  if (std::string renamed = names.lookupName(instance->name); !renamed.empty()) instance->name = renamed;
  std::string wanted = meshName;
  if (std::string renamed = names.lookupName(meshName); !renamed.empty()) wanted = renamed;
  auto found = meshes.find(wanted);
  if (found == meshes.end()) {
    log_.problem = true;
    log_.logMessage("      ERROR: missing mesh %s used by instance %s in file \"%s\". (skipping)\n", wanted.c_str(),
                    instance->name.c_str(), path.c_str());
    return nullptr;
  }
  if (hasInstance(instance->name)) {
    log_.problem = true;
    log_.logMessage(
        "      ERROR: instance %s in file \"%s\" has already been imported from another file. (skipping)\n",
        instance->name.c_str(), path.c_str());
    return nullptr;
  }
  instance->mesh = found->second.get();
  if (log_.verbose) log_.logMessage("  Instance: %s\n", instance->name.c_str());
  instances.push_back(std::move(instance));
  return found->second.get();
}

std::map<std::string, Mesh*> ImportSet::meshView() const {
  std::map<std::string, Mesh*> view;
  for (const auto& [name, mesh] : meshes) view.emplace(name, mesh.get());
  return view;
}

}  // namespace quorvel
