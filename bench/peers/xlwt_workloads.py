#!/usr/bin/python3
"""The bench/compare workloads written through python3-xlwt.

    xlwt_workloads.py W1|W2|W3 --out FILE [--rows N]

Writes the same cells as bench/workloads.cpp (its header comment holds the
data rules) and prints the same JSON line: build_s is the time to fill the
in-memory workbook, save_s the time of Workbook.save, peak_rss the process's
peak resident set in bytes.

Styles are made once per kind of cell and shared by every cell of that kind,
as an xlwt user does; xlwt would otherwise emit one XF record per style object.
"""
import argparse
import json
import resource
import sys
import time

import xlwt

FIRST_DATE = 43831  # 2020-01-01
DISTINCT_TEXTS = 1000
DATE_FORMAT = "yyyy-mm-dd"
# BIFF palette entries: red and yellow (ColorIndex 3 and 6 plus the eight fixed colours)
RED = 10
YELLOW = 13


def data_value(r, c):
    kind = c % 4
    if kind == 0:
        return r / 8 + c
    if kind == 1:
        return r * 10 + c
    if kind == 2:
        return "Text %d" % ((r * 7 + c) % DISTINCT_TEXTS)
    return FIRST_DATE + (r + c) % 3000


def make_style(bold=False, date=False, decorated=False):
    style = xlwt.XFStyle()
    if bold:
        style.font = xlwt.Font()
        style.font.bold = True
    if date:
        style.num_format_str = DATE_FORMAT
    if decorated:
        font = xlwt.Font()
        font.colour_index = RED
        style.font = font
        fill = xlwt.Pattern()
        fill.pattern = xlwt.Pattern.SOLID_PATTERN
        fill.pattern_fore_colour = YELLOW
        style.pattern = fill
        borders = xlwt.Borders()
        borders.left = borders.right = borders.top = borders.bottom = xlwt.Borders.THIN
        style.borders = borders
    return style


def fill_sheet(sheet, rows, columns, decorated):
    header = make_style(bold=True)
    for c in range(columns):
        sheet.write(0, c, "Column %d" % (c + 1), header)
    # One style per kind: the date kind differs by its number format.
    plain = make_style(decorated=decorated)
    dated = make_style(date=True, decorated=decorated)
    styles = [dated if c % 4 == 3 else plain for c in range(columns)]
    for r in range(1, rows + 1):
        row = sheet.row(r)
        for c in range(columns):
            row.write(c, data_value(r, c), styles[c])


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("workload", choices=["W1", "W2", "W3"])
    parser.add_argument("--out", required=True)
    parser.add_argument("--rows", type=int)
    args = parser.parse_args(argv)
    many = args.workload == "W3"
    rows = args.rows if args.rows is not None else (20000 if many else 65535)
    if not 0 <= rows <= 65535:
        parser.error("--rows must be 0..65535")
    sheets = 10 if many else 1
    columns = 8 if many else 10

    started = time.perf_counter()
    book = xlwt.Workbook()
    for s in range(sheets):
        sheet = book.add_sheet("Sheet%d" % (s + 1))
        fill_sheet(sheet, rows, columns, args.workload == "W2")
    build = time.perf_counter() - started

    saving = time.perf_counter()
    book.save(args.out)
    save = time.perf_counter() - saving

    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    print(json.dumps({"writer": "xlwt", "workload": args.workload, "rows": rows,
                      "cells": sheets * (rows + 1) * columns, "build_s": round(build, 4),
                      "save_s": round(save, 4), "peak_rss": peak}))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
