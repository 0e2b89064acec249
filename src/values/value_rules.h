// The rules the game's TScript values must follow, and the checks the
// level verification runs on every value table: the class rules, unknown
// value names, and references to meshes, textures and instances.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "report/report_writer.h"
#include "level/scene.h"
#include "level/scene_names.h"
#include "values/known_values.h"
#include "values/value.h"

namespace quorvel {

class TextureDatabase;

// What the text of a rule's value points at.
enum class ReferenceKind : uint32_t {
  MeshRef = 1,     // the name of a mesh of the scene
  Text = 4,        // plain text, not resolved
  TextureRef = 8,  // a texture of the level's store
};

// A value occurring any number of times has this as its maximum.
inline constexpr int32_t kAnyNumberOfTimes = 9999999;

// One row of the rules table. A value matches when its name equals
// `displayName`, or, for a pattern rule, when reading the name with
// `pattern` yields its one number.
struct KnownValueRule {
  const char* displayName;
  const char* pattern;
  bool isPattern;
  int32_t minCount;
  int32_t maxCount;
  ReferenceKind kind;
};

// The built-in rules, in their stored order.
std::span<const KnownValueRule> knownValueRules();
// The rule of that display name, or null.
const KnownValueRule* findKnownValueRule(std::string_view displayName);
// Whether the value's name matches the rule.
bool matchesRule(const KnownValueRule& rule, std::string_view valueName);

// The texture-store lookup the texture references need: for every texture
// identifier, whether one of its entries is usable in the game.
struct TextureAvailability {
  // identifier -> true when some entry is 16-bit or an 8-bit mipmap level
  std::unordered_map<uint32_t, bool> usable;
  void build(const TextureDatabase& database);
};

// The state one verification run hands to the checks.
struct ValueCheckContext {
  ValueCheckContext(ReportWriter& writer, const SceneFile& checkedScene,
                    const KnownValues& known, std::string level)
      : report(writer), scene(checkedScene), knownValues(known), levelName(std::move(level)) {}

  ReportWriter& report;
  const SceneFile& scene;
  const KnownValues& knownValues;
  std::string levelName;
  // The level's texture store, or null when its PID could not be read.
  const TextureDatabase* textures = nullptr;
  TextureAvailability textureIndex;

  int32_t skyCount = 0;
  int32_t terrainPlacementCount = 0;
  int32_t playerCount = 0;

  // Makes `database` (or none) the store the texture references are looked
  // up in.
  void useTextureDatabase(const TextureDatabase* database);
  // The scene's instance and mesh names, built at the first lookup of the
  // run: a level's values name thousands of instances.
  const SceneNameIndex& names();

 private:
  std::optional<SceneNameIndex> names_;
};

// The diffuse factor of a table: the 4-byte payload of its first "Diffuse"
// child read as a float whatever the child's type, or 1.0 without one.
float diffuseFactor(const ValueTable* table);

// Counts the table's class, applies its class's rules, the CTerrainObj
// height check and the unknown-value check.
void checkClassRules(ValueCheckContext& context, const ValueTable& table);
// Counts and checks the table's values that match `rule`, then checks the
// count against the rule's limits (each limit that is broken reports).
void checkRule(ValueCheckContext& context, const ValueTable& table, std::string_view className,
               const KnownValueRule& rule);
// Type, mesh and texture check of one value matching `rule`.
void checkRuleValue(ValueCheckContext& context, const ValueTable& table, const Value& value,
                    std::string_view className, const KnownValueRule& rule);
// Warns about every instance name in the table's string values (nested
// groups included) that the scene does not have.
void checkInstanceReferences(ValueCheckContext& context, const ValueTable& group,
                             std::string_view parentPath = {});

}  // namespace quorvel
