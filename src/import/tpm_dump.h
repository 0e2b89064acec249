// What `quorvel dump MODEL.tpm` shows: the reader's messages and the scene
// it produced, as the canonical JSON ("grf-dump-1", without value indices)
// or as a readable summary.
#pragma once

#include <string>

namespace quorvel {

struct TpmDump {
  bool loaded = false;   // whether the file could be opened
  std::string messages;  // exactly as the message log wrote them
  std::string output;    // the JSON document or the summary
};

TpmDump dumpTpmModel(const std::string& path, bool json, bool geometry, bool verbose);

}  // namespace quorvel
