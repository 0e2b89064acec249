// The Verify Level action: a report of the things in a level known to
// cause problems in the game. It changes nothing.
#pragma once

#include "app/app_context.h"
#include "report/report_writer.h"
#include "level/level_files.h"
#include "level/scene.h"

namespace quorvel {

struct VerificationResult {
  // False when the report ended early (the GRF is missing).
  bool completed = false;
  // The problem lines the report held.
  ProblemCounts counts;
};

// Loads the level's GRF into a scene of its own, writes the report and
// discards the scene. True when the report ran to its end; the report's
// problem counts are left in `context.lastVerification`.
bool verifyLevel(AppContext& context, const LevelFiles& files);

// The report on `scene` as loaded from `files.grfPath`: header, file
// checks, names, instances, meshes, values, PID, SWP and SPZ. With
// `sceneReadable` false the GRF exists but could not be read as a scene
// file, and the report says so instead of passing an empty level.
VerificationResult writeVerificationReport(AppContext& context, const SceneFile& scene,
                                           const LevelFiles& files, bool sceneReadable = true);

}  // namespace quorvel
