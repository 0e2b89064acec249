// Runs a whole texture store update on damaged input: the first four bytes
// give the length of a PID, that many bytes are the PID, and what follows
// is a bitmap that is added twice (with and without mipmaps, the second
// time with itself as opacity and bump map). Whatever the update accepts
// must close into a store whose SPZ word is the SWP's whole-page size and
// whose PID reads again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "scratch_folder.h"
#include "split_input.h"
#include "textures/texture_database.h"
#include "util/byte_io.h"

namespace {

// The level's texture store and the bitmap, in a folder of their own.
struct FuzzStore {
  quorvel::fuzzing::ScratchFolder folder{"texture_update"};
  std::string pid = folder.file("lev-130.pid"), swp = folder.file("lev-130.swp"),
              spz = folder.file("lev-130.spz"), bmp = folder.file("t.bmp");
};
using quorvel::fuzzing::ScratchFolder;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzStore store;
  const auto [pid, bitmap] = quorvel::fuzzing::splitInput(data, size);
  ScratchFolder::write(store.pid, pid);
  ScratchFolder::write(store.bmp, bitmap);
  ScratchFolder::write(store.swp, std::vector<uint8_t>(1000, 0x11));
  ScratchFolder::write(store.spz, std::vector<uint8_t>{0, 0, 0, 0, 'S'});

  quorvel::TextureDatabase db;
  if (!db.BeginPidUpdate(store.pid, store.swp)) return 0;
  bool outOfSpace = false;
  db.outOfSpace = [&outOfSpace](const std::string&) { outOfSpace = true; };
  db.addTexture(store.bmp, 1, "", "", true, false);
  if (!outOfSpace) db.addTexture(store.bmp, 2, store.bmp, store.bmp, false, true);
  if (!db.EndPidUpdate(store.spz)) return 0;

  const std::optional<uint64_t> swpSize = quorvel::fileSize(store.swp);
  const std::vector<uint8_t> spz = *quorvel::readWholeFile(store.spz);
  if (!swpSize || *swpSize % 131072 != 0 || spz.size() != 5 || quorvel::decodeU32(spz.data()) != *swpSize)
    std::abort();
  quorvel::TextureDatabase again;
  if (!again.read(store.pid)) std::abort();
  return 0;
}
