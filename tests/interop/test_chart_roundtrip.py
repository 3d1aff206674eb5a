"""Charts survive our reader and writer: LibreOffice makes a workbook whose
first sheet "Report" holds two embedded charts, a line chart over its own
cells and a bar chart over the cells of a second sheet "Data", and stores it
as "MS Excel 97". Our engine opens it and saves it again (chart_resave), once
as it is and once after renaming "Data" to "Numbers" and putting a new sheet
before every other. LibreOffice opens both of our files and shows the same
charts, of the same types, over the same cells; in the second file the bar
chart's cells are on "Numbers" and the line chart's still on "Report".
LibreOffice writes no chart sheets to "MS Excel 97": the driver copies the
line chart's records into a chart sheet put second, and our engine reads that
file and saves it again; LibreOffice shows the chart sheet in its place with
the line chart over the same cells."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile

import uno  # noqa: F401 (makes the com.sun.star modules importable)
from com.sun.star.awt import Rectangle
from com.sun.star.table import CellRangeAddress

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from office import Office, _property  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def make_workbook(office, work):
    doc = office.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (_property("Hidden", True),))
    try:
        report = doc.Sheets.getByIndex(0)
        report.Name = "Report"
        doc.Sheets.insertNewByName("Data", 1)
        data = doc.Sheets.getByIndex(1)
        for r in range(5):
            report.getCellByPosition(0, r).setValue(r + 1)
            report.getCellByPosition(1, r).setValue((r + 1) * (r + 1))
        for r in range(4):
            for c in range(3):
                data.getCellByPosition(c, r).setValue(10 * r + c)
        report.Charts.addNewByName("Local", Rectangle(5000, 1000, 8000, 5000), (CellRangeAddress(0, 0, 0, 1, 4),),
                                   False, False)
        line = report.Charts.getByName("Local").EmbeddedObject
        line.setDiagram(line.createInstance("com.sun.star.chart.LineDiagram"))
        report.Charts.addNewByName("Remote", Rectangle(5000, 7000, 8000, 5000), (CellRangeAddress(1, 0, 0, 2, 3),),
                                   False, False)
        path = os.path.join(work, "lo.xls")
        Office.store(doc, path, "MS Excel 97")
        return path
    finally:
        doc.close(True)


def describe(office, path, names=None):
    """[(sheet, diagram type, [(sheet name, columns and rows)...])] for every chart LibreOffice shows;
    names, when given, receives the sheet names in order."""
    doc = office.load(path)
    try:
        if names is not None:
            names.extend(doc.Sheets.ElementNames)
        charts = []
        for s in range(doc.Sheets.Count):
            sheet = doc.Sheets.getByIndex(s)
            for name in sheet.Charts.ElementNames:
                chart = sheet.Charts.getByName(name)
                ranges = [(doc.Sheets.getByIndex(r.Sheet).Name, r.StartColumn, r.StartRow, r.EndColumn, r.EndRow)
                          for r in chart.Ranges]
                charts.append((sheet.Name, chart.EmbeddedObject.Diagram.DiagramType, ranges))
        return sorted(charts)
    finally:
        doc.close(True)


def resave(bin_dir, source, target, *extra):
    run = subprocess.run([os.path.join(bin_dir, "chart_resave"), source, target, *extra], capture_output=True,
                         timeout=120)
    check(run.returncode == 0, "chart_resave %r failed: %r %r" % (extra, run.stdout, run.stderr))
    return [json.loads(line) for line in run.stdout.decode().splitlines() if line.startswith("{")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_chart_")
    os.environ["HOME"] = work
    try:
        with Office(work) as office:
            source = make_workbook(office, work)
            same = os.path.join(work, "same.xls")
            moved = os.path.join(work, "moved.xls")
            read = resave(args.bin_dir, source, same)
            resave(args.bin_dir, source, moved, "--move")
            expected = describe(office, source)
            got_same = describe(office, same)
            got_moved = describe(office, moved)
            # A chart sheet: the first chart copied into a sheet of its own
            # by the driver, then read and saved again by us.
            with_sheet = os.path.join(work, "with_sheet.xls")
            again = os.path.join(work, "again.xls")
            resave(args.bin_dir, source, with_sheet, "--chart-sheet")
            read_sheet = resave(args.bin_dir, with_sheet, again)
            sheet_names = []
            got_sheet = describe(office, again, sheet_names)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("charts read by the engine: %r" % read)
    check(len(read) == 2 and all(not c["chartSheet"] and c["kept"] == 0 for c in read),
          "charts read: %r" % read)
    series = sorted(s for c in read for s in c["series"])
    check(any("'Data'!" in s for s in series) and any("'Report'!" in s for s in series),
          "series formulas read: %r" % series)
    types = sorted(t for _, t, _ in expected)
    check(types == ["com.sun.star.chart.BarDiagram", "com.sun.star.chart.LineDiagram"],
          "LibreOffice's own file: %r" % expected)
    check(got_same == expected, "charts in our file: %r, expected %r" % (got_same, expected))
    renamed = sorted((sheet, kind, [("Numbers" if r[0] == "Data" else r[0],) + tuple(r[1:]) for r in ranges])
                     for sheet, kind, ranges in expected)
    check(got_moved == renamed, "charts after the move: %r, expected %r" % (got_moved, renamed))

    check(sheet_names == ["Report", "Graph", "Data"], "sheets of the chart-sheet file: %r" % sheet_names)
    check([(c["sheet"], c["records"]) for c in read_sheet if c["chartSheet"]] == [(2, read[0]["records"])],
          "chart sheet read by the engine: %r" % read_sheet)
    line = [c for c in expected if c[1] == "com.sun.star.chart.LineDiagram"]
    check(got_sheet == sorted(expected + [("Graph",) + line[0][1:]]) if line else False,
          "charts of the chart-sheet file: %r" % got_sheet)

    for failure in failures:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("charts %r: same in our file; after the move %r; with a chart sheet, sheets %r and charts %r" %
          (got_same, got_moved, sheet_names, got_sheet))
    return 0


if __name__ == "__main__":
    sys.exit(main())
