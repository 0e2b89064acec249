// The verification of the large benchmark level at 1x, 2x, 4x and 8x its
// size: as a user runs it (the quorvel verify command, a process of its
// own), in this process (GRF load and report), and the report alone. Every
// mesh's values name instances and meshes, as a real level's targets,
// triggers and details do, so that each lookup the report makes is
// exercised. Each case reports the best time of each size and its multiple
// of the 1x time: growing linearly, 4x stays within 4.5x (and the 1x
// verification within 0.3 s).
//
// Repeated in this process, a 1x load finds the memory it reads the file
// into (fresh pages the system zeroes at every load) and the level itself
// still in the processor's cache, which the larger levels no longer fit: the
// in-process case steps up between 1x and 4x (8x_of_4x shows how it grows
// past that). The command starts from fresh memory at every size, as each
// run of the program does.
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

constexpr int kFactors[] = {1, 2, 4, 8};

// The levels of every size, built once and kept, so that each round can
// verify them one after the other.
const BenchLevel& levelAt(int factor) {
  static std::map<int, std::unique_ptr<BenchLevel>> levels;
  auto& level = levels[factor];
  if (!level) level = std::make_unique<BenchLevel>(scaled(factor), ("x" + std::to_string(factor)).c_str());
  return *level;
}

enum class Kind { Command, InProcess, ReportOnly };

// Each iteration is a round that verifies the levels of every size in turn,
// so that the sizes share the machine's conditions, and no size follows a
// run of itself. The best wall and CPU time of each size over the rounds
// give the ratios; on a busy machine the CPU times show the growth apart
// from the waiting.
void runVerification(benchmark::State& state, Kind kind) {
  for (int factor : kFactors) levelAt(factor);
  ScriptedUserInterface ui(ScriptedUserInterface::Mode::Batch);
  AppContext app(ui, std::filesystem::temp_directory_path().string());
  app.traceStream = nullptr;
  app.knownValues.names = {"Class", "Anim%d"};
  app.knownValues.patterns = {"Anim%d"};
  std::map<int, double> bestWall, bestCpu;
  for (int factor : kFactors) bestWall[factor] = bestCpu[factor] = 1e9;
  for (auto _ : state) {
    for (int factor : kFactors) {
      const BenchLevel& level = levelAt(factor);
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
      const double wall = std::chrono::duration<double>(Clock::now() - start).count();
      if (kind != Kind::Command) cpu = processCpuSeconds() - cpuStart;
      bestWall[factor] = std::min(bestWall[factor], wall);
      bestCpu[factor] = std::min(bestCpu[factor], cpu);
    }
  }
  for (int factor : kFactors) {
    const std::string size = std::to_string(factor) + "x";
    state.counters["s_" + size] = bestWall[factor];
    if (factor == 1) continue;
    state.counters[size + "_of_1x"] = bestWall[factor] / bestWall[1];
    state.counters["cpu_" + size + "_of_1x"] = bestCpu[factor] / bestCpu[1];
  }
  state.counters["8x_of_4x"] = bestWall[8] / bestWall[4];
  state.counters["meshes_1x"] = static_cast<double>(levelAt(1).scene->meshes.size());
  state.counters["instances_1x"] = static_cast<double>(levelAt(1).scene->instances.size());
}

void VerifyCommand(benchmark::State& state) { runVerification(state, Kind::Command); }
void VerifyLevel(benchmark::State& state) { runVerification(state, Kind::InProcess); }
void ReportOnly(benchmark::State& state) { runVerification(state, Kind::ReportOnly); }

BENCHMARK(VerifyCommand)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(VerifyLevel)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(ReportOnly)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
}  // namespace quorvel::bench
