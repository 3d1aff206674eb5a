"""LibreOffice opens the showcase's sheet "Names" with its defined names and
hyperlinks: through its API it lists the workbook's and the sheet's names with
the same references and, after recalculating, computes the formulas that use
them; its XLSX conversion keeps every name as a defined name and every
hyperlink (BIFF8) with its target and display text."""
import argparse
import os
import re
import shutil
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import showcase_expected as E  # noqa: E402
from office import XLSX_FILTER, Office  # noqa: E402

# Names as LibreOffice's API gives them: workbook level and sheet "Names".
BOOK_NAMES = {"Amounts": "$Names.$B$2:$B$5", "TaxRate": "$Names.$D$1", "Bonus": "$Names.$D$3",
              "Secret": "$Names.$A$1"}
SHEET_NAMES = {"Bonus": "$Names.$D$2", "Excel_BuiltIn_Print_Area": "$Names.$A$1:$F$9",
               "Excel_BuiltIn_Print_Titles": "$Names.$1:$1"}
# Defined names of the XLSX conversion: (name, local sheet index or None) -> reference.
XLSX_NAMES = {("Amounts", None): "Names!$B$2:$B$5", ("TaxRate", None): "Names!$D$1",
              ("Bonus", None): "Names!$D$3", ("Secret", None): "Names!$A$1", ("Bonus", "4"): "Names!$D$2",
              ("_xlnm.Print_Area", "4"): "Names!$A$1:$F$9", ("_xlnm.Print_Titles", "4"): "Names!$1:$1",
              ("_xlnm.Print_Area", "2"): "Strings!$A$1:$C$200", ("_xlnm.Print_Titles", "2"): "Strings!$1:$1"}
# Hyperlinks of the XLSX conversion: cell -> (target or location, display).
# LibreOffice turns the drive path into a path relative to the file it
# writes, which still ends in the drive path.
XLSX_LINKS = {"F1": ("https://example.org/", "Example site"),
              "F2": ("mailto:someone@example.org", "mailto:someone@example.org"),
              "F3": ("C:/Reports/summary.xls", "Summary file"),
              "F4": ("file://server/share/book.xls", "Shared book"),
              "F5": ("#Values!B2", "Go to Values")}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def check_api(doc, biff):
    doc.calculateAll()
    book = {n: doc.NamedRanges.getByName(n).getContent() for n in doc.NamedRanges.ElementNames}
    check(book == BOOK_NAMES, "BIFF%d: workbook names %r" % (biff, book))
    sheet = doc.Sheets.getByName("Names")
    local = {n: sheet.NamedRanges.getByName(n).getContent() for n in sheet.NamedRanges.ElementNames}
    check(local == SHEET_NAMES, "BIFF%d: sheet names %r" % (biff, local))
    for (r, c), formula in E.NAMES_FORMULAS.items():
        cell = sheet.getCellByPosition(c, r)
        where = "BIFF%d Names row %d" % (biff, r + 1)
        if biff == 5 and formula == "=Bonus+1":
            # LibreOffice's BIFF5 import looks tName tokens up among the
            # workbook's names only; xlrd lists the sheet's Bonus in both files.
            check(cell.getError() != 0, "%s: LibreOffice now finds the sheet's name in BIFF5" % where)
            continue
        check(cell.getFormula() == formula, "%s: formula %s" % (where, cell.getFormula()))
        check(cell.getError() == 0 and abs(cell.getValue() - E.NAMES_SHEET[(r, c)][1]) < 1e-9,
              "%s: %s computes %r (error %d)" % (where, formula, cell.getValue(), cell.getError()))


def check_xlsx(path, biff):
    with zipfile.ZipFile(path) as z:
        workbook = z.read("xl/workbook.xml").decode("utf-8")
        sheets = re.findall(r'<sheet [^>]*name="([^"]*)"[^>]*r:id="([^"]*)"', workbook)
        rels = z.read("xl/_rels/workbook.xml.rels").decode("utf-8")
        names = {}
        for attributes, text in re.findall(r"<definedName([^>]*)>([^<]*)</definedName>", workbook):
            name = re.search(r'name="([^"]*)"', attributes).group(1)
            local = re.search(r'localSheetId="([^"]*)"', attributes)
            names[(name, local.group(1) if local else None)] = text
        check(names == XLSX_NAMES, "BIFF%d XLSX: defined names %r" % (biff, names))
        sheet_id = dict(sheets)["Names"]
        target = re.search(r'Id="%s"[^>]*Target="([^"]*)"' % sheet_id, rels) or \
            re.search(r'Target="([^"]*)"[^>]*Id="%s"' % sheet_id, rels)
        sheet_path = "xl/" + target.group(1)
        xml = z.read(sheet_path).decode("utf-8")
        rel_path = os.path.join(os.path.dirname(sheet_path), "_rels", os.path.basename(sheet_path) + ".rels")
        sheet_rels = z.read(rel_path).decode("utf-8") if rel_path in z.namelist() else ""
    targets = dict(re.findall(r'Id="([^"]*)"[^>]*Target="([^"]*)"', sheet_rels))
    links = {}
    for attributes in re.findall(r"<hyperlink ([^>]*)/>", xml):
        ref = re.search(r'ref="([^"]*)"', attributes).group(1)
        rid = re.search(r'r:id="([^"]*)"', attributes)
        location = re.search(r'location="([^"]*)"', attributes)
        display = re.search(r'display="([^"]*)"', attributes)
        where = targets.get(rid.group(1), "?") if rid else "#" + (location.group(1) if location else "?")
        links[ref] = (where, display.group(1) if display else None)
    expected = XLSX_LINKS if biff == 8 else {}
    check(set(links) == set(expected), "BIFF%d XLSX: hyperlinks at %r" % (biff, sorted(links)))
    for ref, (where, display) in expected.items():
        got = links.get(ref)
        check(got is not None and got[0].endswith(where) and got[1] == display,
              "BIFF%d XLSX %s: hyperlink %r, expected %r" % (biff, ref, got, (where, display)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_names_")
    try:
        files = E.run_showcase(args.bin_dir, work)
        with Office(work) as office:
            for biff, path in files.items():
                doc = office.load(path)
                try:
                    check_api(doc, biff)
                    xlsx = os.path.join(work, "names%d.xlsx" % biff)
                    Office.store(doc, xlsx, XLSX_FILTER)
                finally:
                    doc.close(True)
                check_xlsx(xlsx, biff)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("OK: LibreOffice reads %d workbook and %d sheet names, computes the formulas that use them, and keeps "
          "%d hyperlinks with their targets and texts" % (len(BOOK_NAMES), len(SHEET_NAMES), len(XLSX_LINKS)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
