"""The showcase's active sheet saved as CSV and TSV, 8-bit and UTF-16, read
back by Python's csv module and by LibreOffice (each file opened with an
explicit filter) with the values xlrd reads from the showcase's BIFF8 file:
numbers as numbers, texts exactly (in the 8-bit files as the system code page
holds them), dates in the system's short date format, booleans as True and
False."""
import argparse
import csv
import datetime
import os
import shutil
import sys
import tempfile

import xlrd

import showcase_expected as E

failures = []

# name: (separator, Python encoding, LibreOffice character set)
TEXT_FILES = {
    "showcase.csv": (",", "cp1252", "1"),
    "showcase.tsv": ("\t", "cp1252", "1"),
    "showcase-utf16.csv": (",", "utf-16", "65535"),
    "showcase-utf16.tsv": ("\t", "utf-16", "65535"),
}


def check(condition, message):
    if not condition:
        failures.append(message)


def serial_of(text):
    month, day, year = (int(part) for part in text.split("/"))
    return float((datetime.date(year, month, day) - datetime.date(1899, 12, 30)).days)


def expected_text(text, encoding):
    return text if encoding == "utf-16" else text.encode("cp1252", errors="replace").decode("cp1252")


def check_field(where, cell, field, encoding):
    """A field of our file against the xlrd cell of the same position."""
    if cell.ctype == xlrd.XL_CELL_DATE:
        check(serial_of(field) == cell.value, "%s: date %r, expected serial %r" % (where, field, cell.value))
    elif cell.ctype == xlrd.XL_CELL_NUMBER:
        try:
            check(abs(float(field) - cell.value) <= abs(cell.value) * 1e-14,
                  "%s: number %r, expected %r" % (where, field, cell.value))
        except ValueError:
            check(False, "%s: %r is no number, expected %r" % (where, field[:40], cell.value))
    elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
        check(field == ("True" if cell.value else "False"), "%s: boolean %r" % (where, field))
    elif cell.ctype == xlrd.XL_CELL_TEXT:
        check(field == expected_text(cell.value, encoding), "%s: text %r, expected %r" % (where, field[:40], cell.value[:40]))
    else:
        check(field == "", "%s: %r where the sheet is empty" % (where, field[:40]))


def check_with_csv_module(path, sheet, separator, encoding):
    name = os.path.basename(path)
    with open(path, newline="", encoding=encoding) as handle:
        rows = list(csv.reader(handle, delimiter=separator))
    check(len(rows) == sheet.nrows, "%s: %d rows, expected %d" % (name, len(rows), sheet.nrows))
    for r, row in enumerate(rows[:sheet.nrows]):
        check(len(row) == sheet.ncols, "%s row %d: %d fields" % (name, r + 1, len(row)))
        for c, field in enumerate(row[:sheet.ncols]):
            check_field("csv %s!%s" % (name, xlrd.cellname(r, c)), sheet.cell(r, c), field, encoding)


def check_with_libreoffice(office, path, sheet, separator, charset, encoding):
    name = os.path.basename(path)
    options = "%d,34,%s,1" % (ord(separator), charset)
    doc = office.load_with_filter(path, "Text - txt - csv (StarCalc)", options)
    try:
        calc = doc.Sheets.getByIndex(0)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                got = calc.getCellByPosition(c, r)
                where = "LibreOffice %s!%s" % (name, xlrd.cellname(r, c))
                kind = got.getType().value
                if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                    check(kind == "VALUE" and abs(got.getValue() - cell.value) <= abs(cell.value) * 1e-14,
                          "%s: %s %r, expected number %r" % (where, kind, got.getString()[:40], cell.value))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    check(got.getString().lower() == ("true" if cell.value else "false"),
                          "%s: %r, expected a boolean" % (where, got.getString()))
                elif cell.ctype == xlrd.XL_CELL_TEXT and cell.value in ("True", "False"):
                    # Delimited text carries no types: LibreOffice takes these
                    # words for booleans.
                    check(got.getString().lower() == cell.value.lower(), "%s: %r" % (where, got.getString()))
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    check(got.getString() == expected_text(cell.value, encoding),
                          "%s: text %r, expected %r" % (where, got.getString()[:40], cell.value[:40]))
                else:
                    check(kind == "EMPTY", "%s: %s where the sheet is empty" % (where, kind))
    finally:
        doc.close(True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_text_")
    try:
        files = E.run_showcase(args.bin_dir, work)
        book = xlrd.open_workbook(files[8], formatting_info=True)
        sheet = book.sheet_by_name(E.ACTIVE_SHEET)
        for name, (separator, encoding, _) in TEXT_FILES.items():
            check_with_csv_module(os.path.join(work, name), sheet, separator, encoding)
        from office import Office
        with Office(work) as office:
            for name, (separator, encoding, charset) in TEXT_FILES.items():
                check_with_libreoffice(office, os.path.join(work, name), sheet, separator, charset, encoding)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:50]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: the csv module and LibreOffice read the four text files with xlrd's values")
    return 0


if __name__ == "__main__":
    sys.exit(main())
