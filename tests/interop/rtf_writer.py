"""Our RTF files as LibreOffice Writer reads them, shared by the RTF interop
checks. One office (office.py) loads the file once; its text tables are
walked through the UNO API in document order (rows, cells, cell texts), and
the same document is stored as DOCX and as UTF-8 plain text, whose tables and
lines are read back with Python's own zipfile and XML modules.

A table row is compared as the list of its cells' texts (or, for texts
that depend on the locale, a test of the text): a merged area is
one cell in its first row (the columns it spans give no cells of their
own), and in each further row of a vertically merged area its first column
gives one empty cell."""
import os
import re
import zipfile
import xml.etree.ElementTree as ET

W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
DOCX_FILTER = "MS Word 2007 XML"
TEXT_FILTER = "Text (encoded)"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def _uno_rows(table):
    """Rows of one Writer text table: lists of cell texts, by the cell names
    (column letters and row number) Writer gives even to uneven rows. Writer
    names no cell for the positions a cell spanning rows covers; each gets an
    empty cell here, where the files that Writer stores put one."""
    rows = {}
    spans = []
    for name in table.getCellNames():
        match = re.fullmatch(r"([A-Za-z]+)(\d+)", name)
        if not match:
            continue
        letters, number = match.groups()
        column = 0
        for letter in letters:
            column = column * 52 + (ord(letter) - (ord("A") if letter.isupper() else ord("a") - 26)) + 1
        cell = table.getCellByName(name)
        rows.setdefault(int(number), []).append((column, cell.getString()))
        try:
            span = cell.getPropertyValue("RowSpan")
        except Exception:
            span = 1
        if span > 1:
            spans.append((int(number), column, span))
    ordered = {number: [text for _, text in sorted(cells)] for number, cells in rows.items()}
    for number, column, span in spans:
        at = sum(1 for c, _ in rows[number] if c < column)
        for below in range(number + 1, number + span):
            ordered.setdefault(below, []).insert(at, "")
    return [ordered[number] for number in sorted(ordered)]


def uno_table_rows(doc):
    """Every table row of the document, tables in document order."""
    rows = []
    tables = 0
    enumeration = doc.getText().createEnumeration()
    while enumeration.hasMoreElements():
        element = enumeration.nextElement()
        if element.supportsService("com.sun.star.text.TextTable"):
            tables += 1
            rows.extend(_uno_rows(element))
    return rows, tables


def _text_of(element):
    paragraphs = []
    for paragraph in element.iter(W + "p"):
        paragraphs.append("".join(t.text or "" for t in paragraph.iter(W + "t")))
    return "\n".join(paragraphs)


def docx_table_rows(path):
    """Every row of the top-level tables of a DOCX file, as cell texts."""
    with zipfile.ZipFile(path) as archive:
        root = ET.fromstring(archive.read("word/document.xml"))
    rows = []
    body = root.find(W + "body")
    for table in body.findall(W + "tbl"):
        for row in table.findall(W + "tr"):
            rows.append([_text_of(cell) for cell in row.findall(W + "tc")])
    return rows


def compare_rows(peer, got, expected):
    check(len(got) == len(expected), "%s: %d table rows, expected %d" % (peer, len(got), len(expected)))
    cells = sum(len(row) for row in got)
    want = sum(len(row) for row in expected)
    check(cells == want, "%s: %d cells, expected %d" % (peer, cells, want))
    shown = 0
    for i, (row, wanted) in enumerate(zip(got, expected)):
        same = len(row) == len(wanted) and all(w(t) if callable(w) else t == w for t, w in zip(row, wanted))
        if not same and shown < 10:
            shown += 1
            check(False, "%s row %d: %r, expected %r" % (peer, i + 1, [t[:40] for t in row], [
                getattr(w, "__doc__", None) or "?" if callable(w) else w[:40] for w in wanted]))


def read_rtf(office, path, work, expected, peer):
    """Loads the RTF once, compares its tables (UNO walk, then DOCX) and its
    plain text with the expected rows."""
    from office import Office
    name = os.path.splitext(os.path.basename(path))[0]
    doc = office.load(path)
    check(doc is not None, "%s: Writer did not load %s" % (peer, path))
    if doc is None:
        return
    try:
        check(doc.supportsService("com.sun.star.text.TextDocument"), "%s: not loaded as a text document" % peer)
        rows, tables = uno_table_rows(doc)
        check(tables >= 1, "%s: no text table" % peer)
        compare_rows("%s (Writer tables)" % peer, rows, expected)
        docx = os.path.join(work, name + ".docx")
        Office.store(doc, docx, DOCX_FILTER)
        compare_rows("%s (DOCX)" % peer, docx_table_rows(docx), expected)
        text = os.path.join(work, name + ".txt")
        Office.store(doc, text, TEXT_FILTER, "UTF8")
        with open(text, encoding="utf-8-sig") as handle:
            lines = [line.rstrip("\r") for line in handle.read().split("\n")]
        # Every non-empty cell text, in order, among the lines (a cell of
        # one line each; the text of a cell with breaks spans lines).
        at = 0
        for row in expected:
            for cell in row:
                if callable(cell) or not cell or "\n" in cell:
                    continue
                try:
                    at = lines.index(cell, at) + 1
                except ValueError:
                    check(False, "%s (text): %r missing or out of order" % (peer, cell[:40]))
                    return
    finally:
        doc.close(True)
