// SPDX-License-Identifier: MIT
#include "scan/output.h"

#include "scan/record_formats.h"

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

}  // namespace

Output::Output(const ScanOptions& options, std::FILE* stream, bool colour, bool interactive)
    : format_(options.format),
      quiet_(options.quiet),
      colour_(colour),
      interactive_(interactive),
      stream_(stream),
      sarif_(options.strict) {}

void Output::start() {
  if (format_ == OutputFormat::csv) appendCsvHeader(&buffer_);
  if (format_ == OutputFormat::sarif) sarif_.appendStart(&buffer_);
}

void Output::write(const Record& record) {
  // Quiet runs leave out the files that pass; a SARIF log only ever holds findings.
  if (quiet_ && format_ != OutputFormat::sarif && !record.fails && !record.unreadable &&
      !record.inputError) {
    return;
  }
  switch (format_) {
    case OutputFormat::text: appendTextLine(&buffer_, record, colour_); break;
    case OutputFormat::jsonl: appendJsonLine(&buffer_, record); break;
    case OutputFormat::csv: appendCsvRow(&buffer_, record); break;
    case OutputFormat::sarif: sarif_.appendRecord(&buffer_, record); break;
  }
  flush(interactive_);
}

void Output::writeText(const std::string& text) {
  buffer_ += text;
  flush(true);
}

void Output::finish(int exitStatus, bool successful) {
  if (format_ == OutputFormat::sarif) sarif_.appendEnd(&buffer_, exitStatus, successful);
  flush(true);
}

void Output::flush(bool always) {
  if (buffer_.empty() || (!always && buffer_.size() < kFlushAt)) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) failed_ = true;
  if (std::fflush(stream_) != 0) failed_ = true;
  buffer_.clear();
}
