// `quorvel dump FILE` and `quorvel resave IN OUT`: inspecting files and
// checking that a scene survives a load and save.
#include <cstdio>
#include <deque>
#include <string>

#include "commands.h"
#include "import/tpm_dump.h"
#include "level/scene.h"
#include "level/scene_dump.h"
#include "textures/pid_dump.h"
#include "util/text_format.h"

namespace quorvel {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

struct DumpOptions {
  std::string path;
  bool json = false;
  bool geometry = false;
  bool verbose = false;
};

int dumpScene(const DumpOptions& options) {
  SceneFile scene;
  scene.trace = nullptr;  // standard output carries the dump alone
  const bool loaded = scene.load(options.path);
  if (options.json) {
    if (!loaded) scene.instances.clear();
    std::fputs(sceneToJson(scene, loaded, options.geometry, true).c_str(), stdout);
    return loaded ? 0 : kFailed;
  }
  if (!loaded) {
    std::fprintf(stderr, "Cannot load '%s' as a scene file.\n", options.path.c_str());
    return kFailed;
  }
  std::fputs(sceneSummary(scene).c_str(), stdout);
  return 0;
}

// A TPM model: the reader's messages (on standard error with --json) and the
// scene it produced.
int dumpTpm(const DumpOptions& options) {
  TpmDump dump = dumpTpmModel(options.path, options.json, options.geometry, options.verbose);
  if (options.json) {
    std::fputs(dump.messages.c_str(), stderr);
    std::fputs(dump.output.c_str(), stdout);
    return dump.loaded ? 0 : kFailed;
  }
  if (!dump.loaded) {
    std::fprintf(stderr, "Cannot open '%s'.\n", options.path.c_str());
    return kFailed;
  }
  std::fputs(dump.messages.c_str(), stdout);
  if (!dump.messages.empty() && dump.messages.back() != '\n') std::fputc('\n', stdout);
  std::fputs(dump.output.c_str(), stdout);
  return 0;
}

// A texture index: its header, palettes and entries.
int dumpPid(const DumpOptions& options) {
  TextureDatabase db;
  const bool loaded = db.read(options.path);
  if (options.json) {
    std::fputs(pidDumpJson(db, loaded).c_str(), stdout);
    return loaded ? 0 : kFailed;
  }
  if (!loaded) {
    std::fprintf(stderr, "Cannot read '%s' as a texture index (PID).\n", options.path.c_str());
    return kFailed;
  }
  std::fputs(pidDumpText(db, options.path).c_str(), stdout);
  return 0;
}

// Readers by file extension (compared without case), one line per format.
struct DumpFormat {
  const char* extension;
  int (*dump)(const DumpOptions&);
};
const DumpFormat kDumpFormats[] = {
    {".grf", dumpScene},
    {".scn", dumpScene},
    {".tpm", dumpTpm},
    {".pid", dumpPid},
};

std::string extensionOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return toLowerAscii(path.substr(dot));
}

int runDump(const DumpOptions& options) {
  const std::string extension = extensionOf(options.path);
  for (const DumpFormat& format : kDumpFormats)
    if (extension == format.extension) return format.dump(options);
  std::string known;
  for (const DumpFormat& format : kDumpFormats) {
    if (!known.empty()) known += ", ";
    known += format.extension;
  }
  std::fprintf(stderr, "Cannot dump '%s': unknown file type (known: %s).\n", options.path.c_str(),
               known.c_str());
  return kUsageError;
}

struct ResaveOptions {
  std::string input;
  std::string output;
};

int runResave(const ResaveOptions& options) {
  SceneFile scene;
  scene.trace = stderr;
  if (!scene.load(options.input)) {
    std::fprintf(stderr, "Cannot load '%s' as a scene file.\n", options.input.c_str());
    return kFailed;
  }
  if (!scene.save(options.output)) {
    std::fprintf(stderr, "Cannot write '%s'.\n", options.output.c_str());
    return kFailed;
  }
  return 0;
}

}  // namespace

void registerSceneCommands(CLI::App& cli, CommandTable& table) {
  static std::deque<DumpOptions> dumps;
  static std::deque<ResaveOptions> resaves;
  DumpOptions& dump = dumps.emplace_back();
  CLI::App* dumpCommand = cli.add_subcommand("dump", "Describe what Quorvel reads from a file");
  dumpCommand->add_option("FILE", dump.path, "A .grf or .scn scene file, a .tpm model or a .pid texture index")->required();
  dumpCommand->add_flag("--json", dump.json, "Print the canonical JSON document");
  dumpCommand->add_flag("--geometry", dump.geometry, "With --json: add every mesh's lists");
  dumpCommand->add_flag("--verbose", dump.verbose, "TPM models: also the reader's progress lines");
  table.add(dumpCommand, [&dump] { return runDump(dump); });

  ResaveOptions& resave = resaves.emplace_back();
  CLI::App* resaveCommand = cli.add_subcommand("resave", "Load a scene file and save it again");
  resaveCommand->add_option("IN", resave.input, "The scene file to read")->required();
  resaveCommand->add_option("OUT", resave.output, "The scene file to write")->required();
  table.add(resaveCommand, [&resave] { return runResave(resave); });
}

}  // namespace quorvel
