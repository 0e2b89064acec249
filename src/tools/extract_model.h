// Extract Model: one object of a level (its base instance and the objects
// that belong to it) written as a stand-alone GRF in the program folder.
#pragma once

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "level/level_files.h"
#include "level/scene.h"
#include "report/message_sink.h"

namespace quorvel {

// The instances gathered for one extraction, each at most once, in the
// order they were found.
struct InstanceCollection {
  std::vector<Instance*> order;
  std::unordered_set<const Instance*> members;

  // False when `instance` was already collected.
  bool add(Instance* instance);
  bool contains(const Instance* instance) const { return members.count(instance) != 0; }
};

// Adds to `collection` the instances of `level` that belong to `object`:
// those named by String values of its mesh's table (followed further, each
// once), its "$J" joints when the table has "NumJoints", and the "CMagnet"
// objects whose master or slave is `object`.
void collectSubObjects(InstanceCollection& collection, const SceneFile& level, Instance* object);

// Whether `name` + ".grf" can be created in the program folder and nowhere
// else: no folders, drives, device names or characters file systems refuse.
bool isUsableModelFileName(const std::string& name);

// Lists (in verbose mode) and writes the meshes and instances of
// `collection` as a scene file at `outputPath` ("Writing grf to: ..."), each instance placed relative to `base` (whose position is
// subtracted from every instance's, `base` included). The instances are
// changed in place; the scene they belong to is meant to be discarded. The
// trace lines of the writer go to `trace`. False when the file could not be
// written.
bool writeModelFile(InstanceCollection& collection, const Instance& base, const std::string& outputPath,
                    MessageSink& log, std::FILE* trace);

}  // namespace quorvel
