// What `quorvel dump` prints for a texture index (PID): a readable listing
// and the canonical "pid-dump-1" JSON document.
#pragma once

#include <string>

#include "textures/texture_database.h"

namespace quorvel {

// The "pid-dump-1" document, one line with its line feed. `loaded` is the
// result of reading; when false the numbers are 0 and the lists empty.
std::string pidDumpJson(const TextureDatabase& db, bool loaded);

// A listing for people: the header, the palettes and every entry, the
// packer marker marked as such.
std::string pidDumpText(const TextureDatabase& db, const std::string& path);

}  // namespace quorvel
