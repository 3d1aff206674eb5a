"""The orders report of bench/compare: its database, its layout and its xlrd check.

The report is what `quillon --export` writes and what bench/peers/xlwt_orders.py
writes by hand: the orders of a SQLite database sorted by Terms,
PaymentMethod and OrderNo; a header row; with grouping, a title row for every
new Terms value and every new PaymentMethod value (the inner title is written
again when the outer one changes) and detail rows with the group columns left
empty; without grouping, detail rows with all five columns. A sheet holds
65,535 rows; the report goes on on a new sheet with the header and, grouped,
both titles again. Titles and their detail row stay on one sheet.

The databases have the demo database's tables and the demo's kind of data
(scripts/make_demo_sql.py draws them), with any number of orders.
"""
import datetime
import importlib.util
import os
import sqlite3
from dataclasses import dataclass, field

import xlrd

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEADER = ["Terms", "PaymentMethod", "OrderNo", "SaleDate", "AmountPaid"]
QUERY = ("SELECT Terms, PaymentMethod, OrderNo, SaleDate, AmountPaid FROM orders "
         "ORDER BY Terms, PaymentMethod, OrderNo")
ROWS_PER_SHEET = 65535
LAST_ROW = 65535  # 0-based index of a sheet's last row
# The C locale's short date and short date + time (the programs run under it here).
DATE_FORMAT = "M/d/yyyy"
DATE_TIME_FORMAT = "M/d/yyyy h:mm AM/PM"
AMOUNT_FORMAT = "#,##0.00"
THIN, HAIR = 1, 7
SOLID = 1
BOLD_WEIGHT = 700


def _load(name, path):
    spec = importlib.util.spec_from_file_location(name, os.path.join(ROOT, path))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def make_database(path, orders):
    """Writes a SQLite database with the demo's tables and `orders` orders
    (the demo's generator with another order count; the same count gives the
    same data)."""
    demo = _load("make_demo_sql", os.path.join("scripts", "make_demo_sql.py"))
    demo.ORDER_COUNT = orders
    script = path + ".sql"
    saved_argv = demo.sys.argv
    try:
        demo.sys.argv = ["make_demo_sql.py", script]
        demo.main()
    finally:
        demo.sys.argv = saved_argv
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    with open(script, encoding="utf-8") as f:
        db.executescript(f.read())
    db.close()
    os.remove(script)


def database_for(folder, orders):
    """The database of `orders` orders in folder, made when missing."""
    path = os.path.join(folder, "orders_%d.db" % orders)
    if not os.path.exists(path):
        make_database(path, orders)
    return path


def read_orders(db_path):
    db = sqlite3.connect(db_path)
    try:
        return db.execute(QUERY).fetchall()
    finally:
        db.close()


def layout(orders, grouped):
    """The sheets of the report: each a list of rows, ("header",),
    ("title", level, value) with level 1 for Terms and 2 for PaymentMethod,
    or ("detail", order)."""
    sheets = []
    rows = None
    last = None

    def new_sheet():
        nonlocal rows, last
        rows = [("header",)]
        sheets.append(rows)
        last = None

    new_sheet()
    for i, order in enumerate(orders):
        terms, method = order[0], order[1]
        if grouped:
            pending = 2 if last is None or terms != last[0] else 1 if method != last[1] else 0
            if len(rows) > 1 and len(rows) + pending > LAST_ROW:
                new_sheet()
                pending = 2
            if pending == 2:
                rows.append(("title", 1, terms))
            if pending >= 1:
                rows.append(("title", 2, method))
            last = (terms, method)
        rows.append(("detail", order))
        if len(rows) >= ROWS_PER_SHEET and i + 1 < len(orders):
            new_sheet()
    return sheets


# The interop checks' reading of ISO dates into day serials.
serial = _load("grid_export_checks", os.path.join("tests", "interop", "grid_export_checks.py")).serial


@dataclass
class Check:
    ok: bool = True
    rows: int = 0
    problems: list = field(default_factory=list)

    def fail(self, message):
        self.ok = False
        if len(self.problems) < 8:
            self.problems.append(message)

    def summary(self):
        return "ok %d rows" % self.rows if self.ok else "FAIL: " + "; ".join(self.problems)


class _Styles:
    """What the check asks of a cell's format, worked out once per XF."""

    def __init__(self, book):
        self.book = book
        self.cache = {}

    def of(self, sheet, r, c):
        x = sheet.cell_xf_index(r, c)
        found = self.cache.get(x)
        if found is None:
            xf = self.book.xf_list[x]
            font = self.book.font_list[xf.font_index]
            b = xf.border
            found = {
                "bold": font.weight >= BOLD_WEIGHT, "italic": bool(font.italic),
                "solid": xf.background.fill_pattern == SOLID,
                "format": self.book.format_map[xf.format_key].format_str,
                "top": b.top_line_style, "bottom": b.bottom_line_style, "left": b.left_line_style,
                "right": b.right_line_style,
            }
            self.cache[x] = found
        return found


def _blank(cell):
    return cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)


def check_file(path, db_path, grouped, orders=None):
    """Opens the report with xlrd and compares it with the database: sheets
    and rows, header captions in bold, title values in bold italic on a solid
    fill with a hair line below, outline levels (titles 1 and 2, details 3),
    empty group columns (grouped) or the Terms and PaymentMethod texts,
    order numbers, sale dates as dates under the short date (and time)
    format, amounts under #,##0.00, thin lines below the detail cells."""
    result = Check()
    if orders is None:
        orders = read_orders(db_path)
    try:
        book = xlrd.open_workbook(path, formatting_info=True)
    except Exception as error:  # any failure of xlrd means "not a valid workbook"
        result.fail("xlrd could not open it: %s" % error)
        return result
    expected = layout(orders, grouped)
    if book.nsheets != len(expected):
        result.fail("%d sheets, expected %d" % (book.nsheets, len(expected)))
        return result
    styles = _Styles(book)
    columns = len(HEADER)
    for sheet, rows in zip(book.sheets(), expected):
        result.rows += sheet.nrows
        if sheet.nrows != len(rows):
            result.fail("%s has %d rows, expected %d" % (sheet.name, sheet.nrows, len(rows)))
            continue

        def where(r, c=None):
            return "%s!%s" % (sheet.name, xlrd.cellname(r, c) if c is not None else "row %d" % (r + 1))

        def line_below(r, c):
            own = styles.of(sheet, r, c)["bottom"]
            return own or (styles.of(sheet, r + 1, c)["top"] if r + 1 < sheet.nrows else 0)

        for r, row in enumerate(rows):
            kind = row[0]
            info = sheet.rowinfo_map.get(r)
            level = (info.outline_level if info else 0) + 1
            if kind == "header":
                for c in range(columns):
                    if sheet.cell_value(r, c) != HEADER[c] or not styles.of(sheet, r, c)["bold"]:
                        result.fail("%s: header %r (bold %r)" % (where(r, c), sheet.cell_value(r, c),
                                                                   styles.of(sheet, r, c)["bold"]))
                continue
            if kind == "title":
                _, title_level, value = row
                c = title_level - 1
                cell = sheet.cell(r, c)
                if (value is None and not _blank(cell)) or (value is not None and cell.value != value):
                    result.fail("%s: title %r, expected %r" % (where(r, c), cell.value, value))
                s = styles.of(sheet, r, c)
                if not (s["bold"] and s["italic"]):
                    result.fail("%s: title font not bold italic" % where(r, c))
                for k in range(c, columns):
                    if not styles.of(sheet, r, k)["solid"] or line_below(r, k) != HAIR:
                        result.fail("%s: title fill %r, line below %r" % (where(r, k), styles.of(sheet, r, k)["solid"],
                                                                         line_below(r, k)))
                if level != title_level:
                    result.fail("%s: outline level %d, expected %d" % (where(r), level, title_level))
                continue
            terms, method, number, sale, amount = row[1]
            if grouped:
                if level != 3:
                    result.fail("%s: outline level %d, expected 3" % (where(r), level))
                if not (_blank(sheet.cell(r, 0)) and _blank(sheet.cell(r, 1))):
                    result.fail("%s: group columns not empty" % where(r))
            else:
                for c, text in ((0, terms), (1, method)):
                    cell = sheet.cell(r, c)
                    if (text is None and not _blank(cell)) or (text is not None and cell.value != text):
                        result.fail("%s: %r, expected %r" % (where(r, c), cell.value, text))
            cell = sheet.cell(r, 2)
            if cell.ctype != xlrd.XL_CELL_NUMBER or cell.value != number:
                result.fail("%s: OrderNo %r, expected %r" % (where(r, 2), cell.value, number))
            cell = sheet.cell(r, 3)
            if sale is None:
                if not _blank(cell):
                    result.fail("%s: empty SaleDate holds %r" % (where(r, 3), cell.value))
            else:
                value, has_time = serial(sale)
                wanted = DATE_TIME_FORMAT if has_time else DATE_FORMAT
                fmt = styles.of(sheet, r, 3)["format"]
                if cell.ctype != xlrd.XL_CELL_DATE or abs(cell.value - value) > 1e-6 or fmt != wanted:
                    result.fail("%s: SaleDate %r (type %d, format %r), expected %r under %r" % (
                        where(r, 3), cell.value, cell.ctype, fmt, value, wanted))
            cell = sheet.cell(r, 4)
            if amount is None:
                if not _blank(cell):
                    result.fail("%s: empty AmountPaid holds %r" % (where(r, 4), cell.value))
            elif (cell.ctype != xlrd.XL_CELL_NUMBER or abs(cell.value - amount) > 1e-9
                  or styles.of(sheet, r, 4)["format"] != AMOUNT_FORMAT):
                result.fail("%s: AmountPaid %r (format %r), expected %r" % (
                    where(r, 4), cell.value, styles.of(sheet, r, 4)["format"], amount))
            # A title's hair line may stand in for the line under the last
            # detail row above it.
            allowed = (THIN, HAIR) if r + 1 < len(rows) and rows[r + 1][0] == "title" else (THIN,)
            for c in range(0 if not grouped else 2, columns):
                if line_below(r, c) not in allowed:
                    result.fail("%s: line below %r, expected thin" % (where(r, c), line_below(r, c)))
    return result


# ---------------------------------------------------------------- measuring

WRITERS_GROUPED = ("quillon", "lx", "xlwt")
WRITERS_UNGROUPED = ("lx", "xlwt")


def command(writer, bins, db_path, out, grouped):
    """The command line of one writer: `quillon --export` (the program, grouped
    only), lx_orders (the same export timed from inside) or the xlwt script."""
    if writer == "quillon":
        return [bins["quillon"], "--export", out, "--db", db_path]
    flag = [] if grouped else ["--ungrouped"]
    if writer == "lx":
        return [bins["lx_orders"], "--db", db_path, "--out", out] + flag
    return ["/usr/bin/python3", os.path.join(ROOT, "bench", "peers", "xlwt_orders.py"), "--db", db_path,
            "--out", out] + flag


def environment():
    """The programs run under the C locale (its short date formats are the
    ones the check expects) and without a display."""
    env = dict(os.environ, LC_ALL="C", LANG="C")
    env.pop("DISPLAY", None)
    return env


@dataclass
class Measured:
    """The medians of K runs of one writer on one orders database."""
    writer: str
    orders: int
    grouped: bool
    cells: int
    open_s: float  # reading the database (lx_orders only)
    build_s: float  # reading plus filling the workbook
    save_s: float
    wall_s: float  # the whole process
    peak_rss: int
    file_size: int
    runs: int
    checks: list = field(default_factory=list)

    @property
    def checks_ok(self):
        return bool(self.checks) and all(c.ok for c in self.checks)

    @property
    def export_us_per_cell(self):
        """The component's export into the workbook, per detail cell."""
        return (self.build_s - self.open_s) / self.cells * 1e6 if self.cells else 0.0


def median_of(runs, writer, orders, grouped):
    import statistics
    med = statistics.median

    def value(key):
        return med(r.report.get(key, float("nan")) for r in runs)
    return Measured(writer=writer, orders=orders, grouped=grouped, cells=orders * (3 if grouped else 5),
                    open_s=value("open_s"), build_s=value("build_s"), save_s=value("save_s"),
                    wall_s=med(r.wall_s for r in runs), peak_rss=int(med(r.peak_rss for r in runs)),
                    file_size=int(med(r.file_size for r in runs)), runs=len(runs))


def _seconds(value):
    return "-" if value != value else "%.3f" % value  # NaN: the writer does not report it


def table(measured):
    lines = ["| orders | report | writer | open s | build s | save s | process s | peak RSS MB | file MB "
             "| xlrd check | process lx/xlwt |",
             "|---:|---|---|---:|---:|---:|---:|---:|---:|---|---:|"]
    xlwt = {(m.orders, m.grouped): m for m in measured if m.writer == "xlwt"}
    for m in measured:
        peer = xlwt.get((m.orders, m.grouped))
        ratio = "-"
        if m.writer != "xlwt" and peer:
            value = m.wall_s / peer.wall_s
            ratio = "%.3f (1/%.1f)" % (value, 1 / value)
        check = ("ok %d rows x%d files" % (m.checks[0].rows, len(m.checks)) if m.checks_ok
                 else "; ".join(c.summary() for c in m.checks if not c.ok) or "not checked")
        writer = "quillon --export" if m.writer == "quillon" else "lx_orders" if m.writer == "lx" else "xlwt script"
        lines.append("| %d | %s | %s | %s | %s | %s | %.3f | %.1f | %.2f | %s | %s |" % (
            m.orders, "grouped" if m.grouped else "ungrouped", writer, _seconds(m.open_s), _seconds(m.build_s),
            _seconds(m.save_s), m.wall_s, m.peak_rss / 1e6, m.file_size / 1e6, check, ratio))
    return "\n".join(lines)


# The targets: the program at least 7 times faster than the script, whole
# process against whole process, on 60,000 orders; the component's export
# at most 0.5 microseconds per cell.
PROCESS_TARGET = 7
PER_CELL_TARGET_US = 0.5
TARGET_ORDERS = 60000


def targets(measured):
    get = {(m.writer, m.orders, m.grouped): m for m in measured}
    lines = []
    for (writer, orders, grouped), m in sorted(get.items(), key=lambda item: (item[0][1], not item[0][2])):
        peer = get.get(("xlwt", orders, grouped))
        if writer == "xlwt" or not peer:
            continue
        value = m.wall_s / peer.wall_s
        name = "%s, %d orders %s: process time against the xlwt script" % (
            "quillon --export" if writer == "quillon" else "lx_orders", orders, "grouped" if grouped else "ungrouped")
        text = "%.3f = 1/%.1f (%.3f s against %.3f s)" % (value, 1 / value, m.wall_s, peer.wall_s)
        if writer == "quillon" and orders == TARGET_ORDERS:
            lines.append("- %s: %s (target <= 1/%d): %s" % (name, text, PROCESS_TARGET,
                                                             "met" if value <= 1 / PROCESS_TARGET else "NOT met"))
        else:
            lines.append("- %s: %s" % (name, text))
    for (writer, orders, grouped), m in sorted(get.items(), key=lambda item: (item[0][1], not item[0][2])):
        if writer != "lx":
            continue
        per_cell = m.export_us_per_cell
        lines.append("- export per cell, lx_orders, %d orders %s: %.3f us (target <= %.1f): %s" % (
            orders, "grouped" if grouped else "ungrouped", per_cell, PER_CELL_TARGET_US,
            "met" if per_cell <= PER_CELL_TARGET_US else "NOT met"))
    return "\n".join(lines)
