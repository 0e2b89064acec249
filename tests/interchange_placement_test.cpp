// Node transforms turned into instance placements: translation, rotation
// (the 3DS path's angles), one uniform scale, and what is left to bake.
#include "import/interchange_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace quorvel {
namespace {

constexpr double kPi = std::numbers::pi;

struct PlacementCase {
  const char* what;
  Matrix4 world;
  bool uniform;
  float scale;
  Vec3 rotation;     // instance angles
  Matrix3 residual;  // checked when not uniform
};

const PlacementCase kCases[] = {
    {"not finite", {{1, 0, 0, NAN}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 0, {}, {}},
    {"translation only", {{1, 0, 0, 10}, {0, 1, 0, -20}, {0, 0, 1, 30}, {0, 0, 0, 1}}, true, 1, {0, 0, 0}, {}},
    {"quarter turn about z", {{0, -1, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, true, 1, {0, 0, kPi / 2}, {}},
    {"quarter turn about x, scale 2", {{2, 0, 0, 0}, {0, 0, -2, 0}, {0, 2, 0, 0}, {0, 0, 0, 1}}, true, 2,
     {kPi / 2, 0, 0}, {}},
    {"half turn about y, scale 0.5", {{-0.5, 0, 0, 0}, {0, 0.5, 0, 0}, {0, 0, -0.5, 0}, {0, 0, 0, 1}}, true, 0.5f,
     {kPi, 0, kPi}, {}},
    {"scale 1, 3, 1", {{1, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 1, {0, 0, 0},
     {{1, 0, 0}, {0, 3, 0}, {0, 0, 1}}},
    // The rotation is kept proper: a half turn about y, and z mirrored.
    {"mirrored in x", {{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 1, {kPi, 0, kPi},
     {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}},
    {"turned, stretched along its own y", {{0, -2, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 1,
     {0, 0, kPi / 2}, {{1, 0, 0}, {0, 2, 0}, {0, 0, 1}}},
    {"sheared", {{1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, false, 1, {0, 0, 0},
     {{1, 1, 0}, {0, 1, 0}, {0, 0, 1}}},
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.what; }

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, SplitsTheWorldTransformIntoWhatAnInstanceHoldsAndWhatIsBaked) {
  const PlacementCase& c = GetParam();
  const std::optional<NodePlacement> p = placementOf(c.world);
  if (std::isnan(c.world[0][3])) {
    EXPECT_FALSE(p);
    return;
  }
  ASSERT_TRUE(p);
  EXPECT_EQ(p->translation, (Vec3{float(c.world[0][3]), float(c.world[1][3]), float(c.world[2][3])}));
  EXPECT_EQ(p->uniform, c.uniform);
  EXPECT_NEAR(p->scale, c.scale, 1e-6);
  Mesh unit;  // unitScale 1, unitCentre 0: the instance takes the node's own values
  Instance instance;
  placeInstance(*p, p->scale, unit, instance);
  // Angles of pi and -pi are one turn.
  auto sameAngle = [](float a, double b) { return std::fabs(std::remainder(a - b, 2 * kPi)) < 1e-5; };
  EXPECT_TRUE(sameAngle(instance.rotation.x, c.rotation.x)) << instance.rotation.x;
  EXPECT_TRUE(sameAngle(instance.rotation.y, c.rotation.y)) << instance.rotation.y;
  EXPECT_TRUE(sameAngle(instance.rotation.z, c.rotation.z)) << instance.rotation.z;
  if (c.uniform) return;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(p->residual[i][j], c.residual[i][j], 1e-9) << i << "," << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Transforms, Placement, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlacementCase>& info) {
                           std::string name = info.param.what;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace quorvel
