// Work that could bring the whole process down (a third-party reader on a
// damaged or hostile file) is first tried in a child process of its own,
// with bounded memory and time, so the program only fails to read the file.
#pragma once

#include <cstdint>
#include <functional>

namespace quorvel {

enum class TrialOutcome {
  Passed,     // the work returned true
  Failed,     // it returned false or threw
  OutOfMemory,  // it threw std::bad_alloc: it needed more than its bound
  Crashed,    // the child died of a signal
  TimedOut,   // it ran longer than allowed
  Unavailable,  // no child process could be started
};

struct TrialLimits {
  uint64_t memoryBytes = uint64_t{2} << 30;  // address space beyond what the process has
  unsigned seconds = 120;
};

// Runs `work` in a forked child and reports how it ended; nothing the child
// does reaches this process. Under the address sanitizer the memory bound is
// left out (its shadow memory needs the address space).
TrialOutcome runTrial(const std::function<bool()>& work, const TrialLimits& limits = {});

}  // namespace quorvel
