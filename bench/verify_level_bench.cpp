// The verification of the large benchmark level at 1x, 2x and 4x its size:
// as a user runs it (the quorvel verify command, a process of its own), in
// this process (GRF load and report), and the report alone. Every mesh's
// values name instances and meshes, as a real level's targets, triggers and
// details do, so that each lookup the report makes is exercised. Each case
// reports its time as a multiple of its 1x case measured in the same run:
// growing linearly, 4x stays within 4.5x (and the 1x verification within
// 0.3 s).
//
// Repeated in one process, the 1x case reuses memory the previous run left
// in the processor's caches, which a level four times the size no longer
// fits; the command starts from fresh memory at every size, as each run of
// the program does.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
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
enum class Kind { Command, InProcess, ReportOnly };
std::map<std::pair<Kind, int>, Best>& bestTimes() {
  static std::map<std::pair<Kind, int>, Best> times;
  return times;
}

double seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Runs `quorvel verify --level <scn>` with its output to /dev/null and
// returns the child's CPU time.
double runVerifyCommand(const LevelFiles& files) {
  std::string program = QUORVEL_CONSOLE_PROGRAM, command = "verify", option = "--level",
              scn = files.scnPath;
  char* argv[] = {program.data(), command.data(), option.data(), scn.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = 0;
  rusage usage{};
  const bool ran = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0 &&
                   wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!ran) std::abort();
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
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

void runVerification(benchmark::State& state, Kind kind) {
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
    double cpu = 0;
    switch (kind) {
      case Kind::Command:
        cpu = runVerifyCommand(level.files);
        break;
      case Kind::InProcess:
        benchmark::DoNotOptimize(verifyLevel(app, level.files));
        break;
      case Kind::ReportOnly:
        benchmark::DoNotOptimize(writeVerificationReport(app, *level.scene, level.files));
        break;
    }
    best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    if (kind != Kind::Command) cpu = processCpuSeconds() - cpuStart;
    best.cpu = std::min(best.cpu, cpu);
  }
  bestTimes()[{kind, factor}] = best;
  const auto base = bestTimes().find({kind, 1});
  if (base != bestTimes().end()) {
    state.counters["x_of_1x"] = best.wall / base->second.wall;
    state.counters["cpu_x_of_1x"] = best.cpu / base->second.cpu;
  }
  state.counters["best_s"] = best.wall;
  state.counters["cpu_s"] = best.cpu;
  state.counters["meshes"] = static_cast<double>(level.scene->meshes.size());
  state.counters["instances"] = static_cast<double>(level.scene->instances.size());
}

void VerifyCommand(benchmark::State& state) { runVerification(state, Kind::Command); }
void VerifyLevel(benchmark::State& state) { runVerification(state, Kind::InProcess); }
void ReportOnly(benchmark::State& state) { runVerification(state, Kind::ReportOnly); }

// Each size's level is built once; the cases of one size run together.
BENCHMARK(VerifyCommand)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyLevel)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(ReportOnly)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyCommand)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyLevel)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(ReportOnly)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyCommand)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyLevel)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(ReportOnly)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
}  // namespace quorvel::bench
