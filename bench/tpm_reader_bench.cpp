// Reading speed of TPM text: generated models of 200,000 vertices and
// 200,000 faces (with 1,000 instances in the block format). The target is
// at least 50 MB/s of TPM text; the figure is the "bytes_per_second" column.
#include <benchmark/benchmark.h>

#include <string>

#include "report/message_log.h"
#include "import/tpm_reader.h"

namespace {

constexpr int kMeshes = 100;
constexpr int kVerticesPerMesh = 2000;  // 200,000 in all, and as many faces
constexpr int kInstances = 1000;

std::string blockModel() {
  std::string text = "fileinfo {\n  formatversion = \"1.0.2\"\n}\nmaterial Stone {\n  colormap = \"stone.bmp\"\n}\n";
  char line[160];
  for (int m = 0; m < kMeshes; ++m) {
    std::snprintf(line, sizeof line, "mesh \"Rock%03d\" {\n  m = Stone\n  c = (0.5, 0.25, 1.0)\n", m);
    text += line;
    for (int v = 0; v < kVerticesPerMesh; ++v) {
      std::snprintf(line, sizeof line, "  v = (%.4f, %.4f, %.4f)\n  t = (%.4f, %.4f)\n  n = (0.0000, 0.0000, 1.0000)\n",
                    v * 0.125, m * 0.5 - v * 0.25, v * 0.0625, v / 2000.0, 1.0 - v / 2000.0);
      text += line;
    }
    for (int f = 0; f < kVerticesPerMesh; ++f) {
      int a = f % (kVerticesPerMesh - 2) + 1;
      std::snprintf(line, sizeof line, "  f = (%d, %d, %d), (%d, %d, %d), (%d, %d, %d), 1\n", a, a + 1, a + 2, a,
                    a + 1, a + 2, a, a + 1, a + 2);
      text += line;
    }
    text += "}\n";
  }
  for (int i = 0; i < kInstances; ++i) {
    std::snprintf(line, sizeof line,
                  "instance Rock%04d {\n  mesh = \"Rock%03d\"\n  position = (%d.5, 2.0, -3.25)\n"
                  "  rotation = (0.0, %d.0, 0.0)\n  scale = 1.5\n}\n",
                  i, i % kMeshes, i, i % 360);
    text += line;
  }
  return text;
}

std::string sectionedModel() {
  std::string text = "[file info]\nfileversion = \"0.21\"\n[materials]\nm = \"Stone\", \"stone.bmp\", \"\", \"\"\n[geometry]\n";
  char line[160];
  for (int m = 0; m < kMeshes; ++m) {
    std::snprintf(line, sizeof line, "m = \"Rock%03d\", (0, 0, 0), (128, 64, 255)\n", m);
    text += line;
    for (int v = 0; v < kVerticesPerMesh; ++v) {
      std::snprintf(line, sizeof line, "v = %.4f, %.4f, %.4f\nt = %.4f, %.4f\nn = 0.0000, 0.0000, 1.0000\n", v * 0.125,
                    m * 0.5 - v * 0.25, v * 0.0625, v / 2000.0, 1.0 - v / 2000.0);
      text += line;
    }
    for (int f = 0; f < kVerticesPerMesh; ++f) {
      int a = f % (kVerticesPerMesh - 2) + 1;
      std::snprintf(line, sizeof line, "f = %d, %d, %d, %d, %d, %d, %d, %d, %d, \"Stone\"\n", a, a + 1, a + 2, a, a + 1,
                    a + 2, a, a + 1, a + 2);
      text += line;
    }
  }
  text += "[objects]\n";
  for (int i = 0; i < kInstances; ++i) {
    std::snprintf(line, sizeof line, "o = \"Rock%04d\", \"Rock%03d\", (%d.5, 2.0, -3.25), (0.0, %d.0, 0.0), 1.5\n", i,
                  i % kMeshes, i, i % 360);
    text += line;
  }
  return text;
}

void readModel(benchmark::State& state, const std::string& text) {
  quorvel::MessageLog log;
  log.verbose = false;
  for (auto _ : state) {
    auto scene = quorvel::readTpmText(text, "/nonexistent-quorvel-bench/model.tpm", log);
    benchmark::DoNotOptimize(scene.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ReadBlockTpm(benchmark::State& state) {
  static const std::string text = blockModel();
  readModel(state, text);
}
BENCHMARK(BM_ReadBlockTpm)->Unit(benchmark::kMillisecond);

void BM_ReadSectionedTpm(benchmark::State& state) {
  static const std::string text = sectionedModel();
  readModel(state, text);
}
BENCHMARK(BM_ReadSectionedTpm)->Unit(benchmark::kMillisecond);

}  // namespace
