# SPDX-License-Identifier: MIT
"""Quelder: checks Standard MIDI Files and answers with values.

    >>> import quelder
    >>> result = quelder.check("song.mid")
    >>> result.conforms
    True
    >>> for path, result in quelder.check_many(paths, jobs=4):
    ...     print(path, result.conforms, [d.code for d in result.diagnostics])

A broken, truncated or hostile file never raises: its diagnostics say what
is wrong, and a file that cannot be read gets a result with one file error.
Only a source of the wrong type (TypeError) or an unknown language
(ValueError) raises. Checks let go of the GIL, so threads check at the same
time; check_many runs them on native threads of its own.
"""
from __future__ import annotations

import os
from collections.abc import Iterable, Iterator
from dataclasses import asdict, dataclass
from itertools import islice, starmap
from typing import Any, Union

from . import _quelder

__all__ = ["Diagnostic", "Finding", "Result", "Source", "check", "check_many", "codes",
           "__version__"]

__version__: str = _quelder.version()

#: What check takes: a path, or the whole file as bytes.
Source = Union[str, "os.PathLike[str]", "os.PathLike[bytes]", bytes, bytearray, memoryview]

_LANGUAGES = {"en": _quelder.LANGUAGE_EN, "ja": _quelder.LANGUAGE_JA}


@dataclass(frozen=True, slots=True)
class Diagnostic:
    """One diagnostic, as the command-line program prints it.

    code: stable name, e.g. "track-length" (docs/codes.md);
    severity: "error", "warning" or "file-error";
    grade: "structure", "content" or "recommendation"; None for warnings and
    file errors;
    offset: the field's byte offset from 0; -1 for a file error;
    track, event: the track chunk and the event in it, from 1; 0 outside a track;
    tick: the sum of the track's delta times up to the event;
    event_offset: where the event starts; -1 outside a track;
    message: in the language asked for, without form or line end.
    """

    code: str
    severity: str
    grade: str | None
    offset: int
    track: int
    event: int
    tick: int
    event_offset: int
    message: str


@dataclass(frozen=True, slots=True)
class Finding(Diagnostic):
    """A diagnostic, or what the checker finds past the first error and
    beyond the reference rules; after_first_error says which side it is on."""

    after_first_error: bool


@dataclass(frozen=True, slots=True)
class Result:
    """What one check found.

    conforms: the command-line program's verdict;
    format: what the file is: "smf", or another name when it is not one;
    diagnostics: the command-line program's diagnostics in its order:
    warnings, then at most one error or file error;
    findings: what the command-line program does not report: what the
    check finds past a first error graded content or recommendation, and
    checks beyond the reference rules (severity "beyond-reference"); each
    says whether it comes after the first error.
    """

    conforms: bool
    format: str
    diagnostics: tuple[Diagnostic, ...]
    findings: tuple[Finding, ...]

    def to_dict(self) -> dict[str, Any]:
        """The result as plain data, with the field names of the records of
        quelder-scan --format=jsonl: conforms, format, diagnostics, findings."""
        return {
            "conforms": self.conforms,
            "format": self.format,
            "diagnostics": [asdict(d) for d in self.diagnostics],
            "findings": [asdict(f) for f in self.findings],
        }


def _language_number(language: str) -> int:
    try:
        return _LANGUAGES[language]
    except (KeyError, TypeError):
        raise ValueError(f"language must be one of {sorted(_LANGUAGES)}, not {language!r}") from None


def _native(source: Any) -> Any:
    """A path as str (the extension encodes it as os.fsencode does); anything
    else as it is, for the extension to take as a buffer or refuse."""
    if isinstance(source, str):
        return source
    if isinstance(source, os.PathLike):
        path = os.fspath(source)
        return path if isinstance(path, str) else os.fsdecode(path)
    return source


# The result of most files of a collection; a Result is immutable, so they
# can share one.
_CONFORMING_SMF = Result(True, "smf", (), ())


def _result(answer: tuple) -> Result:
    conforms, format_, diagnostics, findings = answer
    # Made while other batches are checked, under the GIL: kept to a minimum.
    if conforms and not diagnostics and not findings and format_ == "smf":
        return _CONFORMING_SMF
    return Result(conforms, format_,
                  tuple(starmap(Diagnostic, diagnostics)) if diagnostics else (),
                  tuple(starmap(Finding, findings)) if findings else ())


def check(source: Source, *, language: str = "en") -> Result:
    """Checks one file: a path (str or os.PathLike) or its bytes (bytes,
    bytearray, memoryview or any contiguous buffer, read in place).

    Messages are in language, "en" or "ja". Raises TypeError for a source of
    another type and ValueError for another language; any file, even one
    that cannot be read, gets a Result.
    """
    return _result(_quelder.check(_native(source), _language_number(language)))


def check_many(sources: Iterable[Source], *, jobs: int | None = None,
               language: str = "en") -> Iterator[tuple[Source, Result]]:
    """Checks each source on jobs native threads (default: one per CPU) and
    yields (source, result) in the order of sources.

    sources is taken lazily, a batch at a time: a few batches are in hand at
    once, however long it is. While one batch is checked, the results of the
    one before are yielded. Raises as check does, when the batch holding the
    offending source comes up.
    """
    number = _language_number(language)
    if jobs is None:
        jobs = os.cpu_count() or 1
    if isinstance(jobs, bool) or not isinstance(jobs, int) or jobs < 1:
        raise ValueError(f"jobs must be a positive int, not {jobs!r}")
    return _checked_in_order(iter(sources), number, jobs)


# Sources per batch for each thread: enough that handing a batch over costs
# little beside its checks, few enough that results come soon.
_BATCH_PER_JOB = 128


def _checked_in_order(sources: Iterator[Source], language: int, jobs: int
                      ) -> Iterator[tuple[Source, Result]]:
    size = _BATCH_PER_JOB * jobs
    # The checker's threads check the next batch while this one makes Result
    # values of the last; a source of a wrong type raises when its batch's
    # turn comes, after the results before it.
    checker = _quelder.Checker(language, jobs)
    batch = list(islice(sources, size))
    checker.feed([_native(s) for s in batch])
    while batch:
        following = list(islice(sources, size))
        refusal: TypeError | None = None
        try:
            checker.feed([_native(s) for s in following])
        except TypeError as error:
            refusal, following = error, []
        for source, answer in zip(batch, checker.take(len(batch))):
            yield source, _result(answer)
        if refusal is not None:
            raise refusal
        batch = following


def codes(*, language: str = "en") -> list[dict[str, Any]]:
    """The table of codes in language: for each, its severity and grade, its
    message (with printf directives for its values), its rule, and what
    readers commonly do with a file that breaks it."""
    fields = ("code", "severity", "grade", "message", "rule", "readers")
    return [dict(zip(fields, row)) for row in _quelder.codes(_language_number(language))]
