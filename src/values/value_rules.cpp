#include "values/value_rules.h"

#include <array>
#include <cstring>

#include "textures/texture_database.h"
#include "util/byte_io.h"
#include "util/text_format.h"
#include "values/scan_pattern.h"
#include "values/value_text.h"

namespace quorvel {

namespace {

constexpr std::array<KnownValueRule, 12> kRules = {{
    {"Anim%02d", "Anim%d", true, 0, kAnyNumberOfTimes, ReferenceKind::TextureRef},
    {"DetailShadow", "DetailShadow", false, 0, 1, ReferenceKind::MeshRef},
    {"File", "File", false, 1, 1, ReferenceKind::Text},
    {"Head", "Head", false, 1, 1, ReferenceKind::MeshRef},
    {"Tail", "Tail", false, 1, 1, ReferenceKind::MeshRef},
    {"Body", "Body", false, 1, 1, ReferenceKind::MeshRef},
    {"Mesh", "Mesh", false, 0, 1, ReferenceKind::MeshRef},
    {"Physics", "Physics", false, 0, 1, ReferenceKind::MeshRef},
    {"Foot", "Foot", false, 1, 1, ReferenceKind::MeshRef},
    {"Hand", "Hand", false, 1, 1, ReferenceKind::MeshRef},
    {"A%02d", "A%d", true, 13, 13, ReferenceKind::MeshRef},
    {"Detail%d", "Detail%d", true, 0, kAnyNumberOfTimes, ReferenceKind::MeshRef},
}};

// The rules each class applies, in the order they are checked.
constexpr std::array<const char*, 2> kInstanceRules = {"Anim%02d", "Detail%d"};
constexpr std::array<const char*, 1> kTerrainPlacementRules = {"File"};
constexpr std::array<const char*, 6> kAnimalRules = {"Body", "DetailShadow", "Head",
                                                     "Mesh", "Physics",      "Tail"};
constexpr std::array<const char*, 5> kPlayerRules = {"A%02d", "Anim%02d", "Body", "Foot", "Hand"};

// String values whose names begin with one of these never name instances.
constexpr std::array<std::string_view, 10> kNeverInstancePrefixes = {
    "Anim",      "Class",    "EmptyClipSample", "File",          "LevelName",
    "OverlayText", "RingSample", "Sample",      "SoundMaterial", "Type"};

// Value names whose text "Player" means the player, who is no instance.
constexpr std::array<std::string_view, 5> kPlayerTargetNames = {"Target", "ObjectName", "A00",
                                                                 "StayNearTarget", "Emitter"};

// "once" or "N times", as the limit lines say it.
std::string occurrences(int32_t count) { return count == 1 ? "once" : formatText("%d times", count); }

template <size_t N>
void applyRules(ValueCheckContext& context, const ValueTable& table, std::string_view className,
                const std::array<const char*, N>& ruleNames) {
  for (const char* name : ruleNames)
    if (const KnownValueRule* rule = findKnownValueRule(name))
      checkRule(context, table, className, *rule);
}

void checkUnknownValues(ValueCheckContext& context, const ValueTable& table) {
  if (context.knownValues.names.empty()) return;
  for (const auto& child : table.children) {
    if (child->isGroup()) continue;
    if (!context.knownValues.isKnown(child->name))
      context.report.line("WARNING: Unknown value '%s' found in \"%s\".\n", child->name.c_str(),
                          table.name.c_str());
  }
}

void checkTextureReference(ValueCheckContext& context, const ValueTable& table, const Value& value,
                           std::string_view className) {
  const std::string classText(className);
  if (!context.textures) {
    context.report.line(
        "NOTE: No PID, couldn't check if texture \"%s\" exists, used in %s \"%s\", value %s\n",
        value.text.c_str(), classText.c_str(), table.name.c_str(), value.name.c_str());
    return;
  }
  const std::string path = "Map\\" + context.levelName + "\\" + value.text;
  const uint32_t id = textureId(diffuseFactor(&table), path, "");
  auto found = context.textureIndex.usable.find(id);
  if (found == context.textureIndex.usable.end()) {
    context.report.line("ERROR: PID is missing texture \"%s\", used in %s \"%s\", value %s\n",
                        path.c_str(), classText.c_str(), table.name.c_str(), value.name.c_str());
  } else if (!found->second) {
    context.report.line(
        "ERROR: Animated texture \"%s\" does not have mipmaps, used in %s \"%s\", value %s\n",
        path.c_str(), classText.c_str(), table.name.c_str(), value.name.c_str());
  }
}

// Splits `text` at any of `separators` into the non-empty runs between them.
template <typename Visit>
void forEachName(std::string_view text, std::string_view separators, Visit visit) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (separators.find(text[pos]) != std::string_view::npos) {
      ++pos;
      continue;
    }
    size_t end = separators.empty() ? text.size() : text.find_first_of(separators, pos);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(pos, end - pos));
    pos = end;
  }
}

bool startsWithAny(std::string_view name, std::span<const std::string_view> prefixes) {
  for (std::string_view prefix : prefixes)
    if (name.starts_with(prefix)) return true;
  return false;
}

bool isOneOf(std::string_view name, std::span<const std::string_view> names) {
  for (std::string_view candidate : names)
    if (name == candidate) return true;
  return false;
}

void scanInstanceReferences(ValueCheckContext& context, const ValueTable& group,
                            std::string_view parentPath, int depth) {
  // Trees from files are bounded by their readers; this keeps one built some
  // other way from exhausting the stack.
  if (!group.isGroup() || depth > kMaxValueDepth) return;
  const std::string path =
      parentPath.empty() ? group.name : std::string(parentPath) + "." + group.name;

  for (const auto& childPointer : group.children) {
    const Value& child = *childPointer;
    if (child.isGroup()) {
      scanInstanceReferences(context, child, path, depth + 1);
      continue;
    }
    if (child.type != ValueType::String) continue;
    if (child.text == "Player" && isOneOf(child.name, kPlayerTargetNames)) continue;
    if (matchesIntPattern(child.name, "A%d")) {
      // Animation frames of particles and commands name meshes, not instances.
      const std::string groupClass = getClass(&group);
      if (groupClass.empty() || groupClass == "CParticles" || groupClass == "AI Command" ||
          isInt(&group, "ActionType", 1))
        continue;
    }
    if (startsWithAny(child.name, kNeverInstancePrefixes)) continue;

    std::string_view separators;
    if (child.name == "Element1") {
      if (isBool(&group, "SoundMaterial1", true)) continue;
      separators = "+";
    } else if (child.name == "Element2") {
      if (isBool(&group, "SoundMaterial2", true)) continue;
      separators = "+";
    } else if (child.name == "FireExpression") {
      separators = "@!&| ";
    } else if (child.name == "TriggerActivate") {
      separators = "+";
    }

    forEachName(child.text, separators, [&](std::string_view name) {
      if (context.names().hasInstance(name)) return;
      const std::string missing(name);
      context.report.line("WARNING: Missing instance \"%s\", used in \"%s\", value %s\n",
                          missing.c_str(), path.c_str(), child.name.c_str());
    });
  }
}

}  // namespace

std::span<const KnownValueRule> knownValueRules() { return kRules; }

const KnownValueRule* findKnownValueRule(std::string_view displayName) {
  for (const KnownValueRule& rule : kRules)
    if (displayName == rule.displayName) return &rule;
  return nullptr;
}

bool matchesRule(const KnownValueRule& rule, std::string_view valueName) {
  if (!rule.isPattern) return valueName == rule.displayName;
  return matchesIntPattern(valueName, rule.pattern);
}

void TextureAvailability::build(const TextureDatabase& database) {
  usable.clear();
  for (const TextureEntry& entry : database.entries) {
    const bool entryUsable =
        entry.bitsPerPixel == 16 || (entry.bitsPerPixel == 8 && entry.mipInfo != 0);
    auto [slot, inserted] = usable.try_emplace(entry.textureId, entryUsable);
    if (!inserted && entryUsable) slot->second = true;
  }
}

void ValueCheckContext::useTextureDatabase(const TextureDatabase* database) {
  textures = database;
  if (database)
    textureIndex.build(*database);
  else
    textureIndex.usable.clear();
}

const SceneNameIndex& ValueCheckContext::names() {
  if (!names_) names_.emplace(scene);
  return *names_;
}

float diffuseFactor(const ValueTable* table) {
  const Value* diffuse = findChild(table, "Diffuse");
  if (!diffuse) return 1.0f;
  return floatFromBits(diffuse->scalar);
}

void checkClassRules(ValueCheckContext& context, const ValueTable& table) {
  if (!table.isGroup()) return;
  if (const Value* classValue = findChild(&table, "Class")) {
    const std::string className =
        classValue->type == ValueType::String ? classValue->text : std::string();
    if (className == "CSky") {
      ++context.skyCount;
    } else if (className == "TerrainPlacement") {
      ++context.terrainPlacementCount;
      applyRules(context, table, className, kTerrainPlacementRules);
    } else if (className == "CInstance") {
      applyRules(context, table, className, kInstanceRules);
    } else if (className == "CAnimal") {
      applyRules(context, table, className, kAnimalRules);
    } else if (className == "Player") {
      ++context.playerCount;
      applyRules(context, table, className, kPlayerRules);
    } else if (className == "CTerrainObj") {
      if (!hasChild(&table, "Height", static_cast<uint32_t>(ValueType::Int)))
        context.report.line(
            "WARNING: CTerrainObj \"%s\" must contain a \"int Height\" value or it may not be "
            "rendered.\n",
            table.name.c_str());
    }
  }
  checkUnknownValues(context, table);
}

void checkRule(ValueCheckContext& context, const ValueTable& table, std::string_view className,
               const KnownValueRule& rule) {
  int32_t count = 0;
  for (const auto& child : table.children) {
    if (!matchesRule(rule, child->name)) continue;
    ++count;
    checkRuleValue(context, table, *child, className, rule);
  }

  // Each broken limit reports: a required value that is missing breaks both
  // "exactly" and "at least".
  const std::string classText(className);
  const char* name = rule.displayName;
  const char* tableName = table.name.c_str();
  if (rule.minCount == rule.maxCount && count != rule.minCount)
    context.report.line("ERROR: Value '%s' must occur at exactly %s in %s \"%s\".\n", name,
                        occurrences(rule.minCount).c_str(), classText.c_str(), tableName);
  if (count < rule.minCount)
    context.report.line("ERROR: Value '%s' must occur at least %s in %s \"%s\".\n", name,
                        occurrences(rule.minCount).c_str(), classText.c_str(), tableName);
  if (count > rule.maxCount)
    context.report.line("WARNING: Value '%s' can occur at most %s in %s \"%s\".\n", name,
                        occurrences(rule.maxCount).c_str(), classText.c_str(), tableName);
}

void checkRuleValue(ValueCheckContext& context, const ValueTable& table, const Value& value,
                    std::string_view className, const KnownValueRule& rule) {
  const std::string classText(className);
  if (value.type != ValueType::String) {
    context.report.line("ERROR: Unexpected type for value '%s' in %s \"%s\"\n", value.name.c_str(),
                        classText.c_str(), table.name.c_str());
    return;
  }
  switch (rule.kind) {
    case ReferenceKind::MeshRef:
      if (!context.names().hasMesh(value.text))
        context.report.line("ERROR: Missing mesh \"%s\", used in %s \"%s\", value %s\n",
                            value.text.c_str(), classText.c_str(), table.name.c_str(),
                            value.name.c_str());
      break;
    case ReferenceKind::Text:
      break;
    case ReferenceKind::TextureRef:
      checkTextureReference(context, table, value, className);
      break;
  }
}

void checkInstanceReferences(ValueCheckContext& context, const ValueTable& group,
                             std::string_view parentPath) {
  scanInstanceReferences(context, group, parentPath, 0);
}

}  // namespace quorvel
