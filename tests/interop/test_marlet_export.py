"""`marlet --export` on the built-in demo customers, checked by peers.

The XLS file is read with python3-xlrd (formatting_info=True): the sheet is
named "employee"; the header is row 2 from column B, green, bold white Tahoma
in the Cyrillic character set, centred both ways; column A is 2 characters
wide; the header and the whole block have medium outside borders; every
detail row has the fill and font colour of its customer's last invoice date
(on or after 1/1/1994, from 1/1/1993, before), its first cell light yellow
with navy text, Times New Roman in the Cyrillic character set; every value
is the database's (the Cyrillic company names included); and the data
columns were fitted to their contents (none left at the default width or at
the 2 characters the header handler leaves behind).

The HTML export loads in headless Chromium with the same texts, and the RTF
export read by LibreOffice Writer holds them too. The expected rows come from
the demo script, loaded into Python's own sqlite3."""
import argparse
import html
import os
import re
import sqlite3
import subprocess
import sys
import tempfile

import xlrd

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO_SQL = os.path.join(HERE, "..", "..", "data", "demo.sql")
FIELDS = ["CustNo", "Company", "Addr1", "City", "State", "Zip", "Country", "Phone", "Contact", "LastInvoiceDate"]

# (r, g, b) of the row fill and font by band, and of the first cell.
BANDS = {
    "recent": ((255, 153, 0), (128, 0, 0)),
    "last year": ((153, 204, 255), (0, 0, 128)),
    "older": ((204, 255, 204), (0, 51, 0)),
}
FIRST_CELL = ((255, 255, 153), (0, 0, 128))
GREEN, WHITE = (0, 128, 0), (255, 255, 255)
THIN, MEDIUM = 1, 2
CYRILLIC = 204

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def customers():
    db = sqlite3.connect(":memory:")
    with open(DEMO_SQL, encoding="utf-8") as script:
        db.executescript(script.read())
    return db.execute("SELECT %s FROM customer" % ", ".join(FIELDS)).fetchall()


def band(last_invoice):
    if last_invoice is not None and last_invoice >= "1994-01-01":
        return "recent"
    if last_invoice is not None and last_invoice >= "1993-01-01":
        return "last year"
    return "older"


def run_marlet(path):
    env = dict(os.environ, LC_ALL="C", LANG="C")
    env.pop("DISPLAY", None)  # the export must not need a display
    done = subprocess.run([os.environ["MARLET"], "--export", path], env=env, capture_output=True, text=True,
                          timeout=300)
    check(done.returncode == 0, "marlet --export %s exited %d: %s" % (path, done.returncode, done.stderr[-500:]))
    check("wrote %s" % path in done.stdout and "result 1" in done.stdout, "report: %r" % done.stdout)
    return done.returncode == 0 and os.path.exists(path)


def check_xls(path, rows):
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    check(book.sheet_names() == ["employee"], "sheets %r" % book.sheet_names())
    first = 2  # 0-based rows of the first and last detail row
    last = first + len(rows) - 1
    left, right = 1, len(FIELDS)  # 0-based columns B and the last one

    def xf(r, c):
        return book.xf_list[sheet.cell_xf_index(r, c)]

    def font(r, c):
        return book.font_list[xf(r, c).font_index]

    def colour(index):
        return book.colour_map.get(index)

    def lines(r, c):
        b = xf(r, c).border
        return {"top": b.top_line_style, "bottom": b.bottom_line_style, "left": b.left_line_style,
                "right": b.right_line_style}

    check(sheet.nrows == last + 1, "%d rows, expected %d" % (sheet.nrows, last + 1))
    check(all(sheet.cell_value(0, c) == "" for c in range(sheet.ncols)), "row 1 is not empty")
    check(all(sheet.cell_value(r, 0) == "" for r in range(sheet.nrows)), "column A is not empty")

    # Header row 2 from column B.
    for i, name in enumerate(FIELDS):
        c = left + i
        where = "header %s" % name
        check(sheet.cell_value(1, c) == name, "%s: %r" % (where, sheet.cell_value(1, c)))
        f = font(1, c)
        check(colour(xf(1, c).background.pattern_colour_index) == GREEN, "%s: fill %r" % (where, colour(
            xf(1, c).background.pattern_colour_index)))
        check(f.name == "Tahoma" and f.bold and colour(f.colour_index) == WHITE and f.character_set == CYRILLIC,
              "%s: font %s bold %s colour %r charset %d" % (where, f.name, f.bold, colour(f.colour_index),
                                                            f.character_set))
        check(xf(1, c).alignment.hor_align == 2 and xf(1, c).alignment.vert_align == 1,
              "%s: alignment %d/%d" % (where, xf(1, c).alignment.hor_align, xf(1, c).alignment.vert_align))
        check(lines(1, c)["top"] == MEDIUM and lines(1, c)["bottom"] == MEDIUM,
              "%s: top/bottom %r" % (where, lines(1, c)))
    check(lines(1, left)["left"] == MEDIUM and lines(1, right)["right"] == MEDIUM, "header sides not medium")

    # Detail rows.
    bands = {}
    for k, row in enumerate(rows):
        r = first + k
        fill, text = BANDS[band(row[-1])]
        bands[band(row[-1])] = bands.get(band(row[-1]), 0) + 1
        for i, value in enumerate(row):
            c = left + i
            where = "row %d %s" % (r + 1, FIELDS[i])
            want_fill, want_text = FIRST_CELL if i == 0 else (fill, text)
            got_fill = colour(xf(r, c).background.pattern_colour_index)
            got_text = colour(font(r, c).colour_index)
            check(got_fill == want_fill and got_text == want_text,
                  "%s (%s, %s): fill %r font %r, expected %r %r" % (where, row[-1], band(row[-1]), got_fill,
                                                                 got_text, want_fill, want_text))
            f = font(r, c)
            check(f.name == "Times New Roman" and f.character_set == CYRILLIC and not f.bold,
                  "%s: font %s charset %d" % (where, f.name, f.character_set))
            got = sheet.cell_value(r, c)
            if FIELDS[i] == "LastInvoiceDate":
                ok = (got == "") if value is None else isinstance(got, float) and got > 0
            elif FIELDS[i] == "CustNo":
                ok = got == value
            else:
                ok = got == (value or "")
            check(ok, "%s: %r, expected %r" % (where, got, value))
        check(lines(r, left)["left"] == MEDIUM and lines(r, right)["right"] == MEDIUM,
              "row %d: block sides %r %r" % (r + 1, lines(r, left), lines(r, right)))
    check(all(lines(last, c)["bottom"] == MEDIUM for c in range(left, right + 1)), "block bottom not medium")
    check(lines(first + 1, left + 1)["bottom"] == THIN, "inner lines are not thin: %r" % lines(first + 1, left + 1))
    check(len(bands) == 3, "the demo data meets only the bands %r" % sorted(bands))

    # Column widths: A is 2 characters; the data columns were fitted. A
    # width of n characters is stored as n * 256 plus the cell margins
    # (182), as the spreadsheet does.
    info = sheet.colinfo_map

    def characters(c):
        return (info[c].width - 182) / 256.0 if c in info else None

    check(characters(0) == 2, "column A: %r characters" % characters(0))
    default = sheet.defcolwidth if sheet.defcolwidth is not None else 8
    for i, name in enumerate(FIELDS):
        c = left + i
        width = characters(c)
        longest = max([len(name)] + [len(sheet.cell_value(r, c)) if isinstance(sheet.cell_value(r, c), str) else 8
                                     for r in range(first, last + 1)])
        fitted = width is not None and width not in (2, default) and 0.6 * longest <= width <= 3 * longest + 4
        check(fitted, "column %s: %r characters wide for texts up to %d characters" % (name, width, longest))
    return bands


def texts_of(rows):
    """The texts every peer must show: header names and every text value."""
    texts = set(FIELDS)
    for row in rows:
        texts.update(v for v in row[1:-1] if v)
    return texts


def check_html(path, rows, tmp):
    done = subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" +
                           os.path.join(tmp, "chromium"), "--dump-dom", "file://" + os.path.abspath(path)],
                          capture_output=True, text=True, timeout=300)
    check(done.returncode == 0 and "<table" in done.stdout.lower(), "chromium: %d %r" % (done.returncode,
                                                                                     done.stderr[-300:]))
    page = html.unescape(re.sub(r"\s+", " ", re.sub(r"<[^>]+>", " ", done.stdout)))
    missing = sorted(t for t in texts_of(rows) if re.sub(r"\s+", " ", t) not in page)
    check(not missing, "HTML: %d texts missing in the browser, first %r" % (len(missing), missing[:5]))


def check_rtf(path, rows, tmp):
    out = os.path.join(tmp, "rtf-text")
    done = subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(tmp, "office-profile"),
                           "--headless", "--convert-to", "txt:Text (encoded):UTF8", "--outdir", out, path],
                          capture_output=True, text=True, timeout=300)
    target = os.path.join(out, os.path.splitext(os.path.basename(path))[0] + ".txt")
    check(done.returncode == 0 and os.path.exists(target), "LibreOffice Writer: %d %r" % (done.returncode,
                                                                                        done.stderr[-300:]))
    if not os.path.exists(target):
        return
    with open(target, encoding="utf-8-sig") as handle:
        text = re.sub(r"\s+", " ", handle.read())
    missing = sorted(t for t in texts_of(rows) if re.sub(r"\s+", " ", t) not in text)
    check(not missing, "RTF: %d texts missing in Writer's text, first %r" % (len(missing), missing[:5]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.parse_args()
    rows = customers()
    check(any(re.search("[\u0400-\u04ff]", row[1]) for row in rows), "the demo data has no Cyrillic company")
    with tempfile.TemporaryDirectory(prefix="lx_marlet_") as tmp:
        bands = {}
        path = os.path.join(tmp, "customers.xls")
        if run_marlet(path):
            bands = check_xls(path, rows)
        path = os.path.join(tmp, "customers.html")
        if run_marlet(path):
            check_html(path, rows, tmp)
        path = os.path.join(tmp, "customers.rtf")
        if run_marlet(path):
            check_rtf(path, rows, tmp)
    for failure in failures[:40]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: %d customers in XLS (bands %r), HTML and RTF" % (len(rows), bands))
    return 0


if __name__ == "__main__":
    sys.exit(main())
