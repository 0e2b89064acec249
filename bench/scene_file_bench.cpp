// Loading and saving a large level against copying the same file.
//
// The level is built once with the project's own writer. Each benchmark
// reports its time as ratios to copies of the same file measured in the same
// run: x_cp to the cp program, x_durable_cp to cp followed by an fsync of the
// copy (the save syncs its file before it replaces the old one), and x_copy
// to the project's own copy (read the file, replace the target atomically).
// Load+save should stay within 4x cp or 2x a durable cp. The load+save
// benchmark also reports its peak heap use as a multiple of the file size
// (target: within 4x).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "heap_counter.h"
#include "large_level.h"
#include "platform/file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct LargeLevelFile {
  std::string folder;
  std::string source;
  std::string target;
  size_t size = 0;
  double copySeconds = 0;
  double cpSeconds = 0;
  double durableCpSeconds = 0;

  LargeLevelFile() {
    folder = (std::filesystem::temp_directory_path() /
              ("quorvel-bench-" + std::to_string(::getpid())))
                 .string();
    std::filesystem::create_directories(folder);
    source = folder + "/large.grf";
    target = folder + "/copy.grf";
    {
      auto scene = quorvel::bench::buildLargeLevel();
      scene->trace = nullptr;
      if (!scene->save(source)) std::abort();
    }
    size = static_cast<size_t>(std::filesystem::file_size(source));
    // The references: the best of a few copies of each kind.
    copySeconds = bestOf([this] { plainCopy(); });
    cpSeconds = bestOf([this] { cpProgram(false); });
    durableCpSeconds = bestOf([this] { cpProgram(true); });
  }
  template <typename Copy>
  static double bestOf(Copy copy) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
      auto start = Clock::now();
      copy();
      best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
  }
  ~LargeLevelFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The cp program copies the file; a durable copy then syncs it.
  void cpProgram(bool durable) const {
    std::string cp = "cp";
    char* argv[] = {cp.data(), const_cast<char*>(source.c_str()), const_cast<char*>(target.c_str()),
                    nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::abort();
    if (!durable) return;
    const int fd = ::open(target.c_str(), O_WRONLY);
    if (fd < 0 || ::fsync(fd) != 0) std::abort();
    ::close(fd);
  }

  void plainCopy() const {
    auto bytes = quorvel::readWholeFile(source);
    if (!bytes || !quorvel::replaceFileAtomically(target, *bytes)) std::abort();
  }
};

LargeLevelFile& level() {
  static LargeLevelFile file;
  return file;
}

// Runs `work` per iteration and reports its best time against the copy.
template <typename Work>
void measure(benchmark::State& state, Work work) {
  LargeLevelFile& file = level();
  double best = 1e9, bestCpu = 1e9;
  for (auto _ : state) {
    const double cpuStart = processCpuSeconds();
    auto start = Clock::now();
    work(file);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    bestCpu = std::min(bestCpu, processCpuSeconds() - cpuStart);
  }
  // The CPU time of this process alone (a cp program's is its own): on a
  // busy machine it shows the work apart from the waiting.
  state.counters["cpu_ms"] = bestCpu * 1e3;
  state.counters["x_copy"] = best / file.copySeconds;
  state.counters["x_cp"] = best / file.cpSeconds;
  state.counters["x_durable_cp"] = best / file.durableCpSeconds;
  state.counters["best_ms"] = best * 1e3;
  state.counters["file_MB"] = static_cast<double>(file.size) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
}

void PlainCopy(benchmark::State& state) {
  measure(state, [](LargeLevelFile& file) { file.plainCopy(); });
}

void CpProgram(benchmark::State& state) {
  measure(state, [](LargeLevelFile& file) { file.cpProgram(false); });
}

void DurableCp(benchmark::State& state) {
  measure(state, [](LargeLevelFile& file) { file.cpProgram(true); });
}

void Load(benchmark::State& state) {
  measure(state, [](LargeLevelFile& file) {
    quorvel::SceneFile scene;
    scene.trace = nullptr;
    if (!scene.load(file.source)) std::abort();
  });
}

void Save(benchmark::State& state) {
  quorvel::SceneFile scene;
  scene.trace = nullptr;
  if (!scene.load(level().source)) std::abort();
  measure(state, [&scene](LargeLevelFile& file) {
    if (!scene.save(file.target)) std::abort();
  });
}

void LoadSave(benchmark::State& state) {
  double peakRatio = 0;
  measure(state, [&peakRatio](LargeLevelFile& file) {
    const size_t before = quorvel::bench::heapInUse();
    quorvel::bench::resetHeapPeak();
    {
      quorvel::SceneFile scene;
      scene.trace = nullptr;
      if (!scene.load(file.source) || !scene.save(file.target)) std::abort();
    }
    peakRatio = std::max(peakRatio, static_cast<double>(quorvel::bench::heapPeak() - before) / file.size);
  });
  state.counters["peak_heap_x_file"] = peakRatio;
}

BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CpProgram)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(DurableCp)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Load)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(LoadSave)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
