#include "import/import_merge.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace quorvel {

namespace {

constexpr const char* kImportScale = "ext_ImportScale";

const char* valuesTag(const Mesh& mesh) { return mesh.values ? ", hasValues" : ""; }

// A mesh built by a converter is written as vertex records unless its
// values ask for face lists.
void chooseLayout(Mesh& mesh, MessageSink& log) {
  if (!mesh.rawGeometry.empty()) return;  // read from a scene file: keeps its layout
  mesh.layout = MeshLayout::VertexRecords;
  const Value* type = findChild(mesh.values.get(), "ext_GeometryType");
  if (!type || type->type != ValueType::Int) return;
  if (type->intValue() == 1) {
    mesh.layout = MeshLayout::FaceLists;
  } else if (type->intValue() != 2) {
    log.problem = true;
    log.logMessage("  NOTE: Invalid ext_GeometryType value \"%d\" in mesh %s (must be 1 or 2).\n", type->intValue(),
                   mesh.name.c_str());
  }
}

float positiveScale(float scale) {
  scale = std::fabs(scale);
  return scale < 1e-8f ? 1.0f : scale;
}

}  // namespace

void mergeMeshes(ImportSet& set, SceneFile& level, const ImportOptions& options, const KnownValues& knownValues,
                 MessageSink& log, MergeOutcome& outcome) {
  log.logMessage("\nImporting meshes...\n");
  int added = 0, replaced = 0, skipped = 0;
  for (auto& [name, owned] : set.meshes) {
    Mesh* mesh = owned.get();
    if (mesh->values) knownValues.normalizeValueNames(*mesh->values);
    chooseLayout(*mesh, log);
    auto existing = std::find_if(level.meshes.begin(), level.meshes.end(),
                                 [mesh](const std::unique_ptr<Mesh>& m) { return m->name == mesh->name; });
    if (existing == level.meshes.end()) {
      level.meshes.push_back(std::move(owned));
      ++added;
      outcome.changed = true;
      outcome.mergedMeshes[name] = mesh;
      if (log.verbose)
        log.logMessage("  Added mesh: %s, type%d%s\n", mesh->name.c_str(), static_cast<int>(mesh->layout),
                       valuesTag(*mesh));
    } else if (options.ReplaceMeshes) {
      Mesh* old = existing->get();
      for (const std::unique_ptr<Instance>& instance : level.instances)
        if (instance->mesh == old) instance->mesh = mesh;
      if (hasChild(old->values.get(), kImportScale) && !hasChild(mesh->values.get(), kImportScale) &&
          options.UseExtImportScale)
        setFloat(ensureValueTable(mesh), kImportScale, getFloat(old->values.get(), kImportScale, 1.0f));
      *existing = std::move(owned);  // destroys the old mesh
      ++replaced;
      outcome.changed = true;
      outcome.mergedMeshes[name] = mesh;
      if (log.verbose)
        log.logMessage("  Replaced mesh: %s, type%d%s\n", mesh->name.c_str(), static_cast<int>(mesh->layout),
                       valuesTag(*mesh));
    } else {
      Mesh* kept = existing->get();
      for (const std::unique_ptr<Instance>& instance : set.instances)
        if (instance->mesh == mesh) instance->mesh = kept;
      ++skipped;
      if (log.verbose) log.logMessage("  Did not replace existing mesh: %s\n", mesh->name.c_str());
      outcome.discarded.push_back(std::move(owned));
    }
  }
  set.meshes.clear();
  log.logMessage("Added %d new meshes, replaced %d meshes, skipped %d existing meshes.\n", added, replaced, skipped);
}

void mergeInstances(ImportSet& set, SceneFile& level, const ImportOptions& options, MessageSink& log,
                    MergeOutcome& outcome) {
  log.logMessage("\nImporting instances...\n");
  int added = 0, replaced = 0, skipped = 0;
  for (std::unique_ptr<Instance>& owned : set.instances) {
    Instance& instance = *owned;
    auto existing = std::find_if(level.instances.begin(), level.instances.end(),
                                 [&instance](const std::unique_ptr<Instance>& i) { return i->name == instance.name; });
    if (existing != level.instances.end() && !options.ReplaceInstances) {
      ++skipped;
      if (log.verbose) log.logMessage("  Did not replace existing instance: %s\n", instance.name.c_str());
      owned.reset();
      continue;
    }
    Mesh* mesh = instance.mesh;
    const Value* values = mesh ? mesh->values.get() : nullptr;
    const bool hadImportScale = hasChild(values, kImportScale);
    const float s = positiveScale(isFloat(values, kImportScale) ? getFloat(values, kImportScale, options.Scale)
                                                                : options.Scale);
    if (options.AddExtImportScale && mesh) setFloat(ensureValueTable(mesh), kImportScale, s);
    instance.position = {s * instance.position.x + options.XOffset, s * instance.position.y + options.YOffset,
                         s * instance.position.z + options.ZOffset};
    instance.scale = positiveScale(s * instance.scale);
    const std::string name = instance.name;
    if (existing == level.instances.end()) {
      level.instances.push_back(std::move(owned));
      ++added;
      if (log.verbose) log.logMessage("  Added instance: %s", name.c_str());
    } else {
      *existing = std::move(owned);
      ++replaced;
      if (log.verbose) log.logMessage("  Replaced instance: %s", name.c_str());
    }
    outcome.changed = true;
    if (log.verbose && hadImportScale) log.logMessage("  (ImportScale=%g)", static_cast<double>(s));
    if (log.verbose) log.logMessage("\n");
  }
  set.instances.clear();
  log.logMessage("Added %d new instances, replaced %d instances, skipped %d existing instances.\n", added, replaced,
                 skipped);
}

std::vector<Mesh*> unusedMeshes(const SceneFile& level) {
  std::unordered_set<const Mesh*> used;
  for (const std::unique_ptr<Instance>& instance : level.instances) used.insert(instance->mesh);
  std::vector<Mesh*> unused;
  for (const std::unique_ptr<Mesh>& mesh : level.meshes)
    if (!used.count(mesh.get())) unused.push_back(mesh.get());
  return unused;
}

void addInstancesForMeshes(const std::vector<Mesh*>& meshes, SceneFile& level, MessageSink& log) {
  for (Mesh* mesh : meshes) {
    auto instance = std::make_unique<Instance>();
    instance->name = mesh->name;
    instance->mesh = mesh;
    instance->scale = mesh->unitScale;
    if (log.verbose)
      log.logMessage("  Created instance %s for unused mesh %s\n", instance->name.c_str(), mesh->name.c_str());
    level.instances.push_back(std::move(instance));
  }
}

}  // namespace quorvel
