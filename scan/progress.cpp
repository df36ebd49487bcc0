// SPDX-License-Identifier: MIT
#include "scan/progress.h"

#include "scan/messages.h"

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);

}  // namespace

void formatProgress(char* line, std::size_t size, std::uint64_t done, std::uint64_t total,
                    double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  if (total == 0 || total < done || rate <= 0) {
    std::snprintf(line, size, messages::progressUnknown, static_cast<unsigned long long>(done),
                  rate);
    return;
  }
  const auto left = static_cast<unsigned long long>(static_cast<double>(total - done) / rate);
  char time[32];
  if (left >= 3600) {
    std::snprintf(time, sizeof time, "%llu:%02llu:%02llu", left / 3600, left / 60 % 60, left % 60);
  } else {
    std::snprintf(time, sizeof time, "%llu:%02llu", left / 60, left % 60);
  }
  std::snprintf(line, size, messages::progressKnown, static_cast<unsigned long long>(done),
                static_cast<unsigned long long>(total), rate, time);
}

Progress::Progress(std::FILE* terminal)
    : terminal_(terminal), start_(Clock::now()), lastDrawn_(start_) {}

void Progress::recordDone(Clock::time_point now) {
  ++done_;
  if (terminal_ == nullptr || now - start_ < kQuietStart || now - lastDrawn_ < kRedrawEvery) {
    return;
  }
  draw(now);
}

void Progress::draw(Clock::time_point now) {
  char line[160];
  formatProgress(line, sizeof line, done_, total_.load(std::memory_order_relaxed),
                 std::chrono::duration<double>(now - start_).count());
  // Carriage return and erase to the end of the line: the line is redrawn
  // in place.
  std::fprintf(terminal_, "\r\033[K%s", line);
  std::fflush(terminal_);
  lastDrawn_ = now;
  shown_ = true;
}

void Progress::erase() {
  if (!shown_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  shown_ = false;
}
