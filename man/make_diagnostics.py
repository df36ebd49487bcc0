#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the DIAGNOSTICS section of both manual pages and docs/codes.md,
the reference of codes, from the catalogue (catalogue/texts_*.cpp) as the
build's quelder_catalogue_json prints it.

Run it again after changing a code, a message or its meaning:

    cmake --build build --target quelder_catalogue_json
    build/lib/quelder_catalogue_json | python3 man/make_diagnostics.py

With --check it writes nothing and fails when a page or the reference is not
what it would write (tests/man_diagnostics_test.sh).

The English page stays ASCII: each Japanese message is written as \\[uXXXX]
escapes and shown only where the output device can draw it; elsewhere the
English message, the text quelder-en prints, stands in its place.
"""
import json
import pathlib
import re
import sys
import textwrap

here = pathlib.Path(__file__).resolve().parent
root = here.parent

# What the two lines that are not diagnostics of a file mean; their texts come
# from the catalogue.
OUTPUT_LINES = [
    ("output-lost",
     "A line could not be written to standard output (a full disk, or an output "
     "closed before the program started). It is said after the last file, and the exit status is 1.",
     "標準出力に行を書き込めませんでした(ディスクがいっぱい、または開始前に閉じられていたなど)。"
     "最後のファイルの後に表示し、終了ステータスは1になります。"),
    ("diagnostics-lost",
     "A diagnostic could not be written to standard error. It is said after the "
     "last file, if it can be, and the exit status is 1.",
     "標準エラー出力に診断メッセージを書き込めませんでした。書き込めれば最後のファイルの後に表示し、"
     "終了ステータスは1になります。"),
]

GRADES = {
    "structure": ("structure", "構造"),
    "content": ("content", "内容"),
    "recommendation": ("recommendation", "推奨"),
}

NO_BREAK_BEFORE = "、。)・"
LONGEST_RUN = 30  # columns between two break points, about
WIDTH = 78  # bytes in a line of the page source


def fill(text: str, words: dict) -> str:
    return re.sub(r"\{(\w+)\}", lambda m: r"\fI" + words[m.group(1)] + r"\fP", text)


def with_breaks(text: str, escape) -> str:
    """Puts a break point (\:) after 、 and 。 and wherever a run of Japanese
    would grow too long to fit a line, never before closing punctuation;
    groff breaks Japanese text nowhere else. `escape` writes one character."""
    out = []
    columns = 0  # since the last break point
    for i, char in enumerate(text):
        out.append(escape(char))
        columns += 1 if ord(char) < 0x80 else 2
        following = text[i + 1] if i + 1 < len(text) else ""
        if not following or following in NO_BREAK_BEFORE or ord(char) < 0x80:
            continue
        if char in "、。" or columns >= LONGEST_RUN:
            out.append(r"\:")
            columns = 0
    return "".join(out)


def as_escapes(char: str) -> str:
    return char if ord(char) < 0x80 else rf"\[u{ord(char):04X}]"


def folded(line: str) -> str:
    """One input line folded into source lines of at most WIDTH bytes, each
    ending in an escaped newline; folds come after spaces and break points."""
    pieces = re.findall(r".*?(?: |\\:|$)", line)
    lines, current = [], ""
    for piece in pieces:
        if current and len((current + piece).encode()) > WIDTH - 1:
            lines.append(current)
            current = ""
        current += piece
    lines.append(current)
    return "\\\n".join(lines)


def sentences(text: str) -> list:
    """Text lines for English prose: each sentence on a new line, wrapped."""
    lines = []
    for sentence in re.split(r"(?<=\.) ", text):
        lines += textwrap.wrap(sentence, WIDTH)
    return lines




def placeholders(text: str, values: str) -> str:
    """The message's directives as the placeholders the pages explain."""
    names = {"number": ["n"], "two-numbers": ["n", "m"], "event-name": ["name"],
             "status-byte": ["XX"], "file-name": ["file"], "none": []}[values]
    for name in names:
        text = re.sub(r"%(?:2X|d|s)", "{" + name + "}", text, count=1)
    return text


def rows(catalogue: dict, severity: str, language: str) -> list:
    """(code, grade, message, English message, rule) for each message of a severity."""
    out = []
    texts = catalogue[language]
    for i, info in enumerate(catalogue["codes"]):
        if info["severity"] != severity:
            continue
        english = catalogue["en"]["messages"][i]["text"]
        message = texts["messages"][i]
        if info["code"] == "meta-length-fixed":
            pairs = zip(texts["length-messages"], catalogue["en"]["length-messages"])
        else:
            pairs = [(message["text"], english)]
        for text, english_text in pairs:
            out.append((info["code"], info["grade"], placeholders(text, info["values"]),
                        placeholders(english_text, info["values"]),
                        message["rule"] + " " + message["readers"]))
    return out


GROUPS = [
    ("error", r"\*(qE(\fIN\fP):\ ", r"エラー(\fIN\fP):\ ", "Errors at an offset",
     "オフセットのあるエラー"),
    ("warning", r"\*(qW(\fIN\fP):\ ", r"警告(\fIN\fP):\ ", "Warnings at an offset",
     "オフセットのある警告"),
    ("file-error", r"\*(qE:\ ", r"エラー:\ ", "File errors", "ファイルのエラー"),
]

PLACEHOLDERS_EN = {"N": "N", "n": "n", "m": "m", "file": "file", "name": "name", "XX": "XX"}
PLACEHOLDERS_JA = {"N": "N", "n": "n", "m": "m", "file": "ファイル", "name": "名前", "XX": "XX"}


def fill(text: str, words: dict) -> str:
    return re.sub(r"\{(\w+)\}", lambda m: r"\fI" + words[m.group(1)] + r"\fP", text)


def code_line(code: str, grade: str, japanese: bool) -> str:
    label = ("コード" if japanese else "Code") + r" \fB" + code.replace("-", r"\-") + r"\fP"
    if grade:
        label += ("、等級 " if japanese else ", grade ") + GRADES[grade][1 if japanese else 0]
    return label + ("。" if japanese else ".")


def english_section(catalogue: dict) -> list:
    lines = [
        ".SH DIAGNOSTICS",
        "Every message, by form, with its code, its grade, its meaning and what",
        "readers commonly do with such a file.",
        "The page shows the messages themselves where the output device can draw",
        "Japanese, and elsewhere their English translations, the texts that",
        ".B quelder\\-en",
        "prints.",
        "In the messages,",
        ".I N",
        "is the byte offset,",
        ".I n",
        "and",
        ".I m",
        "are numbers from the file,",
        ".I file",
        "is the file name as given, and",
        ".I name",
        "is the name of an event.",
        "A grade says how far a reader can trust the file past the error:",
        ".I structure",
        "(it cannot be read as a Standard MIDI File past this point),",
        ".I content",
        "(it reads, but a value or a placement breaks a rule) or",
        ".I recommendation",
        "(a \\(lqshould\\(rq of the standard, or a rule of this checker).",
        # Japanese lines have too few spaces to be justified.
        ".ad l",
    ]
    for severity, form, _, heading, _ in GROUPS:
        lines += [".SS " + heading]
        for code, grade, message, english, meaning in rows(catalogue, severity, "ja"):
            english = fill(english, PLACEHOLDERS_EN)
            japanese = with_breaks(fill(message, PLACEHOLDERS_EN), as_escapes)
            lines += [
                ".TP",
                folded(r".ie '\*(.T'utf8' " + form + japanese),
                folded(r".el " + form + english),
                folded(r".if '\*(.T'utf8' \(lq" + english + r"\(rq"),
                code_line(code, grade, False),
            ] + sentences(english_meaning(catalogue, code, meaning))
    lines += [".SS Output"]
    for key, english, _ in OUTPUT_LINES:
        lines += [".TP", folded(r".ie '\*(.T'utf8' " + "".join(map(as_escapes, catalogue["ja"][key].rstrip("\n")))),
                  folded(".el " + catalogue["en"][key].rstrip("\n"))] + sentences(english)
    # Where Japanese cannot be drawn the messages are in English already.
    lines += [
        ".if '\\*(.T'utf8' \\{\\",
        ".SS Event names",
        "The names that stand for",
        ".I name",
        "in the messages:",
    ]
    for japanese, english in zip(catalogue["ja"]["channel-messages"], catalogue["en"]["channel-messages"]):
        lines += [".TP", "".join(map(as_escapes, japanese)), english]
    lines += [r".\}", ".ad b"]
    return lines


def english_meaning(catalogue: dict, code: str, _: str) -> str:
    i = [c["code"] for c in catalogue["codes"]].index(code)
    message = catalogue["en"]["messages"][i]
    return message["rule"] + " " + message["readers"]


def japanese_section(catalogue: dict) -> list:
    lines = [
        ".SH 診断メッセージ",
        r"すべての診断メッセージを、形式ごとに、コード、等級、意味、\:\c",
        r"読み手がそのようなファイルをふつうどう扱うかとともに示します。\:\c",
        r"メッセージの中の\fIN\fRはバイトオフセット、\:\c",
        r"\fIn\fRと\fIm\fRはファイルの中の数値、\:\c",
        r"\fIファイル\fRは指定したファイル名、\:\c",
        r"\fI名前\fRはイベントの名前です。\:\c",
        r"等級は、エラーの後をどこまで信頼できるかを示します。\:\c",
        r"構造(この位置からSMFとして読めない)、\:\c",
        r"内容(読めるが、値か位置が規則に反する)、\:\c",
        r"推奨(規格の推奨事項か、このチェッカーの規則)のどれかです。",
    ]
    for severity, _, form, _, heading in GROUPS:
        lines += [".SS " + heading]
        for code, grade, message, _, meaning in rows(catalogue, severity, "ja"):
            lines += [
                ".TP",
                folded(form + with_breaks(fill(message, PLACEHOLDERS_JA), str)),
                code_line(code, grade, True),
                folded(with_breaks(fill(meaning, PLACEHOLDERS_JA), str)),
            ]
    lines += [".SS 出力"]
    for key, _, japanese in OUTPUT_LINES:
        lines += [".TP", folded(with_breaks(catalogue["ja"][key].rstrip("\n"), str)),
                  folded(with_breaks(japanese, str))]
    return lines


def with_section(page: pathlib.Path, section: list) -> str:
    begin = r'.\" DIAGNOSTICS: written by man/make_diagnostics.py'
    end = r'.\" end of DIAGNOSTICS'
    text = page.read_text(encoding="utf-8")
    head, rest = text.split(begin + "\n", 1)
    _, tail = rest.split(end + "\n", 1)
    return head + begin + "\n" + "\n".join(section) + "\n" + end + "\n" + tail


def markdown_cell(text: str) -> str:
    return text.replace("|", "\\|")


def reference(catalogue: dict) -> str:
    """docs/codes.md: one table per language."""
    out = ["<!-- Written by man/make_diagnostics.py from the catalogue; do not edit. -->",
           "# Diagnostic codes", "",
           "Every diagnostic has a stable code: scripts match on it, and a code never",
           "changes meaning and is never reused; new codes are only added. The",
           "severity is `error` (the file does not conform), `warning` (checking goes",
           "on) or `file-error` (the file could not be opened, sized, held or read).",
           "The grade says how far a reader can trust the file past an error:",
           "`structure` (it cannot be read as a Standard MIDI File past this point),",
           "`content` (it reads, but a value or a placement breaks a rule) or",
           "`recommendation` (a \"should\" of the standard, or a rule of this checker).",
           "Messages show values where they have `%d`, `%s` and `%2X`.", "",
           "| Code | Severity | Grade | Message | Rule | What readers do |",
           "|---|---|---|---|---|---|"]
    for i, info in enumerate(catalogue["codes"]):
        m = catalogue["en"]["messages"][i]
        out.append("| `%s` | %s | %s | %s | %s | %s |" % (
            info["code"], info["severity"], info["grade"] or "-", markdown_cell(m["text"]),
            markdown_cell(m["rule"]), markdown_cell(m["readers"])))
    out += ["", "## 診断コード", "",
            "すべての診断メッセージには変わらないコードがあります。コードの意味は変わらず、再利用もしません。",
            "等級は、エラーの後をどこまで信頼できるかを示します: 構造(`structure`)、内容(`content`)、推奨(`recommendation`)。", "",
            "| コード | 重大度 | 等級 | メッセージ | 規則 | 読み手の扱い |",
            "|---|---|---|---|---|---|"]
    for i, info in enumerate(catalogue["codes"]):
        m = catalogue["ja"]["messages"][i]
        out.append("| `%s` | %s | %s | %s | %s | %s |" % (
            info["code"], info["severity"], info["grade"] or "-", markdown_cell(m["text"]),
            markdown_cell(m["rule"]), markdown_cell(m["readers"])))
    return "\n".join(out) + "\n"


def main() -> int:
    check = "--check" in sys.argv[1:]
    catalogue = json.load(sys.stdin)
    outputs = {
        here / "quelder.1": with_section(here / "quelder.1", english_section(catalogue)),
        here / "ja" / "quelder.1": with_section(here / "ja" / "quelder.1", japanese_section(catalogue)),
        root / "docs" / "codes.md": reference(catalogue),
    }
    stale = []
    for path, text in outputs.items():
        current = path.read_text(encoding="utf-8") if path.exists() else ""
        if current != text:
            stale.append(path)
            if not check:
                path.write_text(text, encoding="utf-8")
    if check and stale:
        for path in stale:
            print(f"{path} is not what man/make_diagnostics.py writes from the catalogue", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
