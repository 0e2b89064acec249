// The console program run as scripts run it, for the tests of its commands:
// no terminal, and none of the caller's game variables. POSIX only, and
// kept in this header so the Windows test program does not build it.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace quorvel::testing_support {

struct ProgramRun {
  int exitCode = -1;  // -1: the program did not end normally
  std::string out;    // standard output
  std::string err;    // standard error
};

// The console program of this build; nullopt when the tests do not run
// through ctest (which sets QUORVEL_BINARY_DIR) or the program is not built.
inline std::optional<std::string> consoleProgramPath() {
  const char* binaryDir = std::getenv("QUORVEL_BINARY_DIR");
  if (!binaryDir) return std::nullopt;
  std::string program = std::string(binaryDir) + "/src/frontends/console/quorvel";
  if (!std::filesystem::exists(program)) return std::nullopt;
  return program;
}

// Runs `program arguments` (arguments as a shell would split them) in
// `folder`, with standard input from /dev/null. The HALVORN_* variables are
// unset unless `environment` gives them a value.
inline ProgramRun runConsoleProgram(const std::string& program, const std::string& folder,
                                    const std::string& arguments,
                                    const std::map<std::string, std::string>& environment = {}) {
  // Output goes to a folder of its own, so the working folder holds only
  // what the program leaves there.
  TempDir capture;
  std::string command = "cd '" + folder + "' && env";
  for (const char* name : {"HALVORN_DATA_DRIVE", "HALVORN_PATCH_DIR", "HALVORN_INSTALLED_DIRECTORY"})
    if (!environment.count(name)) command += std::string(" -u ") + name;
  for (const auto& [name, value] : environment) command += " " + name + "='" + value + "'";
  command += " '" + program + "' " + arguments + " </dev/null >'" + capture.file("out.txt") + "' 2>'" +
             capture.file("err.txt") + "'";
  ProgramRun run;
  const int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.out = readFileText(capture.file("out.txt"));
  run.err = readFileText(capture.file("err.txt"));
  return run;
}

}  // namespace quorvel::testing_support
