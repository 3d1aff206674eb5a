"""The showcase's whole workbook saved as RTF, opened by LibreOffice Writer:
its text tables (walked through the UNO API, and again in the DOCX Writer
stores) must hold one row per row of every sheet's used range, in sheet
order, with one cell per column (merged areas as described in
rtf_writer.py), and the texts the value formatter gives: numbers in general
form or under their number formats, dates under theirs, booleans as True and
False, and the Latin, Cyrillic and CJK texts intact (the last two written as
Unicode escapes). The plain text Writer stores holds the same texts."""
import argparse
import os
import shutil
import sys
import tempfile

import rtf_writer as R
import showcase_expected as E

# Values of the sheet "Values" as the formatter shows them under their
# number formats (the showcase runs under the C locale: "." and ",").
VALUES_DISPLAY = {
    (5, 1): "2023-03-15",  # 45000 under yyyy-mm-dd
    (13, 1): "1,234.50",
    (13, 2): "25%",
    # Exponent notation is not a format the formatter knows: E+00 stays text.
    (13, 3): "12345.68E+00",
    (14, 1): "3.142 units",
}


def general(value):
    """A number in general form, as the formatter writes it."""
    if value == int(value) and abs(value) < 1e15:
        return "%d" % value
    text = "%.15G" % value
    if "E" in text:
        mantissa, exponent = text.split("E")
        return "%sE%s%d" % (mantissa, exponent[0], int(exponent[1:]))
    return text


def display(sheet, cell):
    kind, value = cell
    if kind == E.TEXT:
        return value
    if kind in (E.NUMBER, E.FORMULA):  # a formula shows its calculated value
        return general(value)
    if kind == E.BOOLEAN:
        return "True" if value else "False"
    return ""


def expected_rows():
    rows = []
    merged = {"Formats": E.MERGED}
    for name, _ in E.SHEETS:
        cells, (height, width) = E.CELLS[name]
        areas = merged.get(name, ())
        for r in range(height):
            row = []
            for c in range(width):
                area = next(((r0, r1, c0, c1) for r0, r1, c0, c1 in areas if r0 <= r < r1 and c0 <= c < c1), None)
                if area and (r, c) != (area[0], area[2]):
                    if c == area[2] and area[1] - area[0] > 1:
                        row.append("")  # a further row of a vertical merge
                    continue
                if name == "Values" and (r, c) in VALUES_DISPLAY:
                    row.append(VALUES_DISPLAY[(r, c)])
                else:
                    row.append(display(name, cells.get((r, c), (E.EMPTY, ""))))
            rows.append(row)
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_rtf_")
    try:
        E.run_showcase(args.bin_dir, work)
        path = os.path.join(work, "showcase.rtf")
        expected = expected_rows()
        flat = [cell for row in expected for cell in row]
        for sample in ("\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451", "\u65e5\u672c\u8a9e\u3068\u4e2d\u6587",
                       E.LONG_TEXT):
            R.check(sample in flat, "the expected rows lack %r" % sample[:20])
        from office import Office
        with Office(work) as office:
            R.read_rtf(office, path, work, expected, "showcase.rtf")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in R.failures[:50]:
        print("FAIL:", failure)
    if R.failures:
        print("%d failures" % len(R.failures))
        return 1
    rows = len(expected_rows())
    print("OK: Writer reads showcase.rtf as %d table rows with the formatter's texts, in its tables, DOCX and text"
          % rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
