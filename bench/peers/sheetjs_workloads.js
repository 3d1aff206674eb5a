#!/usr/bin/env node
// The bench/compare workloads written through SheetJS (npm package `xlsx`) as BIFF8.
//
//   node sheetjs_workloads.js W1|W2|W3 --out FILE [--rows N] [--format html]
//
// Writes the same cells as bench/workloads.cpp (its header comment holds the
// data rules) and prints the same JSON line: build_s is the time to fill the
// in-memory workbook, save_s the time of writeFile (save_cpu_s its processor
// time, user and system), peak_rss the process's
// peak resident set in bytes. With --format html the first sheet goes
// through XLSX.utils.sheet_to_html instead, and save_s is the time of that
// call and of writing its text to the file.
//
// The community build writes values and number formats but no cell styles:
// the header's bold and W2's font colour, fill and borders are attached as
// cell style objects (one shared object per kind, as a SheetJS user writes
// them) and the writer leaves them out of the file. Date cells are number
// serials carrying the "yyyy-mm-dd" format in `z`.
'use strict';

const path = require('path');
const XLSX = require(path.join(__dirname, 'node_modules', 'xlsx'));

const FIRST_DATE = 43831; // 2020-01-01
const DISTINCT_TEXTS = 1000;
const DATE_FORMAT = 'yyyy-mm-dd';

function usage() {
  process.stderr.write('usage: sheetjs_workloads.js W1|W2|W3 --out FILE [--rows N]\n');
  process.exit(2);
}

function dataCell(r, c, style) {
  let cell;
  switch (c % 4) {
    case 0:
      cell = { t: 'n', v: r / 8 + c };
      break;
    case 1:
      cell = { t: 'n', v: r * 10 + c };
      break;
    case 2:
      cell = { t: 's', v: 'Text ' + ((r * 7 + c) % DISTINCT_TEXTS) };
      break;
    default:
      cell = { t: 'n', v: FIRST_DATE + ((r + c) % 3000), z: DATE_FORMAT };
  }
  if (style) cell.s = style;
  return cell;
}

function fillSheet(rows, columns, decorated) {
  const sheet = {};
  const header = { font: { bold: true } };
  for (let c = 0; c < columns; ++c) {
    sheet[XLSX.utils.encode_cell({ r: 0, c })] = { t: 's', v: 'Column ' + (c + 1), s: header };
  }
  const style = decorated
    ? {
        font: { color: { rgb: 'FF0000' } },
        fill: { patternType: 'solid', fgColor: { rgb: 'FFFF00' } },
        border: {
          top: { style: 'thin' },
          bottom: { style: 'thin' },
          left: { style: 'thin' },
          right: { style: 'thin' },
        },
      }
    : null;
  // Column letters once; the row number is appended per cell.
  const letters = [];
  for (let c = 0; c < columns; ++c) letters.push(XLSX.utils.encode_col(c));
  for (let r = 1; r <= rows; ++r) {
    const suffix = String(r + 1);
    for (let c = 0; c < columns; ++c) sheet[letters[c] + suffix] = dataCell(r, c, style);
  }
  sheet['!ref'] = XLSX.utils.encode_range({ s: { r: 0, c: 0 }, e: { r: rows, c: columns - 1 } });
  return sheet;
}

function main(argv) {
  const workload = argv[0];
  if (!['W1', 'W2', 'W3'].includes(workload)) usage();
  let out = null;
  let rows = null;
  let html = false;
  for (let i = 1; i < argv.length; i += 2) {
    if (i + 1 >= argv.length) usage();
    if (argv[i] === '--out') out = argv[i + 1];
    else if (argv[i] === '--rows') rows = Number(argv[i + 1]);
    else if (argv[i] === '--format' && argv[i + 1] === 'html') html = true;
    else usage();
  }
  const many = workload === 'W3';
  if (rows === null) rows = many ? 20000 : 65535;
  if (!out || !Number.isInteger(rows) || rows < 0 || rows > 65535) usage();
  const sheets = many ? 10 : 1;
  const columns = many ? 8 : 10;

  const started = process.hrtime.bigint();
  const book = XLSX.utils.book_new();
  for (let s = 0; s < sheets; ++s) {
    XLSX.utils.book_append_sheet(book, fillSheet(rows, columns, workload === 'W2'), 'Sheet' + (s + 1));
  }
  const build = Number(process.hrtime.bigint() - started) / 1e9;

  const saving = process.hrtime.bigint();
  const cpuBefore = process.cpuUsage();
  if (html) {
    require('fs').writeFileSync(out, XLSX.utils.sheet_to_html(book.Sheets[book.SheetNames[0]]));
  } else {
    XLSX.writeFile(book, out, { bookType: 'biff8' });
  }
  const save = Number(process.hrtime.bigint() - saving) / 1e9;
  const cpu = process.cpuUsage(cpuBefore);
  const saveCpu = (cpu.user + cpu.system) / 1e6;

  const line = {
    writer: 'sheetjs',
    workload,
    rows,
    cells: sheets * (rows + 1) * columns,
    build_s: Number(build.toFixed(4)),
    save_s: Number(save.toFixed(4)),
    save_cpu_s: Number(saveCpu.toFixed(4)),
    peak_rss: process.resourceUsage().maxRSS * 1024,
  };
  process.stdout.write(JSON.stringify(line) + '\n');
}

main(process.argv.slice(2));
