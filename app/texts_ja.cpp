// SPDX-License-Identifier: MIT
// The Japanese texts. Built twice: with -fexec-charset=CP932 for quelder, the
// reference program, and as UTF-8 for quelder-utf8.
#include "app/texts.h"

namespace {

// One text per line, however long, so that the catalogues read side by side.
// clang-format off
constexpr Texts kJapanese = {
    .banner = "Quelder version 1.00\n"
              "指定のファイルが、SMF規格1.0に適合するかを検証します。\n"
              "使い方:\n"
              "%s [検証するファイル名(複数可)]\n",
    .progress = "%sが、SMF規格1.0に適合しているかを検証します:\n",
    .conforms = "検証結果: %sは、SMF規格1.0に適合しています。\n",
    .doesNotConform = "検証結果: %sは、SMF規格1.0に適合していません。\n",

    .openFailed = "エラー: %sを開くことができませんでした。\n",
    .sizeFailed = "エラー: %sのファイルサイズを取得できませんでした。\n",
    .memoryFailed = "エラー: メモリの割り当てに失敗しました。\n",
    .readFailed = "エラー: %sを読みとることができませんでした。\n",

    .outputLost = "エラー: 標準出力に書き込めませんでした。\n",
    .diagnosticsLost = "エラー: 標準エラー出力に書き込めませんでした。\n",

    .headerMalformed = "エラー(%d): ヘッダチャンク形式が不正です。\n",
    .headerLengthUnreadable = "エラー(%d): ヘッダブロックのデータ長を読みとれません。\n",
    .headerLengthNotSix = "エラー(%d): ヘッダブロックのデータ長が不正です。SMF規格1.0では、6を指定する必要がありますが、このファイルは%dを指定しています。\n",
    .formatUnreadable = "エラー(%d): SMF形式を読みとれません。\n",
    .formatInvalid = "エラー(%d): SMF形式の指定が不正です。SMF規格1.0では、0、1、2のいずれかを指定する必要がありますが、このファイルは%dを指定しています。\n",
    .tracksUnreadable = "エラー(%d): トラックブロック数を読みとれません。\n",
    .divisionUnreadable = "エラー(%d): 分解能を読みとれません。\n",
    .smpteInvalid = "エラー(%d): SMPTEの分解能が不正です。SMF規格1.0では、24・25・29・30のいずれかを指定する必要がありますが、このファイルは%dを指定しています。\n",

    .chunkMalformed = "エラー(%d): チャンク形式が不正です。\n",
    .chunkLengthUnreadable = "エラー(%d): ブロックのデータ長を読みとれません。\n",
    .unknownChunk = "警告(%d): 不明なチャンク形式です。\n",
    .blockLengthWrong = "エラー(%d): ブロックのデータ長が、指定の長さ(%d)と異なります。\n",
    .trackLengthWrong = "エラー(%d): トラックのデータ長が、指定の長さ(%d)と異なります。\n",
    .trackCountWrong = "エラー(%d): トラック数が間違っています。ヘッダブロックで指定したトラック数は%dでしたが、実際のトラック数は%dです。\n",

    .endOfTrackMissing = "エラー(%d): トラックの最後に、%sメタイベントが存在しません。\n",
    .deltaTimeInvalid = "エラー(%d): デルタタイムが不正です。\n",
    .eventMissing = "エラー(%d): デルタタイムが存在するのに、イベントが存在しません。\n",
    .statusOmitted = "エラー(%d): ランニングステータスが無効になっているので、MIDIイベントのステータスバイトを省略できません。\n",
    .oneDataByte = "エラー(%d): %sのステータスバイトを除いたデータ長は、1バイトでなければなりません。\n",
    .twoDataBytes = "エラー(%d): %sのステータスバイトを除いたデータ長は、2バイトでなければなりません。\n",
    .sysExLengthUnreadable = "エラー(%d): SysExメッセージのデータ長を、取得できません。\n",
    .sysExLengthWrong = "エラー(%d): SysExメッセージのデータ長が、指定の長さ(%d)と異なります。\n",
    .sysExUnterminated = "エラー(%d): F0ステータスのSysExメッセージは、F7で終了しなければなりません。\n",
    .invalidEvent = "エラー(%d): 不正なイベント(%2X)です。\n",

    .metaTypeMissing = "エラー(%d): メタイベントの形式を取得できません。\n",
    .metaLengthUnreadable = "エラー(%d): メタイベントのデータ長を取得できません。\n",
    .metaLengthMustBe = {
        "エラー(%d): %sのデータ長は、0バイトでなければなりません。\n",
        "エラー(%d): %sのデータ長は、1バイトでなければなりません。\n",
        "エラー(%d): %sのデータ長は、2バイトでなければなりません。\n",
        "エラー(%d): %sのデータ長は、3バイトでなければなりません。\n",
        "エラー(%d): %sのデータ長は、4バイトでなければなりません。\n",
        "エラー(%d): %sのデータ長は、5バイトでなければなりません。\n",
    },
    .metaDataLengthWrong = "エラー(%d): メタイベントのデータ長が、指定の長さ(%d)と異なります。\n",
    .unknownMetaType = "警告(%d): メタイベントの種類が不明です。\n",

    .notAtTrackStart = "エラー(%d): %sメタイベントは、トラックの冒頭、任意の0でないデルタタイムの前で、かつ、任意の送信可能なイベントの前に置かなければなりません。\n",
    .notInFirstTrack = "エラー(%d): %sメタイベントは、SMFフォーマット1では、第一トラックに置かなければなりません。\n",
    .copyrightSignMissing = "エラー(%d): %sメタイベントには、(C)の文字と、著作物発行年と、著作権所有者名を含めなければいけません。\n",
    .copyrightMisplaced = "エラー(%d): %sメタイベントは、第一トラックの最初に、デルタタイム0で置かなければなりません。\n",
    .tooManyFlats = "エラー(%d): %sメタイベントの、フラットの数が不正です。\n",
    .tooManySharps = "エラー(%d): %sメタイベントの、シャープの数が不正です。\n",
    .modeInvalid = "エラー(%d): %sメタイベントは、長調(0)と短調(1)しか指定できません。\n",

    .channelMessages = {"ノートオフ", "ノートオン", "ポリフォニックキープレッシャー",
                        "コントロールチェンジ", "プログラムチェンジ", "チャンネルプレッシャー",
                        "ピッチベンド"},
    .metaEvents = {
        .sequenceNumber = "シーケンス番号",
        .text = "テキスト",
        .copyright = "著作権",
        .trackName = "トラック名",
        .instrumentName = "楽器名",
        .lyric = "歌詞",
        .marker = "マーカー",
        .cuePoint = "キューポイント",
        .programName = "プログラム名",
        .deviceName = "デバイス名",
        .channelPrefix = "チャンネルプリフィックス",
        .endOfTrack = "トラック終端",
        .tempo = "テンポ",
        .smpteOffset = "SMPTEオフセット",
        .timeSignature = "拍子",
        .keySignature = "調",
        .sequencerSpecific = "シーケンサー固有メタイベント",
    },
};
// clang-format on

}  // namespace

const Texts& texts() { return kJapanese; }
TextEncoding textEncoding() { return literalEncoding(); }
