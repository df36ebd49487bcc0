// SPDX-License-Identifier: MIT
// The bytes around a diagnostic's offset, sixteen to a row, the byte at the
// offset highlighted.

const bytesPerRow = 16;
const rowsAround = 4;

// The part of a file that the view shows for offset: whole rows, up to
// rowsAround rows before and after the offset's row.
export function hexWindow(offset, fileSize) {
  const row = Math.floor(offset / bytesPerRow) * bytesPerRow;
  const start = Math.max(0, row - rowsAround * bytesPerRow);
  const end = Math.min(fileSize, row + (rowsAround + 1) * bytesPerRow);
  return { start, end: Math.max(start, end) };
}

// value in upper-case hexadecimal, at least width digits.
export function hex(value, width) {
  return value.toString(16).toUpperCase().padStart(width, "0");
}

const printable = (byte) => (byte >= 0x20 && byte < 0x7f ? String.fromCharCode(byte) : ".");

// A <pre> of the rows of bytes (which begin at file offset start), with the
// byte at offset in a <mark>.
export function renderHexView(document, { bytes, start, offset }) {
  const pre = document.createElement("pre");
  pre.className = "hex";
  for (let rowStart = 0; rowStart < bytes.length; rowStart += bytesPerRow) {
    const row = bytes.subarray(rowStart, rowStart + bytesPerRow);
    pre.append(`${hex(start + rowStart, 8)}  `);
    appendCells(document, pre, row, start + rowStart, offset, (byte) => hex(byte, 2), " ");
    pre.append(" ".repeat(3 * (bytesPerRow - row.length) + 1));
    appendCells(document, pre, row, start + rowStart, offset, printable, "");
    pre.append("\n");
  }
  return pre;
}

function appendCells(document, parent, row, rowOffset, offset, show, separator) {
  row.forEach((byte, i) => {
    const text = show(byte);
    if (rowOffset + i === offset) {
      const mark = document.createElement("mark");
      mark.textContent = text;
      mark.dataset.offset = String(offset);
      parent.append(mark);
    } else {
      parent.append(text);
    }
    parent.append(separator);
  });
}
