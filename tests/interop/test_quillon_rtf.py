"""`quillon --export FILE.rtf` on the built-in demo orders, opened by
LibreOffice Writer: its text tables (through the UNO API and in the DOCX
Writer stores) must hold the header row, one row per group title and one per
order, five cells each, in the order of the report, with the texts the value
formatter gives: titles and captions as they are, order numbers in general
form, sale dates in the C locale's short date (M/d/yyyy) and amounts with two
decimals. The program runs under the C locale, as the XLS check does."""
import argparse
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import grid_export_checks as G
import rtf_writer as R


def number_text(value):
    def same(text):
        try:
            return abs(float(text.replace(",", "")) - value) <= 0.005 + 1e-9 * abs(value)
        except ValueError:
            return False
    same.__doc__ = "%r" % value
    return same


def date_text(iso):
    moment, _ = G.serial(iso)
    day = datetime.datetime(1899, 12, 30) + datetime.timedelta(days=int(moment))
    short = "%d/%d/%d" % (day.month, day.day, day.year)

    def same(text):
        return text == short or text.startswith(short + " ")
    same.__doc__ = short
    return same


def expected_rows():
    rows = [list(G.HEADER)]
    for kind, value in G.expected_rows():
        if kind == "title1":
            rows.append([value or "", "", "", "", ""])
        elif kind == "title2":
            rows.append(["", value or "", "", "", ""])
        else:
            order, sale, amount = value
            rows.append(["", "", number_text(order), "" if sale is None else date_text(sale),
                         "" if amount is None else number_text(amount)])
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_quillon_rtf_")
    try:
        path = os.path.join(work, "orders.rtf")
        env = dict(os.environ, LC_ALL="C", LANG="C")
        env.pop("DISPLAY", None)
        done = subprocess.run([os.environ["QUILLON"], "--export", path], env=env, capture_output=True, text=True,
                              timeout=300)
        R.check(done.returncode == 0 and os.path.exists(path),
                "quillon --export: %d %r" % (done.returncode, done.stderr[:300]))
        if not R.failures:
            with open(path, "rb") as handle:
                R.check(handle.read(6) == b"{\\rtf1", "orders.rtf does not start as RTF")
            from office import Office
            with Office(work) as office:
                R.read_rtf(office, path, work, expected_rows(), "orders.rtf")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in R.failures[:50]:
        print("FAIL:", failure)
    if R.failures:
        print("%d failures" % len(R.failures))
        return 1
    print("OK: Writer reads quillon's orders.rtf as %d rows of five cells with the formatter's texts"
          % len(expected_rows()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
