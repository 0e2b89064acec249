// quorvel: the console front end. Without arguments on a terminal it runs
// the interactive action loop; `quorvel ACTION --level PATH.scn` runs one
// action for scripts.
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "commands.h"

namespace {

constexpr int kUsageError = 2;

const char* const kUsage =
    "usage: quorvel ACTION --level PATH.scn [options]\n"
    "       quorvel            (on a terminal: the interactive action menu)\n"
    "actions: import, import-dir, update-swp, verify, rename, extract\n"
    "Run 'quorvel --help' or 'quorvel ACTION --help' for details.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel;
  // Past the file size limit a write fails with EFBIG, reported like any
  // other write error, instead of the signal ending the program unannounced.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  if (argc <= 1) {
    if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) return runInteractive();
    std::fputs(kUsage, stderr);
    return kUsageError;
  }

  CLI::App cli{"Quorvel: adds models and textures to Halvorn levels, and verifies, extracts from and renames them.",
               "quorvel"};
  cli.set_version_flag("--version", "quorvel " QUORVEL_VERSION);
  cli.require_subcommand(1);
  CommandTable table;
  registerActionCommands(cli, table);
  registerSceneCommands(cli, table);
#if QUORVEL_HAVE_ASSIMP
  registerExportCommand(cli, table);
#endif
  // Further commands, one line each.

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    int code = cli.exit(error);
    return code == 0 ? 0 : kUsageError;
  }
  for (auto& [command, run] : table.commands)
    if (command->parsed()) return run();
  std::fputs(kUsage, stderr);
  return kUsageError;
}
