"""LibreOffice opens both showcase files and shows the comments of sheet
"Values" on their cells: in BIFF8 with their texts (the Cyrillic one and the
one over three lines); in BIFF5 on the same cells (LibreOffice drops the text
of every BIFF5 note, so xlrd's check reads those texts)."""
import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import showcase_expected as E  # noqa: E402
from office import Office  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_comments_")
    failures = []
    try:
        files = E.run_showcase(args.bin_dir, work)
        with Office(work) as office:
            for biff, path in sorted(files.items()):
                doc = office.load(path)
                try:
                    notes = doc.Sheets.getByName("Values").Annotations
                    seen = {}
                    for i in range(notes.Count):
                        note = notes.getByIndex(i)
                        seen[(note.Position.Row, note.Position.Column)] = note.String
                finally:
                    doc.close(True)
                if biff == 8:
                    expected = E.COMMENTS
                else:
                    expected = {cell: "" for cell in E.COMMENTS}
                    seen = {cell: "" for cell in seen}
                if seen != expected:
                    failures.append("BIFF%d: comments %r, expected %r" % (biff, seen, expected))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("OK: LibreOffice shows the showcase's comments on their cells")
    return 0


if __name__ == "__main__":
    sys.exit(main())
