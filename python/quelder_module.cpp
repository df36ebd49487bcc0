// SPDX-License-Identifier: MIT
// quelder._quelder: the C library (include/quelder/quelder.h) for Python.
// It answers in plain tuples, which python/quelder/__init__.py makes into
// Result values, and lets go of the GIL for the whole of every check, the
// reading of the file included: Python threads check at the same time, and
// check_many's Checker checks on threads of its own.
#include <pybind11/pybind11.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "quelder/quelder.h"

namespace py = pybind11;

namespace {

// A source as the checking threads see it: a path in the file system's
// encoding, or the bytes of a buffer held until the check is done.
class Source {
 public:
  explicit Source(py::handle source) {
    if (py::isinstance<py::str>(source)) {
      path_ = encodedPath(source);
      isPath_ = true;
      return;
    }
    if (!PyObject_CheckBuffer(source.ptr()) ||
        PyObject_GetBuffer(source.ptr(), &buffer_, PyBUF_SIMPLE) != 0) {
      PyErr_Clear();
      throw py::type_error(
          "source must be a path (str or os.PathLike) or a contiguous bytes-like"
          " object, not " +
          std::string(py::str(py::type::handle_of(source).attr("__name__"))));
    }
    held_ = true;
  }
  ~Source() {
    if (held_) PyBuffer_Release(&buffer_);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  // Runs without the GIL.
  quelder_result* check(const quelder_options& options) const {
    if (!isPath_)
      return quelder_check_buffer(buffer_.buf, static_cast<size_t>(buffer_.len), &options);
    // No file has a name with a NUL in it: such a name gets the file error
    // of a file that cannot be opened, as the empty name does.
    const bool nameable = path_.find('\0') == std::string::npos;
    return quelder_check_file(nameable ? path_.c_str() : "", &options);
  }

 private:
  static std::string encodedPath(py::handle path) {
    // PyUnicode_EncodeFSDefault gives back the bytes os.fsencode gives,
    // undecodable bytes (surrogate escapes) included.
    py::object encoded = py::reinterpret_steal<py::object>(PyUnicode_EncodeFSDefault(path.ptr()));
    if (!encoded) throw py::error_already_set();
    return std::string(py::bytes(encoded));
  }

  bool isPath_ = false;
  bool held_ = false;
  std::string path_;
  Py_buffer buffer_{};
};

struct ResultFree {
  void operator()(quelder_result* result) const { quelder_result_free(result); }
};
using OwnedResult = std::unique_ptr<quelder_result, ResultFree>;

quelder_options optionsOf(int language) {
  if (language != QUELDER_LANGUAGE_EN && language != QUELDER_LANGUAGE_JA) {
    throw py::value_error("unknown language number " + std::to_string(language));
  }
  return quelder_options{static_cast<quelder_language>(language)};
}

// Messages show the names they were given, whose bytes need not be UTF-8:
// such bytes show as U+FFFD, as in the collection program's records.
py::str text(const char* utf8) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(utf8, static_cast<Py_ssize_t>(std::strlen(utf8)), "replace");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

py::object gradeOf(const quelder_diagnostic& diagnostic) {
  if (diagnostic.grade == QUELDER_GRADE_NONE) return py::none();
  return py::str(quelder_grade_name(diagnostic.grade));
}

// (code, severity, grade, offset, track, event, tick, event_offset, message),
// and after_first_error for a finding.
py::tuple diagnosticTuple(const quelder_diagnostic& d, bool finding) {
  py::tuple fields(finding ? 10 : 9);
  fields[0] = py::str(d.code);
  fields[1] = py::str(quelder_severity_name(d.severity));
  fields[2] = gradeOf(d);
  fields[3] = py::int_(d.offset);
  fields[4] = py::int_(d.track);
  fields[5] = py::int_(d.event);
  fields[6] = py::int_(d.tick);
  fields[7] = py::int_(d.event_offset);
  fields[8] = text(d.message);
  if (finding) fields[9] = py::bool_(d.after_first_error != 0);
  return fields;
}

template <typename Count, typename At>
py::tuple listOf(const quelder_result* result, Count count, At at, bool findings) {
  const size_t n = count(result);
  py::tuple list(n);
  for (size_t i = 0; i < n; ++i) list[i] = diagnosticTuple(*at(result, i), findings);
  return list;
}

// (conforms, format, diagnostics, findings)
py::tuple resultTuple(const quelder_result* result) {
  return py::make_tuple(
      quelder_result_conforms(result) != 0, py::str(quelder_result_format(result)),
      listOf(result, quelder_result_diagnostic_count, quelder_result_diagnostic, false),
      listOf(result, quelder_result_finding_count, quelder_result_finding, true));
}

py::tuple check(py::handle source, int language) {
  const quelder_options options = optionsOf(language);
  const Source held(source);
  OwnedResult result;
  {
    py::gil_scoped_release released;
    result.reset(held.check(options));
  }
  return resultTuple(result.get());
}

// check_many's engine: sources come in batches under the GIL, `jobs` threads
// of its own check them without ever taking the GIL, and results go out in
// the order the sources came. The threads need nothing from Python, so they
// go on with the next batch while the caller makes values of this one.
class Checker {
 public:
  Checker(int language, unsigned jobs) : options_(optionsOf(language)) {
    if (jobs == 0) throw py::value_error("jobs must be at least 1");
    for (unsigned j = 0; j < jobs; ++j) {
      workers_.emplace_back([this](std::stop_token stop) { work(stop); });
    }
  }
  ~Checker() {
    // Each thread stops after the check in hand, which may be of a large
    // file: others may run Python meanwhile.
    py::gil_scoped_release released;
    workers_.clear();
  }
  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;

  // Takes a batch; raises (taking none of it) for a source of a wrong type.
  void feed(py::sequence sources) {
    std::vector<std::unique_ptr<Item>> batch;
    batch.reserve(sources.size());
    for (py::handle source : sources) batch.push_back(std::make_unique<Item>(source));
    {
      std::lock_guard lock(mutex_);
      for (auto& item : batch) items_.push_back(std::move(item));
    }
    sourceArrived_.notify_all();
  }

  // The results of the next `count` sources fed, in order.
  py::list take(size_t count) {
    std::vector<std::unique_ptr<Item>> done;
    {
      py::gil_scoped_release released;
      std::unique_lock lock(mutex_);
      wanted_ = std::min(count, items_.size());
      resultReady_.wait(lock, [&] { return checkedFront_ >= wanted_; });
      const auto end = items_.begin() + static_cast<std::ptrdiff_t>(wanted_);
      done.assign(std::make_move_iterator(items_.begin()), std::make_move_iterator(end));
      items_.erase(items_.begin(), end);
      nextToCheck_ -= wanted_;
      checkedFront_ -= wanted_;
      wanted_ = 0;
    }
    py::list answers(done.size());
    for (size_t i = 0; i < done.size(); ++i) answers[i] = resultTuple(done[i]->result.get());
    return answers;  // the sources' buffers are let go here, under the GIL
  }

 private:
  struct Item {
    explicit Item(py::handle given) : source(given) {}
    const Source source;
    OwnedResult result;
    bool checked = false;
  };

  // Moves checkedFront_ past the items checked since; under mutex_.
  void advanceCheckedFront() {
    while (checkedFront_ < items_.size() && items_[checkedFront_]->checked) ++checkedFront_;
  }

  void work(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (!sourceArrived_.wait(lock, stop, [&] { return nextToCheck_ < items_.size(); })) return;
      Item& item = *items_[nextToCheck_++];
      lock.unlock();
      item.result.reset(item.source.check(options_));
      lock.lock();
      item.checked = true;
      advanceCheckedFront();
      // Woken once, when all it waits for are in, not at every check.
      if (wanted_ != 0 && checkedFront_ >= wanted_) resultReady_.notify_one();
    }
  }

  const quelder_options options_;
  std::mutex mutex_;
  std::condition_variable_any sourceArrived_;  // also wakes a thread asked to stop
  std::condition_variable resultReady_;
  std::deque<std::unique_ptr<Item>> items_;  // fed and not yet taken
  size_t nextToCheck_ = 0;                   // index into items_
  size_t checkedFront_ = 0;                  // items from the front that are all checked
  size_t wanted_ = 0;                  // items from the front that take() waits for, if it waits
  std::vector<std::jthread> workers_;  // last: joined before the rest goes
};

py::list codes(int language) {
  const quelder_options options = optionsOf(language);
  py::list rows;
  for (size_t i = 0; i < quelder_code_count(); ++i) {
    const quelder_code_info& info = *quelder_code(i, options.language);
    rows.append(py::make_tuple(info.code, quelder_severity_name(info.severity),
                               info.grade == QUELDER_GRADE_NONE
                                   ? py::object(py::none())
                                   : py::object(py::str(quelder_grade_name(info.grade))),
                               info.message, info.explanation, info.readers));
  }
  return rows;
}

}  // namespace

PYBIND11_MODULE(_quelder, module) {
  module.doc() = "The Quelder C library, answering in tuples; use the quelder package instead.";
  module.def("version", &quelder_version, "The version of the C library linked in.");
  module.def("check", &check, py::arg("source"), py::arg("language"),
             "Checks a path (str) or the bytes of a buffer; returns (conforms, format,"
             " diagnostics, findings).");
  py::class_<Checker>(module, "Checker",
                      "Checks the sources fed to it on jobs threads of its own, without the GIL.")
      .def(py::init<int, unsigned>(), py::arg("language"), py::arg("jobs"))
      .def("feed", &Checker::feed, py::arg("sources"),
           "Adds sources to check; raises, adding none, for one of a wrong type.")
      .def("take", &Checker::take, py::arg("count"),
           "The result tuples of the next count sources fed, in order, once checked.");
  module.def("codes", &codes, py::arg("language"),
             "The table of codes: (code, severity, grade, message, rule, readers) rows.");
  module.attr("LANGUAGE_EN") = static_cast<int>(QUELDER_LANGUAGE_EN);
  module.attr("LANGUAGE_JA") = static_cast<int>(QUELDER_LANGUAGE_JA);
}
