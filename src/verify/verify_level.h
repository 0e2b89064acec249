// The level verification: a report of the things in a level known to
// cause problems in the game. It changes nothing.
#pragma once

#include "level/level_files.h"
#include "level/scene.h"
#include "report/message_sink.h"
#include "report/report_writer.h"
#include "values/known_values.h"

namespace quorvel {

struct VerificationResult {
  // False when the report ended early (the GRF is missing).
  bool completed = false;
  // The problem lines the report held.
  ProblemCounts counts;
};

// The report on `scene` as loaded from `files.grfPath`: header, file
// checks, names, instances, meshes, values, PID, SWP and SPZ. With
// `sceneReadable` false the GRF exists but could not be read as a scene
// file, and the report says so instead of passing an empty level.
// Value names are checked against `knownValues`; textures named in
// `ignoredTextures` are not looked up in the PID.
VerificationResult writeVerificationReport(MessageSink& sink, const SceneFile& scene, const LevelFiles& files,
                                           const KnownValues& knownValues, const NameList& ignoredTextures,
                                           bool sceneReadable = true);

}  // namespace quorvel
