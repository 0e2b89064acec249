#include "verify/mesh_tally.h"

namespace quorvel {

namespace {

// Fibonacci hashing of the address; its low bits are alignment.
size_t slotHash(const Mesh* mesh) {
  return static_cast<size_t>((reinterpret_cast<uintptr_t>(mesh) >> 4) * 0x9E3779B97F4A7C15ull >> 16);
}

}  // namespace

MeshTally::MeshTally(const std::vector<std::unique_ptr<Mesh>>& meshes) {
  size_t size = 16;
  while (size < 2 * meshes.size() + 2) size *= 2;
  slots_.assign(size, Entry{});
  for (const auto& mesh : meshes) ++at(mesh.get()).copies;
}

size_t MeshTally::find(const Mesh* mesh) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = slotHash(mesh) & mask;; i = (i + 1) & mask)
    if (slots_[i].mesh == mesh || slots_[i].mesh == nullptr) return i;
}

void MeshTally::grow() {
  std::vector<Entry> old = std::move(slots_);
  slots_.assign(old.size() * 2, Entry{});
  for (const Entry& entry : old)
    if (entry.mesh) slots_[find(entry.mesh)] = entry;
}

MeshTally::Entry& MeshTally::at(const Mesh* mesh) {
  size_t slot = find(mesh);
  if (slots_[slot].mesh == nullptr) {
    if (2 * (used_ + 1) > slots_.size()) {
      grow();
      slot = find(mesh);
    }
    slots_[slot].mesh = mesh;
    ++used_;
  }
  return slots_[slot];
}

bool MeshTally::used(const Mesh* mesh) const {
  const Entry& entry = slots_[find(mesh)];
  return entry.mesh == mesh && entry.used;
}

}  // namespace quorvel
