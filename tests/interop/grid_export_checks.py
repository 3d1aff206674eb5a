"""Checks of a grouped export of the demo orders (header row, group title rows
for Terms and PaymentMethod, detail rows), shared by the interop tests of the
grid export component and of the Quillon program. The expected rows are
computed from the demo script itself, loaded into Python's own sqlite3: a
title row for each new Terms value and for each new PaymentMethod value
(repeated when Terms changes), then one detail row per order. Checked with
python3-xlrd (formatting_info=True): header captions with bold font and borders,
title rows with fill, font and hair borders, outline levels (titles 1 and 2,
details 3), empty group columns in detail rows, values and number formats of
the order number, date and amount columns."""
import datetime
import os
import sqlite3

import xlrd

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO_SQL = os.path.join(HERE, "..", "..", "data", "demo.sql")
HEADER = ["Terms", "PaymentMethod", "OrderNo", "SaleDate", "AmountPaid"]
SKY_BLUE = (0xA6, 0xCA, 0xF0)
THIN, HAIR = 1, 7

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def serial(text):
    """Days since 30 December 1899 of an ISO date or date and time."""
    text = text.replace("T", " ")
    for pattern in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            moment = datetime.datetime.strptime(text, pattern)
            break
        except ValueError:
            continue
    else:
        raise ValueError(text)
    delta = moment - datetime.datetime(1899, 12, 30)
    return delta.days + delta.seconds / 86400.0, moment.time() != datetime.time(0)


def expected_rows():
    db = sqlite3.connect(":memory:")
    with open(DEMO_SQL, encoding="utf-8") as script:
        db.executescript(script.read())
    rows = []
    last = None
    for terms, method, order, sale, amount in db.execute(
            "SELECT Terms, PaymentMethod, OrderNo, SaleDate, AmountPaid FROM orders_by_terms"):
        if last is None or terms != last[0]:
            rows.append(("title1", terms))
            rows.append(("title2", method))
        elif method != last[1]:
            rows.append(("title2", method))
        rows.append(("detail", (order, sale, amount)))
        last = (terms, method)
    return rows


def blank(cell):
    return cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)


def xf_of(book, sheet, r, c):
    return book.xf_list[sheet.cell_xf_index(r, c)]


def fmt_of(book, sheet, r, c):
    return book.format_map[xf_of(book, sheet, r, c).format_key].format_str


def check_header(book, sheet):
    for c, caption in enumerate(HEADER):
        cell = sheet.cell(0, c)
        check(cell.value == caption, "header %d: %r" % (c, cell.value))
        xf = xf_of(book, sheet, 0, c)
        font = book.font_list[xf.font_index]
        # xlrd's bold comes from the FONT record's option bit, not its weight.
        got = (font.name, font.height, font.weight, font.bold)
        check(got == ("Arial", 200, 700, 1), "header %d font (name, height, weight, bold) %r" % (c, got))
        check(fmt_of(book, sheet, 0, c) == "@", "header %d number format %r" % (c, fmt_of(book, sheet, 0, c)))
        b = xf.border
        check(b.top_line_style == THIN and b.bottom_line_style == THIN and b.left_line_style == THIN,
              "header %d borders %r" % (c, (b.top_line_style, b.bottom_line_style, b.left_line_style)))
        # A line between two cells may be kept by either of them.
        right = b.right_line_style
        if c + 1 < len(HEADER):
            right = right or xf_of(book, sheet, 0, c + 1).border.left_line_style
        check(right == THIN, "header %d right border %r" % (c, right))
    check(xf_of(book, sheet, 0, 4).alignment.hor_align == 3, "AmountPaid title is not right-aligned")


def check_title(book, sheet, r, column, value):
    cell = sheet.cell(r, column)
    where = "row %d" % (r + 1)
    if value is None:
        check(blank(cell), "%s: null title holds %r" % (where, cell.value))
    else:
        check(cell.value == value, "%s: title %r, expected %r" % (where, cell.value, value))
    for c in range(column):
        check(blank(sheet.cell(r, c)), "%s: column %d before the title is not empty" % (where, c))
    font = book.font_list[xf_of(book, sheet, r, column).font_index]
    check(font.italic and font.bold and font.weight == 700 and font.name == "Arial",
          "%s: title font %r" % (where, (font.name, font.weight, font.bold, font.italic)))
    for c in range(column, len(HEADER)):
        xf = xf_of(book, sheet, r, c)
        colour = book.colour_map.get(xf.background.pattern_colour_index)
        check(xf.background.fill_pattern == 1 and colour is not None and
              sum(abs(a - b) for a, b in zip(colour, SKY_BLUE)) <= 48,
              "%s col %d: fill %r %r" % (where, c, xf.background.fill_pattern, colour))
        # The line under a title may be kept as the top line of the row below.
        bottom = xf.border.bottom_line_style or xf_of(book, sheet, r + 1, c).border.top_line_style
        check(bottom == HAIR, "%s col %d: bottom %r" % (where, c, bottom))
    check(xf_of(book, sheet, r, column).border.left_line_style == HAIR, "%s: left edge not hair" % where)
    check(xf_of(book, sheet, r, len(HEADER) - 1).border.right_line_style == HAIR, "%s: right edge not hair" % where)


def check_detail(book, sheet, r, order, sale, amount, date_formats):
    where = "row %d" % (r + 1)
    check(blank(sheet.cell(r, 0)) and blank(sheet.cell(r, 1)), "%s: group columns not empty" % where)
    check(sheet.cell(r, 2).value == order, "%s: OrderNo %r, expected %r" % (where, sheet.cell(r, 2).value, order))
    if sale is None:
        check(blank(sheet.cell(r, 3)), "%s: empty SaleDate holds a value" % where)
    else:
        value, has_time = serial(sale)
        check(abs(sheet.cell(r, 3).value - value) < 1e-6, "%s: SaleDate %r, expected %r" % (where, sheet.cell(r, 3).value, value))
        wanted = date_formats[1] if has_time else date_formats[0]
        check(fmt_of(book, sheet, r, 3) == wanted, "%s: SaleDate format %r, expected %r" % (where, fmt_of(book, sheet, r, 3), wanted))
    if amount is None:
        check(blank(sheet.cell(r, 4)), "%s: empty AmountPaid holds a value" % where)
    else:
        check(abs(sheet.cell(r, 4).value - amount) < 1e-9, "%s: AmountPaid %r, expected %r" % (where, sheet.cell(r, 4).value, amount))
        check(fmt_of(book, sheet, r, 4) == "#,##0.00", "%s: AmountPaid format %r" % (where, fmt_of(book, sheet, r, 4)))


def check_book(path, date_formats):
    """Checks the exported file; date_formats are the number formats expected
    for a date alone and for a date with a time of day (they follow the
    locale the export ran under). Returns the number of sheet rows."""
    book = xlrd.open_workbook(path, formatting_info=True)
    rows = expected_rows()
    check(book.nsheets == 1, "sheets: %d" % book.nsheets)
    sheet = book.sheet_by_index(0)
    check(sheet.nrows == len(rows) + 1, "rows: %d, expected %d" % (sheet.nrows, len(rows) + 1))
    check_header(book, sheet)
    levels = {"title1": 0, "title2": 1, "detail": 2}
    details = 0
    for i, (kind, value) in enumerate(rows[: sheet.nrows - 1]):
        r = i + 1
        info = sheet.rowinfo_map.get(r)
        level = info.outline_level if info else 0
        check(level == levels[kind], "row %d: outline level %d, expected %d" % (r + 1, level + 1, levels[kind] + 1))
        if kind == "title1":
            check_title(book, sheet, r, 0, value)
        elif kind == "title2":
            check_title(book, sheet, r, 1, value)
        else:
            details += 1
            check_detail(book, sheet, r, *value, date_formats)
    check(details > 1000, "only %d detail rows" % details)
    return sheet.nrows


def report(what):
    """Prints the failures (or the success line) and gives the exit code."""
    if failures:
        for message in failures[:40]:
            print("FAIL:", message)
        print("%d failures" % len(failures))
        return 1
    print(what)
    return 0
