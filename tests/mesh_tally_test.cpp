// The verification's tally of meshes by address: copies in the list, use by
// instances, and meshes from outside the list however many there are.
#include "verify/mesh_tally.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(MeshTally, CountsListedMeshesAndTracksUseOfAnyMesh) {
  std::vector<std::unique_ptr<Mesh>> meshes;
  for (int i = 0; i < 5; ++i) meshes.push_back(std::make_unique<Mesh>());
  MeshTally tally(meshes);
  // Far more outside meshes than the table was made for, so that it grows.
  std::vector<Mesh> outside(100);
  for (const Mesh& mesh : outside) {
    EXPECT_EQ(tally.at(&mesh).copies, 0);
    tally.at(&mesh).used = true;
  }
  tally.at(meshes[1].get()).used = true;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tally.at(meshes[i].get()).copies, 1) << i;
    EXPECT_EQ(tally.used(meshes[i].get()), i == 1) << i;
  }
  for (const Mesh& mesh : outside) EXPECT_TRUE(tally.used(&mesh));
  EXPECT_FALSE(tally.used(nullptr));
}

}  // namespace
}  // namespace quorvel
