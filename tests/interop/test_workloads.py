"""The benchmark workloads, small, through the test build's lx_workloads
(sanitizers on), each file proven cell by cell with python3-xlrd by the same
check bench/compare applies to every writer: values, types, the date format,
the bold header and, for W2, the red font, yellow fill and thin borders on
every data cell. This keeps the driver honest and runs the bulk paths of the
cell store, the format walks and the writer under the sanitizers.
"""
import argparse
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "bench"))

import compare_lib  # noqa: E402  (needs the path above)

# Rows per sheet: enough for several DBCELL blocks and SST records, small
# enough for a sanitizer build.
ROWS = {"W1": 700, "W2": 700, "W3": 120, "W4": 2100}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.parse_args()
    program = os.environ.get("LX_WORKLOADS")
    if not program or not os.path.exists(program):
        sys.exit("test_workloads: LX_WORKLOADS does not name the driver")
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        for workload, rows in ROWS.items():
            path = os.path.join(folder, workload + ".xls")
            done = subprocess.run([program, workload, "--rows", str(rows), "--out", path],
                                  capture_output=True, text=True)
            if done.returncode != 0:
                failures.append("%s: exit %d %s" % (workload, done.returncode, done.stderr.strip()))
                continue
            check = compare_lib.check_file(path, workload, rows, "lx")
            print("%s %d rows: %s" % (workload, rows, check.summary()))
            if not check.ok:
                failures.append("%s: %s" % (workload, check.summary()))
            if workload == "W2" and not check.decorated:
                failures.append("W2: data cells not decorated")
    if failures:
        print("FAILED:\n  " + "\n  ".join(failures))
        return 1
    print("OK: every workload file reads back as written")
    return 0


if __name__ == "__main__":
    sys.exit(main())
