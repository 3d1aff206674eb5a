"""The orders report of bench/compare: `quillon --export` and the hand-written
python3-xlwt script (bench/peers/xlwt_orders.py) export the same demo-shaped
SQLite database, and both files pass the same xlrd check (bench/orders_lib.py).
66,000 orders take two sheets, so the check's sheet and title rules meet the
component's at the end of a sheet. A file checked against the wrong layout or
the wrong orders fails."""
import argparse
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(os.path.dirname(os.path.dirname(HERE)), "bench")
sys.path.insert(0, BENCH)

import orders_lib as L  # noqa: E402

ORDERS = 66000
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(command):
    done = subprocess.run(command, env=L.environment(), capture_output=True, text=True, timeout=600)
    check(done.returncode == 0, "%s exited %d: %s" % (" ".join(command), done.returncode, done.stderr[-2000:]))
    return done


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.parse_args()
    bins = {"quillon": os.environ["QUILLON"]}
    with tempfile.TemporaryDirectory(prefix="lx_orders_") as tmp:
        db = L.database_for(tmp, ORDERS)
        orders = L.read_orders(db)
        check(len(orders) == ORDERS, "database holds %d orders" % len(orders))
        files = {}
        for writer, grouped in (("quillon", True), ("xlwt", True), ("xlwt", False)):
            path = os.path.join(tmp, "%s_%s.xls" % (writer, "grouped" if grouped else "ungrouped"))
            run(L.command(writer, bins, db, path, grouped))
            files[(writer, grouped)] = path
            result = L.check_file(path, db, grouped, orders)
            check(result.ok, "%s %s: %s" % (writer, "grouped" if grouped else "ungrouped", result.summary()))
            check(len(L.layout(orders, grouped)) == 2, "%d orders fit one sheet" % ORDERS)
        wrong = L.check_file(files[("quillon", True)], db, False, orders)
        check(not wrong.ok, "the grouped report passed as an ungrouped one")
        changed = list(orders)
        i = next(i for i, order in enumerate(orders) if order[4] is not None)
        changed[i] = changed[i][:4] + (changed[i][4] + 1,)
        wrong = L.check_file(files[("xlwt", False)], db, False, changed)
        check(not wrong.ok and any("AmountPaid" in p for p in wrong.problems),
              "a changed amount went unnoticed: %s" % wrong.summary())
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK: quillon --export and the xlwt script pass the orders check on %d orders" % ORDERS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
