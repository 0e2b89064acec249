// Loading and saving a large level against copying the same file.
//
// The level is built once with the project's own writer. Each benchmark
// reports its time as ratios to copies of the same file: x_cp to the cp
// program, x_durable_cp to cp followed by an fsync of the copy made in this
// process (the save syncs its file before it replaces the old one), and
// x_copy to the project's own copy (read the file, replace the target
// atomically). Other programs share the machine, so the references are
// timed again beside every iteration (cp, durable cp, then the work) and
// each ratio is the median of the per-iteration ratios; the wall and CPU
// times are medians too. cp_cpu_ms is the cp program's own CPU time.
// Load+save should stay within 4x cp or 2x a durable cp. The load+save
// benchmark also reports its peak heap use as a multiple of the file size
// (target: within 4x).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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
#include <vector>

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
  }
  ~LargeLevelFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The cp program copies the file; a durable copy then syncs it. Returns
  // the cp program's CPU time in seconds.
  double cpProgram(bool durable) const {
    std::string cp = "cp";
    char* argv[] = {cp.data(), const_cast<char*>(source.c_str()), const_cast<char*>(target.c_str()),
                    nullptr};
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0 ||
        wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::abort();
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    if (!durable) return cpu;
    const int fd = ::open(target.c_str(), O_WRONLY);
    if (fd < 0 || ::fsync(fd) != 0) std::abort();
    ::close(fd);
    return cpu;
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

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

template <typename Step>
double secondsOf(Step step) {
  auto start = Clock::now();
  step();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs `work` per iteration beside fresh timings of the three copies and
// reports the medians of its time and of its ratios to them.
template <typename Work>
void measure(benchmark::State& state, Work work) {
  LargeLevelFile& file = level();
  std::vector<double> wall, cpu, cpCpu, toCopy, toCp, toDurableCp;
  for (auto _ : state) {
    state.PauseTiming();
    const double copy = secondsOf([&file] { file.plainCopy(); });
    double cpSeconds = 0;
    const double cp = secondsOf([&file, &cpSeconds] { cpSeconds = file.cpProgram(false); });
    const double durableCp = secondsOf([&file] { file.cpProgram(true); });
    state.ResumeTiming();
    const double cpuStart = processCpuSeconds();
    const double seconds = secondsOf([&file, &work] { work(file); });
    cpu.push_back(processCpuSeconds() - cpuStart);
    wall.push_back(seconds);
    cpCpu.push_back(cpSeconds);
    toCopy.push_back(seconds / copy);
    toCp.push_back(seconds / cp);
    toDurableCp.push_back(seconds / durableCp);
  }
  // The CPU time of this process alone (a cp program's is its own): on a
  // busy machine it shows the work apart from the waiting.
  state.counters["cpu_ms"] = median(cpu) * 1e3;
  state.counters["cp_cpu_ms"] = median(cpCpu) * 1e3;
  state.counters["x_copy"] = median(toCopy);
  state.counters["x_cp"] = median(toCp);
  state.counters["x_durable_cp"] = median(toDurableCp);
  state.counters["median_ms"] = median(wall) * 1e3;
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

BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(CpProgram)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(DurableCp)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(Load)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(Save)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(LoadSave)->Unit(benchmark::kMillisecond)->Iterations(9);

}  // namespace
