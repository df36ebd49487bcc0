// SPDX-License-Identifier: MIT
#include "scan/ordered_run.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "scan/check_task.h"

namespace {

// Hands out the walk's tasks, numbered, to any thread that asks.
class TaskSource {
 public:
  explicit TaskSource(InputWalker* walker) : walker_(walker) {}

  bool take(Task* task, std::uint64_t* number) {
    const std::lock_guard lock(mutex_);
    if (!walker_->next(task)) return false;
    *number = taken_++;
    return true;
  }

 private:
  std::mutex mutex_;
  InputWalker* walker_;
  std::uint64_t taken_ = 0;
};

// Puts records back in order: each is written by the sink when all before
// it have been.
class Reorder {
 public:
  explicit Reorder(const RecordSink& sink) : sink_(sink) {}

  // Blocks while number is kRecordWindow or more ahead of the next to write.
  void waitForTurnNear(std::uint64_t number) {
    std::unique_lock lock(mutex_);
    written_.wait(lock, [&] { return number < next_ + kRecordWindow; });
  }

  void put(std::uint64_t number, Record record) {
    std::unique_lock lock(mutex_);
    waiting_.emplace(number, std::move(record));
    bool wrote = false;
    for (auto first = waiting_.begin(); first != waiting_.end() && first->first == next_;
         first = waiting_.begin()) {
      sink_(first->second);
      waiting_.erase(first);
      ++next_;
      wrote = true;
    }
    if (wrote) written_.notify_all();
  }

 private:
  const RecordSink& sink_;
  std::mutex mutex_;
  std::condition_variable written_;
  std::map<std::uint64_t, Record> waiting_;
  std::uint64_t next_ = 0;
};

void checkAll(TaskSource* source, Reorder* reorder, const RunSettings& settings) {
  Task task;
  std::uint64_t number = 0;
  while (source->take(&task, &number)) {
    Record record = checkTask(&task, settings.maxSize);
    applyPolicy(*settings.policy, &record);
    reorder->waitForTurnNear(number);
    reorder->put(number, std::move(record));
  }
}

}  // namespace

void runOrdered(InputWalker* walker, const RunSettings& settings, const RecordSink& sink) {
  TaskSource source(walker);
  Reorder reorder(sink);
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < settings.jobs; ++i) {
    helpers.emplace_back(checkAll, &source, &reorder, std::cref(settings));
  }
  checkAll(&source, &reorder, settings);  // this thread is one of the jobs
  for (std::thread& helper : helpers) helper.join();
}
