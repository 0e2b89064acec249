// The Verify Level action: the level's GRF loaded into a scene of its own
// and the verification report written on it. It changes nothing.
#pragma once

#include "app/app_context.h"
#include "level/level_files.h"
#include "verify/verify_level.h"

namespace quorvel {

// Loads the level's GRF into a scene of its own, writes the report and
// discards the scene. True when the report ran to its end; the report's
// problem counts are left in `context.lastVerification`.
bool verifyLevel(AppContext& context, const LevelFiles& files);

// The report on `scene` with the run's message log and lists.
VerificationResult writeVerificationReport(AppContext& context, const SceneFile& scene,
                                           const LevelFiles& files, bool sceneReadable = true);

}  // namespace quorvel
