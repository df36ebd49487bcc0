// SPDX-License-Identifier: MIT
#include "scan/check_task.h"

#include <string_view>

#include "scan/codes.h"
#include "scan/file_load.h"
#include "scan/messages.h"

namespace {

Diagnostic diagnosticOf(const quelder_diagnostic& from) {
  Diagnostic to;
  to.code = from.code;
  to.severity = from.severity;
  to.grade = from.grade;
  to.offset = from.offset;
  to.track = from.track;
  to.event = from.event;
  to.tick = from.tick;
  to.eventOffset = from.event_offset;
  to.afterFirstError = from.after_first_error != 0;
  to.message = from.message;
  return to;
}

// The text of a file error's row with the file's name in place of its %s.
std::string fileErrorMessage(const char* format, std::string_view name) {
  std::string message = format;
  const std::size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, name);
  return message;
}

// The file error the library gives for a failure to load, made here for a
// load that never reached it.
Record fileErrorRecord(LoadFailure failure, std::string_view name) {
  const quelder_code_info& row = fileErrorCode(failure);
  Diagnostic error;
  error.code = row.code;
  error.severity = row.severity;
  error.grade = row.grade;
  error.message = fileErrorMessage(row.message, name);
  Record record;
  record.format = "unknown";
  record.diagnostics.push_back(error);
  return record;
}

std::string tooLargeReason(std::uint64_t maxSize) {
  return messages::largerThanLimit + std::to_string(maxSize) + messages::bytesLimitOption;
}

Record checkBytes(const ByteBuffer& bytes) {
  quelder_result* result = quelder_check_buffer(bytes.data(), bytes.size(), nullptr);
  Record record = recordOfResult(result);
  quelder_result_free(result);
  record.size = bytes.size();
  return record;
}

Record checkFile(const Task& task, std::uint64_t maxSize) {
  const LoadedFile loaded = loadFile(task.path.c_str(), maxSize);
  if (loaded.failure == LoadFailure::none) return checkBytes(loaded.bytes);
  Record record = fileErrorRecord(loaded.failure, task.path);
  record.size = loaded.size;
  record.unreadable = loaded.failure == LoadFailure::open || loaded.failure == LoadFailure::size ||
                      loaded.failure == LoadFailure::read;
  if (loaded.reason != nullptr) record.reason = loaded.reason;
  if (loaded.failure == LoadFailure::tooLarge) record.reason = tooLargeReason(maxSize);
  return record;
}

}  // namespace

Record recordOfResult(const quelder_result* result) {
  Record record;
  record.conforms = quelder_result_conforms(result) != 0;
  record.format = quelder_result_format(result);
  for (std::size_t i = 0; i < quelder_result_diagnostic_count(result); ++i) {
    record.diagnostics.push_back(diagnosticOf(*quelder_result_diagnostic(result, i)));
  }
  for (std::size_t i = 0; i < quelder_result_finding_count(result); ++i) {
    Diagnostic finding = diagnosticOf(*quelder_result_finding(result, i));
    finding.beyondReference = true;
    record.findings.push_back(std::move(finding));
  }
  return record;
}

Record checkTask(Task* task, std::uint64_t maxSize) {
  Record record;
  switch (task->kind) {
    case Task::Kind::file:
    case Task::Kind::archive: record = checkFile(*task, maxSize); break;
    case Task::Kind::member: record = checkBytes(task->bytes); break;
    case Task::Kind::tooLarge:
      record = fileErrorRecord(LoadFailure::tooLarge, task->member);
      record.size = task->size;
      record.reason = task->size > maxSize ? tooLargeReason(maxSize) : messages::outOfMemory;
      break;
    case Task::Kind::inputError:
      record.inputError = true;
      record.reason = task->reason;
      break;
  }
  task->bytes.release();
  record.path = std::move(task->path);
  record.member = std::move(task->member);
  record.inArchive = task->kind == Task::Kind::member || task->kind == Task::Kind::tooLarge ||
                     !record.member.empty();
  return record;
}
