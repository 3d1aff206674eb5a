"""What examples/showcase writes: sheets, values and formats, and a helper that
runs the program. Shared by the showcase interop checks."""
import os
import subprocess

# xlrd cell types; FORMULA marks a formula cell of ours, with the value it
# computes to (xlrd reads its cached result as a number).
TEXT, NUMBER, DATE, BOOLEAN, BLANK, EMPTY = 1, 2, 3, 4, 6, 0
FORMULA = -1

LONG_TEXT = "\u0416" * 4200 + "!"

SHEETS = [("Values", 0), ("Formats", 0), ("Strings", 0), ("Hidden", 1), ("Names", 0)]
# The sheet a reader opens on (the workbook's active sheet), and the
# protected one.
ACTIVE_SHEET = "Values"
PROTECTED_SHEET = "Formats"

# Sheet "Values": (row, column) 0-based -> (type, value)
VALUES = {}
_rows = [
    ("Kind", (TEXT, "Value")),
    ("Integer", (NUMBER, 42.0)),
    ("Fraction", (NUMBER, 2.5)),
    ("Negative", (NUMBER, -1234.5678)),
    ("Large", (NUMBER, 1e300)),
    ("Date", (DATE, 45000.0)),
    ("True", (BOOLEAN, 1)),
    ("False", (BOOLEAN, 0)),
    ("Latin", (TEXT, "Fa\u00e7ade, d\u00e9j\u00e0 vu, na\u00efve")),
    ("Cyrillic", (TEXT, "\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451")),
    ("CJK", (TEXT, "\u65e5\u672c\u8a9e\u3068\u4e2d\u6587")),
    ("Long text", (TEXT, LONG_TEXT)),
    ("Blank with fill", (BLANK, "")),
    ("Built-in formats", (NUMBER, 1234.5)),
    ("Custom format", (NUMBER, 3.14159)),
]
for _r, (_label, _value) in enumerate(_rows):
    VALUES[(_r, 0)] = (TEXT, _label)
    VALUES[(_r, 1)] = _value
VALUES[(13, 2)] = (NUMBER, 0.25)
VALUES[(13, 3)] = (NUMBER, 12345.678)
VALUES_SHAPE = (15, 4)

# Comments of sheet "Values": (row, column) 0-based -> text
COMMENTS = {(9, 1): "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440",
            (1, 1): "The answer\nto everything\nin three lines"}

NUMBER_FORMATS = {  # sheet Values
    (5, 1): "yyyy-mm-dd",
    (13, 1): "#,##0.00",
    (13, 2): "0%",
    (13, 3): "0.00E+00",
    (14, 1): '0.000" units"',
}

FORMATS = {}
_texts = ["Times 14 bold red", "Italic underlined blue", "Solid yellow fill", "Gray 50% pattern",
          "Thin green box", "Double bottom line", "Centred at the top",
          "Wrapped text that needs more than one line", "Rotated", "Indented"]
for _r, _t in enumerate(_texts):
    FORMATS[(_r, 0)] = (TEXT, _t)
FORMATS[(0, 4)] = (TEXT, "Across")
FORMATS[(0, 7)] = (TEXT, "Detail H")
FORMATS[(0, 8)] = (TEXT, "Detail I")
FORMATS[(11, 0)] = (TEXT, "Merged block")
FORMATS[(14, 0)] = (TEXT, "Tall row")
FORMATS[(15, 0)] = (TEXT, "Hidden row")
for _r in (17, 18, 19):
    FORMATS[(_r, 0)] = (NUMBER, float((_r + 1) * 10))
FORMATS_SHAPE = (20, 9)

# Formatted cells of sheet "Formats": the attributes xlrd reports.
# font: (name, height in twips, weight, italic, underline type, colour index)
DEFAULT_FONT = ("Arial", 200, 400, 0, 0, 0x7FFF)
CELL_STYLES = {
    (0, 0): {"font": ("Times New Roman", 280, 700, 0, 0, 10)},
    (1, 0): {"font": ("Arial", 200, 400, 1, 1, 12)},
    (2, 0): {"fill": (1, 13, 64)},
    (3, 0): {"fill": (2, 22, 17)},
    (4, 0): {"borders": {side: (1, 17) for side in ("left", "right", "top", "bottom")}},
    (5, 0): {"borders": {"bottom": (6, 64)}},
    (6, 0): {"align": (2, 0)},
    (7, 0): {"wrap": 1},
    # BIFF5 cell formats know only horizontal, vertical and stacked text and
    # no indent: the rotation and the indent read as 0 there.
    (8, 0): {"rotation": 45, "rotation5": 0},
    (9, 0): {"align": (1, 2), "indent": 3, "indent5": 0},
}
MERGED = {(0, 1, 4, 7), (11, 13, 0, 3)}
# column -> (width, hidden, outline level)
COLUMNS = {0: (7862, 0, 0), 1: (3254, 0, 0), 3: (2340, 1, 0), 7: (2340, 0, 1), 8: (2340, 0, 1)}
VALUES_COLUMNS = {0: (4790, 0, 0), 1: (6326, 0, 0)}
# rows with something other than the default: row -> (height, hidden, outline level)
ROWS = {14: (600, 0, 0), 15: (255, 1, 0), 17: (255, 0, 1), 18: (255, 0, 1), 19: (255, 0, 1)}

STRINGS = {}
for _r in range(10000):
    STRINGS[(_r, 0)] = (TEXT, "Text %05d" % (_r + 1))
    STRINGS[(_r, 1)] = (TEXT, "Text %05d" % (_r + 10001))
    STRINGS[(_r, 2)] = (NUMBER, float(_r + 1))
STRINGS_SHAPE = (10000, 3)

# Sheet "Names": defined names used in formulas, print settings and one
# hyperlink of each kind in column F.
NAMES_SHEET = {}
for _r, (_item, _amount) in enumerate([("Item", "Amount"), ("Apples", 3.0), ("Pears", 4.0), ("Plums", 5.0),
                                       ("Figs", 6.0)]):
    NAMES_SHEET[(_r, 0)] = (TEXT, _item)
    NAMES_SHEET[(_r, 1)] = (TEXT, _amount) if _r == 0 else (NUMBER, _amount)
NAMES_SHEET[(0, 3)] = (NUMBER, 0.2)
NAMES_SHEET[(1, 3)] = (NUMBER, 10.0)
NAMES_SHEET[(2, 3)] = (NUMBER, 100.0)
NAMES_SHEET[(6, 0)] = (TEXT, "Total")
NAMES_SHEET[(6, 1)] = (FORMULA, 18.0)  # =SUM(Amounts)
NAMES_SHEET[(7, 0)] = (TEXT, "Tax")
NAMES_SHEET[(7, 1)] = (FORMULA, 3.6)  # =SUM(Amounts)*TaxRate
NAMES_SHEET[(8, 0)] = (TEXT, "Bonus + 1")
NAMES_SHEET[(8, 1)] = (FORMULA, 11.0)  # =Bonus+1, the sheet's own Bonus
NAMES_SHEET_SHAPE = (9, 6)
# Formula text of each formula cell, as LibreOffice shows it.
NAMES_FORMULAS = {(6, 1): "=SUM(Amounts)", (7, 1): "=SUM(Amounts)*TaxRate", (8, 1): "=Bonus+1"}
# Hyperlinks of sheet "Names" (BIFF8 only): cell -> (kind as xlrd names it,
# address, text to display, sub-address, screen tip).
HYPERLINKS = {
    (0, 5): ("url", "https://example.org/", "Example site", None, "Opens the site"),
    (1, 5): ("url", "mailto:someone@example.org", "mailto:someone@example.org", None, None),
    (2, 5): ("local file", "C:\\Reports\\summary.xls", "Summary file", None, None),
    (3, 5): ("unc", "\\\\server\\share\\book.xls", "Shared book", None, None),
    (4, 5): ("workbook", None, "Go to Values", "Values!B2", None),
}
for (_r, _c), (_kind, _address, _text, _sub, _tip) in HYPERLINKS.items():
    NAMES_SHEET[(_r, _c)] = (TEXT, _text)

# Defined names: (name, sheet index or -1 for the workbook, built-in flag,
# formula text as xlrd shows it), and the hidden ones.
NAMES = {("Print_Area", 2, 1, "Strings!$A$1:$C$200"), ("Print_Titles", 2, 1, "Strings!$A$1:$IV$1"),
         ("Print_Area", 4, 1, "Names!$A$1:$F$9"), ("Print_Titles", 4, 1, "Names!$A$1:$IV$1"),
         ("Amounts", -1, 0, "Names!$B$2:$B$5"), ("TaxRate", -1, 0, "Names!$D$1"), ("Bonus", -1, 0, "Names!$D$3"),
         ("Secret", -1, 0, "Names!$A$1"), ("Bonus", 4, 0, "Names!$D$2")}
HIDDEN_NAMES = {"Secret"}

HIDDEN = {(0, 0): (TEXT, "You found the hidden sheet")}
HIDDEN_SHAPE = (1, 1)

CELLS = {"Values": (VALUES, VALUES_SHAPE), "Formats": (FORMATS, FORMATS_SHAPE),
         "Strings": (STRINGS, STRINGS_SHAPE), "Hidden": (HIDDEN, HIDDEN_SHAPE),
         "Names": (NAMES_SHEET, NAMES_SHEET_SHAPE)}

FILES = {8: "showcase8.xls", 5: "showcase5.xls"}


def text_as_written(text, biff):
    """BIFF5 holds texts in the 8-bit code page, cut to 255 characters."""
    if biff == 8:
        return text
    return text.encode("cp1252", errors="replace").decode("cp1252")[:255]


def run_showcase(bin_dir, out_dir):
    """Runs examples/showcase of the same build; returns {8: path, 5: path}."""
    build_root = os.path.dirname(os.path.dirname(os.path.abspath(bin_dir)))
    program = os.path.join(build_root, "examples", "showcase")
    if not os.path.exists(program):
        raise SystemExit("FAIL: %s not built" % program)
    subprocess.run([program, out_dir], check=True, timeout=300, stdout=subprocess.DEVNULL)
    return {biff: os.path.join(out_dir, name) for biff, name in FILES.items()}
