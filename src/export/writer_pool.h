// The copies of an export's bodies, made by a few threads while the export goes on, their
// results taken in the order of the entries.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export/copy_if_newer.h"
#include "export/reporter.h"

namespace murel {

/// The copy of one entry, made on a writer thread; its failures go to the reporter it is given.
using CopyWork = std::function<CopyOutcome(Reporter& reporter)>;
/// What follows a copy, on the export's thread, with the copy's outcome.
using CopyDone = std::function<void(CopyOutcome outcome)>;

/// Writer threads that make an export's copies (reading, decoding and writing each body, or
/// looking at its target and finding it up to date) while the export's thread goes on to the
/// next entries; when that thread must wait for copies, it makes those not yet taken itself.
/// Everything a run shows stays in the order of the entries: on the export's thread, each copy's
/// failures reach the run's reporter and its `done` runs after those of every copy added before it,
/// and a failure reported through the pool (as a Reporter) takes its place in the same order. A
/// bounded number of copies is under way at a time. Without threads (the system could not start
/// one), each copy is made when it is added.
class WriterPool : public Reporter {
 public:
  /// A pool of `threads` writers, whose copies report to `reporter`.
  WriterPool(Reporter& reporter, std::size_t threads);
  /// Finishes every copy, then ends the threads.
  ~WriterPool() override;
  WriterPool(const WriterPool&) = delete;
  WriterPool& operator=(const WriterPool&) = delete;

  /// How many copies may be under way or waiting to be settled, and how many bytes of bodies
  /// they may hold in memory between them: enough to keep the writers busy while the export's
  /// thread reads and plans the next entries, so that neither thread waits for the other every
  /// few copies (on two cores, 32 rather than 16 made a first export 15 to 20% faster, taken in
  /// turns), and few enough that the bodies held stay a few megabytes. When either is reached,
  /// the export's thread waits for the oldest copies: for half of them at once, or for as many
  /// as bring the bytes held within the bound.
  static constexpr std::size_t kMostPending = 32;
  static constexpr std::uint64_t kMostHeld = std::uint64_t{4} << 20;

  /// The number of writers for this machine: its cores but one, at least one.
  static std::size_t DefaultThreads();

  /// Waits until no copy under way touches `target`: none whose target is `target`, lies on its
  /// way (a level that must be a folder for `target`) or below it. Names compare as Windows
  /// compares them (ASCII case, "/" as "\", trailing dots and blanks of a level), so two names of
  /// one file count as the same. Called before anything is done for an entry with that target.
  void AwaitTarget(const std::string& target);

  /// Adds the copy to `target` (after AwaitTarget for it): `work` runs on a writer thread, then
  /// `done` with its outcome on the caller's thread, in order (at a later call of the pool).
  /// `held` is how many bytes the copy holds in memory until it is settled (a body read ahead):
  /// the copies pending hold a bounded number between them, or only this one when it holds more.
  void Add(const std::string& target, CopyWork work, CopyDone done, std::uint64_t held = 0);

  /// Runs `step` on the caller's thread after the `done` of every copy added before it (at once
  /// without threads, or when every copy added before it has been settled).
  void InOrder(std::function<void()> step);

  /// Sets what runs on the caller's thread after each copy's `done` and each step: the run shows
  /// its progress there.
  void OnSettled(std::function<void()> settled) { settled_ = std::move(settled); }

  /// Reports `failure` after the failures of every copy added before it.
  void CopyFailed(const FailedCopy& failure) override;

  /// Waits for every copy added, passing their failures on and running their `done`.
  void Finish();

 private:
  /// A copy added and not yet settled.
  struct Job {
    std::string name;  ///< The target as names compare (see AwaitTarget); empty for a report.
    CopyWork work;     ///< Null for a failure reported through the pool.
    CopyDone done;
    CopyOutcome outcome = CopyOutcome::kFailed;
    std::vector<FailedCopy> failures;  ///< What the copy reported, to be passed on.
    std::uint64_t held = 0;            ///< The bytes it holds in memory until it is settled.
    bool ended = false;
  };
  /// A writer thread: makes the copies in the order they were added, as they come.
  void Work();
  /// Takes the oldest copy no thread has taken and makes it, with `mutex_` (held by `lock`)
  /// released meanwhile.
  void MakeNext(std::unique_lock<std::mutex>& lock);
  /// Settles the oldest copies that have ended, in order, after waiting for the first `count`
  /// of them to end; meanwhile the caller makes the copies no writer has taken.
  void Settle(std::size_t count);
  /// Settles the copies that have ended; true when none is left under way or unsettled.
  bool SettleEnded();
  /// Whether the oldest `count` jobs have ended (under `mutex_`).
  bool FirstEnded(std::size_t count) const;
  /// Queues a job and wakes a writer.
  void Queue(Job job);

  Reporter& reporter_;
  std::function<void()> settled_;
  std::vector<std::thread> writers_;
  std::mutex mutex_;
  std::condition_variable added_;  ///< A job was queued, or the pool is ending.
  std::condition_variable ended_;  ///< A job has ended.
  std::deque<Job> jobs_;           ///< Not yet settled, oldest first.
  std::size_t taken_ = 0;          ///< How many of `jobs_` (the oldest) writers have taken.
  std::uint64_t held_ = 0;         ///< What the jobs hold in memory (the export's thread's own).
  std::size_t awaited_ = 0;  ///< How many of the oldest jobs Settle waits for; 0 when it does not.
  std::string awaitedTarget_;  ///< The last target AwaitTarget compared with the copies.
  std::string awaitedName_;    ///< That target as names compare.
  bool stopping_ = false;
};

}  // namespace murel
