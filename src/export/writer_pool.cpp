#include "export/writer_pool.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <utility>

#include "base/windows_names.h"

namespace murel {
namespace {

// How many copies the export's thread waits for when as many are pending: half, so that it
// waits once for several copies rather than once for every copy.
constexpr std::size_t kSettleBatch = WriterPool::kMostPending / 2;
// How many copies not yet taken wake the writers that wait for copies. A re-run's copy is a look
// or two at its target, far less than waking a thread costs: the writers are woken for several,
// or when the export's thread waits for them.
constexpr std::size_t kWakeCopies = WriterPool::kMostPending / 2;

// Keeps what a copy reports, for the export's thread to pass on in order.
class RecordingReporter : public Reporter {
 public:
  explicit RecordingReporter(std::vector<FailedCopy>& failures) : failures_(failures) {}
  void CopyFailed(const FailedCopy& failure) override { failures_.push_back(failure); }

 private:
  std::vector<FailedCopy>& failures_;
};

// Whether `inner` is `outer` or lies below it. The names of one export share their first bytes
// (the root) and differ near their ends, so the last byte of `outer` is compared first.
bool Within(const std::string& inner, const std::string& outer) {
  const std::size_t size = outer.size();
  return inner.size() >= size && (size == 0 || inner[size - 1] == outer[size - 1]) &&
         inner.compare(0, size, outer) == 0 && (inner.size() == size || inner[size] == '\\');
}

}  // namespace

WriterPool::WriterPool(Reporter& reporter, std::size_t threads) : reporter_(reporter) {
  try {
    while (writers_.size() < threads) writers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // The writers that started share the work; with none, copies are made as they are added.
  }
}

WriterPool::~WriterPool() {
  Finish();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  added_.notify_all();
  for (std::thread& writer : writers_) writer.join();
}

std::size_t WriterPool::DefaultThreads() {
  // The export's thread keeps a core busy, and makes copies itself when it would wait for them:
  // more writers than the cores left over only take turns with it and with each other (and two
  // that create files in one folder wait on its lock), which made first exports of browser
  // caches 12 to 18% slower on two cores. One writer at least, so that the writing still goes on
  // beside the export.
  const std::size_t cores = std::thread::hardware_concurrency();
  return cores > 2 ? cores - 1 : 1;
}

void WriterPool::AwaitTarget(const std::string& target) {
  // Only the export's thread adds and settles jobs: with none left, nothing can be in the way.
  if (writers_.empty() || jobs_.empty()) return;
  // Kept for the Add that usually follows: the name is then made once per entry.
  awaitedTarget_ = target;
  awaitedName_ = ComparedPath(target);
  const std::string& name = awaitedName_;
  std::size_t count = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      const std::string& other = jobs_[i].name;
      if (!other.empty() && (Within(name, other) || Within(other, name))) count = i + 1;
    }
  }
  Settle(count);
}

void WriterPool::Add(const std::string& target, CopyWork work, CopyDone done, std::uint64_t held) {
  if (writers_.empty()) {
    done(work(reporter_));
    if (settled_) settled_();
    return;
  }
  Job job;
  if (target == awaitedTarget_) {
    job.name = std::move(awaitedName_);
    awaitedTarget_.clear();
  } else {
    job.name = ComparedPath(target);
  }
  job.work = std::move(work);
  job.done = std::move(done);
  job.held = held;
  Queue(std::move(job));
}

void WriterPool::CopyFailed(const FailedCopy& failure) {
  if (writers_.empty()) {
    reporter_.CopyFailed(failure);
    return;
  }
  // A job with nothing to do: a writer ends it, and it is passed on in its place.
  Job job;
  job.failures.push_back(failure);
  Queue(std::move(job));
}

void WriterPool::InOrder(std::function<void()> step) {
  // With nothing under way (what has ended settled first), the step's turn has come: it runs at
  // once, and an unchanged re-run's entries never wake a writer.
  if (writers_.empty() || SettleEnded()) {
    step();
    if (settled_) settled_();
    return;
  }
  // A job with nothing to do, like a reported failure: it is settled in its place.
  Job job;
  job.done = [step = std::move(step)](CopyOutcome) { step(); };
  Queue(std::move(job));
}

void WriterPool::Finish() { Settle(SIZE_MAX); }

bool WriterPool::SettleEnded() {
  // Only the export's thread adds and settles jobs, so it sees them without the lock: with none
  // pending, an unchanged re-run's entry costs no lock at all.
  if (jobs_.empty()) return true;
  Settle(0);
  return jobs_.empty();
}

void WriterPool::Queue(Job job) {
  // Whatever has ended is settled first, so that the run's counts keep up with its copies; past
  // a bound, the oldest copies are waited for until the new one is within both.
  std::size_t count = jobs_.size() >= kMostPending ? kSettleBatch : 0;
  std::uint64_t held = held_ + job.held;
  for (std::size_t i = 0; held > kMostHeld && i < jobs_.size(); ++i) {
    held -= jobs_[i].held;
    count = std::max(count, i + 1);
  }
  Settle(count);
  held_ += job.held;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    if (jobs_.size() - taken_ < kWakeCopies) return;
  }
  added_.notify_all();
}

void WriterPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    added_.wait(lock, [this] { return stopping_ || taken_ < jobs_.size(); });
    if (taken_ == jobs_.size()) return;
    MakeNext(lock);
  }
}

void WriterPool::MakeNext(std::unique_lock<std::mutex>& lock) {
  // A deque keeps its elements in place as others are added and settled around them.
  Job& job = jobs_[taken_++];
  lock.unlock();
  RecordingReporter recorder(job.failures);
  if (job.work) job.outcome = job.work(recorder);
  lock.lock();
  job.ended = true;
  if (awaited_ != 0 && FirstEnded(awaited_)) ended_.notify_all();
}

bool WriterPool::FirstEnded(std::size_t count) const {
  for (std::size_t i = 0; i < count; ++i) {
    if (!jobs_[i].ended) return false;
  }
  return true;
}

void WriterPool::Settle(std::size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (std::size_t settled = 0; !jobs_.empty(); ++settled) {
    if (!jobs_.front().ended) {
      if (settled >= count) return;
      // Copies that wait for more to come are taken now. The wait is for all the copies asked
      // for, not the oldest alone: the threads then meet once for many copies.
      awaited_ = std::min(count - settled, jobs_.size());
      added_.notify_all();
      // Rather than wait idle, the export's thread makes the copies no writer has taken yet:
      // copies pending never touch each other's targets, so any thread may make any of them.
      while (taken_ < jobs_.size() && !FirstEnded(awaited_)) MakeNext(lock);
      ended_.wait(lock, [this] { return FirstEnded(awaited_); });
      awaited_ = 0;
    }
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    --taken_;
    held_ -= job.held;
    // The reporter and `done` run unlocked: the writers go on meanwhile.
    lock.unlock();
    for (const FailedCopy& failure : job.failures) reporter_.CopyFailed(failure);
    if (job.done) job.done(job.outcome);
    if (settled_) settled_();
    lock.lock();
  }
}

}  // namespace murel
