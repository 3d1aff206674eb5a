"""Gnumeric's ssconvert reads both showcase files (BIFF8 and BIFF5) without a
warning into its own XML, opens them on the workbook's active sheet (the one
sheet WINDOW2 marks as displayed, which other readers open too) and keeps
the protected sheet protected."""
import argparse
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import showcase_expected as E

GNUMERIC = "{http://www.gnumeric.org/v10.dtd}"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def check_file(path, biff, work):
    target = os.path.join(work, "showcase%d.gnumeric" % biff)
    done = subprocess.run(["ssconvert", path, target], capture_output=True, text=True, timeout=300)
    check(done.returncode == 0 and not done.stderr.strip(),
          "BIFF%d: ssconvert exited %d: %r" % (biff, done.returncode, done.stderr[:300]))
    if done.returncode != 0:
        return
    with gzip.open(target) as handle:
        root = ET.fromstring(handle.read())
    names = [sheet.find(GNUMERIC + "Name").text for sheet in root.iter(GNUMERIC + "Sheet")]
    check(names == [name for name, _ in E.SHEETS], "BIFF%d: sheets %r" % (biff, names))
    tab = int(root.find(GNUMERIC + "UIData").get("SelectedTab", "-1"))
    opened = names[tab] if 0 <= tab < len(names) else tab
    check(opened == E.ACTIVE_SHEET, "BIFF%d: opens on %r, expected %r" % (biff, opened, E.ACTIVE_SHEET))
    protected = [sheet.find(GNUMERIC + "Name").text for sheet in root.iter(GNUMERIC + "Sheet")
                 if sheet.get("Protected") == "1"]
    check(protected == [E.PROTECTED_SHEET], "BIFF%d: protected sheets %r" % (biff, protected))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    if shutil.which("ssconvert") is None:
        print("FAIL: ssconvert not found (scripts/setup.sh installs Gnumeric)")
        return 1
    work = tempfile.mkdtemp(prefix="lx_showcase_gnumeric_")
    try:
        for biff, path in E.run_showcase(args.bin_dir, work).items():
            check_file(path, biff, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("OK: Gnumeric opens both showcase files on the active sheet, the protected sheet protected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
