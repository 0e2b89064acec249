// The whole verification (GRF load and report) of the large benchmark level
// at 1x, 2x and 4x its size, and the report alone. Every mesh's values name
// instances and meshes, as a real level's targets, triggers and details do,
// so that each lookup the report makes is exercised. Each case reports its
// time as a multiple of the 1x case measured in the same run: growing
// linearly, 4x stays within 4.5x (and the 1x verification within 0.3 s).
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
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

// Per mesh: string values naming instances of other meshes (one in eight
// names none), and for every fourth mesh a CInstance class with details
// naming meshes.
void addReferences(SceneFile& scene) {
  const size_t meshes = scene.meshes.size();
  char text[64];
  for (size_t i = 0; i < meshes; ++i) {
    ValueTable* table = ensureValueTable(scene.meshes[i].get());
    for (int k = 0; k < 8; ++k) {
      const size_t other = (i * 7919 + static_cast<size_t>(k) * 104729) % meshes;
      std::snprintf(text, sizeof text, k == 7 ? "Gone%04zu-%02d" : "Object%04zu-%02d", other, k);
      std::snprintf(text + 32, 32, "Target%d", k);
      table->addChild(std::make_unique<Value>(ValueType::String, text + 32))->text = text;
    }
    if (i % 4 == 0) {
      setString(table, "Class", "CInstance");
      for (int k = 1; k <= 3; ++k) {
        std::snprintf(text, 32, "Object%04zu", (i + static_cast<size_t>(k) * 31) % meshes);
        std::snprintf(text + 32, 32, "Detail%d", k);
        table->addChild(std::make_unique<Value>(ValueType::String, text + 32))->text = text;
      }
    }
  }
}

LevelSize scaled(int factor) {
  LevelSize size = kLargeLevel;
  size.meshes *= factor;
  return size;
}

struct BenchLevel {
  explicit BenchLevel(const LevelSize& size, const char* label) {
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("quorvel_verify_bench_" + std::string(label) + "_" +
                              std::to_string(getpid())))
                                .string() + "/";
    std::filesystem::create_directories(dir);
    files = {"lev", dir + "lev.scn", dir + "lev.grf", dir + "lev-130.pid", dir + "lev-130.swp", ""};
    scene = buildLevel(size);
    addReferences(*scene);
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

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best wall and CPU times of each case, by kind and factor, for the
// ratios. On a busy machine the CPU times show the growth apart from the
// waiting.
struct Best {
  double wall = 1e9, cpu = 1e9;
};
std::map<std::pair<bool, int>, Best>& bestTimes() {
  static std::map<std::pair<bool, int>, Best> times;
  return times;
}

const BenchLevel& levelAt(int factor) {
  static std::map<int, std::unique_ptr<BenchLevel>> levels;
  auto& level = levels[factor];
  if (!level) {
    for (auto& [other, kept] : levels)
      if (other != factor) kept.reset();
    level = std::make_unique<BenchLevel>(scaled(factor), ("x" + std::to_string(factor)).c_str());
  }
  return *level;
}

void runVerification(benchmark::State& state, bool reportOnly) {
  const int factor = static_cast<int>(state.range(0));
  const BenchLevel& level = levelAt(factor);
  ScriptedUserInterface ui(ScriptedUserInterface::Mode::Batch);
  AppContext app(ui, std::filesystem::temp_directory_path().string());
  app.traceStream = nullptr;
  app.knownValues.names = {"Class", "Anim%d"};
  app.knownValues.patterns = {"Anim%d"};
  Best best;
  for (auto _ : state) {
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();
    if (reportOnly)
      benchmark::DoNotOptimize(writeVerificationReport(app, *level.scene, level.files));
    else
      benchmark::DoNotOptimize(verifyLevel(app, level.files));
    best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    best.cpu = std::min(best.cpu, processCpuSeconds() - cpuStart);
  }
  bestTimes()[{reportOnly, factor}] = best;
  const auto base = bestTimes().find({reportOnly, 1});
  if (base != bestTimes().end()) {
    state.counters["x_of_1x"] = best.wall / base->second.wall;
    state.counters["cpu_x_of_1x"] = best.cpu / base->second.cpu;
  }
  state.counters["best_s"] = best.wall;
  state.counters["cpu_s"] = best.cpu;
  state.counters["meshes"] = static_cast<double>(level.scene->meshes.size());
  state.counters["instances"] = static_cast<double>(level.scene->instances.size());
}

void VerifyLevel(benchmark::State& state) { runVerification(state, false); }
void ReportOnly(benchmark::State& state) { runVerification(state, true); }

// Each size's level is built once; the cases of one size run together.
BENCHMARK(VerifyLevel)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReportOnly)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VerifyLevel)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReportOnly)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VerifyLevel)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReportOnly)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace quorvel::bench
