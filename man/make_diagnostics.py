#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the DIAGNOSTICS section of both manual pages from the table below.

Run it again after changing a message or its meaning:  python3 man/make_diagnostics.py

The English page stays ASCII: each message is written as \\[uXXXX] escapes and
shown only where the output device can draw it; elsewhere the English
translation stands in its place. The translations are the texts quelder-en
prints (app/texts_en.cpp). tests/man_diagnostics_test.sh checks that
every message in the sources is listed in both pages.
"""
import pathlib
import re
import textwrap

here = pathlib.Path(__file__).resolve().parent

# Placeholders: {N} the offset, {n} and {m} numbers, {file} the file name,
# {name} an event's display name, {XX} a status byte in hexadecimal.
# Each row: message (Japanese), English translation, English meaning,
# Japanese meaning.
ERRORS = [
    ("ヘッダチャンク形式が不正です。",
     "the header chunk is malformed.",
     "The file does not begin with the four bytes MThd, or is shorter than "
     "four bytes: it is not a Standard MIDI File.",
     "ファイルが4バイトのMThdで始まっていないか、4バイトより短いファイルです。SMFではありません。"),
    ("ヘッダブロックのデータ長を読みとれません。",
     "cannot read the data length of the header block.",
     "The file ends within the header's length field, or the length is less than 6.",
     "ヘッダのデータ長フィールドの途中でファイルが終わっているか、データ長が6未満です。"),
    ("ヘッダブロックのデータ長が不正です。SMF規格1.0では、6を指定する必要がありますが、"
     "このファイルは{n}を指定しています。",
     "the data length of the header block is invalid. SMF 1.0 requires 6, but this file gives {n}.",
     "The header declares more than 6 bytes of data.",
     "ヘッダのデータ長が6より大きい値です。"),
    ("SMF形式を読みとれません。",
     "cannot read the SMF format.",
     "The file ends within the header's format field.",
     "ヘッダのフォーマットのフィールドの途中でファイルが終わっています。"),
    ("SMF形式の指定が不正です。SMF規格1.0では、0、1、2のいずれかを指定する必要がありますが、"
     "このファイルは{n}を指定しています。",
     "the SMF format given is invalid. SMF 1.0 requires 0, 1 or 2, but this file gives {n}.",
     "The header's format is not 0, 1 or 2.",
     "ヘッダのフォーマットが0・1・2のどれでもありません。"),
    ("トラックブロック数を読みとれません。",
     "cannot read the number of track blocks.",
     "The file ends within the header's track-count field.",
     "ヘッダのトラック数のフィールドの途中でファイルが終わっています。"),
    ("分解能を読みとれません。",
     "cannot read the time resolution.",
     "The file ends within the header's division field.",
     "ヘッダの分解能のフィールドの途中でファイルが終わっています。"),
    ("SMPTEの分解能が不正です。SMF規格1.0では、24・25・29・30のいずれかを指定する必要がありますが、"
     "このファイルは{n}を指定しています。",
     "the SMPTE resolution is invalid. SMF 1.0 requires one of 24, 25, 29 or 30, but this file gives {n}.",
     "The division is in SMPTE form (its top bit is set), and its frame rate is "
     "not 24, 25, 29 or 30 frames per second.",
     "分解能がSMPTE形式(最上位ビットが1)で、フレーム数が24・25・29・30のどれでもありません。"),
    ("チャンク形式が不正です。",
     "the chunk is malformed.",
     "Fewer than four bytes are left where a chunk type should stand, or the type "
     "is MThd again: a file has one header chunk.",
     "チャンクの種類の位置に4バイト残っていないか、種類が2つ目のMThdです。ヘッダチャンクは1つだけです。"),
    ("ブロックのデータ長を読みとれません。",
     "cannot read the data length of the block.",
     "The file ends within a chunk's length field.",
     "チャンクのデータ長フィールドの途中でファイルが終わっています。"),
    ("ブロックのデータ長が、指定の長さ({n})と異なります。",
     "the data length of the block differs from the given length ({n}).",
     "A chunk of unknown type declares {n} bytes of data, but the file ends before them.",
     "種類の不明なチャンクが{n}バイトのデータを宣言していますが、その前にファイルが終わっています。"),
    ("トラックのデータ長が、指定の長さ({n})と異なります。",
     "the data length of the track differs from the given length ({n}).",
     "The track's End of Track event does not end exactly at the {n} bytes that "
     "its track chunk declares.",
     "トラック終端イベントの終わりが、トラックチャンクで宣言した{n}バイトの終わりと一致しません。"),
    ("トラック数が間違っています。ヘッダブロックで指定したトラック数は{n}でしたが、"
     "実際のトラック数は{m}です。",
     "the number of tracks is wrong. The header block gave {n} tracks, but there are {m}.",
     "Found at the end of the file, so the offset is always 10, where the "
     "header's track count stands.",
     "ファイルの末尾で見つかるため、オフセットは常に、ヘッダのトラック数の位置である10です。"),
    ("トラックの最後に、トラック終端メタイベントが存在しません。",
     "at the end of the track there is no End of Track meta event.",
     "The bytes that the track chunk declares are used up and another event is "
     "due: the track has no End of Track event within them.",
     "トラックチャンクで宣言したバイト数を使い切ったのに、トラック終端イベントがありません。"),
    ("デルタタイムが不正です。",
     "the delta time is invalid.",
     "A delta time runs to more than four bytes, or the file ends within it.",
     "デルタタイムが4バイトを超えているか、その途中でファイルが終わっています。"),
    ("デルタタイムが存在するのに、イベントが存在しません。",
     "a delta time is present, but no event follows it.",
     "The file ends right after a delta time.",
     "デルタタイムの直後でファイルが終わっています。"),
    ("ランニングステータスが無効になっているので、MIDIイベントのステータスバイトを省略できません。",
     "running status is not in effect, so the status byte of a MIDI event cannot be left out.",
     "A data byte (below 80 hex) stands where a status byte is needed: at the "
     "start of a track, or after a SysEx or meta event, which cancel running status.",
     "ステータスバイトが必要な位置にデータバイト(80未満)があります。"
     "トラックの最初か、ランニングステータスを無効にするSysExかメタイベントの後です。"),
    ("{name}のステータスバイトを除いたデータ長は、1バイトでなければなりません。",
     "the data length of {name}, not counting the status byte, must be 1 byte.",
     "The file ends before the data byte of a Program Change or Channel Pressure message.",
     "プログラムチェンジかチャンネルプレッシャーのデータバイトの前でファイルが終わっています。"),
    ("{name}のステータスバイトを除いたデータ長は、2バイトでなければなりません。",
     "the data length of {name}, not counting the status byte, must be 2 bytes.",
     "The file ends before the two data bytes of a Note Off, Note On, Polyphonic "
     "Key Pressure, Control Change or Pitch Bend message.",
     "ノートオフ、ノートオン、ポリフォニックキープレッシャー、コントロールチェンジ、"
     "ピッチベンドの2バイトのデータの前でファイルが終わっています。"),
    ("SysExメッセージのデータ長を、取得できません。",
     "the data length of the SysEx message cannot be obtained.",
     "The length after an F0 or F7 status runs to more than four bytes, or the "
     "file ends within it.",
     "F0かF7のステータスの後のデータ長が4バイトを超えているか、その途中でファイルが終わっています。"),
    ("SysExメッセージのデータ長が、指定の長さ({n})と異なります。",
     "the data length of the SysEx message differs from the declared length ({n}).",
     "The file ends before the {n} bytes of data that the message declares.",
     "メッセージが宣言した{n}バイトのデータの前にファイルが終わっています。"),
    ("F0ステータスのSysExメッセージは、F7で終了しなければなりません。",
     "a SysEx message with status F0 must end with F7.",
     "The last data byte of an F0 message is not F7, or it has no data. An F7 "
     "(escape) message may end with any byte.",
     "F0のメッセージの最後のデータバイトがF7でないか、データがありません。"
     "F7(エスケープ)のメッセージはどのバイトで終わってもかまいません。"),
    ("不正なイベント({XX})です。",
     "invalid event ({XX}).",
     "Status byte {XX} (hexadecimal: F1 to F6, or F8 to FE) may not stand in a track.",
     "ステータスバイト{XX}(16進数でF1からF6、またはF8からFE)はトラックに置けません。"),
    ("メタイベントの形式を取得できません。",
     "the type of the meta event cannot be obtained.",
     "The file ends right after an FF status byte.",
     "FFのステータスバイトの直後でファイルが終わっています。"),
    ("メタイベントのデータ長を取得できません。",
     "the data length of the meta event cannot be obtained.",
     "A meta event's length runs to more than four bytes, or the file ends within it.",
     "メタイベントのデータ長が4バイトを超えているか、その途中でファイルが終わっています。"),
    ("メタイベントのデータ長が、指定の長さ({n})と異なります。",
     "the data length of the meta event differs from the specified length ({n}).",
     "The file ends before the {n} bytes of data that the event declares.",
     "イベントが宣言した{n}バイトのデータの前にファイルが終わっています。"),
] + [
    (f"{{name}}のデータ長は、{length}バイトでなければなりません。",
     f"the data length of {{name}} must be {length} byte{'' if length == 1 else 's'}.",
     f"The length that {english} declares is not {length}.",
     f"{japanese}のデータ長が{length}ではありません。")
    for length, english, japanese in [
        (0, "an End of Track event", "トラック終端"),
        (1, "a Channel Prefix event", "チャンネルプリフィックス"),
        (2, "a Sequence Number or Key Signature event", "シーケンス番号か調"),
        (3, "a Set Tempo event", "テンポ"),
        (4, "a Time Signature event", "拍子"),
        (5, "an SMPTE Offset event", "SMPTEオフセット"),
    ]
] + [
    ("{name}メタイベントは、トラックの冒頭、任意の0でないデルタタイムの前で、"
     "かつ、任意の送信可能なイベントの前に置かなければなりません。",
     "the {name} meta event must be placed at the head of the track, before any non-zero delta time and before any transmittable event.",
     "A Sequence Number or SMPTE Offset event comes after a non-zero delta time "
     "or after a channel or SysEx message in its track.",
     "シーケンス番号かSMPTEオフセットが、同じトラックの0でないデルタタイムか、"
     "チャンネルメッセージかSysExメッセージの後にあります。"),
    ("{name}メタイベントは、SMFフォーマット1では、第一トラックに置かなければなりません。",
     "in SMF format 1, the {name} meta event must be placed in the first track.",
     "A Set Tempo or SMPTE Offset event stands in a later track of a format 1 "
     "file; they belong in the first track chunk only.",
     "フォーマット1のファイルで、テンポかSMPTEオフセットが第一トラック以外にあります。"),
    ("著作権メタイベントには、(C)の文字と、著作物発行年と、著作権所有者名を含めなければいけません。",
     "the Copyright meta event must contain the characters (C), the year of publication of the work and the name of the copyright holder.",
     "Its text, up to any NUL byte, does not contain (C) with a capital C. The "
     "year and the holder are not checked.",
     "テキスト(NULバイトまで)に大文字の(C)がありません。発行年と所有者名は検証しません。"),
    ("著作権メタイベントは、第一トラックの最初に、デルタタイム0で置かなければなりません。",
     "the Copyright meta event must be placed at the very start of the first track, with delta time 0.",
     "A Copyright Notice is not the first event of the first track, or its delta "
     "time is not 0.",
     "著作権が第一トラックの最初のイベントでないか、デルタタイムが0ではありません。"),
    ("調メタイベントの、フラットの数が不正です。",
     "the number of flats in the Key Signature meta event is invalid.",
     "It gives more than 7 flats.",
     "フラットの数が7を超えています。"),
    ("調メタイベントの、シャープの数が不正です。",
     "the number of sharps in the Key Signature meta event is invalid.",
     "It gives more than 7 sharps.",
     "シャープの数が7を超えています。"),
    ("調メタイベントは、長調(0)と短調(1)しか指定できません。",
     "the Key Signature meta event can only specify major (0) or minor (1).",
     "Its mode byte is neither 0 nor 1.",
     "調の種類のバイトが0でも1でもありません。"),
]

WARNINGS = [
    ("不明なチャンク形式です。",
     "unknown chunk type.",
     "A chunk whose type is neither MThd nor MTrk. It is skipped whole, by its "
     "declared length.",
     "種類がMThdでもMTrkでもないチャンクです。宣言したデータ長のとおりに丸ごと読み飛ばします。"),
    ("メタイベントの種類が不明です。",
     "the kind of meta event is not recognised.",
     "A meta event of a type that SMF 1.0 does not define (among them 08 and 09, "
     "Program Name and Device Name, which came later). Its data is skipped.",
     "SMF規格1.0が定めていない種類のメタイベントです(後に追加された08と09、"
     "プログラム名とデバイス名も含みます)。データは読み飛ばします。"),
]

FILE_ERRORS = [
    ("{file}を開くことができませんでした。",
     "could not open {file}.",
     "It does not exist, cannot be read with your permissions, is not a regular "
     "file (a directory, device or pipe, say), or another program holds it "
     "locked (on Windows: open).",
     "ファイルが存在しない、読み取る権限がない、通常のファイルでない(ディレクトリ、デバイス、パイプなど)、"
     "または別のプログラムがロックしています(Windowsでは、開いています)。"),
    ("{file}のファイルサイズを取得できませんでした。",
     "could not get the file size of {file}.",
     "The file is 4 GiB or larger (offsets in the format are 32-bit), or its "
     "size could not be learnt.",
     "ファイルが4GiB以上(この形式のオフセットは32ビット)か、サイズを取得できませんでした。"),
    ("メモリの割り当てに失敗しました。",
     "memory allocation failed.",
     "There was not enough memory to hold the whole file, which is read into one block.",
     "ファイル全体を1つのブロックに読み込むためのメモリが足りませんでした。"),
    ("{file}を読みとることができませんでした。",
     "could not read {file}.",
     "Reading failed part way, or the file shrank while it was read.",
     "読み込みの途中で失敗したか、読み込み中にファイルが短くなりました。"),
    ("標準出力に書き込めませんでした。",
     "could not write to standard output.",
     "A line could not be written to standard output (a full disk, say). It is "
     "said after the last file, and the exit status is 1.",
     "標準出力に行を書き込めませんでした(ディスクがいっぱいなど)。最後のファイルの後に表示し、終了ステータスは1になります。"),
    ("標準エラー出力に書き込めませんでした。",
     "could not write to standard error.",
     "A diagnostic could not be written to standard error. It is said after the "
     "last file, if it can be, and the exit status is 1.",
     "標準エラー出力に診断メッセージを書き込めませんでした。書き込めれば最後のファイルの後に表示し、終了ステータスは1になります。"),
]

# Event names that stand for {name} in the messages above.
NAMES = [
    ("ノートオフ", "Note Off"), ("ノートオン", "Note On"),
    ("ポリフォニックキープレッシャー", "Polyphonic Key Pressure"),
    ("コントロールチェンジ", "Control Change"), ("プログラムチェンジ", "Program Change"),
    ("チャンネルプレッシャー", "Channel Pressure"), ("ピッチベンド", "Pitch Bend"),
    ("シーケンス番号", "Sequence Number"), ("著作権", "Copyright"),
    ("チャンネルプリフィックス", "Channel Prefix"), ("トラック終端", "End of Track"),
    ("テンポ", "Tempo"), ("SMPTEオフセット", "SMPTE Offset"),
    ("拍子", "Time Signature"), ("調", "Key Signature"),
]

# (form in the English page, in the Japanese page, heading, Japanese heading, rows)
GROUPS = [
    (r"\*(qE(\fIN\fP):\ ", r"エラー(\fIN\fP):\ ", "Errors at an offset",
     "オフセットのあるエラー", ERRORS),
    (r"\*(qW(\fIN\fP):\ ", r"警告(\fIN\fP):\ ", "Warnings at an offset",
     "オフセットのある警告", WARNINGS),
    (r"\*(qE:\ ", r"エラー:\ ", "File errors", "ファイルのエラー", FILE_ERRORS),
]

PLACEHOLDERS_EN = {"N": "N", "n": "n", "m": "m", "file": "file", "name": "name", "XX": "XX"}
PLACEHOLDERS_JA = {"N": "N", "n": "n", "m": "m", "file": "ファイル", "name": "名前", "XX": "XX"}

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


def english_section() -> list:
    lines = [
        ".SH DIAGNOSTICS",
        "Every message, by form, with its meaning.",
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
        # Japanese lines have too few spaces to be justified.
        ".ad l",
    ]
    for form, _, heading, _, rows in GROUPS:
        lines += [".SS " + heading]
        for message, english, meaning, _ in rows:
            english = fill(english, PLACEHOLDERS_EN)
            japanese = with_breaks(fill(message, PLACEHOLDERS_EN), as_escapes)
            lines += [
                ".TP",
                folded(r".ie '\*(.T'utf8' " + form + japanese),
                folded(r".el " + form + english),
                folded(r".if '\*(.T'utf8' \(lq" + english + r"\(rq"),
            ] + sentences(fill(meaning, PLACEHOLDERS_EN))
    # Where Japanese cannot be drawn the messages are in English already.
    lines += [
        ".if '\\*(.T'utf8' \\{\\",
        ".SS Event names",
        "The names that stand for",
        ".I name",
        "in the messages:",
    ]
    for japanese, english in NAMES:
        lines += [".TP", "".join(map(as_escapes, japanese)), english]
    lines += [r".\}", ".ad b"]
    return lines


def japanese_section() -> list:
    lines = [
        ".SH 診断メッセージ",
        r"すべての診断メッセージとその意味を、形式ごとに示します。\:\c",
        r"メッセージの中の\fIN\fRはバイトオフセット、\:\c",
        r"\fIn\fRと\fIm\fRはファイルの中の数値、\:\c",
        r"\fIファイル\fRは指定したファイル名、\:\c",
        r"\fI名前\fRはイベントの名前です。",
    ]
    for _, form, _, heading, rows in GROUPS:
        lines += [".SS " + heading]
        for message, _, _, meaning in rows:
            lines += [
                ".TP",
                folded(form + with_breaks(fill(message, PLACEHOLDERS_JA), str)),
                folded(with_breaks(fill(meaning, PLACEHOLDERS_JA), str)),
            ]
    return lines


def replace_section(page: pathlib.Path, section: list) -> None:
    begin = r'.\" DIAGNOSTICS: written by man/make_diagnostics.py'
    end = r'.\" end of DIAGNOSTICS'
    text = page.read_text(encoding="utf-8")
    head, rest = text.split(begin + "\n", 1)
    _, tail = rest.split(end + "\n", 1)
    page.write_text(head + begin + "\n" + "\n".join(section) + "\n" + end + "\n" + tail,
                    encoding="utf-8")


replace_section(here / "quelder.1", english_section())
replace_section(here / "ja" / "quelder.1", japanese_section())
