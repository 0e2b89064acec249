#include "level/scene_names.h"

#include <functional>

namespace quorvel {

void NameSet::reserve(size_t count, size_t bytes) {
  bytes_.reserve(bytes);
  while (slots_.size() < 2 * count) grow();
}

size_t NameSet::find(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.offset == kEmpty) return i;
    if (slot.hash == hash && slot.length == name.size() && bytes_.compare(slot.offset, slot.length, name) == 0)
      return i;
  }
}

void NameSet::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.offset == kEmpty) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].offset != kEmpty) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void NameSet::insert(std::string_view name) {
  if (2 * (used_ + 1) > slots_.size()) grow();
  const uint64_t hash = std::hash<std::string_view>{}(name);
  Slot& slot = slots_[find(name, hash)];
  if (slot.offset != kEmpty) return;
  slot = Slot{hash, bytes_.size(), name.size()};
  bytes_.append(name);
  ++used_;
}

bool NameSet::contains(std::string_view name) const {
  if (slots_.empty()) return false;
  return slots_[find(name, std::hash<std::string_view>{}(name))].offset != kEmpty;
}

SceneNameIndex::SceneNameIndex(const SceneFile& scene) {
  size_t bytes = 0;
  for (const auto& instance : scene.instances) bytes += instance->name.size();
  instances_.reserve(scene.instances.size(), bytes);
  for (const auto& instance : scene.instances) instances_.insert(instance->name);
  bytes = 0;
  for (const auto& mesh : scene.meshes) bytes += mesh->name.size();
  meshes_.reserve(scene.meshes.size(), bytes);
  for (const auto& mesh : scene.meshes) meshes_.insert(mesh->name);
}

}  // namespace quorvel
