// SPDX-License-Identifier: MIT
// The page's own texts, in each language it offers. The checker's texts come
// from the checker (quelder-<language>.wasm), never from here.

export const pageTexts = {
  ja: {
    title: "Quelder — SMF規格1.0の適合性検証",
    intro: "スタンダードMIDIファイルかフォルダを選ぶか、このページにドロップしてください。" +
      "検証はこのページの中で行われ、ファイルはどこにも送信されません。",
    choose: "ファイルを選ぶ(複数可)",
    chooseFolder: "フォルダを選ぶ",
    drop: "ここにファイルやフォルダをドロップ",
    folderUnreadable: "ドロップされたフォルダ({folders})の中身をブラウザが読み出せませんでした。" +
      "ディスクから開いたページでは「フォルダを選ぶ」を使ってください。",
    language: "表示言語",
    results: "検証結果",
    clear: "結果を消去",
    progress: "{total}件中{done}件を検証しました",
    tally: "適合 {conforms} · 警告あり {warnings} · 不適合 {doesNotConform} · 読み込めない {cannotBeRead}",
    show: "表示",
    showAll: "すべてのファイル",
    showProblems: "適合しないファイル",
    showDiagnostics: "エラーか警告のあるファイル",
    search: "名前かコードで絞り込む",
    exportShown: "表示中の結果を書き出す:",
    tableCaption: "ファイルごとの検証結果。列の見出しで並べ替え、ファイル名で詳細を開きます。",
    columnName: "ファイル",
    columnVerdict: "判定",
    columnCode: "最初の診断",
    columnLocation: "位置",
    waiting: "待機中",
    details: "詳細",
    checking: "検証中…",
    conforms: "適合",
    conformsWithWarnings: "適合(警告あり)",
    doesNotConform: "不適合",
    cannotBeRead: "読み込めません",
    error: "エラー",
    warning: "警告",
    "file-error": "ファイルのエラー",
    "beyond-reference": "基準の規則の外",
    grade_reason: "この区分の理由",
    findings: "コマンドラインが報告しない所見",
    findingsIntro: "最初のエラーの後(ファイルをまだ正しく読み進められるところまで)と、基準の規則が調べない規則で見つかったものです。上の判定は変わりません。",
    "group-structure": "構造 — ここから先はSMFとして読めません",
    "group-content": "内容 — 読めますが、値か位置が規則に反しています",
    "group-recommendation": "推奨 — 規格の「すべき」か、このプログラム独自の規則",
    "group-warning": "警告",
    "group-beyond-reference": "基準の規則の外 — 判定には影響しません",
    afterFirstError: "(最初のエラーの後)",
    moreFindings: "ほかに{count}件の所見があります(書き出したJSON Linesに含まれます)。",
    fromRecommendation: "この判定は推奨事項(規格の「すべき」か、このプログラム独自の規則)によるもので、ファイルが壊れているためではありません。その後に見つかったものを下に示します。",
    fromRecommendationOnly: "この判定は推奨事項(規格の「すべき」か、このプログラム独自の規則)によるもので、ファイルが壊れているためではありません。その後には何も見つかりませんでした。",
    notSmf: "これはスタンダードMIDIファイルではなく、{name}のようです。",
    containerChecked: "これは{name}です。中のSMF(オフセット {offset} から)を検証し、その結果を下の所見に示します。",
    containerWithoutSmf: "これは{name}ですが、中にSMFが見つかりませんでした。",
    "format-empty-file": "このファイルは空です。",
    "format-unknown-file": "先頭のバイトはスタンダードMIDIファイルのものでも、このページが知るほかの種類のファイルのものでもありません。",
    "format-rmid": "RIFF MIDIファイル(RMID)",
    "format-macbinary": "MacBinaryファイル",
    "format-wave": "WAVE音声ファイル",
    "format-mp3": "MP3ファイル",
    "format-ogg": "Oggファイル",
    "format-flac": "FLAC音声ファイル",
    "format-zip": "ZIPアーカイブ",
    "format-gzip": "gzip圧縮ファイル",
    "format-7z": "7zアーカイブ",
    "format-rar": "RARアーカイブ",
    "format-lha": "LHAアーカイブ",
    "format-pdf": "PDF文書",
    "format-png": "PNG画像",
    "format-jpeg": "JPEG画像",
    "format-gif": "GIF画像",
    "format-html": "HTMLページ",
    "format-xml": "XML文書",
    "format-text": "テキストファイル",
    offset: "オフセット {decimal} (0x{hex})",
    location: "トラック {track}、イベント {event}、ティック {tick}",
    rule: "規則",
    readers: "読み手の扱い",
    moreDiagnostics: "ほかに{count}件の診断があります(上の出力を参照)。",
    metaType: "このメタイベントの種類: FF {hex}(16進)",
    hexCaption: "オフセット {decimal} (0x{hex}) 付近のバイト。強調したバイトがオフセットの位置です。",
    beyondEnd: "オフセット {decimal} (0x{hex}) はファイルの末尾({size}バイト)の先です。",
    unreadable: "このファイルを読み込めませんでした(このページのメモリに収まらないか、読めないファイルです)。",
    checkerFailed: "検証が途中で止まりました: {detail}",
    noWebAssembly: "このブラウザはWebAssemblyに対応していないため、検証できません。",
    elapsed: "{milliseconds} ms",
    checkerLanguage: "",
  },
  en: {
    title: "Quelder — SMF 1.0 conformance check",
    intro: "Choose Standard MIDI Files or a folder of them, or drop them on this page. " +
      "They are checked inside this page and sent nowhere.",
    choose: "Choose files (one or more)",
    chooseFolder: "Choose a folder",
    drop: "Drop files or folders here",
    folderUnreadable: "The browser would not list the folder dropped ({folders}). " +
      "On a page opened from disk, use “Choose a folder” instead.",
    language: "Language",
    results: "Results",
    clear: "Clear results",
    progress: "Checked {done} of {total}",
    tally: "Conform: {conforms} · With warnings: {warnings} · Do not conform: {doesNotConform} · Cannot be read: {cannotBeRead}",
    show: "Show",
    showAll: "All files",
    showProblems: "Files that do not conform",
    showDiagnostics: "Files with errors or warnings",
    search: "Filter by name or code",
    exportShown: "Export the rows shown:",
    tableCaption: "Results by file. Sort by a column's heading; open a file's details by its name.",
    columnName: "File",
    columnVerdict: "Verdict",
    columnCode: "First diagnostic",
    columnLocation: "Where",
    waiting: "Waiting",
    details: "Details",
    checking: "Checking…",
    conforms: "Conforms",
    conformsWithWarnings: "Conforms, with warnings",
    doesNotConform: "Does not conform",
    cannotBeRead: "Cannot be read",
    error: "Error",
    warning: "Warning",
    "file-error": "File error",
    "beyond-reference": "Beyond the reference rules",
    grade_reason: "Why this grade",
    findings: "What the command line does not report",
    findingsIntro: "Found past the first error, as far as the file can still be read soundly, and under rules the reference check leaves out. The verdict above stays as it is.",
    "group-structure": "Structure — the file cannot be read as an SMF past here",
    "group-content": "Content — the file reads, but a value or a placement breaks a rule",
    "group-recommendation": "Recommendation — a “should” of the standard or a house rule",
    "group-warning": "Warnings",
    "group-beyond-reference": "Beyond the reference rules — never changes the verdict",
    afterFirstError: "(after the first error)",
    moreFindings: "{count} more findings: see the JSON Lines export.",
    fromRecommendation: "The verdict comes from a recommendation (a “should” of the standard or a house rule), not from damage to the file. What the check found after it is below.",
    fromRecommendationOnly: "The verdict comes from a recommendation (a “should” of the standard or a house rule), not from damage to the file. Nothing else was found after it.",
    notSmf: "This looks like {name}, not a Standard MIDI File.",
    containerChecked: "This is {name}; the SMF inside it (from offset {offset}) was checked, and what that check found is under the findings below.",
    containerWithoutSmf: "This is {name}, but it holds no SMF.",
    "format-empty-file": "This file is empty.",
    "format-unknown-file": "Its first bytes are neither a Standard MIDI File's nor those of any other kind of file this page knows.",
    "format-rmid": "a RIFF MIDI file (RMID)",
    "format-macbinary": "a MacBinary file",
    "format-wave": "a WAVE audio file",
    "format-mp3": "an MP3 file",
    "format-ogg": "an Ogg file",
    "format-flac": "a FLAC audio file",
    "format-zip": "a ZIP archive",
    "format-gzip": "a gzip-compressed file",
    "format-7z": "a 7z archive",
    "format-rar": "a RAR archive",
    "format-lha": "an LHA archive",
    "format-pdf": "a PDF document",
    "format-png": "a PNG image",
    "format-jpeg": "a JPEG image",
    "format-gif": "a GIF image",
    "format-html": "an HTML page",
    "format-xml": "an XML document",
    "format-text": "a plain text file",
    offset: "offset {decimal} (0x{hex})",
    location: "track {track}, event {event}, tick {tick}",
    rule: "Rule",
    readers: "What readers do",
    moreDiagnostics: "{count} more diagnostics: see the output above.",
    metaType: "This meta event's type: FF {hex} (hex).",
    hexCaption: "Bytes around offset {decimal} (0x{hex}); the highlighted byte is at the offset.",
    beyondEnd: "Offset {decimal} (0x{hex}) lies past the end of the file ({size} bytes).",
    unreadable: "This file could not be read (too large for this page's memory, or unreadable).",
    checkerFailed: "The check stopped: {detail}",
    noWebAssembly: "This browser has no WebAssembly, so it cannot check files.",
    elapsed: "{milliseconds} ms",
    checkerLanguage: "The checker's own messages are in Japanese in this build.",
  },
};

// The text of key in language, with each {name} replaced by values[name]; a
// value { text: key } is that key's own text in the language.
export function pageText(language, key, values = {}) {
  return pageTexts[language][key].replace(/\{(\w+)\}/g, (_, name) => {
    const value = values[name];
    return typeof value === "object" && value !== null ? pageText(language, value.text) : String(value);
  });
}

// Sets the document's language and the text of every element that names one
// in data-text, with the values in its data-values (JSON), if any.
export function showPageTexts(document, language) {
  document.documentElement.lang = language;
  document.title = pageText(language, "title");
  for (const element of document.querySelectorAll("[data-text]")) {
    const values = element.dataset.values ? JSON.parse(element.dataset.values) : {};
    element.textContent = pageText(language, element.dataset.text, values);
  }
}

// An element showing text key (with values) in the page's language, which
// showPageTexts keeps it in.
export function textElement(document, tag, key, values = {}) {
  const element = document.createElement(tag);
  element.dataset.text = key;
  element.dataset.values = JSON.stringify(values);
  element.textContent = pageText(document.documentElement.lang, key, values);
  return element;
}
