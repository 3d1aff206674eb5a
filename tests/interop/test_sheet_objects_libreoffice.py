"""Conditional formats, validations and autofilters through LibreOffice.

LibreOffice makes a workbook through its API: a conditional format
("greater than 5" on B2:B6), a list validation with an error title and
message on D2:D6 and an autofilter over A1:C6 with a condition on its second
column, and a second conditional format over 1,500 separate cells, more
areas than one record holds; it stores it as "MS Excel 97". We open that
file and save it again (sheet_objects resave). LibreOffice reads both files
and stores them as XLSX, whose sheet XML shows what it understood: ours must
show the same conditional formats (range, operator, value), validation
(range, list, error title and message) and autofilter (range and condition)
as its own, and those must be the ones made.

A second file has an autofilter over A1:C5 made through our range's
AutoFilter (sheet_objects filter): LibreOffice must read it as an autofilter
over that range, with the drop-down buttons on the header row; both our
files carry one drop-down arrow (a combo-box object) per filter column.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

import olefile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from office import XLSX_FILTER, Office, _property  # noqa: E402

failures = []
# Cells F1, F3, ... of the second conditional format.
SPREAD_AREAS = 1500


def check(condition, message):
    if not condition:
        failures.append(message)


def make_libreoffice_file(office, path):
    from com.sun.star.sheet import TableFilterField
    from com.sun.star.sheet.ConditionOperator import GREATER
    from com.sun.star.sheet.FilterOperator import GREATER as FILTER_GREATER
    from com.sun.star.sheet.ValidationType import LIST

    doc = office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (_property("Hidden", True),))
    try:
        sheet = doc.Sheets.getByIndex(0)
        for column, title in enumerate(["Name", "Amount", "Kind", "Pick"]):
            sheet.getCellByPosition(column, 0).setString(title)
        for row in range(1, 6):
            sheet.getCellByPosition(0, row).setString("n%d" % row)
            sheet.getCellByPosition(1, row).setValue(row * 2)
            sheet.getCellByPosition(2, row).setString("k%d" % (row % 2))

        cells = sheet.getCellRangeByName("B2:B6")
        formats = cells.ConditionalFormat
        formats.addNew((_property("Operator", GREATER), _property("Formula1", "5"), _property("StyleName", "Bad")))
        cells.ConditionalFormat = formats

        # A format over more areas than one record holds: LibreOffice writes
        # its area list on in a CONTINUE record.
        cells = doc.createInstance("com.sun.star.sheet.SheetCellRanges")
        for row in range(0, 2 * SPREAD_AREAS, 2):
            cells.addRangeAddress(sheet.getCellRangeByPosition(5, row, 5, row).getRangeAddress(), False)
        formats = cells.ConditionalFormat
        formats.addNew((_property("Operator", GREATER), _property("Formula1", "7"), _property("StyleName", "Bad")))
        cells.ConditionalFormat = formats

        cells = sheet.getCellRangeByName("D2:D6")
        validation = cells.Validation
        validation.Type = LIST
        validation.setFormula1('"a";"b";"c"')
        validation.ShowErrorMessage = True
        validation.ErrorTitle = "Wrong pick"
        validation.ErrorMessage = "Pick a, b or c"
        cells.Validation = validation

        ranges = doc.getPropertyValue("UnnamedDatabaseRanges")
        ranges.setByTable(sheet.getCellRangeByName("A1:C6").getRangeAddress())
        database = ranges.getByTable(0)
        database.AutoFilter = True
        field = TableFilterField()
        field.Field = 1
        field.Operator = FILTER_GREATER
        field.IsNumeric = True
        field.NumericValue = 3.0
        database.getFilterDescriptor().setFilterFields((field,))
        database.refresh()
        office.store(doc, path, "MS Excel 97")
    finally:
        doc.close(True)


def read_back(office, path, work):
    """What LibreOffice understood of the first sheet of path: its sheet XML
    once stored as XLSX, and whether its sheet range has an autofilter."""
    doc = office.load(path)
    try:
        xlsx = os.path.join(work, os.path.basename(path) + ".xlsx")
        office.store(doc, xlsx, XLSX_FILTER)
        ranges = doc.getPropertyValue("UnnamedDatabaseRanges")
        autofilter = ranges.hasByTable(0) and ranges.getByTable(0).AutoFilter
    finally:
        doc.close(True)
    with zipfile.ZipFile(xlsx) as archive:
        return archive.read("xl/worksheets/sheet1.xml").decode("utf-8"), autofilter


def facts(xml):
    """The conditional formats, validations and autofilter of a sheet's XML,
    reduced to what the check compares."""
    result = {"formats": [], "validations": [], "filter": None, "filter columns": []}
    for block in re.findall(r"<conditionalFormatting[^>]*>.*?</conditionalFormatting>", xml, re.S):
        sqref = re.search(r'sqref="([^"]*)"', block).group(1)
        for rule in re.findall(r"<cfRule[^>]*>.*?</cfRule>", block, re.S):
            kind = re.search(r'type="([^"]*)"', rule).group(1)
            operator = re.search(r'operator="([^"]*)"', rule)
            result["formats"].append((sqref, kind, operator.group(1) if operator else "",
                                      re.findall(r"<formula>(.*?)</formula>", rule, re.S)))
    for item in re.findall(r"<dataValidation [^>]*>.*?</dataValidation>", xml, re.S):
        attributes = dict(re.findall(r'(\w+)="([^"]*)"', item.split(">", 1)[0]))
        result["validations"].append((attributes.get("sqref"), attributes.get("type"),
                                      attributes.get("showErrorMessage"), attributes.get("errorTitle"),
                                      attributes.get("error"), re.findall(r"<formula1>(.*?)</formula1>", item, re.S)))
    found = re.search(r'<autoFilter ref="([^"]*)"', xml)
    if found:
        result["filter"] = found.group(1)
    result["filter columns"] = re.findall(r"<filterColumn .*?</filterColumn>", xml, re.S)
    return result


def combo_boxes(path):
    """The number of combo-box objects (OBJ records of object type 20) in a
    file's workbook stream: the autofilter's drop-down arrows."""
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    count, at = 0, 0
    while at + 4 <= len(data):
        number, length = struct.unpack_from("<HH", data, at)
        if number == 0x005D and length >= 6 and struct.unpack_from("<HH", data, at + 4) == (0x15, 18):
            count += struct.unpack_from("<H", data, at + 8)[0] == 20
        at += 4 + length
    return count


def run(driver, *arguments):
    done = subprocess.run([driver, *arguments], capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, "sheet_objects %s: exit %d, %s" % (arguments[0], done.returncode, done.stderr))
    return done.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    driver = os.path.join(args.bin_dir, "sheet_objects")
    with tempfile.TemporaryDirectory() as work:
        theirs = os.path.join(work, "libreoffice.xls")
        ours = os.path.join(work, "resaved.xls")
        made = os.path.join(work, "filter.xls")
        with Office(work) as office:
            make_libreoffice_file(office, theirs)
            printed = run(driver, "resave", theirs, ours)
            check("formats 2\nvalidations 1\nfilter 1 1 3 3\n" in printed, "what we read: %r" % printed)
            printed = run(driver, "filter", made)
            check("filter 1 1 3 3" in printed, "our filter: %r" % printed)
            their_xml, their_filter = read_back(office, theirs, work)
            our_xml, our_filter = read_back(office, ours, work)
            made_xml, made_filter = read_back(office, made, work)

        expected, got = facts(their_xml), facts(our_xml)
        spread = " ".join("F%d" % (row + 1) for row in range(0, 2 * SPREAD_AREAS, 2))
        check(sorted(expected["formats"]) == [("B2:B6", "cellIs", "greaterThan", ["5"]),
                                              (spread, "cellIs", "greaterThan", ["7"])],
              "LibreOffice's own conditional formats: %r" % expected["formats"])
        check(len(expected["validations"]) == 1 and expected["validations"][0][:5] ==
              ("D2:D6", "list", "true", "Wrong pick", "Pick a, b or c") and
              expected["validations"][0][5] == ["&quot;a,b,c&quot;"],
              "LibreOffice's own validation: %r" % expected["validations"])
        check(expected["filter"] == "A1:C6" and len(expected["filter columns"]) == 1,
              "LibreOffice's own autofilter: %r %r" % (expected["filter"], expected["filter columns"]))
        for key in ("formats", "validations", "filter", "filter columns"):
            check(got[key] == expected[key], "%s after our save: %r, LibreOffice's: %r" % (key, got[key], expected[key]))
        check(their_filter and our_filter, "autofilter flags: theirs %r, ours %r" % (their_filter, our_filter))

        check(combo_boxes(made) == 3, "arrows in our AutoFilter's file: %d" % combo_boxes(made))
        check(combo_boxes(ours) == 3, "arrows in our resaved file: %d" % combo_boxes(ours))
        made_facts = facts(made_xml)
        check(made_facts["filter"] == "A1:C5", "our AutoFilter read by LibreOffice: %r" % made_facts["filter"])
        check(made_filter, "LibreOffice shows no autofilter buttons on our AutoFilter")

    for failure in failures:
        print("FAIL:", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
