// Reading model files into an import set, each by the reader its extension
// names: GRF scene files, 3DS files and TPM files, and where the general
// model library is built in, glTF, OBJ, FBX and Collada files.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "import/import_set.h"
#include "report/message_sink.h"

namespace quorvel {

// One kind of model file.
struct ModelReader {
  const char* extension;  // compared without regard to case
  const char* pattern;    // the folder listing of directory mode
  // Reads the file into the set; a file that cannot be read contributes
  // nothing. Scene readers print their trace lines to `trace`.
  void (*read)(const std::string& path, ImportSet& set, MessageSink& log, std::FILE* trace);
};

// The readers in the order directory mode takes them: GRF, 3DS, TPM, then
// glTF (.gltf, .glb), OBJ, FBX and Collada (.dae).
std::span<const ModelReader> modelReaders();

// Reads one model file by the reader of its extension; an extension no
// reader names is read as TPM.
void importModelFile(const std::string& path, ImportSet& set, MessageSink& log, std::FILE* trace);

// Every model file of `folder` (ending in a separator), all GRF files first,
// then the 3DS files, then the TPM files, then the other kinds in the order
// of `modelReaders`, each kind in the order the folder lists them.
void importModelFolder(const std::string& folder, ImportSet& set, MessageSink& log, std::FILE* trace);

}  // namespace quorvel
