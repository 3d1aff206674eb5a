"""The read races of bench/compare: R1 opens a W1 file into the model and
the converters turn one into CSV.

R1: our lx_read (bench/read.cpp) against xlrd's open_workbook
(bench/peers/xlrd_read.py) and SheetJS's readFile (bench/peers/sheetjs_read.js),
each timing its open inside the process and printing one JSON line with
what it read (cells, numbers, texts, the sum of the numbers), checked here
against the W1 data rules; and catdoc's xls2csv, a whole process writing
the CSV. Conversion: lxconvert, xls2csv, Gnumeric's ssconvert and
LibreOffice's soffice --convert-to csv, whole processes, each CSV checked
for one line per row of the sheet.

Every process is measured from outside as well: wall time and processor
time (user and system, the waited children included) from wait4. The peak
resident set is the one a reader reports from its own VmHWM; wait4's, the
only one known of the converters, also counts this script's memory from
before the program started and so never shows less than this script's size.
"""
import json
import os
import statistics
import subprocess
import tempfile
import time
from dataclasses import dataclass, field

import compare_lib

READERS = ("lx", "xlrd", "sheetjs", "xls2csv")
CONVERTERS = ("lxconvert", "xls2csv", "ssconvert", "soffice")


@dataclass
class Process:
    """One process as wait4 saw it, with its JSON line when it printed one."""
    wall_s: float
    cpu_s: float
    peak_rss: int
    report: dict = field(default_factory=dict)


def run(command, stdout_path=None, env=None, cwd=None):
    """Runs one process to its end; its standard output goes to stdout_path
    when given. A non-zero exit raises compare_lib.WriterFailed."""
    with tempfile.TemporaryFile() as captured, tempfile.TemporaryFile() as stderr:
        out = open(stdout_path, "wb") if stdout_path else captured
        try:
            started = time.perf_counter()
            child = subprocess.Popen(command, stdout=out, stderr=stderr, env=env, cwd=cwd)
            _, status, usage = os.wait4(child.pid, 0)
            wall = time.perf_counter() - started
        finally:
            if stdout_path:
                out.close()
        code = os.waitstatus_to_exitcode(status)
        stderr.seek(0)
        captured.seek(0)
        text = captured.read().decode(errors="replace")
        if code != 0:
            raise compare_lib.WriterFailed("%s exited with %d: %s" % (
                " ".join(command), code, stderr.read().decode(errors="replace").strip()[-2000:]))
    lines = [line for line in text.splitlines() if line.startswith("{")]
    report = json.loads(lines[-1]) if lines else {}
    return Process(wall_s=wall, cpu_s=usage.ru_utime + usage.ru_stime,
                   peak_rss=report.get("peak_rss") or usage.ru_maxrss * 1024, report=report)


def expected_read(rows):
    """What a reader must find in W1 of `rows` data rows: cells, numbers
    (dates included), texts and the sum of the numbers row by row."""
    numbers = texts = 0
    total = 0.0
    for r in range(1, rows + 1):
        types, values = compare_lib.expected_row(r, 10)
        for kind, value in zip(types, values):
            if kind == compare_lib.xlrd.XL_CELL_TEXT:
                texts += 1
            else:
                numbers += 1
                total += value
    return {"cells": (rows + 1) * 10, "numbers": numbers, "texts": texts + 10, "sum": total}


def check_report(report, rows, reader):
    """Problems of one reader's JSON line against the W1 data rules (empty: none)."""
    want = expected_read(rows)
    problems = ["%s read %s %r, expected %r" % (reader, key, report.get(key), want[key])
                for key in ("cells", "numbers", "texts") if report.get(key) != want[key]]
    got = report.get("sum")
    if not isinstance(got, (int, float)) or abs(got - want["sum"]) > 1e-9 * max(1.0, abs(want["sum"])):
        problems.append("%s summed the numbers to %r, expected %r" % (reader, got, want["sum"]))
    return problems


def csv_problems(path, rows, converter):
    """A CSV of W1 holds the header and one line per data row, ten fields
    each (no field of W1 holds a comma or a line break)."""
    with open(path, "rb") as f:
        lines = [line for line in f.read().decode("utf-8", errors="replace").splitlines() if line.strip()]
    problems = []
    if len(lines) != rows + 1:
        problems.append("%s wrote %d lines, expected %d" % (converter, len(lines), rows + 1))
    wide = [i for i, line in enumerate(lines) if line.count(",") != 9]
    if wide:
        problems.append("%s line %d has %d fields" % (converter, wide[0] + 1, lines[wide[0]].count(",") + 1))
    return problems


def reader_command(reader, path, bins, peers):
    if reader == "lx":
        return [bins["lx_read"], "--in", path]
    if reader == "xlrd":
        return ["/usr/bin/python3", os.path.join(peers, "xlrd_read.py"), "--in", path]
    if reader == "sheetjs":
        return ["node", os.path.join(peers, "sheetjs_read.js"), "--in", path]
    return ["xls2csv", path]


def converter_command(converter, path, csv_path, bins, profile):
    if converter == "lxconvert":
        return [bins["lxconvert"], path, csv_path]
    if converter == "ssconvert":
        return ["ssconvert", path, csv_path]
    # soffice names its output after the input, in --outdir.
    return ["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
            "--convert-to", "csv", "--outdir", os.path.dirname(csv_path), path]


@dataclass
class Row:
    """The median of K runs of one program on one file."""
    what: str
    program: str
    runs: int
    wall_s: float
    cpu_s: float
    peak_rss: int
    inner_s: float = None  # the read timed inside the process
    inner_cpu_s: float = None
    problems: list = field(default_factory=list)


def median_row(what, program, processes, problems):
    med = statistics.median
    inner = [p.report["read_s"] for p in processes if "read_s" in p.report]
    inner_cpu = [p.report["read_cpu_s"] for p in processes if "read_cpu_s" in p.report]
    return Row(what=what, program=program, runs=len(processes), wall_s=med(p.wall_s for p in processes),
               cpu_s=med(p.cpu_s for p in processes), peak_rss=int(med(p.peak_rss for p in processes)),
               inner_s=med(inner) if inner else None, inner_cpu_s=med(inner_cpu) if inner_cpu else None,
               problems=problems)


def read_race(files, rows, repeat, peer_repeat, bins, peers, work, step, readers=READERS):
    """R1 on each file {label: path}; returns the Rows."""
    rows_out = []
    for label, path in files.items():
        for reader in readers:
            processes, problems = [], []
            for i in range(repeat if reader == "lx" else peer_repeat):
                csv_path = os.path.join(work, "%s_%s.csv" % (label, reader)) if reader == "xls2csv" else None
                process = run(reader_command(reader, path, bins, peers), stdout_path=csv_path)
                processes.append(process)
                problems += csv_problems(csv_path, rows, reader) if csv_path else check_report(process.report, rows,
                                                                                               reader)
                step("R1 %s %s run %d: %s process %.3f s wall, %.3f s CPU, peak RSS %.1f MB" % (
                    label, reader, i + 1,
                    "read %.3f s (CPU %.3f s)," % (process.report["read_s"], process.report["read_cpu_s"])
                    if process.report else "", process.wall_s, process.cpu_s, process.peak_rss / 1e6))
            rows_out.append(median_row(label, reader, processes, sorted(set(problems))))
    return rows_out


def convert_race(path, rows, repeat, peer_repeat, bins, work, step, converters=CONVERTERS):
    """Each converter turns `path` into CSV; returns the Rows."""
    rows_out = []
    profile = tempfile.mkdtemp(prefix="lx_soffice_", dir=work)
    env = dict(os.environ, HOME=profile)
    for converter in converters:
        processes, problems = [], []
        for i in range(repeat if converter == "lxconvert" else peer_repeat):
            folder = os.path.join(work, "convert_%s_%d" % (converter, i + 1))
            os.makedirs(folder, exist_ok=True)
            csv_path = os.path.join(folder, os.path.splitext(os.path.basename(path))[0] + ".csv")
            if os.path.exists(csv_path):
                os.remove(csv_path)
            if converter == "xls2csv":
                process = run(["xls2csv", path], stdout_path=csv_path)
            else:
                process = run(converter_command(converter, path, csv_path, bins, profile), env=env)
            processes.append(process)
            problems += csv_problems(csv_path, rows, converter) if os.path.exists(csv_path) else [
                "%s wrote no %s" % (converter, csv_path)]
            step("convert %s run %d: %.3f s wall, %.3f s CPU, peak RSS %.1f MB" % (
                converter, i + 1, process.wall_s, process.cpu_s, process.peak_rss / 1e6))
        rows_out.append(median_row(os.path.basename(path), converter, processes, sorted(set(problems))))
    return rows_out


def _ratio(ours, theirs):
    return compare_lib.ratio_text(ours, theirs) if ours is not None and theirs else "-"


def read_table(rows):
    """R1's table; each peer row carries lx's ratio to it on the same file."""
    ours = {r.what: r for r in rows if r.program == "lx"}
    lines = ["| file | reader | open s (inside) | open CPU s (inside) | process s | process CPU s | peak RSS MB "
             "| check | open CPU lx/peer | process CPU lx/peer | RSS lx/peer |",
             "|---|---|---:|---:|---:|---:|---:|---|---:|---:|---:|"]
    for r in rows:
        lx = ours.get(r.what)
        peer = r.program != "lx" and lx is not None
        lines.append("| %s | %s | %s | %s | %.3f | %.3f | %.1f | %s | %s | %s | %s |" % (
            r.what, r.program, "%.3f" % r.inner_s if r.inner_s is not None else "-",
            "%.3f" % r.inner_cpu_s if r.inner_cpu_s is not None else "-", r.wall_s, r.cpu_s, r.peak_rss / 1e6,
            "ok" if not r.problems else "FAIL: " + "; ".join(r.problems[:3]),
            _ratio(lx.inner_cpu_s, r.inner_cpu_s) if peer else "-", _ratio(lx.cpu_s, r.cpu_s) if peer else "-",
            _ratio(lx.peak_rss, r.peak_rss) if peer else "-"))
    return "\n".join(lines)


def read_targets(rows):
    """R1's targets on each file: lx at most 1/4 of xls2csv's time (both
    whole processes: xls2csv times nothing inside), at most 1/20 of xlrd's
    open_workbook (both timed inside), peak RSS no more than xlrd's. Time is
    processor time, which other processes on the machine do not inflate; the
    wall-clock ratio is shown beside it."""
    get = {(r.what, r.program): r for r in rows}
    lines = []
    for what in dict.fromkeys(r.what for r in rows):
        lx = get.get((what, "lx"))
        if not lx:
            continue
        for peer, limit, ours, theirs, ours_wall, theirs_wall in (
                ("xls2csv", 4, "cpu_s", "cpu_s", "wall_s", "wall_s"),
                ("xlrd", 20, "inner_cpu_s", "inner_cpu_s", "inner_s", "inner_s")):
            p = get.get((what, peer))
            if not p or getattr(p, theirs) in (None, 0):
                continue
            value = getattr(lx, ours) / getattr(p, theirs)
            wall = getattr(lx, ours_wall) / getattr(p, theirs_wall)
            lines.append("- R1 %s lx/%s, CPU: %.3f = 1/%.1f (wall 1/%.1f) (target <= 1/%d): %s" % (
                what, peer, value, 1 / value, 1 / wall, limit, "met" if value <= 1 / limit else "NOT met"))
        x = get.get((what, "xlrd"))
        if x:
            lines.append("- R1 %s peak RSS lx vs xlrd: %.1f MB vs %.1f MB (target lx <= xlrd): %s" % (
                what, lx.peak_rss / 1e6, x.peak_rss / 1e6, "met" if lx.peak_rss <= x.peak_rss else "NOT met"))
    return "\n".join(lines)


def convert_table(rows):
    ours = next((r for r in rows if r.program == "lxconvert"), None)
    lines = ["| file | converter | process s | process CPU s | peak RSS MB | CSV check | CPU lx/peer | wall lx/peer |",
             "|---|---|---:|---:|---:|---|---:|---:|"]
    for r in rows:
        peer = r.program != "lxconvert" and ours is not None
        lines.append("| %s | %s | %.3f | %.3f | %.1f | %s | %s | %s |" % (
            r.what, r.program, r.wall_s, r.cpu_s, r.peak_rss / 1e6,
            "ok" if not r.problems else "FAIL: " + "; ".join(r.problems[:3]),
            _ratio(ours.cpu_s, r.cpu_s) if peer else "-", _ratio(ours.wall_s, r.wall_s) if peer else "-"))
    return "\n".join(lines)
