"""`quillon --export` on the built-in demo orders, checked by two peers:
LibreOffice converts the file to CSV, which must list the header, the group
titles and the orders in the expected order; python3-xlrd checks the
formatting (sky-blue hair-bordered group titles, outline levels, empty group
columns in detail rows) through grid_export_checks.py. Failures must be
reported as such: a file that cannot be created and a database that does not
exist make the program exit non-zero without writing anything.

The program runs under the C locale, whose short date and time formats are
M/d/yyyy and h:mm AMPM."""
import argparse
import csv
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import grid_export_checks as G

DATE_FORMATS = ("M/d/yyyy", "M/d/yyyy h:mm AM/PM")
# The only sheet, UTF-8, values rather than their display, US conventions.
CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,false,false,false,-1"


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
    soffice = shutil.which("soffice")
    if soffice is None:
        print("FAIL: soffice not found (scripts/setup.sh installs LibreOffice)")
        return 1
    with tempfile.TemporaryDirectory(prefix="lx_quillon_") as tmp:
        path = os.path.join(tmp, "orders.xls")
        done = run_quillon("--export", path)
        if done.returncode != 0:
            print("FAIL: quillon --export exited %d: %s%s" % (done.returncode, done.stdout, done.stderr))
            return 1
        G.check("wrote %s" % path in done.stdout and "result 1" in done.stdout, "report: %r" % done.stdout)

        rows = G.check_book(path, DATE_FORMATS)

        out = os.path.join(tmp, "csv")
        subprocess.run([soffice, "-env:UserInstallation=file://" + os.path.join(tmp, "profile"), "--headless",
                        "--convert-to", CSV_FILTER, "--outdir", out, path], check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        sheet_csv = os.path.join(out, "orders-Sheet1.csv")
        if os.path.exists(sheet_csv):
            check_csv(sheet_csv)
        else:
            G.check(False, "LibreOffice wrote no CSV: %r" % os.listdir(out) if os.path.isdir(out) else "no output")

        check_failures(tmp)
    return G.report("quillon --export: %d rows checked with xlrd and LibreOffice" % rows)


if __name__ == "__main__":
    sys.exit(main())
