// TPM model files, the text models the level editor exports, in both
// generations: the block format ("formatversion" "1.0.2") and the older
// sectioned format with "[name]" headers. The reader turns one file into a
// scene of its own; every problem is reported with its line number and
// reading goes on, so any file that opens yields a scene.
#pragma once

#include <memory>
#include <string>

#include "level/scene.h"

namespace quorvel {

class MessageSink;

// Reads the TPM file at `path` and, for the block format, the value file
// beside it. Nothing (and no message) when the file cannot be opened.
std::unique_ptr<SceneFile> readTpmFile(const std::string& path, MessageSink& log);
// The same on the text of a TPM file; `path` names it in messages and
// locates its value file.
std::unique_ptr<SceneFile> readTpmText(std::string text, const std::string& path, MessageSink& log);

}  // namespace quorvel
