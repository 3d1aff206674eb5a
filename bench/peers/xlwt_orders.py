#!/usr/bin/python3
"""The orders report of `quillon --export`, written by hand with python3-xlwt.

    xlwt_orders.py --db DATABASE --out FILE [--ungrouped]

What a user would write instead of the grid export component: read the
orders from the SQLite database sorted by Terms, PaymentMethod and OrderNo,
and write a header row (bold Arial, thin borders, text format, the amount's
caption right-aligned), then for each new Terms and each new PaymentMethod a
title row (bold italic maroon Arial, sky-blue fill, hair lines above, below
and at both ends, outline levels 1 and 2) and one detail row per order
(outline level 3, the group columns left empty, the order number, the sale
date as a date, the amount under #,##0.00, thin borders). With --ungrouped
there are no titles and the detail rows show all five columns. A sheet holds
65,535 rows at most; the report goes on on a new sheet with the header and
the current titles again, as the component does.

Prints one JSON line: build_s is the time to read the database and fill the
workbook, save_s the time of Workbook.save, peak_rss the peak resident set.
Styles are made once and shared, as an xlwt user does.
"""
import argparse
import datetime
import json
import resource
import sqlite3
import sys
import time

import xlwt

COLUMNS = ("Terms", "PaymentMethod", "OrderNo", "SaleDate", "AmountPaid")
WIDTHS = (111, 127, 137, 133, 141)  # the grid's pixels
LAST_ROW = 65535  # 0-based row index of a sheet's last row
ROWS_PER_SHEET = 65535

# The C locale's short date and short date + time, as the component writes them.
DATE_FORMAT = "M/d/yyyy"
DATE_TIME_FORMAT = "M/d/yyyy h:mm AM/PM"


def style(font=None, borders=None, fill=None, num_format=None, align=None):
    s = xlwt.XFStyle()
    if font:
        s.font = font
    if borders:
        s.borders = borders
    if fill is not None:
        pattern = xlwt.Pattern()
        pattern.pattern = xlwt.Pattern.SOLID_PATTERN
        pattern.pattern_fore_colour = fill
        s.pattern = pattern
    if num_format:
        s.num_format_str = num_format
    if align:
        s.alignment = align
    return s


def font(bold=False, italic=False, colour=None, name="Arial", height=200):
    f = xlwt.Font()
    f.name = name
    f.height = height
    f.bold = bold
    f.italic = italic
    if colour is not None:
        f.colour_index = colour
    return f


def lines(kind, left=True, right=True, top=True, bottom=True):
    b = xlwt.Borders()
    b.left = kind if left else xlwt.Borders.NO_LINE
    b.right = kind if right else xlwt.Borders.NO_LINE
    b.top = kind if top else xlwt.Borders.NO_LINE
    b.bottom = kind if bottom else xlwt.Borders.NO_LINE
    return b


def alignment(horizontal, vertical=xlwt.Alignment.VERT_CENTER):
    a = xlwt.Alignment()
    a.horz = horizontal
    a.vert = vertical
    return a


class Styles:
    def __init__(self):
        thin, hair = xlwt.Borders.THIN, xlwt.Borders.HAIR
        left, right = xlwt.Alignment.HORZ_LEFT, xlwt.Alignment.HORZ_RIGHT
        bold = font(bold=True)
        self.header = [style(bold, lines(thin), num_format="@", align=alignment(right if c == 4 else left))
                       for c in range(len(COLUMNS))]
        title_font = font(bold=True, italic=True, colour=0x10)  # maroon
        sky_blue = 0x2C
        # A title row: hair lines above and below, at its first and last cell.
        self.title_first = style(title_font, lines(hair, right=False), sky_blue)
        self.title_middle = style(None, lines(hair, left=False, right=False), sky_blue)
        self.title_last = style(None, lines(hair, left=False), sky_blue)
        detail_font = font(name="MS Sans Serif", height=160)
        box = lines(thin)
        self.text = style(detail_font, box, align=alignment(left))
        self.order = style(detail_font, box, align=alignment(left))
        self.date = style(detail_font, box, num_format=DATE_FORMAT, align=alignment(left))
        self.date_time = style(detail_font, box, num_format=DATE_TIME_FORMAT, align=alignment(left))
        self.amount = style(detail_font, box, num_format="#,##0.00", align=alignment(right))


def sale_date(text):
    """An ISO date or date and time: (datetime, has a time of day), or None."""
    if text is None:
        return None
    for pattern in ("%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            moment = datetime.datetime.strptime(text, pattern)
            return moment, moment.time() != datetime.time(0)
        except ValueError:
            continue
    return None


class Report:
    def __init__(self, book, grouped):
        self.book = book
        self.grouped = grouped
        self.styles = Styles()
        self.sheet = None
        self.row = 0
        self.last = None  # (terms, method) of the titles on the current sheet

    def new_sheet(self):
        self.sheet = self.book.add_sheet("Sheet%d" % (len(self.book._Workbook__worksheets) + 1))
        for c, pixels in enumerate(WIDTHS):
            self.sheet.col(c).width = int(pixels * 0.1433 * 256)
        for c, caption in enumerate(COLUMNS):
            self.sheet.write(0, c, caption, self.styles.header[c])
        self.row = 1
        self.last = None

    def title(self, column, value, level):
        s = self.styles
        self.sheet.write(self.row, column, value, s.title_first)
        for c in range(column + 1, len(COLUMNS)):
            self.sheet.write(self.row, c, None, s.title_last if c == len(COLUMNS) - 1 else s.title_middle)
        # The file stores outline levels from 0: level 1 is no grouping.
        self.sheet.row(self.row).level = level - 1
        self.row += 1

    def pending_titles(self, terms, method):
        if self.last is None or terms != self.last[0]:
            return 2
        return 1 if method != self.last[1] else 0

    def order(self, terms, method, number, sale, amount):
        s = self.styles
        if self.grouped:
            titles = self.pending_titles(terms, method)
            # The titles and the detail row stay on one sheet.
            if self.row > 1 and self.row + titles > LAST_ROW:
                self.new_sheet()
                titles = 2
            if titles == 2:
                self.title(0, terms, 1)
            if titles >= 1:
                self.title(1, method, 2)
            self.last = (terms, method)
        row = self.sheet.row(self.row)
        if self.grouped:
            row.level = 2
        else:
            row.write(0, terms, s.text)
            row.write(1, method, s.text)
        row.write(2, number, s.order)
        moment = sale_date(sale)
        if moment is None:
            row.write(3, None, s.date)
        else:
            row.write(3, moment[0], s.date_time if moment[1] else s.date)
        row.write(4, amount, s.amount)
        self.row += 1

    def next_record(self, more):
        if more and self.row >= ROWS_PER_SHEET:
            self.new_sheet()
            if self.grouped:
                self.last = None


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--db", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--ungrouped", action="store_true")
    args = parser.parse_args(argv)

    started = time.perf_counter()
    db = sqlite3.connect(args.db)
    orders = db.execute("SELECT Terms, PaymentMethod, OrderNo, SaleDate, AmountPaid FROM orders "
                        "ORDER BY Terms, PaymentMethod, OrderNo").fetchall()
    db.close()
    book = xlwt.Workbook()
    report = Report(book, not args.ungrouped)
    report.new_sheet()
    for i, order in enumerate(orders):
        report.order(*order)
        report.next_record(i + 1 < len(orders))
    build = time.perf_counter() - started

    saving = time.perf_counter()
    book.save(args.out)
    save = time.perf_counter() - saving

    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    cells = len(orders) * (3 if report.grouped else 5)
    print(json.dumps({"writer": "xlwt", "workload": "orders" if report.grouped else "orders-ungrouped",
                      "rows": len(orders), "cells": cells, "build_s": round(build, 4), "save_s": round(save, 4),
                      "peak_rss": peak}))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
