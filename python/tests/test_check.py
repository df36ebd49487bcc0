# SPDX-License-Identifier: MIT
"""quelder.check and the values it answers with."""
import array
import dataclasses
import importlib.metadata
import os
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

import quelder

DIAGNOSTIC_FIELDS = ["code", "severity", "grade", "offset", "track", "event", "tick",
                     "event_offset", "message"]


def expected_examples(examples):
    """What examples/list_diagnostics.c prints for each example, through the
    C library: name -> (conforms, [(code, severity, grade, offset, track,
    event, tick, message)])."""
    expected = {}
    listing = next(iter(examples.values())).parent / "list_diagnostics.expected"
    for line in listing.read_text().splitlines():
        path, *fields = line.split("\t")
        conforms, diagnostics = expected.setdefault(Path(path).name, [None, []])
        if fields in (["conforms"], ["does-not-conform"]):
            expected[Path(path).name][0] = fields == ["conforms"]
        else:
            code, severity, grade, offset, track, event, tick, message = fields
            diagnostics.append((code, severity, None if grade == "-" else grade, int(offset),
                                int(track), int(event), int(tick), message))
    return expected


def summary(result):
    return (result.conforms, [(d.code, d.severity, d.grade, d.offset, d.track, d.event, d.tick,
                               d.message) for d in result.diagnostics])


class BytesPath:
    """An os.PathLike whose path is bytes."""

    def __init__(self, path):
        self.path = os.fsencode(path)

    def __fspath__(self):
        return self.path


# Every kind of source check takes, made from a file's path.
SOURCE_KINDS = {
    "str": str,
    "Path": Path,
    "PathLike of bytes": BytesPath,
    "bytes": lambda p: p.read_bytes(),
    "bytearray": lambda p: bytearray(p.read_bytes()),
    "memoryview": lambda p: memoryview(p.read_bytes()),
    "memoryview slice": lambda p: memoryview(b"xyz" + p.read_bytes())[3:],
    "array": lambda p: array.array("B", p.read_bytes()),
}


@pytest.mark.parametrize("kind", SOURCE_KINDS)
@pytest.mark.parametrize("name", ["conforming.mid", "nonconforming.mid", "warnings.mid"])
def test_every_kind_of_source_gives_what_the_c_library_gives(examples, kind, name):
    result = quelder.check(SOURCE_KINDS[kind](examples[name]))
    assert summary(result) == tuple(expected_examples(examples)[name])
    assert result.format == "smf"
    # The examples hold nothing the command-line program leaves out.
    assert result.findings == ()


# Findings are what the program does not report, each where the C library
# puts it: header 0-13, the track's data from 22.
FINDING_CASES = {
    "a velocity of FF": (
        bytes.fromhex("4d546864 00000006 0000 0001 0060 4d54726b 00000008 00903cff00ff2f00"),
        True, [], [("channel-data-byte", "beyond-reference", "structure", 25, 1, 1, 0, 22, False)]),
    "a tempo of 0 in a file that conforms": (
        bytes.fromhex("4d546864 00000006 0000 0001 0060 4d54726b 0000000b 00ff5103000000 00ff2f00"),
        True, [], [("tempo-zero", "beyond-reference", "content", 26, 1, 1, 0, 22, False)]),
}


@pytest.mark.parametrize("case", FINDING_CASES)
def test_findings_are_what_the_program_leaves_out(case):
    image, conforms, diagnostics, findings = FINDING_CASES[case]
    result = quelder.check(image)
    assert result.conforms == conforms
    assert [d.code for d in result.diagnostics] == diagnostics
    assert [(f.code, f.severity, f.grade, f.offset, f.track, f.event, f.tick, f.event_offset,
             f.after_first_error) for f in result.findings] == findings


def unreadable_sources(tmp_path):
    directory = tmp_path / "a directory.mid"
    directory.mkdir()
    return {
        "missing": tmp_path / "missing.mid",
        "directory": directory,
        "NUL in name": str(tmp_path / "a\0b.mid"),
        "empty name": "",
        "undecodable name": os.fsdecode(bytes(tmp_path) + b"/\xff\xfe.mid"),
    }


@pytest.mark.parametrize("case", ["missing", "directory", "NUL in name", "empty name",
                                  "undecodable name"])
def test_a_file_that_cannot_be_read_gets_a_file_error(tmp_path, case):
    result = quelder.check(unreadable_sources(tmp_path)[case])
    assert not result.conforms
    [error] = result.diagnostics
    assert (error.severity, error.grade, error.offset, error.track, error.event_offset) == \
        ("file-error", None, -1, 0, -1)
    assert result.findings == ()


@pytest.mark.parametrize("source", [None, 3, 1.5, ["a.mid"], {"a.mid"}, object(),
                                    memoryview(b"abcdef")[::2]],
                         ids=["None", "int", "float", "list", "set", "object",
                              "non-contiguous memoryview"])
def test_wrong_types_raise_type_error(source):
    with pytest.raises(TypeError):
        quelder.check(source)


@pytest.mark.parametrize("language", ["fr", "EN", "", None, 0])
def test_unknown_languages_raise_value_error(examples, language):
    with pytest.raises(ValueError):
        quelder.check(examples["conforming.mid"], language=language)


def test_languages_share_codes_and_places_but_not_messages(examples, tmp_path):
    sources = [examples["nonconforming.mid"], examples["warnings.mid"], b"", tmp_path / "none"]
    for source in sources:
        english = quelder.check(source, language="en")
        japanese = quelder.check(source, language="ja")
        strip = [dataclasses.replace(d, message="") for d in english.diagnostics]
        assert strip == [dataclasses.replace(d, message="") for d in japanese.diagnostics]
        assert [d.message for d in english.diagnostics] != [d.message for d in japanese.diagnostics]


def test_to_dict_uses_the_names_of_the_collection_records(examples):
    data = quelder.check(examples["warnings.mid"]).to_dict()
    assert list(data) == ["conforms", "format", "diagnostics", "findings"]
    assert all(list(d) == DIAGNOSTIC_FIELDS for d in data["diagnostics"])
    assert all(list(f) == DIAGNOSTIC_FIELDS + ["after_first_error"] for f in data["findings"])
    assert data["diagnostics"][0]["grade"] is None  # JSON null, as in the records


def test_to_dict_names_are_those_of_the_collection_schema(examples, repository):
    # The one schema of the tree, whatever its version.
    [schema_path] = (repository / "scan" / "schema").glob("quelder-scan-v*.schema.json")
    import json
    definitions = json.loads(schema_path.read_text())["$defs"]
    record = definitions["fileRecord"]["properties"]
    diagnostic = definitions["diagnosticFields"]["properties"]
    finding = {**diagnostic, **definitions["finding"]["properties"]}
    data = quelder.check(examples["nonconforming.mid"]).to_dict()
    assert set(data) <= set(record)
    assert all(set(d) <= set(diagnostic) for d in data["diagnostics"])
    assert all(set(f) <= set(finding) for f in data["findings"])


def test_results_are_frozen(examples):
    result = quelder.check(examples["nonconforming.mid"])
    with pytest.raises(dataclasses.FrozenInstanceError):
        result.conforms = True
    with pytest.raises(dataclasses.FrozenInstanceError):
        result.diagnostics[0].offset = 0


def test_threads_check_at_once_and_each_gets_its_own_result(examples, tmp_path):
    sources = [examples[n] for n in examples] + [b"MThd", tmp_path / "none"]
    expected = [quelder.check(s) for s in sources]
    with ThreadPoolExecutor(8) as pool:
        for _ in range(20):
            assert list(pool.map(quelder.check, sources)) == expected


def test_the_version_is_the_c_library_and_the_header(repository):
    assert quelder.__version__ == quelder._quelder.version()
    header = repository / "include" / "quelder" / "quelder.h"
    assert f'#define QUELDER_VERSION "{quelder.__version__}"' in header.read_text()


def test_the_installed_distribution_has_the_version():
    try:
        installed = importlib.metadata.version("quelder")
    except importlib.metadata.PackageNotFoundError:
        if os.environ.get("QUELDER_REQUIRE_INSTALLED") == "1":
            raise
        pytest.skip("quelder is not installed")
    assert installed == quelder.__version__


def test_a_message_shows_an_undecodable_name_replaced(tmp_path):
    [error] = quelder.check(os.fsdecode(bytes(tmp_path) + b"/\xff.mid")).diagnostics
    assert "\ufffd.mid" in error.message


@pytest.mark.parametrize("language", ["en", "ja"])
def test_every_code_found_is_in_the_table(examples, language):
    table = {row["code"]: row for row in quelder.codes(language=language)}
    for path in examples.values():
        for d in quelder.check(path, language=language).findings:
            assert (table[d.code]["severity"], table[d.code]["grade"]) == (d.severity, d.grade)
