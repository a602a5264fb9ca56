#include "export/writer_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace murel {
namespace {

// Keeps the targets of the failures reported, in order.
class ListReporter : public Reporter {
 public:
  void CopyFailed(const FailedCopy& failure) override { targets.push_back(failure.target); }
  std::vector<std::string> targets;
};

// A copy that fails for `target`, after `before` (run on the writer thread).
CopyWork FailingCopy(const std::string& target, std::function<void()> before = {}) {
  return [target, before](Reporter& reporter) {
    if (before) before();
    reporter.CopyFailed({"source", "url", target, {}});
    return CopyOutcome::kFailed;
  };
}

TEST(WriterPool, FailuresAndDoneComeInTheOrderOfTheCopiesWhicheverEndsFirst) {
  ListReporter reporter;
  std::vector<std::string> done;
  std::promise<void> secondEnded;
  std::shared_future<void> waitForSecond = secondEnded.get_future().share();
  {
    WriterPool pool(reporter, 2);
    pool.Add("C:\\out\\first", FailingCopy("first", [waitForSecond] { waitForSecond.wait(); }),
             [&done](CopyOutcome) { done.push_back("first"); });
    pool.Add("C:\\out\\second", FailingCopy("second", [&secondEnded] { secondEnded.set_value(); }),
             [&done](CopyOutcome) { done.push_back("second"); });
    pool.CopyFailed({"source", "url", "reported", {}});
    pool.InOrder([&done] { done.push_back("step"); });
    pool.Finish();
  }
  EXPECT_EQ(reporter.targets, (std::vector<std::string>{"first", "second", "reported"}));
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second", "step"}));
}

// A copy under way to a name that an entry's target is, passes through, or holds: the entry
// waits for it; any other name goes on beside it.
TEST(WriterPool, AwaitTargetWaitsForCopiesToTheSameNameOnly) {
  for (const char* related : {"C:\\out\\a\\b", "c:/OUT/A./b/c", "C:\\out", "C:\\OUT\\A\\B. "}) {
    ListReporter reporter;
    WriterPool pool(reporter, 2);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> ended{false};
    bool settled = false;
    pool.Add(
        "C:\\out\\a\\b",
        [released, &ended](Reporter&) {
          released.wait();
          ended = true;
          return CopyOutcome::kCopied;
        },
        [&settled](CopyOutcome outcome) { settled = outcome == CopyOutcome::kCopied; });
    // Names beside it do not wait (the copy is held until after these).
    for (const char* beside : {"C:\\out\\a\\bc", "C:\\out\\ab", "C:\\out\\x\\b"}) {
      pool.AwaitTarget(beside);
      EXPECT_FALSE(settled) << beside;
    }
    std::thread releaser([&release] { release.set_value(); });
    pool.AwaitTarget(related);
    EXPECT_TRUE(ended) << related;
    EXPECT_TRUE(settled) << related;
    releaser.join();
  }
}

TEST(WriterPool, AStepWithNothingUnderWayRunsAtOnceOnTheCallersThread) {
  ListReporter reporter;
  WriterPool pool(reporter, 2);
  std::thread::id ran;
  pool.InOrder([&ran] { ran = std::this_thread::get_id(); });
  EXPECT_EQ(ran, std::this_thread::get_id());
}

// A full pool makes the export's thread wait for half its copies at once: one meeting of the
// threads for several copies, not one for each.
TEST(WriterPool, AFullPoolIsWaitedForInBatches) {
  ListReporter reporter;
  WriterPool pool(reporter, 2);
  constexpr int kCopies = 16;
  std::vector<std::promise<void>> gates(kCopies);
  std::atomic<int> settled{0};
  for (int i = 0; i < kCopies; ++i) {
    std::shared_future<void> gate = gates[i].get_future().share();
    pool.Add(
        "C:\\out\\" + std::to_string(i),
        [gate](Reporter&) {
          gate.wait();
          return CopyOutcome::kCopied;
        },
        [&settled](CopyOutcome) { ++settled; });
  }
  std::atomic<bool> added{false};
  std::thread exporter([&pool, &added] {
    pool.Add("C:\\out\\last", [](Reporter&) { return CopyOutcome::kCopied; }, {});
    added = true;
  });
  for (int i = 0; i < 7; ++i) gates[i].set_value();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(added) << "the export went on after fewer copies than a batch";
  gates[7].set_value();
  exporter.join();
  EXPECT_GE(settled, 8);
  for (int i = 8; i < kCopies; ++i) gates[i].set_value();
  pool.Finish();
  EXPECT_EQ(settled, kCopies);
}

TEST(WriterPool, WithoutThreadsEachCopyIsMadeWhenAdded) {
  ListReporter reporter;
  WriterPool pool(reporter, 0);
  CopyOutcome outcome = CopyOutcome::kCopied;
  pool.Add("C:\\out\\a", FailingCopy("a"), [&outcome](CopyOutcome given) { outcome = given; });
  EXPECT_EQ(outcome, CopyOutcome::kFailed);
  EXPECT_EQ(reporter.targets, std::vector<std::string>{"a"});
}

}  // namespace
}  // namespace murel
