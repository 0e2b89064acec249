// Update SWP of a level that lacks 500 8-bit 256 x 256 mipmapped textures
// and 100 24-bit 256 x 256 ones, against a plain write of as many bytes as
// the update adds to the SWP. Target: the update under 2 seconds; compare
// the "bytes_per_second" columns of the two runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/app_context.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "textures/texture_database.h"
#include "app/actions/update_swp.h"
#include "textures/texture_update.h"
#include "util/byte_io.h"

namespace {

namespace fs = std::filesystem;
using namespace quorvel;

constexpr int kIndexed = 500;
constexpr int kTrueColor = 100;

std::vector<uint8_t> bitmapBytes(int depth, int seed) {
  const uint32_t rowBytes = 256 * (depth / 8);
  const uint32_t colors = depth == 8 ? 256 : 0;
  ByteWriter out;
  const uint32_t pixelOffset = 54 + colors * 4;
  out.u8('B');
  out.u8('M');
  out.u32(pixelOffset + rowBytes * 256);
  out.u32(0);
  out.u32(pixelOffset);
  out.u32(40);
  out.i32(256);
  out.i32(256);
  out.u16(1);
  out.u16(static_cast<uint16_t>(depth));
  out.u32(0);
  out.u32(rowBytes * 256);
  out.u32(2835);
  out.u32(2835);
  out.u32(colors);
  out.u32(0);
  for (uint32_t i = 0; i < colors; ++i) out.u32(i * 0x010203u + static_cast<uint32_t>(seed));
  for (uint32_t i = 0; i < rowBytes * 256; ++i) out.u8(static_cast<uint8_t>(i * 7 + static_cast<uint32_t>(seed)));
  return out.buffer();
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

struct BenchLevel {
  fs::path folder;
  LevelFiles level;
  std::string firstBitmap;

  BenchLevel() {
    folder = fs::temp_directory_path() / ("quorvel-update-swp-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "art");
    level.name = "bench";
    level.scnPath = (folder / "bench.scn").string();
    level.grfPath = (folder / "bench.grf").string();
    level.pidPath = (folder / "bench-130.pid").string();
    level.swpPath = (folder / "bench-130.swp").string();
    level.spzPath = (folder / "bench-130.spz").string();
    SceneFile scene;
    scene.trace = nullptr;
    for (int i = 0; i < kIndexed + kTrueColor; ++i) {
      const bool indexed = i < kIndexed;
      const std::string file = (indexed ? "tex" : "rgb") + std::to_string(i) + ".bmp";
      writeFile(folder / "art" / file, bitmapBytes(indexed ? 8 : 24, i));
      auto mesh = std::make_unique<Mesh>();
      mesh->name = "Mesh" + std::to_string(i);
      mesh->materials.push_back({file, "", ""});
      scene.meshes.push_back(std::move(mesh));
    }
    firstBitmap = (folder / "art" / "tex0.bmp").string();
    scene.save(level.grfPath);
    // True-colour textures take a page each from the primary space: give
    // the level room for them.
    TextureDatabase store;
    store.primaryLimit = 0x2000000;
    store.write(level.pidPath + ".orig");
    writeFile(level.swpPath + ".orig", std::vector<uint8_t>(0x400000, 0x5A));
    writeFile(level.spzPath + ".orig", {0, 0, 0x40, 0});
  }
  ~BenchLevel() { fs::remove_all(folder); }

  void restore() const {
    for (const std::string* path : {&level.pidPath, &level.swpPath, &level.spzPath})
      fs::copy_file(*path + ".orig", *path, fs::copy_options::overwrite_existing);
  }
  uint64_t bytesAdded() const { return *fileSize(level.swpPath) - 0x400000; }
};

BenchLevel& benchLevel() {
  static BenchLevel level;
  return level;
}

// One Update SWP on the bench level: every texture of the art folder, saved
// without asking.
struct UpdateRun {
  explicit UpdateRun(const BenchLevel& bench) : app(ui, bench.folder.string()) {
    ui.queueFile(bench.firstBitmap);
    ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
    app.settings = openProfileStore(app.settingsPath());
    app.traceStream = nullptr;
  }
  ScriptedUserInterface ui{ScriptedUserInterface::Mode::Batch};
  AppContext app;
};

void BM_UpdateSwp(benchmark::State& state) {
  BenchLevel& bench = benchLevel();
  uint64_t added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.restore();
    UpdateRun run(bench);
    state.ResumeTiming();
    if (!updateSwp(run.app, bench.level)) state.SkipWithError("update failed");
    state.PauseTiming();
    added = bench.bytesAdded();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(added * state.iterations()));
  state.counters["swp_bytes_added"] = static_cast<double>(added);
}
BENCHMARK(BM_UpdateSwp)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same number of bytes written to a file in 128 KB pieces and flushed.
void BM_PlainWriteOfTheSameBytes(benchmark::State& state) {
  BenchLevel& bench = benchLevel();
  bench.restore();
  uint64_t bytes = 0;
  {
    // One update first, to learn how many bytes it adds.
    UpdateRun run(bench);
    updateSwp(run.app, bench.level);
    bytes = bench.bytesAdded();
  }
  const std::vector<uint8_t> page(131072, 0x33);
  const std::string path = (bench.folder / "plain.bin").string();
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (uint64_t written = 0; written < bytes; written += page.size()) std::fwrite(page.data(), 1, page.size(), file);
    std::fclose(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_PlainWriteOfTheSameBytes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
