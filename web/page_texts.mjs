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

// The text of key in language, with each {name} replaced by values[name].
export function pageText(language, key, values = {}) {
  return pageTexts[language][key].replace(/\{(\w+)\}/g, (_, name) => String(values[name]));
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
