// Feeds arbitrary bytes to the texture index reader; whatever it accepts
// must write back to bytes that read again to the same store.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "textures/pid_dump.h"
#include "textures/texture_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::TextureDatabase db;
  if (!db.parse(std::span<const uint8_t>(data, size))) return 0;
  (void)quorvel::pidDumpJson(db, true);
  (void)quorvel::pidDumpText(db, "fuzz.pid");
  const std::vector<uint8_t> written = db.serialize();
  quorvel::TextureDatabase again;
  if (!again.parse(written) || again.serialize() != written) std::abort();
  db.renumberPalettes();
  return 0;
}
