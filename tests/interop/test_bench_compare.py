"""bench/compare's own logic: the xlrd check accepts the peers' files and
rejects files that differ from the workload data; wait4 measures a writer's
peak RSS and a failing writer is reported as a failure; medians, ratios and
the scaling verdict come out of the numbers they are given.

The peer drivers run at a few rows (the SheetJS one only where its
node_modules are installed, which bench/compare does). The read races run
at a few rows too: every reader and converter on W1 files of lx_workloads
and of xlwt (LibreOffice's conversion, slow to start, only in
bench/compare), and their checks refuse a reader or CSV that lost a cell."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(os.path.dirname(os.path.dirname(HERE)), "bench")
PEERS = os.path.join(BENCH, "peers")
sys.path[:0] = [BENCH, PEERS]

import compare_lib as lib  # noqa: E402
import reads_lib  # noqa: E402
import xlwt_workloads  # noqa: E402

ROWS = 40
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def write_book(path, rows, decorated=False, tamper=None):
    """A W1/W2 file written with xlwt through the peer driver's fill, then changed by `tamper`."""
    book = xlwt.Workbook()
    sheet = book.add_sheet("Sheet1", cell_overwrite_ok=True)
    xlwt_workloads.fill_sheet(sheet, rows, 10, decorated)
    if tamper:
        tamper(sheet)
    book.save(path)


def check_peer_files(tmp):
    """Both peers write every workload exactly as the data rules say."""
    runs = [("xlwt", ["/usr/bin/python3", os.path.join(PEERS, "xlwt_workloads.py")])]
    if shutil.which("node") and os.path.isdir(os.path.join(PEERS, "node_modules", "xlsx")):
        runs.append(("sheetjs", ["node", os.path.join(PEERS, "sheetjs_workloads.js")]))
    else:
        print("SKIP: SheetJS peer not installed (bench/compare installs it)")
    for writer, command in runs:
        for workload in ("W1", "W2", "W3"):
            path = os.path.join(tmp, "%s_%s.xls" % (workload, writer))
            run = lib.run_process(command + [workload, "--out", path, "--rows", str(ROWS)], path)
            lib.validate_report(run, writer, workload, ROWS)
            result = lib.check_file(path, workload, ROWS, writer)
            check(result.ok, "%s %s: %s" % (writer, workload, result.summary()))
            check(result.cells == lib.expected_cells(workload, ROWS), "%s %s: %d cells" % (writer, workload, result.cells))
            check(run.file_size == os.path.getsize(path) > 0, "%s %s: file size %d" % (writer, workload, run.file_size))
            styled = writer in lib.STYLED_WRITERS
            check(result.bold_header == styled, "%s %s: bold header %r" % (writer, workload, result.bold_header))
            if workload == "W2":
                check(result.decorated == styled, "%s W2: decorated %r" % (writer, result.decorated))


def check_rejections(tmp):
    """Files that differ from the rules in one place fail, and say where."""
    def expect_fail(name, tamper, needle, workload="W1", rows=ROWS, written_rows=ROWS, writer="xlwt"):
        path = os.path.join(tmp, name + ".xls")
        write_book(path, written_rows, workload == "W2", tamper)
        result = lib.check_file(path, workload, rows, writer)
        check(not result.ok, "%s: accepted" % name)
        check(any(needle in p for p in result.problems), "%s: problems %r lack %r" % (name, result.problems, needle))
        return result

    plain = xlwt.XFStyle()
    expect_fail("wrong_value", lambda s: s.write(7, 1, 71.5), "Sheet1!B8 is 71.5")
    expect_fail("wrong_text", lambda s: s.write(3, 2, "Text x"), "Sheet1!C4")
    expect_fail("date_as_number", lambda s: s.write(5, 3, lib.FIRST_DATE + 8, plain), "column 4 has format")
    expect_fail("short", None, "non-empty cells, expected", rows=ROWS + 1)
    expect_fail("extra_cell", lambda s: s.write(2, 10, 1), "non-empty cells, expected")
    expect_fail("header_text", lambda s: s.write(0, 0, "Column 0", xlwt_workloads.make_style(bold=True)), "Sheet1!A1")
    expect_fail("header_not_bold", lambda s: s.write(0, 4, "Column 5"), "header row not bold")
    bare = expect_fail("w2_no_borders", lambda s: s.write(9, 0, 9 / 8, plain), "lack the red font", workload="W2")
    check(not bare.decorated, "w2_no_borders: reported decorated")

    # A writer without styles is not held to them, but what it lacks is still recorded.
    path = os.path.join(tmp, "unstyled.xls")
    write_book(path, ROWS, False)
    result = lib.check_file(path, "W2", ROWS, "sheetjs")
    check(result.ok and not result.decorated, "unstyled W2 for sheetjs: %s, decorated %r" % (result.summary(), result.decorated))

    junk = os.path.join(tmp, "junk.xls")
    with open(junk, "wb") as f:
        f.write(b"not a workbook" * 100)
    result = lib.check_file(junk, "W1", ROWS, "lx")
    check(not result.ok and "could not open" in result.summary(), "junk file: %s" % result.summary())


def check_processes(tmp):
    """Peak RSS comes from the child itself; failing or silent writers raise."""
    out = os.path.join(tmp, "touch.xls")
    grow = ("import json; b = bytearray(96 * 1024 * 1024); b[::4096] = b'x' * len(b[::4096]); open(%r, 'w').write('x');"
            "print(json.dumps({'writer': 'lx', 'workload': 'W1', 'cells': 1, 'build_s': 0.5, 'save_s': 0.25}))" % out)
    run = lib.run_process(["/usr/bin/python3", "-c", grow], out)
    check(96 * 1024 * 1024 <= run.peak_rss < 400 * 1024 * 1024, "peak RSS %d for a 96 MB child" % run.peak_rss)
    check(run.total_s == 0.75 and run.wall_s > 0 and run.file_size == 1, "run %r" % run)
    for name, script, needle in (("exit", "import sys; sys.exit(3)", "exited with 3"),
                                 ("silent", "open(%r, 'w').write('x')" % out, "no JSON line")):
        try:
            lib.run_process(["/usr/bin/python3", "-c", script], out)
            check(False, "%s writer not reported" % name)
        except lib.WriterFailed as error:
            check(needle in str(error), "%s writer: %s" % (name, error))
    try:
        lib.validate_report(run, "lx", "W1", 10)
        check(False, "a report with the wrong cell count passed")
    except lib.WriterFailed:
        pass
    # A program that prints no JSON line (quillon) is measured from outside only.
    quiet = lib.run_process(["/usr/bin/python3", "-c", "open(%r, 'w').write('xy')" % out], out, report=False)
    check(quiet.report == {} and quiet.file_size == 2 and quiet.wall_s > 0, "quiet run %r" % quiet)


def check_numbers():
    """Medians are taken metric by metric; ratios, targets and the scaling verdict follow the numbers."""
    def run(build, save, rss):
        return lib.Run(report={"cells": 1000, "build_s": build, "save_s": save}, wall_s=build + save + 0.1,
                       peak_rss=rss, file_size=10, path="-")
    m = lib.median_of([run(0.1, 0.9, 5), run(0.3, 0.2, 1), run(0.2, 0.4, 3)], "lx", "W1", 999)
    check((m.build_s, m.save_s, round(m.total_s, 9), m.peak_rss, m.rows) == (0.2, 0.4, 0.6, 3, 999), "median %r" % m)
    check(lib.ratio_text(1, 20) == "0.050 (1/20.0)" and lib.ratio_text(3, 2) == "1.500", "ratio text")
    check(lib.shape("W3") == (10, 20000, 8) and lib.shape("W4", 100) == (1, 100, 10), "shapes")
    check(lib.writers_for("W4") == ("lx",) and "sheetjs" in lib.writers_for("W2"), "writers per workload")

    def measured(writer, workload, total, rss, cells=655360, rows=65535):
        return lib.Measured(writer=writer, workload=workload, rows=rows, cells=cells, build_s=total / 2,
                            save_s=total / 2, total_s=total, wall_s=total, peak_rss=rss, file_size=1, runs=1)
    text = lib.targets([measured("lx", "W1", 0.1, 70_000_000), measured("xlwt", "W1", 2.0, 80_000_000),
                        measured("sheetjs", "W1", 3.0, 900_000_000), measured("lx", "W4", 0.05, 1)])
    check("W1 total lx/xlwt: 0.050 = 1/20.0 (target <= 1/15): met" in text, text)
    check("W1 total lx/sheetjs: 0.033 = 1/30.0 (target <= 1/40): NOT met" in text, text)
    check("107 bytes per cell (target <= 120): met" in text, text)
    check("lx vs xlwt: 70.0 MB vs 80.0 MB (target lx <= xlwt): met" in text, text)
    check("76.3 ns per cell" in text and "(target <= 60): NOT met" in text, text)

    linear = [measured("lx", "W1", t, 1, cells=c, rows=c) for t, c in ((1.0, 1000), (2.1, 2000), (4.0, 4000))]
    check("no superlinear step" in lib.scaling_table(linear), lib.scaling_table(linear))
    jump = [measured("lx", "W1", t, 1, cells=c, rows=c) for t, c in ((1.0, 1000), (2.0, 2000), (6.0, 4000))]
    check("SUPERLINEAR" in lib.scaling_table(jump), lib.scaling_table(jump))


def check_reads(tmp, build):
    """R1 and the CSV race at a few rows with the test build's programs:
    every reader reads every cell of both files, every converter writes
    every line; the checks catch a lost cell, a wrong sum and a short CSV."""
    bins = {"lx_read": os.path.join(build, "bench", "lx_read"),
            "lxconvert": os.path.join(build, "apps", "lxconvert", "lxconvert")}
    ours = os.path.join(tmp, "R1_lx.xls")
    lib.run_process([os.path.join(build, "bench", "lx_workloads"), "W1", "--out", ours, "--rows", str(ROWS)], ours)
    theirs = os.path.join(tmp, "R1_xlwt.xls")
    write_book(theirs, ROWS)
    readers = ["lx", "xlrd", "xls2csv"]
    if os.path.isdir(os.path.join(PEERS, "node_modules", "xlsx")):
        readers.append("sheetjs")
    rows = reads_lib.read_race({"ours": ours, "xlwt's": theirs}, ROWS, 1, 1, bins, PEERS, tmp, lambda _: None,
                               readers=readers)
    check(len(rows) == 2 * len(readers), "read rows %r" % rows)
    for r in rows:
        check(not r.problems and r.cpu_s > 0 and r.peak_rss > 0, "R1 %s %s: %r" % (r.what, r.program, r))
        check((r.inner_cpu_s is None) == (r.program == "xls2csv"), "R1 %s %s inner time %r" % (
            r.what, r.program, r.inner_cpu_s))
    converted = reads_lib.convert_race(ours, ROWS, 1, 1, bins, tmp, lambda _: None,
                                       converters=("lxconvert", "xls2csv", "ssconvert"))
    for r in converted:
        check(not r.problems and r.wall_s > 0, "convert %s: %r" % (r.program, r))
    text = reads_lib.read_table(rows) + reads_lib.convert_table(converted) + reads_lib.read_targets(rows)
    check("| ours | xlrd |" in text and "| R1_lx.xls | ssconvert |" in text and "lx/xls2csv" in text, text)

    want = reads_lib.expected_read(ROWS)
    check(want["cells"] == (ROWS + 1) * 10 and want["numbers"] == 8 * ROWS and want["texts"] == 2 * ROWS + 10,
          "expected %r" % want)
    check(not reads_lib.check_report(want, ROWS, "lx"), "the expected report refused")
    for key, value in (("cells", want["cells"] - 1), ("texts", want["texts"] + 1), ("sum", want["sum"] + 0.5)):
        problems = reads_lib.check_report(dict(want, **{key: value}), ROWS, "lx")
        check(len(problems) == 1 and key in problems[0], "%s off by one: %r" % (key, problems))
    short = os.path.join(tmp, "short.csv")
    with open(short, "w") as f:
        f.write("a,b,c,d,e,f,g,h,i,j\n" * (ROWS - 1) + "a,b\n")
    problems = reads_lib.csv_problems(short, ROWS, "x")
    check(len(problems) == 2 and "wrote %d lines" % ROWS in problems[0] and "line %d has 2 fields" % ROWS in problems[1],
          "short CSV: %r" % problems)

    def row(program, cpu, inner_cpu, rss):
        return reads_lib.Row(what="f", program=program, runs=1, wall_s=cpu, cpu_s=cpu, peak_rss=rss,
                             inner_s=inner_cpu, inner_cpu_s=inner_cpu)
    text = reads_lib.read_targets([row("lx", 0.1, 0.05, 40), row("xlrd", 2.0, 1.2, 50), row("xls2csv", 0.3, None, 9)])
    check("lx/xls2csv, CPU: 0.333 = 1/3.0" in text and "(target <= 1/4): NOT met" in text, text)
    check("lx/xlrd, CPU: 0.042 = 1/24.0" in text and "(target <= 1/20): met" in text, text)
    check("(target lx <= xlrd): met" in text, text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    args = parser.parse_args()
    tmp = tempfile.mkdtemp(prefix="bench_compare_")
    try:
        check_peer_files(tmp)
        check_rejections(tmp)
        check_processes(tmp)
        check_numbers()
        if args.bin_dir:
            check_reads(tmp, os.path.dirname(os.path.dirname(os.path.abspath(args.bin_dir))))
        else:
            print("SKIP: the read races need --bin-dir (the test build's tests/interop)")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: bench/compare checks, measures and reports as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
