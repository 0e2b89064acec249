#include "app/actions/verify.h"

namespace quorvel {

VerificationResult writeVerificationReport(AppContext& context, const SceneFile& scene,
                                           const LevelFiles& files, bool sceneReadable) {
  return writeVerificationReport(context.log, scene, files, context.knownValues, context.ignoredTextures,
                                 sceneReadable);
}

bool verifyLevel(AppContext& context, const LevelFiles& files) {
  context.log.logMessage("\nLoading level for verification...");
  SceneFile scene;
  scene.trace = context.traceStream;
  const bool readable = scene.load(files.grfPath);
  const VerificationResult outcome = writeVerificationReport(context, scene, files, readable);
  context.lastVerification = outcome.counts;
  return outcome.completed;
}

}  // namespace quorvel
