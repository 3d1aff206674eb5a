"""Drawings survive our reader and writer: LibreOffice makes a workbook with a
picture, two comments and an embedded chart and stores it as "MS Excel 97";
our engine opens it and saves it again (draw_resave), as BIFF8 and as BIFF5.
LibreOffice then opens our BIFF8 file and shows the same picture (same size
and place, and the same image bytes: both files are stored as ODS by the one
office and the images under Pictures/ compared), the same comments on the
same cells with the same authors (xlrd reads text and author of every note
of both files) and the chart over the same data; our BIFF5 file, which
carries no drawing, still has the comments on their cells (LibreOffice shows
where; it drops the text of every BIFF5 note, Gnumeric's own included, so
Gnumeric shows the texts). The drawing our engine read is also printed by the
driver and checked: shape kinds, comment authors, the sheet's one picture
naming the store entry whose data is the PNG given to LibreOffice; our file,
read back and saved again, gives the same bytes."""
import argparse
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

import xlrd

import uno
from com.sun.star.awt import Point, Rectangle, Size
from com.sun.star.table import CellAddress, CellRangeAddress

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from office import Office, _property  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def write_png(path, width=8, height=6):
    rows = b"".join(b"\x00" + b"".join(bytes([(x * 30) % 256, (y * 40) % 256, 128]) for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


COMMENTS = {(3, 2): "First note", (7, 5): "Second note \u00e9"}  # (column, row) 0-based


def make_workbook(office, work):
    picture = os.path.join(work, "pic.png")
    write_png(picture)
    doc = office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (_property("Hidden", True),))
    try:
        sheet = doc.Sheets.getByIndex(0)
        for r in range(5):
            sheet.getCellByPosition(0, r).setValue(r + 1)
            sheet.getCellByPosition(1, r).setValue((r + 1) * (r + 1))
        for (column, row), text in COMMENTS.items():
            sheet.Annotations.insertNew(CellAddress(0, column, row), text)
        provider = office.context.ServiceManager.createInstanceWithContext("com.sun.star.graphic.GraphicProvider",
                                                                           office.context)
        graphic = provider.queryGraphic((_property("URL", uno.systemPathToFileUrl(picture)),))
        shape = doc.createInstance("com.sun.star.drawing.GraphicObjectShape")
        shape.Graphic = graphic
        sheet.DrawPage.add(shape)
        shape.setPosition(Point(5000, 3000))
        shape.setSize(Size(3000, 2000))
        sheet.Charts.addNewByName("Squares", Rectangle(9000, 1000, 8000, 5000), (CellRangeAddress(0, 0, 0, 1, 4),),
                                  False, False)
        path = os.path.join(work, "lo.xls")
        Office.store(doc, path, "MS Excel 97")
        return path
    finally:
        doc.close(True)


def describe(office, path):
    """What LibreOffice shows of the first sheet's drawing."""
    doc = office.load(path)
    try:
        sheet = doc.Sheets.getByIndex(0)
        seen = {"pictures": [], "comments": {}, "authors": {}, "charts": []}
        for i in range(sheet.DrawPage.Count):
            shape = sheet.DrawPage.getByIndex(i)
            if shape.ShapeType == "com.sun.star.drawing.GraphicObjectShape":
                graphic = shape.Graphic
                size = graphic.SizePixel if graphic is not None else None
                seen["pictures"].append((shape.Position.X, shape.Position.Y, shape.Size.Width, shape.Size.Height,
                                         (size.Width, size.Height) if size is not None else None))
        for i in range(sheet.Annotations.Count):
            note = sheet.Annotations.getByIndex(i)
            seen["comments"][(note.Position.Column, note.Position.Row)] = note.String
            seen["authors"][(note.Position.Column, note.Position.Row)] = note.Author
        for name in sheet.Charts.ElementNames:
            chart = sheet.Charts.getByName(name)
            ranges = [(r.StartColumn, r.StartRow, r.EndColumn, r.EndRow) for r in chart.Ranges]
            seen["charts"].append(ranges)
        return seen
    finally:
        doc.close(True)


def extracted_images(office, work, path):
    """The image files LibreOffice keeps when it stores the file as ODS, in
    name order."""
    target = os.path.join(work, os.path.basename(path) + ".ods")
    doc = office.load(path)
    try:
        Office.store(doc, target, "calc8")
    finally:
        doc.close(True)
    with zipfile.ZipFile(target) as ods:
        return [ods.read(name) for name in sorted(ods.namelist()) if name.startswith("Pictures/")]


def xlrd_notes(path):
    """{(column, row): (text, author)} of the first sheet's notes, as xlrd reads them."""
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return {(column, row): (note.text, note.author) for (row, column), note in sheet.cell_note_map.items()}


def gnumeric_comments(work, path):
    """{(column, row): text} of the comments Gnumeric reads from a file."""
    target = os.path.join(work, "comments.gnumeric")
    run = subprocess.run(["ssconvert", "--export-type=Gnumeric_XmlIO:sax", path, target], capture_output=True,
                         timeout=120)
    check(run.returncode == 0, "ssconvert: %r" % run.stderr)
    text = subprocess.run(["zcat", "-f", target], capture_output=True).stdout.decode()
    comments = {}
    for bound, body in re.findall(r'<gnm:CellComment ObjectBound="([A-Z]+\d+)"[^>]* Text="([^"]*)"', text):
        letters, digits = re.match(r"([A-Z]+)(\d+)", bound).groups()
        column = 0
        for letter in letters:
            column = column * 26 + ord(letter) - 64
        comments[(column - 1, int(digits) - 1)] = body.replace("&#10;", "\n")
    return comments


def close(a, b, tolerance=20):
    return abs(a - b) <= tolerance


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_drawing_")
    os.environ["HOME"] = work
    try:
        with Office(work) as office:
            source = make_workbook(office, work)
            ours8 = os.path.join(work, "ours8.xls")
            ours5 = os.path.join(work, "ours5.xls")
            run = subprocess.run([os.path.join(args.bin_dir, "draw_resave"), source, ours8, ours5],
                                 capture_output=True, timeout=120)
            check(run.returncode == 0, "draw_resave failed: %r %r" % (run.stdout, run.stderr))
            lines = [json.loads(line) for line in run.stdout.decode().splitlines() if line.startswith("{")]
            shapes = [line for line in lines if "shapeType" in line]
            pictures = [line for line in lines if "picture" in line]
            store = [line for line in lines if "store" in line]
            kinds = sorted((s["shapeType"], s["objectType"]) for s in shapes)
            check(kinds == [(75, 8), (201, 5), (202, 25), (202, 25)], "shapes read: %r" % kinds)
            source_notes = xlrd_notes(source)
            for s in shapes:
                if s["objectType"] == 25:
                    check(COMMENTS.get((s["column"], s["row"])) == s["text"], "comment read: %r" % s)
                    check(source_notes.get((s["column"], s["row"]), (None, None))[1] == s["author"],
                          "comment author read: %r, in the file %r" % (s, source_notes))
                if s["objectType"] == 5:
                    check(s["chartRecords"] > 10, "chart records read: %r" % s)
            with open(os.path.join(work, "pic.png"), "rb") as png:
                png_bytes = png.read()
            check(len(pictures) == 1 and pictures[0]["index"] >= 1 and pictures[0]["index"] <= len(store),
                  "pictures read: %r, store %r" % (pictures, [(e["type"], e["refCount"]) for e in store]))
            if len(pictures) == 1 and 1 <= pictures[0]["index"] <= len(store):
                entry = store[pictures[0]["index"] - 1]
                check(entry["type"] == 6 and bytes.fromhex(entry["data"]) == png_bytes,
                      "store entry of the picture: type %r, %d bytes" % (entry["type"], len(entry["data"]) // 2))
            # Read back, our file saves again to the same bytes.
            again = os.path.join(work, "again8.xls")
            rerun = subprocess.run([os.path.join(args.bin_dir, "draw_resave"), ours8, again], capture_output=True,
                                   timeout=120)
            check(rerun.returncode == 0 and rerun.stdout == run.stdout, "draw_resave of our file: %r %r" %
                  (rerun.stdout, rerun.stderr))
            with open(ours8, "rb") as first, open(again, "rb") as second:
                check(first.read() == second.read(), "our BIFF8 file saved again differs")
            images_expected = extracted_images(office, work, source)
            images_got = extracted_images(office, work, ours8)
            notes_got = xlrd_notes(ours8)
            expected = describe(office, source)
            got = describe(office, ours8)
            biff5 = describe(office, ours5)
            biff5_texts = gnumeric_comments(work, ours5)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    check(len(expected["pictures"]) == 1 and len(expected["charts"]) == 1 and len(expected["comments"]) == 2,
          "LibreOffice's own file: %r" % expected)
    check(len(got["pictures"]) == 1, "pictures in our file: %r" % got["pictures"])
    for mine, theirs in zip(got["pictures"], expected["pictures"]):
        check(all(close(a, b) for a, b in zip(mine[:4], theirs[:4])), "picture place and size: %r, expected %r" %
              (mine, theirs))
        check(mine[4] == theirs[4], "picture pixels: %r, expected %r" % (mine[4], theirs[4]))
    check(got["comments"] == expected["comments"], "comments: %r, expected %r" % (got["comments"],
                                                                                 expected["comments"]))
    check(got["authors"] == expected["authors"], "authors: %r, expected %r" % (got["authors"], expected["authors"]))
    check(len(images_expected) == 1 and images_got == images_expected,
          "images LibreOffice extracts: %r from ours, %r from its own" %
          ([len(i) for i in images_got], [len(i) for i in images_expected]))
    check(notes_got == source_notes and sorted(source_notes) == sorted(COMMENTS),
          "notes (xlrd): %r, expected %r" % (notes_got, source_notes))
    check(got["charts"] == expected["charts"], "charts: %r, expected %r" % (got["charts"], expected["charts"]))
    check(sorted(biff5["comments"]) == sorted(expected["comments"]), "BIFF5 comments: %r" % biff5["comments"])
    check(biff5_texts == COMMENTS, "BIFF5 comment texts (Gnumeric): %r" % biff5_texts)
    check(not biff5["pictures"] and not biff5["charts"], "BIFF5 drawing: %r" % biff5)

    for failure in failures:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("picture %r (%d image bytes), comments %r, authors %r, charts %r: same in our file" %
          (got["pictures"], len(images_got[0]), got["comments"], notes_got, got["charts"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
