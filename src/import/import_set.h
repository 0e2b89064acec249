// The import set: the meshes and instances read from the model files of one
// import, owned here until they are merged into the level or destroyed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "level/scene.h"
#include "report/message_sink.h"
#include "values/names_file.h"

namespace quorvel {

class ImportSet {
 public:
  explicit ImportSet(MessageSink& log) : log_(log) {}
  ImportSet(const ImportSet&) = delete;
  ImportSet& operator=(const ImportSet&) = delete;

  // Meshes by name (byte order) and instances in the order read; every
  // instance refers to a mesh of `meshes`.
  std::map<std::string, std::unique_ptr<Mesh>> meshes;
  std::vector<std::unique_ptr<Instance>> instances;
  // The names file of the 3DS model being converted; empty otherwise.
  NamesFile names;

  // Moves every mesh and instance of a loaded GRF or TPM model into the set
  // and leaves the scene empty. A mesh whose name is already in the set
  // takes that entry over; the instances that used the mesh it displaces
  // then use the new one, so every instance keeps a mesh of its name.
  void addScene(SceneFile& scene);

  // The two callbacks of the 3DS conversion. A mesh whose name (after the
  // names file) was already imported is reported and destroyed. An instance
  // whose mesh is missing, or whose name was already imported, is reported
  // and destroyed (none is returned); otherwise it joins the set and its
  // mesh is returned.
  void addMesh(std::unique_ptr<Mesh> mesh, const std::string& path);
  Mesh* addInstance(std::unique_ptr<Instance> instance, const std::string& meshName, const std::string& path);

  // The set's meshes by name, for the value files of 3DS models.
  std::map<std::string, Mesh*> meshView() const;

 private:
  // Writes the "File:" line when `path` is not the file last reported.
  void noteFile(const std::string& path);
  bool hasInstance(const std::string& name) const;

  MessageSink& log_;
  std::string currentFile_;
};

}  // namespace quorvel
