#!/usr/bin/env node
// The read workload of bench/compare (R1) through SheetJS (npm package `xlsx`).
//
//   node sheetjs_read.js --in FILE
//
// Times XLSX.readFile(FILE) inside the process (wall clock and processor
// time, user and system) and prints the JSON line of bench/read.cpp: the
// first sheet's non-empty cells, how many are numbers and texts, the sum of
// the numbers row by row, and the process's peak resident set in bytes
// (VmHWM, which counts this program alone).
'use strict';

const path = require('path');
const XLSX = require(path.join(__dirname, 'node_modules', 'xlsx'));

const args = process.argv.slice(2);
if (args.length !== 2 || args[0] !== '--in') {
  process.stderr.write('usage: sheetjs_read.js --in FILE\n');
  process.exit(2);
}

function peakResident() {
  const status = require('fs').readFileSync('/proc/self/status', 'utf8');
  const line = status.split('\n').find((l) => l.startsWith('VmHWM:'));
  return line ? parseInt(line.slice(6), 10) * 1024 : 0;
}

const started = process.hrtime.bigint();
const cpu = process.cpuUsage();
const book = XLSX.readFile(args[1]);
const read = Number(process.hrtime.bigint() - started) / 1e9;
const used = process.cpuUsage(cpu);
const readCpu = (used.user + used.system) / 1e6;

const sheet = book.Sheets[book.SheetNames[0]];
const range = XLSX.utils.decode_range(sheet['!ref'] || 'A1:A1');
let cells = 0;
let numbers = 0;
let texts = 0;
let sum = 0;
for (let r = range.s.r; r <= range.e.r; ++r) {
  for (let c = range.s.c; c <= range.e.c; ++c) {
    const cell = sheet[XLSX.utils.encode_cell({ r, c })];
    if (!cell || cell.t === 'z') continue;
    ++cells;
    if (cell.t === 'n' || cell.t === 'd') {
      ++numbers;
      sum += cell.v;
    } else if (cell.t === 's') {
      ++texts;
    }
  }
}
process.stdout.write(JSON.stringify({
  reader: 'sheetjs', cells, numbers, texts, sum, read_s: Number(read.toFixed(4)),
  read_cpu_s: Number(readCpu.toFixed(4)), peak_rss: peakResident(),
}) + '\n');
