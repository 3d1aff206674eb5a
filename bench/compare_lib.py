"""The pieces of bench/compare: running one writer process and measuring it,
proving its file with python3-xlrd, and printing the side-by-side table.

Every writer (bench/workloads.cpp for our engine, bench/peers/* for the peers)
prints one JSON line {"writer","workload","rows","cells","build_s","save_s",
"peak_rss"}; the harness adds what it sees from outside the process: wall
time, the peak resident set reported by wait4 and the size of the file.
"""
import json
import os
import statistics
import subprocess
import tempfile
import time
from dataclasses import dataclass, field

import xlrd

# The data rules of bench/workloads.cpp, repeated here to check every file.
FIRST_DATE = 43831
DISTINCT_TEXTS = 1000
DATE_FORMAT = "yyyy-mm-dd"
RED = 10  # BIFF palette index of ColorIndex 3
YELLOW = 13  # BIFF palette index of ColorIndex 6
BOLD_WEIGHT = 700
THIN = 1
SOLID = 1

WORKLOADS = ("W1", "W2", "W3", "W4")
ALL_WRITERS = ("lx", "xlwt", "sheetjs")
# Writers that write cell styles; the community SheetJS build does not.
STYLED_WRITERS = ("lx", "xlwt")


def writers_for(workload):
    """The array workload exercises our engine's range assignment only."""
    return ("lx",) if workload == "W4" else ALL_WRITERS


def shape(workload, rows=None):
    """(sheets, data rows, columns) of a workload; rows=None takes its default."""
    if workload == "W3":
        return 10, 20000 if rows is None else rows, 8
    return 1, 65535 if rows is None else rows, 10


def expected_cells(workload, rows=None):
    sheets, data_rows, columns = shape(workload, rows)
    return sheets * (data_rows + 1) * columns


def expected_row(r, columns):
    """Cell types and values xlrd reads back for data row r (1-based)."""
    types, values = [], []
    for c in range(columns):
        kind = c % 4
        if kind == 0:
            types.append(xlrd.XL_CELL_NUMBER)
            values.append(r / 8 + c)
        elif kind == 1:
            types.append(xlrd.XL_CELL_NUMBER)
            values.append(float(r * 10 + c))
        elif kind == 2:
            types.append(xlrd.XL_CELL_TEXT)
            values.append("Text %d" % ((r * 7 + c) % DISTINCT_TEXTS))
        else:
            # xlrd reports a number under a date format as a date cell.
            types.append(xlrd.XL_CELL_DATE)
            values.append(float(FIRST_DATE + (r + c) % 3000))
    return types, values


@dataclass
class Check:
    """What xlrd found in one file."""
    ok: bool = True
    cells: int = 0
    expected: int = 0
    bold_header: bool = False
    decorated: bool = False
    problems: list = field(default_factory=list)

    def fail(self, message):
        self.ok = False
        if len(self.problems) < 8:
            self.problems.append(message)

    def summary(self):
        text = "ok %d cells" % self.cells if self.ok else "FAIL %d/%d cells" % (self.cells, self.expected)
        return text if self.ok else text + ": " + "; ".join(self.problems)


def _is_decorated(book, xf):
    font = book.font_list[xf.font_index]
    sides = (xf.border.left_line_style, xf.border.right_line_style, xf.border.top_line_style,
             xf.border.bottom_line_style)
    return (font.colour_index == RED and xf.background.fill_pattern == SOLID
            and xf.background.pattern_colour_index == YELLOW and all(s == THIN for s in sides))


def check_file(path, workload, rows, writer):
    """Opens `path` with xlrd and compares every cell with the data rules.

    The count of non-empty cells over all sheets must equal the workload's,
    every value and type must match, and the date columns must carry the date
    format. Writers that write styles must also show the bold header and, for
    W2, the colour, fill and borders on every data cell; for the others the
    check records what it found without requiring it."""
    sheets, data_rows, columns = shape(workload, rows)
    result = Check(expected=sheets * (data_rows + 1) * columns)
    try:
        book = xlrd.open_workbook(path, formatting_info=True)
    except Exception as error:  # xlrd raises many kinds; any of them means "not a valid workbook"
        result.fail("xlrd could not open it: %s" % error)
        return result
    if book.nsheets != sheets:
        result.fail("%d sheets, expected %d" % (book.nsheets, sheets))
    header_types = [xlrd.XL_CELL_TEXT] * columns
    header_values = ["Column %d" % (c + 1) for c in range(columns)]
    wanted = [expected_row(r, columns) for r in range(1, data_rows + 1)]
    bold = True
    decorated = workload == "W2"
    for sheet in book.sheets():
        for r in range(sheet.nrows):
            types = sheet.row_types(r)
            result.cells += sum(1 for t in types if t not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK))
        if sheet.nrows != data_rows + 1 or sheet.ncols != columns:
            result.fail("%s is %dx%d, expected %dx%d" % (sheet.name, sheet.nrows, sheet.ncols, data_rows + 1, columns))
            continue
        for r in range(sheet.nrows):
            types, values = (header_types, header_values) if r == 0 else wanted[r - 1]
            got_types = list(sheet.row_types(r))
            got_values = sheet.row_values(r)
            if got_types != types or got_values != values:
                c = next(c for c in range(columns) if got_types[c] != types[c] or got_values[c] != values[c])
                result.fail("%s!%s is %r (type %d), expected %r (type %d)" % (
                    sheet.name, xlrd.cellname(r, c), got_values[c], got_types[c], values[c], types[c]))
        # Each distinct format in use is looked at once.
        header_xfs = {sheet.cell_xf_index(0, c) for c in range(columns)}
        bold = bold and all(book.font_list[book.xf_list[x].font_index].weight >= BOLD_WEIGHT for x in header_xfs)
        data_xfs = set()
        for c in range(columns):
            column_xfs = {sheet.cell_xf_index(r, c) for r in range(1, sheet.nrows)}
            data_xfs |= column_xfs
            if c % 4 == 3:
                for x in column_xfs:
                    fmt = book.format_map[book.xf_list[x].format_key].format_str
                    if fmt != DATE_FORMAT:
                        result.fail("%s column %d has format %r, expected %r" % (sheet.name, c + 1, fmt, DATE_FORMAT))
        if workload == "W2":
            decorated = decorated and all(_is_decorated(book, book.xf_list[x]) for x in data_xfs)
    result.bold_header = bold
    result.decorated = decorated
    if result.cells != result.expected:
        result.fail("%d non-empty cells, expected %d" % (result.cells, result.expected))
    if writer in STYLED_WRITERS:
        if not bold:
            result.fail("header row not bold")
        if workload == "W2" and not decorated:
            result.fail("data cells lack the red font, yellow solid fill or thin borders")
    return result


@dataclass
class Run:
    """One writer process: its own report plus what the harness saw."""
    report: dict
    wall_s: float
    peak_rss: int  # bytes, from wait4
    file_size: int
    path: str

    @property
    def total_s(self):
        return self.report["build_s"] + self.report["save_s"]


class WriterFailed(RuntimeError):
    pass


def run_process(command, out_path, env=None, report=True):
    """Runs one writer, waiting with wait4 so the child's own peak RSS is known.
    A writer that prints no JSON line (report=False: a program such as
    quillon) gets an empty report; a run that writes no file (the formula
    compilers) passes out_path None."""
    with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
        started = time.perf_counter()
        child = subprocess.Popen(command, stdout=stdout, stderr=stderr, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - started
        child.returncode = os.waitstatus_to_exitcode(status)
        stdout.seek(0)
        stderr.seek(0)
        out, err = stdout.read().decode(errors="replace"), stderr.read().decode(errors="replace")
    if child.returncode != 0:
        raise WriterFailed("%s exited with %d: %s" % (" ".join(command), child.returncode, err.strip()[-2000:]))
    lines = [line for line in out.splitlines() if line.startswith("{")]
    if not report:
        return Run(report={}, wall_s=wall, peak_rss=usage.ru_maxrss * 1024, file_size=os.path.getsize(out_path),
                   path=out_path)
    if not lines:
        raise WriterFailed("%s printed no JSON line: %s" % (" ".join(command), (out + err).strip()[-2000:]))
    report = json.loads(lines[-1])
    return Run(report=report, wall_s=wall, peak_rss=usage.ru_maxrss * 1024,
               file_size=os.path.getsize(out_path) if out_path else 0, path=out_path)


def validate_report(run, writer, workload, rows):
    """A writer's JSON line must describe the workload it was asked for."""
    expected = expected_cells(workload, rows)
    got = (run.report.get("writer"), run.report.get("workload"), run.report.get("cells"))
    if got != (writer, workload, expected):
        raise WriterFailed("%s reported %r, expected %r" % (run.path, got, (writer, workload, expected)))


@dataclass
class Measured:
    """The median of K runs of one writer on one workload, metric by metric."""
    writer: str
    workload: str
    rows: int
    cells: int
    build_s: float
    save_s: float
    total_s: float
    wall_s: float
    peak_rss: int
    file_size: int
    runs: int
    checks: list = field(default_factory=list)

    @property
    def checks_ok(self):
        return bool(self.checks) and all(c.ok for c in self.checks)

    @property
    def ns_per_cell(self):
        return self.total_s / self.cells * 1e9

    @property
    def rss_per_cell(self):
        return self.peak_rss / self.cells


def median_of(runs, writer, workload, rows):
    if not runs:
        raise ValueError("no runs")
    med = statistics.median
    return Measured(writer=writer, workload=workload, rows=shape(workload, rows)[1],
                    cells=runs[0].report["cells"], build_s=med(r.report["build_s"] for r in runs),
                    save_s=med(r.report["save_s"] for r in runs), total_s=med(r.total_s for r in runs),
                    wall_s=med(r.wall_s for r in runs), peak_rss=int(med(r.peak_rss for r in runs)),
                    file_size=int(med(r.file_size for r in runs)), runs=len(runs))


def ratio_text(ours, theirs):
    """lx / peer, with the 1/x form that targets are written in."""
    if not theirs:
        return "-"
    value = ours / theirs
    return "%.3f (1/%.1f)" % (value, 1 / value) if 0 < value < 0.5 else "%.3f" % value


def styles_text(m):
    if not m.checks:
        return "-"
    last = m.checks[-1]
    parts = ["bold header" if last.bold_header else "no bold header"]
    if m.workload == "W2":
        parts.append("colour+fill+borders" if last.decorated else "no colour/fill/borders")
    return ", ".join(parts)


def table(measured):
    """The markdown table: one row per writer and workload; peers carry our ratio to them."""
    ours = {m.workload: m for m in measured if m.writer == "lx"}
    lines = ["| workload | writer | build s | save s | total s | process s | peak RSS MB | RSS B/cell "
             "| file MB | xlrd check | styles read back | time lx/peer | RSS lx/peer |",
             "|---|---|---:|---:|---:|---:|---:|---:|---:|---|---|---:|---:|"]
    for m in measured:
        lx = ours.get(m.workload)
        peer = m.writer != "lx" and lx is not None
        checks = [c for c in m.checks]
        check_text = ("ok %d cells x%d files" % (checks[0].cells, len(checks)) if m.checks_ok
                      else "; ".join(c.summary() for c in checks if not c.ok) or "not checked")
        lines.append("| %s | %s | %.3f | %.3f | %.3f | %.3f | %.1f | %.0f | %.2f | %s | %s | %s | %s |" % (
            m.workload, m.writer, m.build_s, m.save_s, m.total_s, m.wall_s, m.peak_rss / 1e6, m.rss_per_cell,
            m.file_size / 1e6, check_text, styles_text(m),
            ratio_text(lx.total_s, m.total_s) if peer else "-",
            ratio_text(lx.peak_rss, m.peak_rss) if peer else "-"))
    return "\n".join(lines)


def targets(measured):
    """The targets, each with the measured value and whether it is met."""
    get = {(m.workload, m.writer): m for m in measured}
    lines = []

    def line(name, value, limit, met):
        lines.append("- %s: %s (target %s): %s" % (name, value, limit, "met" if met else "NOT met"))

    w1 = get.get(("W1", "lx"))
    if w1:
        lines.append("- W1 lx: %.1f ns per cell (build %.1f + save %.1f)" % (
            w1.ns_per_cell, w1.build_s / w1.cells * 1e9, w1.save_s / w1.cells * 1e9))
        for peer, limit in (("xlwt", 15), ("sheetjs", 40)):
            p = get.get(("W1", peer))
            if p:
                value = w1.total_s / p.total_s
                line("W1 total lx/%s" % peer, "%.3f = 1/%.1f" % (value, 1 / value), "<= 1/%d" % limit,
                     value <= 1 / limit)
        line("W1 peak RSS lx", "%.0f bytes per cell" % w1.rss_per_cell, "<= 120", w1.rss_per_cell <= 120)
        x = get.get(("W1", "xlwt"))
        if x:
            line("W1 peak RSS lx vs xlwt", "%.1f MB vs %.1f MB" % (w1.peak_rss / 1e6, x.peak_rss / 1e6),
                 "lx <= xlwt", w1.peak_rss <= x.peak_rss)
    w4 = get.get(("W4", "lx"))
    if w4:
        line("W4 lx build+save", "%.1f ns per cell (build %.1f + save %.1f)" % (
            w4.ns_per_cell, w4.build_s / w4.cells * 1e9, w4.save_s / w4.cells * 1e9), "<= 60", w4.ns_per_cell <= 60)
    return "\n".join(lines)


# A step in the scaling run counts as superlinear when the per-cell time grows
# by more than this factor from one size to the next.
SCALING_STEP_LIMIT = 1.25


def scaling_table(measured):
    """Per-cell cost of our W1 at growing sizes; linear growth keeps it flat."""
    lines = ["| rows | cells | build ns/cell | save ns/cell | total ns/cell | peak RSS B/cell | xlrd check |",
             "|---:|---:|---:|---:|---:|---:|---|"]
    for m in measured:
        lines.append("| %d | %d | %.1f | %.1f | %.1f | %.0f | %s |" % (
            m.rows, m.cells, m.build_s / m.cells * 1e9, m.save_s / m.cells * 1e9, m.ns_per_cell, m.rss_per_cell,
            "ok" if m.checks_ok else "FAIL"))
    steps = [b.ns_per_cell / a.ns_per_cell for a, b in zip(measured, measured[1:])]
    if steps:
        worst = max(steps)
        lines.append("")
        lines.append("Per-cell time from one size to the next: %s; largest step %.2fx (a step above %.2fx "
                     "counts as superlinear): %s" % (", ".join("%.2fx" % s for s in steps), worst,
                                                     SCALING_STEP_LIMIT,
                                                     "no superlinear step" if worst <= SCALING_STEP_LIMIT
                                                     else "SUPERLINEAR step"))
    return "\n".join(lines)
