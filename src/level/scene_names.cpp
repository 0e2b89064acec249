#include "level/scene_names.h"

#include <cstring>
#include <functional>

namespace quorvel {

namespace {

size_t wordsFor(size_t bytes) { return (bytes + 3) / 4; }
uint32_t tagOf(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }

}  // namespace

void NameSet::reserve(size_t count, size_t bytes) {
  words_.reserve(count + wordsFor(bytes) + count);
  while (4 * count > 3 * slots_.size()) grow();
}

bool NameSet::holds(const Slot& slot, std::string_view name) const {
  const uint32_t* word = &words_[slot.place - 1];
  return *word == name.size() && std::memcmp(word + 1, name.data(), name.size()) == 0;
}

size_t NameSet::find(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint32_t tag = tagOf(hash);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.place == 0 || (slot.tag == tag && holds(slot, name))) return i;
  }
}

void NameSet::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.place == 0) continue;
    const uint32_t* word = &words_[slot.place - 1];
    const uint64_t hash =
        std::hash<std::string_view>{}({reinterpret_cast<const char*>(word + 1), *word});
    size_t i = hash & mask;
    while (slots_[i].place != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void NameSet::insert(std::string_view name) {
  if (4 * (used_ + 1) > 3 * slots_.size()) grow();
  const uint64_t hash = std::hash<std::string_view>{}(name);
  Slot& slot = slots_[find(name, hash)];
  if (slot.place != 0) return;
  slot = Slot{tagOf(hash), static_cast<uint32_t>(words_.size() + 1)};
  words_.push_back(static_cast<uint32_t>(name.size()));
  const size_t start = words_.size();
  words_.resize(start + wordsFor(name.size()), 0);
  if (!name.empty()) std::memcpy(&words_[start], name.data(), name.size());
  ++used_;
}

bool NameSet::contains(std::string_view name) const {
  if (slots_.empty()) return false;
  return slots_[find(name, std::hash<std::string_view>{}(name))].place != 0;
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
