"""Peers open a file written from careless values: python3-xlrd reads every
sheet (unpaired surrogates came out as U+FFFD), finds NaN and the infinities
as the error #NUM! and the sheet names as written; LibreOffice keeps the sheet
names and the error cells when it converts the file to XLSX."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import xlrd

SHEETS = ["Bada\ufffdb", "Sheet2"]
NUM = 0x24  # #NUM!
CELLS = [(xlrd.XL_CELL_TEXT, "a\ufffdb"), (xlrd.XL_CELL_ERROR, NUM), (xlrd.XL_CELL_ERROR, NUM),
         (xlrd.XL_CELL_ERROR, NUM), (xlrd.XL_CELL_NUMBER, 1.5), (xlrd.XL_CELL_TEXT, "\ufffd")]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def check_xlrd(xls):
    try:
        book = xlrd.open_workbook(xls)
    except Exception as error:  # xlrd refuses invalid UTF-16 as a whole
        failures.append("xlrd refused the file: %r" % error)
        return
    check(book.sheet_names() == SHEETS, "xlrd sheet names %r" % book.sheet_names())
    sheet = book.sheet_by_index(0)
    got = [(sheet.cell_type(r, 0), sheet.cell_value(r, 0)) for r in range(sheet.nrows)]
    check(got == CELLS, "xlrd cells %r" % got)


def check_libreoffice(xls, work):
    soffice = shutil.which("soffice")
    if soffice is None:
        failures.append("soffice not found (scripts/setup.sh installs LibreOffice)")
        return
    profile = "file://" + os.path.join(work, "profile")
    subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to", "xlsx",
                    "--outdir", work, xls], check=True, timeout=300,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xlsx = os.path.join(work, "careless.xlsx")
    if not os.path.exists(xlsx):
        failures.append("LibreOffice wrote no .xlsx file")
        return
    with zipfile.ZipFile(xlsx) as archive:
        workbook = archive.read("xl/workbook.xml").decode("utf-8")
        sheet = archive.read("xl/worksheets/sheet1.xml").decode("utf-8")
    names = re.findall(r'<sheet name="([^"]*)"', workbook)
    check(names == SHEETS, "LibreOffice sheet names %r" % names)
    for ref in ("A2", "A3", "A4"):
        cell = re.search(r'<c r="%s"[^>]*>.*?</c>' % ref, sheet)
        text = cell.group(0) if cell else ""
        check('t="e"' in text and "#NUM!" in text, "LibreOffice %s is %r" % (ref, text))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_careless_")
    try:
        subprocess.run([os.path.join(args.bin_dir, "careless_values"), work], check=True, timeout=60)
        xls = os.path.join(work, "careless.xls")
        check_xlrd(xls)
        check_libreoffice(xls, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("xlrd and LibreOffice read the careless values as written")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
