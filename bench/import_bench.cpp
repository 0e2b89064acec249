// Importing into the 45 MB benchmark level: a 5 MB GRF model and a 3DS model
// of 100,000 faces, each with the save and the verification that follow it,
// against load + save of the level alone measured in the same run. Targets:
// each import at most 2x load + save ("x_resave"), peak heap at most 4x the
// level file plus the model ("peak_x_files").
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <new>

#if QUORVEL_HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#endif

#include "app/actions/import.h"
#include "app/app_context.h"
#include "heap_counter.h"
#include "large_level.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "textures/texture_database.h"

namespace {

namespace fs = std::filesystem;
using namespace quorvel;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The level's files, a copy kept to restore them before every import, and
// the two models.
struct ImportBench {
  fs::path folder;
  LevelFiles level;
  std::string grfModel, threeDsModel;
  double resaveSeconds = 1e9;

  ImportBench() {
    folder = fs::temp_directory_path() / ("quorvel-import-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "models");
    const std::string base = (folder / "bench").string();
    level = {"bench", base + ".scn", base + ".grf", base + "-130.pid", base + "-130.swp", base + "-130.spz"};
    {
      auto scene = bench::buildLargeLevel();
      scene->trace = nullptr;
      if (!scene->save(level.grfPath) || !writeLevelHeader(level.scnPath, level.grfPath, nullptr)) std::abort();
      TextureDatabase store;
      if (!store.write(level.pidPath)) std::abort();
    }
    for (const std::string* path : {&level.grfPath, &level.scnPath, &level.pidPath})
      fs::copy_file(*path, *path + ".orig");
    writeGrfModel();
    write3dsModel();
    for (int i = 0; i < 3; ++i) {
      auto start = Clock::now();
      SceneFile scene;
      scene.trace = nullptr;
      if (!scene.load(level.grfPath) || !scene.save(level.grfPath)) std::abort();
      resaveSeconds = std::min(resaveSeconds, secondsSince(start));
    }
  }
  ~ImportBench() { fs::remove_all(folder); }

  // About 5 MB: a level of 220 meshes whose names the benchmark level lacks.
  void writeGrfModel() {
    auto model = bench::buildLevel({220, 10, 25, 100, 200});
    model->trace = nullptr;
    for (auto& mesh : model->meshes) mesh->name = "Model" + mesh->name;
    for (auto& instance : model->instances) instance->name = "Model" + instance->name;
    grfModel = (folder / "models" / "model.grf").string();
    if (!model->save(grfModel)) std::abort();
  }

  // A grid of 225 x 225 points: 100,352 faces in one mesh, placed once.
  void write3dsModel() {
#if QUORVEL_HAVE_LIB3DS
    constexpr int kSide = 225;
    Lib3dsFile* file = lib3ds_file_new();
    Lib3dsMesh* mesh = lib3ds_mesh_new("Grid");
    lib3ds_mesh_new_point_list(mesh, kSide * kSide);
    for (int i = 0; i < kSide * kSide; ++i) {
      mesh->pointL[i].pos[0] = static_cast<float>(i % kSide);
      mesh->pointL[i].pos[1] = static_cast<float>((i * 7) % 5) * 0.1f;
      mesh->pointL[i].pos[2] = static_cast<float>(i / kSide);
    }
    lib3ds_mesh_new_face_list(mesh, 2 * (kSide - 1) * (kSide - 1));
    int f = 0;
    for (int y = 0; y + 1 < kSide; ++y) {
      for (int x = 0; x + 1 < kSide; ++x) {
        const Lib3dsWord a = static_cast<Lib3dsWord>(y * kSide + x), b = a + 1,
                         c = static_cast<Lib3dsWord>(a + kSide), d = c + 1;
        mesh->faceL[f].points[0] = a, mesh->faceL[f].points[1] = b, mesh->faceL[f].points[2] = d, ++f;
        mesh->faceL[f].points[0] = a, mesh->faceL[f].points[1] = d, mesh->faceL[f].points[2] = c, ++f;
      }
    }
    lib3ds_file_insert_mesh(file, mesh);
    Lib3dsNode* node = lib3ds_node_new_object();
    std::snprintf(node->name, sizeof node->name, "Grid");
    node->parent_id = LIB3DS_NO_PARENT;
    Lib3dsLin3Key* scale = lib3ds_lin3_key_new();
    scale->value[0] = scale->value[1] = scale->value[2] = 1.0f;
    lib3ds_lin3_track_insert(&node->data.object.scl_track, scale);
    lib3ds_lin3_track_insert(&node->data.object.pos_track, lib3ds_lin3_key_new());
    Lib3dsQuatKey* rotation = lib3ds_quat_key_new();
    rotation->axis[2] = 1.0f;
    lib3ds_quat_track_insert(&node->data.object.rot_track, rotation);
    lib3ds_file_insert_node(file, node);
    threeDsModel = (folder / "models" / "grid.3ds").string();
    if (!lib3ds_file_save(file, threeDsModel.c_str())) std::abort();
    lib3ds_file_free(file);
#endif
  }

  void restore() const {
    for (const std::string* path : {&level.grfPath, &level.scnPath, &level.pidPath})
      fs::copy_file(*path + ".orig", *path, fs::copy_options::overwrite_existing);
  }
};

ImportBench& importBench() {
  static ImportBench bench;
  return bench;
}

void importModel(benchmark::State& state, const std::string& model) {
  ImportBench& bench = importBench();
  if (model.empty()) {
    state.SkipWithError("no model of this kind in this build");
    return;
  }
  double best = 1e9;
  size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench.restore();
    ScriptedUserInterface ui(ScriptedUserInterface::Mode::Batch);
    AppContext app(ui, bench.folder.string() + "/");
    app.settings = openProfileStore(app.settingsPath());
    app.traceStream = nullptr;
    app.log.verbose = false;
    ui.queueFile(model);
    ui.queueImportOptions(true);
    ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
    bench::resetHeapPeak();
    const size_t before = bench::heapInUse();
    state.ResumeTiming();
    auto start = Clock::now();
    if (!runImport(app, bench.level, false)) state.SkipWithError("import failed");
    best = std::min(best, secondsSince(start));
    peak = std::max(peak, bench::heapPeak() - before);
  }
  const double files = static_cast<double>(fs::file_size(bench.level.grfPath + ".orig") + fs::file_size(model));
  state.counters["x_resave"] = best / bench.resaveSeconds;
  state.counters["peak_x_files"] = static_cast<double>(peak) / files;
  state.counters["resave_ms"] = bench.resaveSeconds * 1e3;
}

void ImportGrfModel(benchmark::State& state) { importModel(state, importBench().grfModel); }
void Import3dsModel(benchmark::State& state) { importModel(state, importBench().threeDsModel); }

BENCHMARK(ImportGrfModel)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Import3dsModel)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
