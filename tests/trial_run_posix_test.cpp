// Work tried in a child process: how it ended, and nothing of it reaches
// this process.
#include "platform/trial_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <new>
#include <vector>

namespace quorvel {
namespace {

TEST(TrialRun, TellsHowTheChildEnded) {
  int touched = 0;
  EXPECT_EQ(runTrial([&touched] { return ++touched > 0; }), TrialOutcome::Passed);
  EXPECT_EQ(touched, 0);  // the child's memory is its own
  EXPECT_EQ(runTrial([] { return false; }), TrialOutcome::Failed);
  EXPECT_EQ(runTrial([]() -> bool { throw std::bad_alloc(); }), TrialOutcome::OutOfMemory);
  // A signal the sanitizers leave alone, so their report does not show.
  EXPECT_EQ(runTrial([] { return std::raise(SIGKILL) == 0; }), TrialOutcome::Crashed);
  EXPECT_EQ(runTrial([] { for (;;) pause(); return true; }, {uint64_t{1} << 30, 1}), TrialOutcome::TimedOut);
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(TrialRun, MemoryBeyondTheBoundEndsTheWorkNotTheProcess) {
  const TrialOutcome outcome = runTrial(
      [] {
        std::vector<std::vector<char>> hoard;
        for (int i = 0; i < 64; ++i) hoard.emplace_back(size_t{64} << 20, 'x');  // 4 GB
        return true;
      },
      {uint64_t{256} << 20, 30});
  EXPECT_EQ(outcome, TrialOutcome::OutOfMemory);
}
#endif

}  // namespace
}  // namespace quorvel
