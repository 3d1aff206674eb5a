"""`quillon --export FILE.html` on the built-in demo orders, loaded by headless
Chromium: the page the browser builds must hold the same rows and columns as
the program's XLS export read by python3-xlrd, every text cell's text, every
number (as shown, with thousands separators) and every date (M/d/yyyy under
the C locale). A name in a folder that does not exist must fail without
leaving a file."""
import argparse
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import xlrd

from test_html_chromium import parse

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run_quillon(*arguments):
    env = dict(os.environ, LC_ALL="C", LANG="C")
    env.pop("DISPLAY", None)
    return subprocess.run([os.environ["QUILLON"], *arguments], env=env, capture_output=True, text=True, timeout=300)


def check_cell(where, cell, text, datemode):
    if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
        check(text in ("", " "), "%s: %r where the sheet is empty" % (where, text))
    elif cell.ctype == xlrd.XL_CELL_TEXT:
        check(text == cell.value, "%s: %r, expected %r" % (where, text, cell.value))
    elif cell.ctype == xlrd.XL_CELL_NUMBER:
        try:
            check(abs(float(text.replace(",", "")) - cell.value) < 0.006, "%s: %r, expected %r" % (where, text, cell.value))
        except ValueError:
            check(False, "%s: %r is no number, expected %r" % (where, text, cell.value))
    elif cell.ctype == xlrd.XL_CELL_DATE:
        y, m, d = xlrd.xldate_as_tuple(cell.value, datemode)[:3]
        check(text.split(" ")[0] == "%d/%d/%d" % (m, d, y), "%s: %r, expected the date %d-%d-%d" % (where, text, y, m, d))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.parse_args()
    browser = shutil.which("chromium")
    if not browser:
        print("FAIL: chromium is not installed (scripts/setup.sh installs it)")
        return 1
    work = tempfile.mkdtemp(prefix="lx_quillon_html_")
    try:
        page_path, xls_path = os.path.join(work, "orders.html"), os.path.join(work, "orders.xls")
        for path in (page_path, xls_path):
            done = run_quillon("--export", path)
            if done.returncode != 0:
                print("FAIL: quillon --export %s: %s" % (path, done.stderr.strip()))
                return 1
        missing = os.path.join(work, "missing", "orders.html")
        done = run_quillon("--export", missing)
        check(done.returncode != 0 and not os.path.exists(os.path.dirname(missing)),
              "an export into a missing folder reported %d or left something" % done.returncode)

        profile = tempfile.mkdtemp(prefix="lx_chromium_profile_")
        try:
            run = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + profile,
                                  "--dump-dom", "file://" + page_path], capture_output=True, timeout=120)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        page = parse(run.stdout.decode("utf-8"))
        book = xlrd.open_workbook(xls_path, formatting_info=True)
        check(book.nsheets == 1, "the XLS export has %d sheets; the page check expects one" % book.nsheets)
        sheet = book.sheet_by_index(0)
        check(len(page.rows) == sheet.nrows, "the page has %d rows, the XLS file %d" % (len(page.rows), sheet.nrows))
        for r, row in enumerate(page.rows[:sheet.nrows]):
            check(len(row) == sheet.ncols and all(c[1] == 1 and c[2] == 1 for c in row),
                  "row %d: %d cells, expected %d unspanned" % (r, len(row), sheet.ncols))
            for c, (text, _, _) in enumerate(row[:sheet.ncols]):
                check_cell("row %d column %d" % (r, c), sheet.cell(r, c), text, book.datemode)
        print("chromium: %d rows x %d columns of the orders page compared with the XLS export" % (
            len(page.rows), sheet.ncols))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:40]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
