// The whole verification (GRF load and report) of the large benchmark level
// and of a quarter of it; the report should take well under a second and
// grow linearly with the level.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/app_context.h"
#include "large_level.h"
#include "platform/file_system.h"
#include "platform/scripted_ui.h"
#include "textures/texture_database.h"
#include "app/actions/verify.h"

namespace quorvel::bench {
namespace {

struct BenchLevel {
  explicit BenchLevel(const LevelSize& size, const char* label) {
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("quorvel_verify_bench_" + std::string(label) + "_" +
                              std::to_string(getpid())))
                                .string() + "/";
    std::filesystem::create_directories(dir);
    files = {"lev", dir + "lev.scn", dir + "lev.grf", dir + "lev-130.pid", dir + "lev-130.swp", ""};
    scene = buildLevel(size);
    scene->trace = nullptr;
    scene->save(files.grfPath);
    writeLevelHeader(files.scnPath, files.grfPath, nullptr);
    // A store that holds every second texture the meshes name.
    TextureDatabase store;
    int n = 0;
    for (const auto& mesh : scene->meshes)
      for (const Material& material : mesh->materials)
        if (!material.colorMap.empty() && n++ % 2 == 0) {
          TextureEntry entry;
          entry.width = entry.height = 64;
          entry.pitch = 512;
          entry.bitsPerPixel = 16;
          entry.textureId = textureId(1.0f, material.colorMap, material.bumpMap);
          store.entries.push_back(entry);
        }
    store.write(files.pidPath);
    replaceFileAtomically(files.swpPath, std::vector<uint8_t>(131072));
  }
  ~BenchLevel() { std::filesystem::remove_all(std::filesystem::path(files.grfPath).parent_path()); }
  LevelFiles files;
  std::unique_ptr<SceneFile> scene;
};

void runVerification(benchmark::State& state, const BenchLevel& level, bool reportOnly) {
  ScriptedUserInterface ui(ScriptedUserInterface::Mode::Batch);
  AppContext app(ui, std::filesystem::temp_directory_path().string());
  app.traceStream = nullptr;
  app.knownValues.names = {"Class", "Anim%d"};
  app.knownValues.patterns = {"Anim%d"};
  for (auto _ : state) {
    if (reportOnly)
      benchmark::DoNotOptimize(writeVerificationReport(app, *level.scene, level.files));
    else
      benchmark::DoNotOptimize(verifyLevel(app, level.files));
  }
  state.counters["meshes"] = static_cast<double>(level.scene->meshes.size());
  state.counters["instances"] = static_cast<double>(level.scene->instances.size());
}

const BenchLevel& fullLevel() {
  static BenchLevel level(kLargeLevel, "full");
  return level;
}
const BenchLevel& quarterLevel() {
  static BenchLevel level(kQuarterLevel, "quarter");
  return level;
}

void VerifyFullLevel(benchmark::State& state) { runVerification(state, fullLevel(), false); }
void VerifyQuarterLevel(benchmark::State& state) { runVerification(state, quarterLevel(), false); }
void ReportFullLevel(benchmark::State& state) { runVerification(state, fullLevel(), true); }
void ReportQuarterLevel(benchmark::State& state) { runVerification(state, quarterLevel(), true); }

BENCHMARK(VerifyFullLevel)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VerifyQuarterLevel)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReportFullLevel)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReportQuarterLevel)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace quorvel::bench
