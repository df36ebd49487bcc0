# SPDX-License-Identifier: MIT
# The extension module (python/quelder_module.cpp); use the quelder package.
from collections.abc import Sequence
from typing import Any

LANGUAGE_EN: int
LANGUAGE_JA: int

# (code, severity, grade, offset, track, event, tick, event_offset, message)
DiagnosticTuple = tuple[str, str, str | None, int, int, int, int, int, str]
# The same and after_first_error.
FindingTuple = tuple[str, str, str | None, int, int, int, int, int, str, bool]
# (conforms, format, diagnostics, findings)
ResultTuple = tuple[bool, str, tuple[DiagnosticTuple, ...], tuple[FindingTuple, ...]]
# (code, severity, grade, message, rule, readers)
CodeTuple = tuple[str, str, str | None, str, str, str]

def version() -> str: ...
def check(source: Any, language: int) -> ResultTuple: ...

class Checker:
    def __init__(self, language: int, jobs: int) -> None: ...
    def feed(self, sources: Sequence[Any]) -> None: ...
    def take(self, count: int) -> list[ResultTuple]: ...

def codes(language: int) -> list[CodeTuple]: ...
