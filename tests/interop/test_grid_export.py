"""The grid export of the demo orders, grouped by Terms and PaymentMethod and
saved as BIFF8 by the components_grid_export driver, read back by Debian's
python3-xlrd; grid_export_checks.py holds the checks."""
import argparse
import os
import subprocess
import sys
import tempfile

import grid_export_checks as G

# The driver fixes the locale's short date and time formats.
DATE_FORMATS = ("dd/MM/yyyy", "dd/MM/yyyy hh:mm")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "orders.xls")
        subprocess.run([os.path.join(args.bin_dir, "components_grid_export"), path], check=True)
        rows = G.check_book(path, DATE_FORMATS)
    return G.report("grid export: %d rows checked" % rows)


if __name__ == "__main__":
    sys.exit(main())
