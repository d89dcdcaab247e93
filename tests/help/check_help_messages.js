// The help page's troubleshooting is keyed by the messages the program shows: every one of them
// must stand in the program's sources (string literals joined as the compiler joins them) and,
// word for word, in the help page.
// Usage: node check_help_messages.js <page.htm> <source file>...
"use strict";

const fs = require("fs");

const messages = [
  "Err1 - DLL-Error! - File not found!",
  "Err3 - Can't open LPT1!",
  "Err3 - Can't open LPT2!",
  "Err31 - BA n.def.",
  "port not available",
  "LPT-port not available",
  "Time-Err - Must open Port!",
  "Err - No Port open!",
  "Err - No Port open or wrong value!",
  "Nur '1', '0' und Leerzeichen!",
  "extends 1023",
  "8-bit-Bus?",
  "Reading 8-bit-bus via PS2/EPP-compatible port device DR(BA+0). Not supported by SR(BA+1)!",
  "Port war gar nicht geöffnet",
  "Program-Error (ID: Dialog)",
];
const captions = [
  "Orvo_LPT-Port-Modul",
  "Orvo_LPTio_HD44780-Modul",
  "Modul Orvo_commonTools",
  "Lumivex_Dilaog-Modul",
];

// The texts of a C++ source's string literals, adjacent literals joined into one.
function literals(source) {
  const texts = [];
  const literal = /"((?:[^"\\\n]|\\.)*)"(\s*)/g;
  let joined = null;
  let end = -1;
  for (const match of source.matchAll(literal)) {
    const text = match[1].replace(/\\(.)/g, "$1");
    if (joined !== null && match.index === end) joined += text;
    else {
      if (joined !== null) texts.push(joined);
      joined = text;
    }
    end = match.index + match[0].length;
  }
  if (joined !== null) texts.push(joined);
  return texts;
}

// The page's text as a reader sees it: tags dropped, entities and white space resolved.
function pageText(html) {
  const entities = { amp: "&", lt: "<", gt: ">", quot: '"', apos: "'", nbsp: " " };
  return html
    .replace(/<style[\s\S]*?<\/style>/g, " ")
    .replace(/<[^>]*>/g, "")
    .replace(/&(\w+);/g, (entity, name) => entities[name] ?? entity)
    .replace(/&#(\d+);/g, (_, code) => String.fromCodePoint(Number(code)))
    .replace(/\s+/g, " ");
}

const [pagePath, ...sourcePaths] = process.argv.slice(2);
const inSources = new Set(sourcePaths.flatMap((p) => literals(fs.readFileSync(p, "utf8"))));
const page = pageText(fs.readFileSync(pagePath, "utf8"));
const problems = [];
for (const text of [...messages, ...captions]) {
  if (!inSources.has(text)) problems.push(`the program no longer shows "${text}"`);
  if (!page.includes(text)) problems.push(`the help page does not quote "${text}"`);
}
for (const problem of problems) console.error(problem);
console.log(`${messages.length} messages and ${captions.length} captions checked`);
process.exitCode = problems.length === 0 ? 0 : 1;
