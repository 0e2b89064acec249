// Merging an import set into the level scene under the import options: the
// meshes first, then the instances, then instances for unused meshes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "import/import_options.h"
#include "import/import_set.h"
#include "level/scene.h"
#include "report/message_sink.h"
#include "values/known_values.h"

namespace quorvel {

// What a merge did to the level scene.
struct MergeOutcome {
  bool changed = false;  // the level gained or replaced a mesh or an instance
  // The imported meshes now in the level, by name: the texture phase walks
  // them.
  std::map<std::string, Mesh*> mergedMeshes;
  // Imported meshes not merged because the level had one of their name; the
  // instances that used them use the level's mesh instead.
  std::vector<std::unique_ptr<Mesh>> discarded;
};

// Moves the meshes of `set` into `level` ("Importing meshes..."): value
// names corrected, the layout chosen, added, replacing or skipped by
// ReplaceMeshes. `set.meshes` is left empty.
void mergeMeshes(ImportSet& set, SceneFile& level, const ImportOptions& options, const KnownValues& knownValues,
                 MessageSink& log, MergeOutcome& outcome);

// Moves the instances of `set` into `level` ("Importing instances..."),
// scaled and offset by the import scale, added, replacing or skipped by
// ReplaceInstances. `set.instances` is left empty.
void mergeInstances(ImportSet& set, SceneFile& level, const ImportOptions& options, MessageSink& log,
                    MergeOutcome& outcome);

// The meshes of `level` that no instance of it uses, in the level's order.
std::vector<Mesh*> unusedMeshes(const SceneFile& level);

// One instance at the origin for each mesh, named like it and scaled by its
// unitScale.
void addInstancesForMeshes(const std::vector<Mesh*>& meshes, SceneFile& level, MessageSink& log);

}  // namespace quorvel
