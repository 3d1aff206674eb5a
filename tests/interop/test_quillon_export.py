"""`quillon --export` on the built-in demo orders, checked by three peers:
LibreOffice converts the file to CSV, which must list the header, the group
titles and the orders in the expected order; python3-xlrd checks the
formatting (bold header, sky-blue hair-bordered group titles, outline levels,
empty group columns in detail rows) through grid_export_checks.py; LibreOffice
(through its XLSX output) and Gnumeric (through its own XML) must both read
the outline as written: every row at its level, no group collapsed, no row
hidden or added. Failures must be reported as such: a file that cannot be
created and a database that does not exist make the program exit non-zero
without writing anything.

The program runs under the C locale, whose short date and time formats are
M/d/yyyy and h:mm AMPM."""
import argparse
import csv
import datetime
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

import grid_export_checks as G
from office import CSV_FILTER, XLSX_FILTER, Office

DATE_FORMATS = ("M/d/yyyy", "M/d/yyyy h:mm AM/PM")
# Every sheet, UTF-8, values rather than their display, US conventions.
CSV_OPTIONS = "44,34,76,1,,1033,false,true,false,false,false,-1"
XLSX_MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
GNUMERIC = "{http://www.gnumeric.org/v10.dtd}"


def run_quillon(*arguments):
    env = dict(os.environ, LC_ALL="C", LANG="C")
    env.pop("DISPLAY", None)  # the export must not need a display
    return subprocess.run([os.environ["QUILLON"], *arguments], env=env, capture_output=True, text=True, timeout=300)


def same_number(text, value):
    try:
        return abs(float(text) - value) <= 1e-9 * max(1.0, abs(value))
    except ValueError:
        return False


def same_date(text, iso):
    moment, _ = G.serial(iso)
    day = datetime.datetime(1899, 12, 30) + datetime.timedelta(days=int(moment))
    return text.startswith(day.strftime("%m/%d/%Y")) or text.startswith(day.strftime("%Y-%m-%d"))


def check_csv(path):
    with open(path, newline="", encoding="utf-8") as handle:
        table = [line + [""] * (len(G.HEADER) - len(line)) for line in csv.reader(handle)]
    rows = G.expected_rows()
    G.check(len(table) == len(rows) + 1, "CSV rows: %d, expected %d" % (len(table), len(rows) + 1))
    G.check(table[:1] == [G.HEADER], "CSV header: %r" % table[:1])
    for i, (kind, value) in enumerate(rows[: len(table) - 1]):
        line = table[i + 1]
        where = "CSV row %d" % (i + 2)
        if kind == "title1":
            G.check(line == [value or "", "", "", "", ""], "%s: %r, expected the Terms title %r" % (where, line, value))
        elif kind == "title2":
            G.check(line == ["", value or "", "", "", ""], "%s: %r, expected the PaymentMethod title %r" % (where, line, value))
        else:
            order, sale, amount = value
            G.check(line[:2] == ["", ""], "%s: group columns %r" % (where, line[:2]))
            G.check(same_number(line[2], order), "%s: OrderNo %r, expected %r" % (where, line[2], order))
            G.check(line[3] == "" if sale is None else same_date(line[3], sale),
                    "%s: SaleDate %r, expected %r" % (where, line[3], sale))
            G.check(line[4] == "" if amount is None else same_number(line[4], amount),
                    "%s: AmountPaid %r, expected %r" % (where, line[4], amount))
    return len(table)


def expected_outline():
    """Outline level (0-based) of every sheet row: header, titles, details."""
    levels = {"title1": 0, "title2": 1, "detail": 2}
    return [0] + [levels[kind] for kind, _ in G.expected_rows()]


def xlsx_outline(path):
    """Rows of LibreOffice's XLSX: 0-based row -> (level, collapsed, hidden)."""
    with zipfile.ZipFile(path) as archive:
        root = ET.fromstring(archive.read("xl/worksheets/sheet1.xml"))
    rows = {}
    for row in root.iter(XLSX_MAIN + "row"):
        flag = lambda name: row.get(name) in ("1", "true")
        rows[int(row.get("r")) - 1] = (int(row.get("outlineLevel", "0")), flag("collapsed"), flag("hidden"))
    return rows


def gnumeric_outline(path, tmp):
    """Rows Gnumeric reads: 0-based row -> (level, collapsed, hidden), and the
    last row it holds."""
    target = os.path.join(tmp, "orders.gnumeric")
    done = subprocess.run(["ssconvert", path, target], capture_output=True, text=True, timeout=300)
    G.check(done.returncode == 0 and not done.stderr.strip(), "ssconvert: %d %r" % (done.returncode, done.stderr[:300]))
    with gzip.open(target) as handle:
        root = ET.fromstring(handle.read())
    sheet = root.find("%sSheets/%sSheet" % (GNUMERIC, GNUMERIC))
    rows = {}
    for info in sheet.iter(GNUMERIC + "RowInfo"):
        first = int(info.get("No"))
        value = (int(info.get("OutlineLevel", "0")), info.get("Collapsed") == "1", info.get("Hidden") == "1")
        for row in range(first, first + int(info.get("Count", "1"))):
            rows[row] = value
    return rows, int(sheet.find(GNUMERIC + "MaxRow").text)


def check_outline(peer, rows, last_row):
    expected = expected_outline()
    G.check(last_row == len(expected) - 1, "%s: last row %d, expected %d" % (peer, last_row + 1, len(expected)))
    collapsed = sorted(r + 1 for r, (_, c, _) in rows.items() if c)
    hidden = sorted(r + 1 for r, (_, _, h) in rows.items() if h)
    G.check(not collapsed, "%s: %d rows collapsed, first %r" % (peer, len(collapsed), collapsed[:5]))
    G.check(not hidden, "%s: %d rows hidden, first %r" % (peer, len(hidden), hidden[:5]))
    wrong = [r + 1 for r, level in enumerate(expected) if rows.get(r, (0, False, False))[0] != level]
    G.check(not wrong, "%s: %d rows at another outline level, first %r" % (peer, len(wrong), wrong[:5]))


def check_failures(tmp):
    missing_dir = os.path.join(tmp, "no such folder", "orders.xls")
    done = run_quillon("--export", missing_dir)
    G.check(done.returncode != 0, "export into a missing folder exited 0")
    G.check("result -2" in done.stderr, "export into a missing folder: %r" % done.stderr)

    target = os.path.join(tmp, "from-missing-db.xls")
    missing_db = os.path.join(tmp, "missing.db")
    done = run_quillon("--export", target, "--db", missing_db)
    G.check(done.returncode != 0, "export from a missing database exited 0")
    G.check(not os.path.exists(target) and not os.path.exists(missing_db),
            "export from a missing database left files behind")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.parse_args()
    for program in ("soffice", "ssconvert"):
        if shutil.which(program) is None:
            print("FAIL: %s not found (scripts/setup.sh installs LibreOffice and Gnumeric)" % program)
            return 1
    with tempfile.TemporaryDirectory(prefix="lx_quillon_") as tmp:
        path = os.path.join(tmp, "orders.xls")
        done = run_quillon("--export", path)
        if done.returncode != 0:
            print("FAIL: quillon --export exited %d: %s%s" % (done.returncode, done.stdout, done.stderr))
            return 1
        G.check("wrote %s" % path in done.stdout and "result 1" in done.stdout, "report: %r" % done.stdout)

        rows = G.check_book(path, DATE_FORMATS)

        out = os.path.join(tmp, "office")
        os.makedirs(out)
        with Office(tmp) as office:
            doc = office.load(path)
            office.store(doc, os.path.join(out, "orders.csv"), CSV_FILTER, CSV_OPTIONS)
            office.store(doc, os.path.join(out, "orders.xlsx"), XLSX_FILTER)
            doc.close(True)
        sheet_csv = os.path.join(out, "orders-Sheet1.csv")
        if os.path.exists(sheet_csv):
            check_csv(sheet_csv)
        else:
            G.check(False, "LibreOffice wrote no CSV: %r" % os.listdir(out))
        lo_rows = xlsx_outline(os.path.join(out, "orders.xlsx"))
        check_outline("LibreOffice", lo_rows, max(lo_rows))
        check_outline("Gnumeric", *gnumeric_outline(path, tmp))

        check_failures(tmp)
    return G.report("quillon --export: %d rows checked with xlrd, LibreOffice and Gnumeric" % rows)


if __name__ == "__main__":
    sys.exit(main())
