#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs quelder-scan on a collection that exercises every kind of record and
validates what it writes: each line of --format=jsonl against
scan/schema/quelder-scan-v2.schema.json (JSON Schema 2020-12), or the log of
--format=sarif against the published SARIF 2.1.0 schema (draft 4), with
Debian's python3-jsonschema. Records broken on purpose must fail, so that a
schema that accepts anything cannot pass. Exits 77 (skipped), saying why,
when the validator or the SARIF schema is not installed.

    validate_output.py jsonl|sarif QUELDER_SCAN SCHEMA EXAMPLES_DIR
"""
import copy
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

SKIP = 77


def skip(reason):
    print(f"skipped: {reason}")
    sys.exit(SKIP)


try:
    import jsonschema
except ImportError:
    skip("python3-jsonschema is not installed")


def make_collection(root, examples):
    """Files that conform, do not, warn, have findings past the first error and
    under a rule beyond the reference's; an archive with odd member names; a
    file that cannot be opened; an input that cannot be read at all."""
    os.makedirs(os.path.join(root, "c", "sub"))
    names = {"good.mid": "conforming.mid", "bad.mid": "nonconforming.mid",
             "warn.mid": "warnings.mid", "sub/deep.mid": "conforming.mid"}
    for name, example in names.items():
        shutil.copy(os.path.join(examples, example), os.path.join(root, "c", name))
    with open(os.path.join(examples, "nonconforming.mid"), "rb") as f:
        bad = f.read()
    with zipfile.ZipFile(os.path.join(root, "c", "set.zip"), "w") as z:
        z.writestr("ctl\x01\x1b.mid", bad)
        z.writestr("caf\u00e9.mid", bad)
    big = os.path.join(root, "c", "big.mid")
    with open(big, "wb") as f:
        f.write(bad + b"\0" * 2048)
    with open(os.path.join(root, "c", "broken.tar.gz"), "wb") as f:
        f.write(b"\x1f\x8b\x08\x00 not really gzip")
    # A Copyright text without (C), then a Note On of velocity FF.
    track = bytes.fromhex("00ff0203616263" "00903cff" "00ff2f00")
    with open(os.path.join(root, "c", "later.mid"), "wb") as f:
        f.write(b"MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0" + bytes([len(track)]) + track)
    os.mkfifo(os.path.join(root, "c", "pipe.mid"))
    not_utf8 = os.path.join(os.fsencode(root), b"c", b"latin\xe9.mid")
    shutil.copy(os.path.join(examples, "warnings.mid"), not_utf8)


def run_scan(scan, root, fmt, *extra):
    result = subprocess.run(
        [scan, f"--format={fmt}", "--max-size=1K", "--baseline=known.txt", "--ignore=unknown-meta-type",
         *extra, "c", "c/pipe.mid", "c/missing.mid", "-"],
        cwd=root, input=b"c/good.mid\n\nc/warn.mid\n", capture_output=True, check=False)
    if result.returncode != 2:
        print(f"quelder-scan exited {result.returncode}, not 2:\n{result.stderr.decode()}")
        sys.exit(1)
    return result.stdout


def expect_rejected(validator, instance, label):
    if validator.is_valid(instance):
        print(f"the schema accepts a broken record: {label}")
        return 1
    return 0


def check_jsonl(scan, schema_path, root):
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    lines = run_scan(scan, root, "jsonl").decode("utf-8").splitlines()
    records = [json.loads(line) for line in lines]
    failures = 0
    for record in records:
        for error in validator.iter_errors(record):
            print(f"{record.get('path')}: {error.message} at {list(error.absolute_path)}")
            failures += 1
    kinds = {
        "member": any("member" in r for r in records),
        "input error": any("error" in r for r in records),
        "unreadable": any(r.get("readable") is False for r in records),
        "not UTF-8": any("path_base64" in r for r in records),
        "UTF-8 member": any(r.get("member") == "caf\u00e9.mid" for r in records),
        "control bytes": any(r.get("member") == "ctl\x01\x1b.mid" for r in records),
        "accepted": any(d.get("suppressed") == "baseline" for r in records for d in r.get("diagnostics", [])),
        "ignored": any(d.get("suppressed") == "ignored" for r in records for d in r.get("diagnostics", [])),
        "finding": any(f["severity"] == "beyond-reference" and f["after_first_error"]
                       for r in records for f in r.get("findings", [])),
    }
    for kind, seen in kinds.items():
        if not seen:
            print(f"no record of this kind was validated: {kind}")
            failures += 1
    file_record = next(r for r in records if r.get("diagnostics"))
    with_finding = next(r for r in records if r.get("findings"))
    # Each a real record with one thing broken: (record, change, label).
    breakages = [
        (file_record, lambda r: r["diagnostics"][0].update(offset="60"), "an offset as a string"),
        (file_record, lambda r: r["diagnostics"][0].update(after_first_error=False),
         "a finding's field in a diagnostic"),
        (file_record, lambda r: r.pop("findings"), "no findings"),
        (file_record, lambda r: r["diagnostics"][0].update(severity="beyond-reference"),
         "a diagnostic beyond the reference"),
        (with_finding, lambda r: r["findings"][0].update(severity="file-error"),
         "a file error among the findings"),
        (with_finding, lambda r: r["findings"][0].update(beyond_reference=True),
         "a field of version 1"),
    ]
    for record, change, label in breakages:
        broken = copy.deepcopy(record)
        change(broken)
        failures += expect_rejected(validator, broken, label)
    failures += expect_rejected(validator, {"path": "x", "error": "e", "conforms": True},
                                "an input error with a verdict")
    print(f"{len(records)} records validated")
    return failures


def check_sarif(scan, schema_path, root):
    if not os.path.exists(schema_path):
        skip(f"the SARIF schema is not installed: run npm ci in scan/test ({schema_path})")
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft4Validator(schema)
    log = json.loads(run_scan(scan, root, "sarif", "--strict"))
    failures = 0
    for error in validator.iter_errors(log):
        print(f"{error.message} at {list(error.absolute_path)}")
        failures += 1
    run = log["runs"][0]
    if not run["results"] or not run["artifacts"] or not run["invocations"][0]["toolExecutionNotifications"]:
        print("the log lacks results, nested artifacts or notifications")
        failures += 1
    broken = copy.deepcopy(log)
    broken["runs"][0]["results"][0]["level"] = "fatal"
    failures += expect_rejected(validator, broken, "an unknown level")
    print(f"{len(run['results'])} results validated")
    return failures


def main():
    mode, scan, schema, examples = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as root:
        make_collection(root, examples)
        with open(os.path.join(root, "known.txt"), "w", encoding="utf-8") as f:
            f.write("not-in-first-track\tc/bad.mid\t\n")
        failures = (check_jsonl if mode == "jsonl" else check_sarif)(scan, schema, root)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
