// Value files: the TScript values of an imported model, one top-level group
// per mesh, named after the mesh, in the value text syntax. A file is taken
// whole or not at all.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "level/scene.h"
#include "values/value.h"

namespace quorvel {

class MessageSink;
struct AppContext;

// Top-level values waiting to be bound, by name (byte order).
using PendingValues = std::map<std::string, std::unique_ptr<Value>>;

// The value file beside a model: "Crate.3ds" -> "Crate.values.txt".
std::string valueFilePath(const std::string& modelPath);

// Parses all of `text` (the file at `path`, named in messages). On success
// every top-level value goes into `target`, the first of a name winning; on
// a syntax error none does, and the error is reported with the three lines
// from the start of the line where parsing stopped.
void readValueFile(std::string_view text, const std::string& path, PendingValues& target, MessageSink& log);

// 3DS models: binds pending values to meshes of the import set without
// values; reports and destroys what is left.
void bindValuesToMeshes(PendingValues& pending, const std::map<std::string, Mesh*>& meshes, MessageSink& log);
// TPM models: binds pending values to the model's own meshes, in their
// order; every note sets `fileProblem`.
void bindValuesToMeshes(PendingValues& pending, std::span<const std::unique_ptr<Mesh>> meshes, MessageSink& log,
                        bool& fileProblem);

// Reads the value file of a 3DS model and binds it to the meshes of the
// import set (every mesh imported so far in this action).
void readValuesForModel(const std::string& modelPath, const std::map<std::string, Mesh*>& importedMeshes,
                        MessageSink& log);
// Reads the value text of a TPM model (its value file, or the values section
// of a sectioned file) and binds it to the model's meshes.
void readValuesForTpm(std::string_view text, const std::string& path, std::span<const std::unique_ptr<Mesh>> meshes,
                      MessageSink& log, bool& fileProblem);

}  // namespace quorvel
