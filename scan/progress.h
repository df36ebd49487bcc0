// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>

// One line on a terminal's standard error, redrawn in place: files done,
// files per second and, once the total is known, the time left. Nothing is
// drawn in the first second, so that short runs never show it.
class Progress {
 public:
  using Clock = std::chrono::steady_clock;

  // terminal: where to draw, or null for no progress at all.
  explicit Progress(std::FILE* terminal);

  // From any thread: the number of files the run will report; 0 while unknown.
  void setTotal(std::uint64_t total) { total_.store(total, std::memory_order_relaxed); }

  // After each record is written; draws at most five times a second.
  void recordDone(Clock::time_point now = Clock::now());
  // Erases the line, before other output goes to the same terminal.
  void erase();
  // Erases the line for good.
  void finish() { erase(); }

  bool enabled() const { return terminal_ != nullptr; }

 private:
  void draw(Clock::time_point now);

  std::FILE* terminal_;
  std::atomic<std::uint64_t> total_{0};
  std::uint64_t done_ = 0;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
  bool shown_ = false;
};

// The progress line's text for done files out of total (0: unknown) after
// seconds; "1:02" style time left.
void formatProgress(char* line, std::size_t size, std::uint64_t done, std::uint64_t total,
                    double seconds);
