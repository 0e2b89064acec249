#include "values/value_file.h"

#include <vector>

#include "report/message_sink.h"
#include "values/text_file.h"
#include "values/text_stream.h"
#include "values/value_text.h"

namespace quorvel {

namespace {

// The lines shown around a syntax error are read as fgets reads them into
// a 1024-byte buffer.
constexpr size_t kReportLineLength = 1023;

// Steps back from where parsing stopped to the start of its line, at most 99
// characters, the way a seek-and-read loop on the open file does.
size_t startOfErrorLine(const TextStream& in) {
  std::string_view text = in.text();
  size_t pos = in.position();
  for (int step = 0; step < 99; ++step) {
    if (pos <= 1) break;
    if (pos < text.size()) {
      if (text[pos++] == '\n') break;
    }
    pos -= 2;
  }
  return pos;
}

void reportSyntaxError(TextStream& in, const std::string& path, MessageSink& log) {
  log.problem = true;
  log.logMessage("      ERROR: \"%s\" is not a valid value file. (skipping)\n", path.c_str());
  in.seek(startOfErrorLine(in));
  std::string lines[3];
  for (std::string& line : lines) line = std::string(in.readLine(kReportLineLength));
  log.logMessage("      The problem is in or near the following lines:\n");
  log.logMessage("      %s", lines[0].c_str());
  log.logMessage("      %s", lines[1].c_str());
  log.logMessage("      %s\n", lines[2].c_str());
}

}  // namespace

std::string valueFilePath(const std::string& modelPath) { return replaceExtension(modelPath, ".values.txt"); }

void readValueFile(std::string_view text, const std::string& path, PendingValues& target, MessageSink& log) {
  TextStream in(text);
  std::vector<std::unique_ptr<Value>> parsed;
  in.skipWhitespace();
  while (!in.atEnd()) {
    auto value = std::make_unique<Value>();
    if (!parseValue(in, *value)) {
      reportSyntaxError(in, path, log);
      return;
    }
    parsed.push_back(std::move(value));
    in.skipWhitespace();
  }
  for (auto& value : parsed) {
    if (target.count(value->name) == 0) {
      if (log.verbose) log.logMessage("  Value: %s\n", value->name.c_str());
      std::string name = value->name;
      target.emplace(std::move(name), std::move(value));
    } else {
      log.problem = true;
      log.logMessage("      ERROR: value %s in file \"%s\" has already been imported from another file.\n",
                     value->name.c_str(), path.c_str());
    }
  }
}

void bindValuesToMeshes(PendingValues& pending, const std::map<std::string, Mesh*>& meshes, MessageSink& log) {
  for (const auto& [name, mesh] : meshes) {
    auto found = pending.find(name);
    if (found == pending.end() || !mesh) continue;
    if (mesh->values) {
      log.problem = true;
      log.logMessage("  NOTE: found multiple copies of values for mesh \"%s\".\n", name.c_str());
    } else {
      mesh->values = std::move(found->second);
      pending.erase(found);
    }
  }
  for (const auto& [name, value] : pending) {
    log.problem = true;
    log.logMessage("      NOTE: value \"%s\" was not used.\n", name.c_str());
  }
  pending.clear();
}

void bindValuesToMeshes(PendingValues& pending, std::span<const std::unique_ptr<Mesh>> meshes, MessageSink& log,
                        bool& fileProblem) {
  for (const auto& mesh : meshes) {
    auto found = pending.find(mesh->name);
    if (found == pending.end()) continue;
    if (mesh->values) {
      fileProblem = true;
      log.logMessage("NOTE: found multiple copies of the values for mesh \"%s\".\n", mesh->name.c_str());
    } else {
      mesh->values = std::move(found->second);
      pending.erase(found);
    }
  }
  for (const auto& [name, value] : pending) {
    fileProblem = true;
    log.logMessage("NOTE: value \"%s\" was not used.\n", name.c_str());
  }
  pending.clear();
}

void readValuesForModel(const std::string& modelPath, const std::map<std::string, Mesh*>& importedMeshes,
                        MessageSink& log) {
  std::string path = valueFilePath(modelPath);
  std::optional<std::string> text = readTextFile(path);
  if (!text) {
    log.problem = true;
    log.logMessage("      NOTE: Value file \"%s\" not found.\n", path.c_str());
    return;
  }
  log.logMessage("File: \"%s\"\n", path.c_str());
  PendingValues pending;
  readValueFile(*text, path, pending, log);
  bindValuesToMeshes(pending, importedMeshes, log);
}

void readValuesForTpm(std::string_view text, const std::string& path, std::span<const std::unique_ptr<Mesh>> meshes,
                      MessageSink& log, bool& fileProblem) {
  PendingValues pending;
  readValueFile(text, path, pending, log);
  bindValuesToMeshes(pending, meshes, log, fileProblem);
}

}  // namespace quorvel
