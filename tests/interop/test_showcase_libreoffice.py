"""LibreOffice converts both showcase files (BIFF8 and BIFF5) to CSV, sheet by
sheet, and every sheet holds the values the program wrote."""
import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile

import showcase_expected as E

# Every sheet, UTF-8, values rather than their display (sheet -1: all sheets).
CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,false,false,false,-1"

failures = []


def same_number(text, value):
    text = text.strip()
    scale = 1.0
    if text.endswith("%"):
        text, scale = text[:-1], 0.01
    try:
        number = float(text.replace(",", "")) * scale
    except ValueError:
        return False
    return abs(number - value) <= 1e-9 * max(1.0, abs(value))


def matches(text, ctype, value, biff):
    if ctype == E.FORMULA:
        return same_number(text, value)
    if ctype in (E.EMPTY, E.BLANK):
        return text == ""
    if ctype == E.TEXT:
        return text == E.text_as_written(value, biff)
    if ctype == E.BOOLEAN:
        return text.upper() in (("1", "TRUE") if value else ("0", "FALSE"))
    if ctype == E.DATE:
        return text == "2023-03-15" or same_number(text, value)
    return same_number(text, value)


def check_sheet(path, name, biff):
    cells, (rows, columns) = E.CELLS[name]
    with open(path, newline="", encoding="utf-8") as handle:
        table = list(csv.reader(handle))
    if len(table) != rows:
        failures.append("BIFF%d %s: %d CSV rows, expected %d" % (biff, name, len(table), rows))
    for r in range(min(rows, len(table))):
        line = table[r] + [""] * (columns - len(table[r]))
        for c in range(columns):
            ctype, value = cells.get((r, c), (E.EMPTY, ""))
            if biff == 5 and name == "Names" and (r, c) == (8, 1):
                # LibreOffice's BIFF5 import finds only workbook-level names
                # from formulas: the sheet's own Bonus reads as #NAME?.
                continue
            if not matches(line[c], ctype, value, biff):
                failures.append("BIFF%d %s row %d column %d: %r, expected %r" %
                                (biff, name, r + 1, c + 1, line[c][:40], str(value)[:40]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    soffice = shutil.which("soffice")
    if soffice is None:
        print("FAIL: soffice not found (scripts/setup.sh installs LibreOffice)")
        return 1
    work = tempfile.mkdtemp(prefix="lx_showcase_lo_")
    try:
        files = E.run_showcase(args.bin_dir, work)
        profile = "file://" + os.path.join(work, "profile")
        for biff, path in files.items():
            out = os.path.join(work, "csv%d" % biff)
            subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to", CSV_FILTER,
                            "--outdir", out, path], check=True, timeout=300,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            stem = os.path.splitext(os.path.basename(path))[0]
            for name, _ in E.SHEETS:
                sheet_csv = os.path.join(out, "%s-%s.csv" % (stem, name))
                if not os.path.exists(sheet_csv):
                    failures.append("BIFF%d: LibreOffice wrote no CSV for sheet %s" % (biff, name))
                    continue
                check_sheet(sheet_csv, name, biff)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:50]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: LibreOffice reads every sheet of both showcase files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
