#include "platform/trial_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_ADDRESS_SANITIZER 1
#endif
#endif

namespace quorvel {

namespace {

constexpr int kPassed = 0;
constexpr int kFailed = 3;
constexpr int kOutOfMemory = 4;

#ifndef QUORVEL_ADDRESS_SANITIZER
// The address space the process already uses, so the bound counts only what
// the work adds.
uint64_t currentAddressSpace() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long long pages = 0;
  const bool read = std::fscanf(statm, "%llu", &pages) == 1;
  std::fclose(statm);
  return read ? pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}
#endif

[[noreturn]] void runChild(const std::function<bool()>& work, const TrialLimits& limits) {
#ifndef QUORVEL_ADDRESS_SANITIZER
  const rlim_t bound = currentAddressSpace() + limits.memoryBytes;
  const rlimit memory{bound, bound};
  setrlimit(RLIMIT_AS, &memory);
#endif
  std::signal(SIGALRM, SIG_DFL);
  alarm(limits.seconds);
  int status = kFailed;
  try {
    status = work() ? kPassed : kFailed;
  } catch (const std::bad_alloc&) {
    status = kOutOfMemory;
  } catch (...) {
  }
  _exit(status);
}

}  // namespace

TrialOutcome runTrial(const std::function<bool()>& work, const TrialLimits& limits) {
  // Buffered output would otherwise be written twice.
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return TrialOutcome::Unavailable;
  if (child == 0) runChild(work, limits);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return TrialOutcome::Unavailable;
  }
  if (WIFSIGNALED(status)) return WTERMSIG(status) == SIGALRM ? TrialOutcome::TimedOut : TrialOutcome::Crashed;
  if (!WIFEXITED(status)) return TrialOutcome::Crashed;
  switch (WEXITSTATUS(status)) {
    case kPassed: return TrialOutcome::Passed;
    case kFailed: return TrialOutcome::Failed;
    case kOutOfMemory: return TrialOutcome::OutOfMemory;
    default: return TrialOutcome::Crashed;  // the sanitizers' exit, or abort handlers
  }
}

}  // namespace quorvel
