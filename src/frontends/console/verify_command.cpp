// `quorvel verify`: --strict fails the run when the report held an error.
#include "commands.h"

namespace quorvel {

void addVerifyOptions(ActionCommand& verify) {
  verify.command->add_flag("--strict", verify.strict, "Exit with 1 when the report holds an ERROR line");
}

}  // namespace quorvel
