#include "export/writer_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// threads for several copies, not one for each; meanwhile it makes copies no writer has taken.
// Copies that hold many bytes of bodies make it wait for as many as bring the bytes within the
// bound.
TEST(WriterPool, AFullPoolIsWaitedForInBatches) {
  constexpr std::size_t kCopies = WriterPool::kMostPending;
  // `held[i]` is what the i-th copy holds; the copy ends when its gate opens. Gives how many
  // copies the export's thread made.
  auto check = [](const std::vector<std::uint64_t>& held, std::uint64_t lastHeld,
                  std::size_t waited) {
    ListReporter reporter;
    WriterPool pool(reporter, 1);
    std::vector<std::promise<void>> gates(held.size());
    std::vector<std::thread::id> madeBy(held.size());
    std::atomic<std::size_t> settled{0};
    for (std::size_t i = 0; i < held.size(); ++i) {
      std::shared_future<void> gate = gates[i].get_future().share();
      pool.Add(
          "C:\\out\\" + std::to_string(i),
          [gate, &madeBy, i](Reporter&) {
            gate.wait();
            madeBy[i] = std::this_thread::get_id();
            return CopyOutcome::kCopied;
          },
          [&settled](CopyOutcome) { ++settled; }, held[i]);
    }
    std::atomic<bool> added{false};
    std::thread exporter([&pool, &added, lastHeld] {
      pool.Add(
          "C:\\out\\last", [](Reporter&) { return CopyOutcome::kCopied; }, {}, lastHeld);
      added = true;
    });
    const std::thread::id exporterId = exporter.get_id();
    // Every copy may end but the last of those waited for.
    for (std::size_t i = 0; i < held.size(); ++i) {
      if (i + 1 != waited) gates[i].set_value();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(added) << "the export went on before the copies it waits for ended";
    gates[waited - 1].set_value();
    exporter.join();
    EXPECT_GE(settled, waited);
    pool.Finish();
    EXPECT_EQ(settled, held.size());
    return std::count(madeBy.begin(), madeBy.end(), exporterId);
  };
  // The writer stops at the last copy waited for: the export's thread makes those after it.
  EXPECT_GT(check(std::vector<std::uint64_t>(kCopies, 0), 0, kCopies / 2), 0);
  // Three copies of three tenths of the bound each: a new one of nine twentieths waits for the
  // first two.
  const std::uint64_t tenth = WriterPool::kMostHeld / 10;
  check({3 * tenth, 3 * tenth, 3 * tenth}, 9 * tenth / 2, 2);
  // One copy that holds more than the bound alone waits for every copy before it.
  check({1, 1, 1}, WriterPool::kMostHeld + 1, 3);
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
