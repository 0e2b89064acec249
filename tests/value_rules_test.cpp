#include "values/value_rules.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/verify_fixtures.h"
#include "textures/texture_database.h"

namespace quorvel {
namespace {

using namespace testing_support;

// A scene, a known-values list and a context that captures what it reports.
struct RuleCheck {
  RuleCheck() : writer(app.context.log), context(writer, scene, known, "lev") {}

  std::string classRules(const ValueTable& table) {
    checkClassRules(context, table);
    return app.text();
  }
  std::string references(const ValueTable& table) {
    checkInstanceReferences(context, table);
    return app.text();
  }

  CapturingApp app;
  SceneFile scene;
  KnownValues known;
  ReportWriter writer;
  ValueCheckContext context;
};

TEST(KnownValueRules, TableHoldsTheTwelveRulesInStoredOrder) {
  const auto rules = knownValueRules();
  ASSERT_EQ(rules.size(), 12u);
  EXPECT_STREQ(rules.front().displayName, "Anim%02d");
  EXPECT_STREQ(rules.front().pattern, "Anim%d");
  EXPECT_STREQ(rules[10].displayName, "A%02d");
  EXPECT_EQ(rules[10].minCount, 13);
  EXPECT_EQ(rules[10].maxCount, 13);
  EXPECT_STREQ(rules.back().displayName, "Detail%d");
  EXPECT_EQ(rules.back().maxCount, 9999999);
  EXPECT_EQ(findKnownValueRule("File")->kind, ReferenceKind::Text);
}

TEST(KnownValueRules, DetailPatternTakesSignedNumbersButNotDetailShadow) {
  const KnownValueRule& detail = *findKnownValueRule("Detail%d");
  EXPECT_TRUE(matchesRule(detail, "Detail3"));
  EXPECT_TRUE(matchesRule(detail, "Detail-3"));
  EXPECT_TRUE(matchesRule(detail, "Detail12x"));
  EXPECT_FALSE(matchesRule(detail, "DetailShadow"));
  EXPECT_FALSE(matchesRule(detail, "detail3"));
}

TEST(KnownValueRules, APatternSkipsAnimNames) {
  const KnownValueRule& frames = *findKnownValueRule("A%02d");
  EXPECT_TRUE(matchesRule(frames, "A00"));
  EXPECT_TRUE(matchesRule(frames, "A7"));
  EXPECT_TRUE(matchesRule(frames, "A 7"));
  EXPECT_FALSE(matchesRule(frames, "Anim03"));
  EXPECT_FALSE(matchesRule(frames, "A"));
  const KnownValueRule& body = *findKnownValueRule("Body");
  EXPECT_TRUE(matchesRule(body, "Body"));
  EXPECT_FALSE(matchesRule(body, "Body2"));
}

TEST(ClassRules, PlayerWithTwelveFramesMissesTheExactCount) {
  RuleCheck check;
  addMesh(check.scene, "frame");
  addMesh(check.scene, "hero_body");
  auto table = makeTable("Hero", "Player");
  for (int i = 0; i < 12; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%02d", i);
    addString(*table, name, "frame");
  }
  addString(*table, "Body", "hero_body");
  addString(*table, "Foot", "frame");
  addString(*table, "Hand", "frame");
  EXPECT_EQ(check.classRules(*table),
            "ERROR: Value 'A%02d' must occur at exactly 13 times in Player \"Hero\".\n"
            "ERROR: Value 'A%02d' must occur at least 13 times in Player \"Hero\".\n");
  EXPECT_EQ(check.context.playerCount, 1);
  EXPECT_EQ(check.writer.counts().errors, 2);
}

TEST(ClassRules, AnimalWithoutBodyGetsBothRequiredLinesAndNothingForOptionalValues) {
  RuleCheck check;
  addMesh(check.scene, "head");
  addMesh(check.scene, "tail");
  auto table = makeTable("Wolf", "CAnimal");
  addString(*table, "Head", "head");
  addString(*table, "Tail", "tail");
  EXPECT_EQ(check.classRules(*table),
            "ERROR: Value 'Body' must occur at exactly once in CAnimal \"Wolf\".\n"
            "ERROR: Value 'Body' must occur at least once in CAnimal \"Wolf\".\n");
}

TEST(ClassRules, TwoDetailShadowsWarnAndEachIsStillResolved) {
  RuleCheck check;
  for (const char* name : {"head", "tail", "body", "shadow"}) addMesh(check.scene, name);
  auto table = makeTable("Wolf", "CAnimal");
  addString(*table, "Body", "body");
  addString(*table, "DetailShadow", "shadow");
  addString(*table, "DetailShadow", "ghost");
  addString(*table, "Head", "head");
  addString(*table, "Tail", "tail");
  EXPECT_EQ(check.classRules(*table),
            "ERROR: Missing mesh \"ghost\", used in CAnimal \"Wolf\", value DetailShadow\n"
            "WARNING: Value 'DetailShadow' can occur at most once in CAnimal \"Wolf\".\n");
}

TEST(ClassRules, IntAnimValueIsAWrongTypeWithoutTextureMessage) {
  RuleCheck check;
  auto table = makeTable("Torch", "CInstance");
  addInt(*table, "Anim00", 3);
  EXPECT_EQ(check.classRules(*table),
            "ERROR: Unexpected type for value 'Anim00' in CInstance \"Torch\"\n");
}

TEST(ClassRules, ClassThatIsAnIntAppliesNoRulesButUnknownValuesAreStillChecked) {
  RuleCheck check;
  check.known.names = {"Class"};
  auto table = std::make_unique<ValueTable>(ValueType::Group, "Odd");
  addInt(*table, "Class", 7);
  addString(*table, "Class", "Player");
  addString(*table, "Colour", "red");
  EXPECT_EQ(check.classRules(*table), "WARNING: Unknown value 'Colour' found in \"Odd\".\n");
  EXPECT_EQ(check.context.playerCount, 0);
}

TEST(ClassRules, UnknownValuesSkipNestedGroupsAndAcceptListPatterns) {
  RuleCheck check;
  check.known.names = {"Class", "Detail%d"};
  check.known.patterns = {"Detail%d"};
  auto table = makeTable("Rock", "CSomething");
  addString(*table, "Detail3b", "x");
  addString(*table, "DetailShadow", "x");
  addGroup(*table, "Nested");
  EXPECT_EQ(check.classRules(*table),
            "WARNING: Unknown value 'DetailShadow' found in \"Rock\".\n");
}

TEST(ClassRules, EmptyKnownValuesListNeverWarns) {
  RuleCheck check;
  auto table = makeTable("Rock", "CSomething");
  addString(*table, "Whatever", "x");
  addInt(*table, "Anything", 1);
  EXPECT_EQ(check.classRules(*table), "");
}

TEST(ClassRules, TerrainObjectNeedsAnIntHeight) {
  RuleCheck check;
  auto table = makeTable("Hill", "CTerrainObj");
  addFloat(*table, "Height", 2.0f);
  EXPECT_EQ(check.classRules(*table),
            "WARNING: CTerrainObj \"Hill\" must contain a \"int Height\" value or it may not be "
            "rendered.\n");
  addInt(*table, "Height", 2);  // only the first "Height" counts
  EXPECT_NE(check.classRules(*table), "");
  auto good = makeTable("Dune", "CTerrainObj");
  addInt(*good, "Height", 2);
  EXPECT_EQ(check.classRules(*good), "");
}

TEST(ClassRules, SkyAndTerrainPlacementAreCounted) {
  RuleCheck check;
  auto sky = makeTable("Sky", "CSky");
  auto placement = makeTable("Ground", "TerrainPlacement");
  EXPECT_EQ(check.classRules(*sky), "");
  EXPECT_EQ(check.classRules(*placement),
            "ERROR: Value 'File' must occur at exactly once in TerrainPlacement \"Ground\".\n"
            "ERROR: Value 'File' must occur at least once in TerrainPlacement \"Ground\".\n");
  addString(*placement, "File", "ground.trn");
  EXPECT_EQ(check.classRules(*placement), "");
  EXPECT_EQ(check.context.skyCount, 1);
  EXPECT_EQ(check.context.terrainPlacementCount, 2);
}

TEST(TextureReferences, WithoutPidEachReferenceIsANote) {
  RuleCheck check;
  auto table = makeTable("Torch", "CInstance");
  addString(*table, "Anim00", "flame0.bmp");
  EXPECT_EQ(check.classRules(*table),
            "NOTE: No PID, couldn't check if texture \"flame0.bmp\" exists, used in CInstance "
            "\"Torch\", value Anim00\n");
  EXPECT_EQ(check.writer.counts().notes, 1);
}

TEST(TextureReferences, UsableEntriesAre16BitOr8BitMipmaps) {
  RuleCheck check;
  TextureDatabase database;
  const uint32_t sixteen = textureId(1.0f, "Map\\lev\\a.bmp", "");
  const uint32_t mip = textureId(1.0f, "Map\\lev\\b.bmp", "");
  const uint32_t flat = textureId(1.0f, "Map\\lev\\c.bmp", "");
  database.entries = {textureEntry(sixteen, 16), textureEntry(flat, 8),
                      textureEntry(mip, 8), textureEntry(mip, 8, 0x07600000 | 0x400 | 4)};
  check.context.useTextureDatabase(&database);
  auto table = makeTable("Torch", "CInstance");
  addString(*table, "Anim00", "a.bmp");
  addString(*table, "Anim01", "b.bmp");
  addString(*table, "Anim02", "c.bmp");
  addString(*table, "Anim03", "d.bmp");
  EXPECT_EQ(check.classRules(*table),
            "ERROR: Animated texture \"Map\\lev\\c.bmp\" does not have mipmaps, used in "
            "CInstance \"Torch\", value Anim02\n"
            "ERROR: PID is missing texture \"Map\\lev\\d.bmp\", used in CInstance \"Torch\", "
            "value Anim03\n");
}

TEST(TextureReferences, DiffuseIsReadAsRawFloatBitsWhateverItsType) {
  RuleCheck check;
  TextureDatabase database;
  // An Int "Diffuse" of 0x3F000000 carries the bits of 0.5f.
  database.entries = {textureEntry(textureId(0.5f, "Map\\lev\\a.bmp", ""), 16)};
  check.context.useTextureDatabase(&database);
  auto table = makeTable("Torch", "CInstance");
  addInt(*table, "Diffuse", 0x3F000000);
  addString(*table, "Anim00", "a.bmp");
  EXPECT_EQ(check.classRules(*table), "");
  EXPECT_FLOAT_EQ(diffuseFactor(table.get()), 0.5f);
  EXPECT_FLOAT_EQ(diffuseFactor(nullptr), 1.0f);
}

TEST(InstanceReferences, FireExpressionNamesOnlyTheMissingInstance) {
  RuleCheck check;
  addInstance(check.scene, "Door-1", addMesh(check.scene, "Door"));
  auto table = makeTable("Trap", "CTrigger");
  addString(*table, "FireExpression", "Door-1 & !Gate-2 ");
  EXPECT_EQ(check.references(*table),
            "WARNING: Missing instance \"Gate-2\", used in \"Trap\", value FireExpression\n");
}

TEST(InstanceReferences, TrailingSeparatorsYieldNoEmptyName) {
  RuleCheck check;
  addInstance(check.scene, "Door-1", addMesh(check.scene, "Door"));
  auto table = makeTable("Trap", "CTrigger");
  addString(*table, "FireExpression", "Door-1   ");
  addString(*table, "TriggerActivate", "Door-1+");
  addString(*table, "Target", "Door-1");
  EXPECT_EQ(check.references(*table), "");
}

TEST(InstanceReferences, NeverReferencePrefixesAndPlayerAreSkipped) {
  RuleCheck check;
  auto table = makeTable("Bird", "CAnimal");
  addString(*table, "SampleWings", "flap");
  addString(*table, "TypeOf", "bird");
  addString(*table, "Target", "Player");
  addString(*table, "Follow", "Player");
  EXPECT_EQ(check.references(*table),
            "WARNING: Missing instance \"Player\", used in \"Bird\", value Follow\n");
}

TEST(InstanceReferences, FrameValuesAreSkippedOnlyForParticlesCommandsAndClasslessGroups) {
  RuleCheck check;
  auto particles = makeTable("Smoke", "CParticles");
  addString(*particles, "A01", "puff");
  auto command = makeTable("Cmd", "AI Command");
  addString(*command, "A01", "guard");
  auto action = makeTable("Act", "CThing");
  addInt(*action, "ActionType", 1);
  addString(*action, "A01", "guard");
  auto plain = makeTable("Sign", "");
  addString(*plain, "A01", "post");
  EXPECT_EQ(check.references(*particles) + check.references(*command) +
                check.references(*action) + check.references(*plain),
            "");
  auto other = makeTable("Gate", "CThing");
  addString(*other, "A01", "post");
  EXPECT_EQ(check.references(*other),
            "WARNING: Missing instance \"post\", used in \"Gate\", value A01\n");
}

TEST(InstanceReferences, ElementsSplitAtPlusUnlessTheyAreSoundMaterials) {
  RuleCheck check;
  addInstance(check.scene, "Wall", addMesh(check.scene, "Wall"));
  auto table = makeTable("Hit", "CCollision");
  addString(*table, "Element1", "Wall+Roof");
  addBool(*table, "SoundMaterial2", true);
  addString(*table, "Element2", "Stone");
  EXPECT_EQ(check.references(*table),
            "WARNING: Missing instance \"Roof\", used in \"Hit\", value Element1\n");
}

TEST(InstanceReferences, NestedGroupsReportTheirDottedPath) {
  RuleCheck check;
  auto table = makeTable("Level", "CLevel");
  Value& events = addGroup(*table, "Events");
  Value& first = addGroup(events, "First");
  addString(first, "Target", "Bridge");
  addInt(first, "Delay", 3);
  EXPECT_EQ(check.references(*table),
            "WARNING: Missing instance \"Bridge\", used in \"Level.Events.First\", value Target\n");
}

}  // namespace
}  // namespace quorvel
