// SPDX-License-Identifier: MIT
// Build step: writes the page with every file it loads carried in an import
// map as a data: URL. Opened from disk, a browser loads no module, worker or
// fetched file from beside the page; from data: URLs it does, and over HTTP
// the page then makes no request for them either. The page resolves each of
// these names with import.meta.resolve, so it also works without the map.
//
//   node embed_files.mjs TEMPLATE OUTPUT FILE...
import { readFileSync, writeFileSync } from "node:fs";
import { basename, extname } from "node:path";

const mediaTypes = { ".mjs": "text/javascript", ".wasm": "application/wasm" };
const placeholder = "<!-- import map -->";

const [template, output, ...files] = process.argv.slice(2);
const imports = {};
for (const file of files) {
  const type = mediaTypes[extname(file)];
  if (type === undefined) throw new Error(`${file}: no media type for this kind of file`);
  imports[`./${basename(file)}`] = `data:${type};base64,${readFileSync(file).toString("base64")}`;
}
const page = readFileSync(template, "utf8");
if (!page.includes(placeholder)) throw new Error(`${template}: no line ${placeholder}`);
const map = `<script type="importmap">${JSON.stringify({ imports })}</script>`;
writeFileSync(output, page.replace(placeholder, () => map));
