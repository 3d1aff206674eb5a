"""Files other programs write, read through our reader: every cell's value
and kind equals what python3-xlrd reads from the same file, and so do the
number format, font, fill and borders of each cell.

The peers make their files here: LibreOffice stores a sheet of mixed
values and formats as "MS Excel 97", plain and with a password (RC4);
Gnumeric's ssconvert turns LibreOffice's file into BIFF8 and xlwt's
(whose texts are all Western) into BIFF7; xlwt writes its own BIFF8. xlrd cannot read Gnumeric's BIFF7, so that file is
checked against Gnumeric's own CSV export of the same data."""
import argparse
import csv
import json
import os
import shutil
import subprocess
import sys
import tempfile

import uno
import xlrd
import xlwt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from office import Office, _property  # noqa: E402

PASSWORD = "k3y-\u00e9"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def make_libreoffice(office, work):
    doc = office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (_property("Hidden", True),))
    try:
        sheet = doc.Sheets.getByIndex(0)
        sheet.setName("Mixed")
        formats = doc.getNumberFormats()
        locale = uno.createUnoStruct("com.sun.star.lang.Locale")
        date_format = formats.queryKey("YYYY-MM-DD", locale, False)
        if date_format == -1:
            date_format = formats.addNew("YYYY-MM-DD", locale)
        money = formats.queryKey("#,##0.00 \"EUR\"", locale, False)
        if money == -1:
            money = formats.addNew("#,##0.00 \"EUR\"", locale)
        for row in range(60):
            sheet.getCellByPosition(0, row).setValue(row * 1.25 - 7)
            sheet.getCellByPosition(1, row).setString("text %d \u00e9\u4e2d\u0416" % row)
            date = sheet.getCellByPosition(2, row)
            date.setValue(45000 + row)
            date.NumberFormat = date_format
            amount = sheet.getCellByPosition(3, row)
            amount.setValue(row * 1000.5)
            amount.NumberFormat = money
        sheet.getCellByPosition(4, 0).setFormula("=A1*2")
        sheet.getCellByPosition(4, 1).setFormula("=B1&\"!\"")
        sheet.getCellByPosition(4, 2).setFormula("=1/0")
        sheet.getCellByPosition(4, 3).setFormula("=A1>0")
        styled = sheet.getCellByPosition(5, 0)
        styled.setString("styled")
        styled.CharWeight = 150.0  # bold
        styled.CharPosture = uno.Enum("com.sun.star.awt.FontSlant", "ITALIC")
        styled.CharHeight = 14
        styled.CharColor = 0xC00000
        styled.CellBackColor = 0xFFFF00
        line = uno.createUnoStruct("com.sun.star.table.BorderLine2")
        line.OuterLineWidth = 35
        styled.TopBorder = line
        styled.BottomBorder = line
        second = doc.Sheets
        second.insertNewByName("Second", 1)
        second.getByName("Second").getCellByPosition(2, 4).setString("far away")
        files = {}
        for name, password in (("lo", None), ("lo_rc4", PASSWORD)):
            path = os.path.join(work, name + ".xls")
            arguments = [_property("FilterName", "MS Excel 97"), _property("Overwrite", True)]
            if password:
                arguments.append(_property("Password", password))
            doc.storeToURL(uno.systemPathToFileUrl(path), tuple(arguments))
            files[name] = (path, password)
        return files
    finally:
        doc.close(True)


def make_gnumeric(work, source8, source7):
    files = {}
    for name, exporter, source in (("gnumeric8", "Gnumeric_Excel:excel_biff8", source8),
                                   ("gnumeric7", "Gnumeric_Excel:excel_biff7", source7)):
        path = os.path.join(work, name + ".xls")
        subprocess.run(["ssconvert", "-T", exporter, source, path], check=True, capture_output=True, timeout=120)
        files[name] = (path, None)
    # Gnumeric's CSV of the data it wrote to BIFF7. Made from the source it
    # read: read back from its own BIFF7 file, Gnumeric keeps only the first
    # character of each text.
    csv_path = os.path.join(work, "gnumeric7.csv")
    subprocess.run(["ssconvert", "-T", "Gnumeric_stf:stf_csv", source7, csv_path], check=True,
                   capture_output=True, timeout=120)
    return files, csv_path


def make_xlwt(work):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("xlwt")
    bold = xlwt.easyxf("font: bold on, height 280, colour red; pattern: pattern solid, fore_colour yellow;"
                       " borders: left thin, bottom double", num_format_str="0.000")
    date = xlwt.easyxf(num_format_str="DD.MM.YYYY")
    for row in range(40):
        sheet.write(row, 0, row * 3.5)
        sheet.write(row, 1, "xlwt \u00fc %d" % row)
        sheet.write(row, 2, row % 2 == 0)
        sheet.write(row, 3, 44000 + row, date)
        sheet.write(row, 4, -row / 7.0, bold)
    sheet.write(0, 5, xlwt.Formula("A1+A2"))
    path = os.path.join(work, "xlwt.xls")
    book.save(path)
    return {"xlwt": (path, None)}


def ours(bin_dir, path, password):
    command = [os.path.join(bin_dir, "read_dump"), path] + ([password] if password else [])
    run = subprocess.run(command, capture_output=True, timeout=120)
    lines = [json.loads(line) for line in run.stdout.decode("utf-8").splitlines()]
    if run.returncode != 0:
        failures.append("%s: our reader refused it: %r" % (os.path.basename(path), lines))
        return [], {}
    sheets = [line["sheet"] for line in lines if "sheet" in line]
    cells = {(line["s"], line["r"], line["c"]): line for line in lines if "s" in line}
    return sheets, cells


def same_value(kind, a, b):
    if kind in (2, 3):
        return abs(a - b) <= 1e-9 * max(1.0, abs(b))
    return a == b


def compare_with_xlrd(bin_dir, name, path, password):
    if password:
        # xlrd does not decrypt: the plain file it reads holds the same cells.
        book = xlrd.open_workbook(path.replace("_rc4", ""), formatting_info=True)
    else:
        book = xlrd.open_workbook(path, formatting_info=True)
    sheets, cells = ours(bin_dir, path, password)
    check(sheets == book.sheet_names(), "%s: sheets %r, xlrd %r" % (name, sheets, book.sheet_names()))
    compared = 0
    for s, sheet in enumerate(book.sheets()):
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    check((s, r, c) not in cells, "%s %d:%d,%d: a cell xlrd does not see" % (name, s, r, c))
                    continue
                mine = cells.get((s, r, c))
                if mine is None:
                    failures.append("%s %d:%d,%d: missing (xlrd: %r)" % (name, s, r, c, cell))
                    continue
                compared += 1
                where = "%s %d:%d,%d" % (name, s, r, c)
                check(mine["t"] == cell.ctype and (cell.ctype == 6 or same_value(cell.ctype, mine["v"], cell.value)),
                      "%s: ours %r %r, xlrd %r %r" % (where, mine["t"], mine["v"], cell.ctype, cell.value))
                xf = book.xf_list[sheet.cell_xf_index(r, c)]
                font = book.font_list[xf.font_index]
                # xlrd takes bold from an option bit other writers leave clear;
                # the weight is what counts.
                expected_font = [font.name, font.height, int(font.weight > 400), int(font.italic),
                                 font.colour_index]
                check(mine["font"] == expected_font, "%s: font %r, xlrd %r" % (where, mine["font"], expected_font))
                if xf.format_key >= 164:
                    expected_format = book.format_map[xf.format_key].format_str
                    check(mine["fmt"] == expected_format, "%s: format %r, xlrd %r" % (where, mine["fmt"],
                                                                                   expected_format))
                fill = [xf.background.fill_pattern, xf.background.pattern_colour_index]
                check(mine["fill"] == fill, "%s: fill %r, xlrd %r" % (where, mine["fill"], fill))
                border = [xf.border.left_line_style, xf.border.right_line_style, xf.border.top_line_style,
                          xf.border.bottom_line_style]
                check(mine["border"] == border, "%s: border %r, xlrd %r" % (where, mine["border"], border))
    check(compared > 40, "%s: only %d cells compared" % (name, compared))
    return compared


def compare_with_csv(bin_dir, name, path, csv_path):
    _, cells = ours(bin_dir, path, None)
    compared = 0
    with open(csv_path, encoding="utf-8", newline="") as source:
        for r, row in enumerate(csv.reader(source)):
            for c, text in enumerate(row):
                mine = cells.get((0, r, c))
                if text == "":
                    continue
                if mine is None:
                    failures.append("%s 0:%d,%d: missing (Gnumeric CSV %r)" % (name, r, c, text))
                    continue
                compared += 1
                if mine["t"] == 1:
                    check(mine["v"] == text, "%s 0:%d,%d: %r, Gnumeric %r" % (name, r, c, mine["v"], text))
                elif mine["t"] == 2 and c == 0:  # the general-format column
                    check(abs(mine["v"] - float(text)) < 1e-9, "%s 0:%d,%d: %r, Gnumeric %r" % (name, r, c,
                                                                                          mine["v"], text))
    check(compared > 100, "%s: only %d cells compared" % (name, compared))
    return compared


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_read_peers_")
    os.environ["HOME"] = work
    try:
        with Office(work) as office:
            files = make_libreoffice(office, work)
        files.update(make_xlwt(work))
        gnumeric, csv_path = make_gnumeric(work, files["lo"][0], files["xlwt"][0])
        files.update(gnumeric)
        counts = {}
        for name, (path, password) in files.items():
            if name == "gnumeric7":
                counts[name] = compare_with_csv(args.bin_dir, name, path, csv_path)
            else:
                counts[name] = compare_with_xlrd(args.bin_dir, name, path, password)
        # Wrong and missing passwords are refused with their codes.
        for given, code in ((None, -1003), ("wrong", -1005)):
            command = [os.path.join(args.bin_dir, "read_dump"), files["lo_rc4"][0]] + ([given] if given else [])
            run = subprocess.run(command, capture_output=True, timeout=60)
            check(json.loads(run.stdout.decode()).get("result") == code,
                  "lo_rc4 with password %r: %r" % (given, run.stdout))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:60]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("cells compared: %s" % ", ".join("%s %d" % item for item in counts.items()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
