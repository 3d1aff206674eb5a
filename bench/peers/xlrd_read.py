#!/usr/bin/python3
"""The read workload of bench/compare (R1) through python3-xlrd.

    xlrd_read.py --in FILE

Times xlrd.open_workbook(FILE) inside the process (wall clock and processor
time) and prints the JSON line of bench/read.cpp: the first sheet's non-empty
cells, how many are numbers (dates included) and texts, the sum of the
numbers row by row, and the process's peak resident set in bytes (VmHWM,
which counts this program alone).
"""
import argparse
import json
import sys
import time

import xlrd


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--in", dest="path", required=True)
    args = parser.parse_args(argv)

    started = time.perf_counter()
    cpu = time.process_time()
    book = xlrd.open_workbook(args.path)
    read = time.perf_counter() - started
    read_cpu = time.process_time() - cpu

    cells = numbers = texts = 0
    total = 0.0
    sheet = book.sheet_by_index(0)
    for r in range(sheet.nrows):
        for kind, value in zip(sheet.row_types(r), sheet.row_values(r)):
            if kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            cells += 1
            if kind in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                numbers += 1
                total += value
            elif kind == xlrd.XL_CELL_TEXT:
                texts += 1
    with open("/proc/self/status") as status:
        peak = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmHWM:"))
    print(json.dumps({"reader": "xlrd", "cells": cells, "numbers": numbers, "texts": texts, "sum": total,
                      "read_s": round(read, 4), "read_cpu_s": round(read_cpu, 4), "peak_rss": peak}))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
