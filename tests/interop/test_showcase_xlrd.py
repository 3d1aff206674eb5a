"""Debian's python3-xlrd opens both showcase files (BIFF8 and BIFF5) with
formatting_info=True without a warning and finds, cell by cell, the values and
types the program wrote, and the fonts, fills, borders, alignment, number
formats, merged ranges, column and row sizes, outline levels and sheet
visibility of its formatted cells, the frozen top row, the print area and
titles, the one sheet the window shows, and the comments with their texts
and cells."""
import argparse
import io
import shutil
import sys
import tempfile

import xlrd

import showcase_expected as E

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def check_cells(book, sheet, cells, shape, biff):
    check((sheet.nrows, sheet.ncols) == shape, "%s: shape %r, expected %r" % (sheet.name, (sheet.nrows, sheet.ncols), shape))
    for r in range(min(sheet.nrows, shape[0])):
        for c in range(min(sheet.ncols, shape[1])):
            cell = sheet.cell(r, c)
            ctype, value = cells.get((r, c), (E.EMPTY, ""))
            if ctype == E.TEXT:
                value = E.text_as_written(value, biff)
            where = "BIFF%d %s!%s" % (biff, sheet.name, xlrd.cellname(r, c))
            # Cells without a value but with the default format may read as empty or blank.
            if ctype == E.EMPTY and cell.ctype in (E.EMPTY, E.BLANK):
                continue
            # A formula's cached result is a number; what it holds is the
            # calculator's business, LibreOffice checks the computed values.
            if ctype == E.FORMULA:
                check(cell.ctype == E.NUMBER, "%s: formula type %d" % (where, cell.ctype))
                continue
            check(cell.ctype == ctype, "%s: type %d, expected %d" % (where, cell.ctype, ctype))
            check(cell.value == value, "%s: value %r, expected %r" % (where, str(cell.value)[:40], str(value)[:40]))


def check_formats(book, sheet, biff):
    name = sheet.name
    for (r, c), style in E.CELL_STYLES.items():
        xf = book.xf_list[sheet.cell_xf_index(r, c)]
        font = book.font_list[xf.font_index]
        where = "BIFF%d %s!%s" % (biff, name, xlrd.cellname(r, c))
        got_font = (font.name, font.height, font.weight, font.italic, font.underline_type, font.colour_index)
        check(got_font == style.get("font", E.DEFAULT_FONT), "%s: font %r" % (where, got_font))
        fill = (xf.background.fill_pattern, xf.background.pattern_colour_index, xf.background.background_colour_index)
        check(fill == style.get("fill", (0, 64, 65)), "%s: fill %r" % (where, fill))
        borders = style.get("borders", {})
        for side in ("left", "right", "top", "bottom"):
            got = (getattr(xf.border, side + "_line_style"), getattr(xf.border, side + "_colour_index"))
            expected = borders.get(side)
            if expected is None:
                check(got[0] == 0, "%s: %s border %r" % (where, side, got))
            else:
                check(got == expected, "%s: %s border %r, expected %r" % (where, side, got, expected))
        align = (xf.alignment.hor_align, xf.alignment.vert_align)
        check(align == style.get("align", (0, 2)), "%s: alignment %r" % (where, align))
        check(xf.alignment.text_wrapped == style.get("wrap", 0), "%s: wrap" % where)
        rotation = style.get("rotation5" if biff == 5 else "rotation", style.get("rotation", 0))
        check(xf.alignment.rotation == rotation, "%s: rotation %r" % (where, xf.alignment.rotation))
        indent = style.get("indent5" if biff == 5 else "indent", style.get("indent", 0))
        check(xf.alignment.indent_level == indent, "%s: indent %r" % (where, xf.alignment.indent_level))
    merged = {tuple(m) for m in sheet.merged_cells}
    check(merged == E.MERGED, "BIFF%d %s: merged %r" % (biff, name, merged))
    columns = {c: (i.width, i.hidden, i.outline_level) for c, i in sheet.colinfo_map.items()}
    for c, expected in E.COLUMNS.items():
        check(columns.get(c) == expected, "BIFF%d %s: column %d is %r, expected %r" % (biff, name, c, columns.get(c), expected))
    rows = {r: (i.height, i.hidden, i.outline_level) for r, i in sheet.rowinfo_map.items()}
    for r in range(E.FORMATS_SHAPE[0]):
        expected = E.ROWS.get(r, (255, 0, 0))
        if r in rows:
            check(rows[r] == expected, "BIFF%d %s: row %d is %r, expected %r" % (biff, name, r, rows[r], expected))
        else:
            check(expected == (255, 0, 0), "BIFF%d %s: row %d has no record" % (biff, name, r))


def check_number_formats(book, sheet, biff):
    for (r, c), text in E.NUMBER_FORMATS.items():
        xf = book.xf_list[sheet.cell_xf_index(r, c)]
        got = book.format_map[xf.format_key].format_str
        check(got == text, "BIFF%d Values!%s: number format %r, expected %r" % (biff, xlrd.cellname(r, c), got, text))
    columns = {c: (i.width, i.hidden, i.outline_level) for c, i in sheet.colinfo_map.items()}
    for c, expected in E.VALUES_COLUMNS.items():
        check(columns.get(c) == expected, "BIFF%d Values: column %d is %r" % (biff, c, columns.get(c)))
    header = book.font_list[book.xf_list[sheet.cell_xf_index(0, 0)].font_index]
    check(header.weight == 700 and header.bold, "BIFF%d Values!A1: header not bold" % biff)


def check_file(path, biff):
    log = io.StringIO()
    book = xlrd.open_workbook(path, formatting_info=True, logfile=log)
    check(log.getvalue() == "", "BIFF%d: xlrd reported: %s" % (biff, log.getvalue()[:500]))
    check(book.biff_version == (80 if biff == 8 else 50), "BIFF%d: xlrd sees version %d" % (biff, book.biff_version))
    check(book.datemode == 0, "BIFF%d: date mode %d" % (biff, book.datemode))
    names = [(s.name, s.visibility) for s in book.sheets()]
    check(names == E.SHEETS, "BIFF%d: sheets %r" % (biff, names))
    # WINDOW2 names one displayed sheet: the active one.
    shown = [s.name for s in book.sheets() if s.sheet_visible]
    check(shown == [E.ACTIVE_SHEET], "BIFF%d: displayed sheets %r" % (biff, shown))
    for sheet in book.sheets():
        cells, shape = E.CELLS[sheet.name]
        check_cells(book, sheet, cells, shape, biff)
    check_formats(book, book.sheet_by_name("Formats"), biff)
    names = {(n.name, n.scope, n.builtin, n.result.text) for n in book.name_obj_list}
    check(names == E.NAMES, "BIFF%d: names %r" % (biff, names ^ E.NAMES))
    hidden = {n.name for n in book.name_obj_list if n.hidden}
    check(hidden == E.HIDDEN_NAMES, "BIFF%d: hidden names %r" % (biff, hidden))
    # name_map lists every name by its lower-case text.
    mapped = {key: len(found) for key, found in book.name_map.items()}
    expected_map = {}
    for name, _, _, _ in E.NAMES:
        expected_map[name.lower()] = expected_map.get(name.lower(), 0) + 1
    check(mapped == expected_map, "BIFF%d: name_map %r" % (biff, mapped))
    links = {(h.frowx, h.fcolx): (h.type, h.url_or_path, h.desc, h.textmark, h.quicktip)
             for h in book.sheet_by_name("Names").hyperlink_list}
    # BIFF5 has no hyperlink records.
    check(links == (E.HYPERLINKS if biff == 8 else {}), "BIFF%d: hyperlinks %r" % (biff, links))
    strings = book.sheet_by_name("Strings")
    check(strings.panes_are_frozen == 1 and strings.horz_split_pos == 1 and strings.vert_split_pos == 0,
          "BIFF%d Strings: panes %r" % (biff, (strings.panes_are_frozen, strings.horz_split_pos, strings.vert_split_pos)))
    check_number_formats(book, book.sheet_by_name("Values"), biff)
    # Comments: BIFF8 keeps them in the drawing, BIFF5 in plain notes.
    notes = {cell: note.text for cell, note in book.sheet_by_name("Values").cell_note_map.items()}
    expected = {cell: E.text_as_written(text, biff) for cell, text in E.COMMENTS.items()}
    check(notes == expected, "BIFF%d Values: comments %r" % (biff, notes))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_xlrd_")
    try:
        files = E.run_showcase(args.bin_dir, work)
        for biff, path in files.items():
            check_file(path, biff)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:50]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: xlrd reads both showcase files as written")
    return 0


if __name__ == "__main__":
    sys.exit(main())
