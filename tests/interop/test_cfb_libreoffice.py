"""Our compound-file reader opens an .xls file that LibreOffice writes, finds
its Workbook stream (starting with a BOF record), and sees the same storages
and streams, with the same bytes, as Debian's python3-olefile.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import olefile


def fnv1a(data):
    value = 0xCBF29CE484222325
    for byte in data:
        value = ((value ^ byte) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % value


def olefile_view(path):
    ole = olefile.OleFileIO(path)
    try:
        view = set()
        for entry in ole.listdir(streams=True, storages=True):
            key = "/".join(entry)
            if ole.get_type(entry) == olefile.STGTY_STORAGE:
                view.add(("storage", key))
            else:
                data = ole.openstream(entry).read()
                view.add(("stream", key, str(len(data)), fnv1a(data)))
        return view
    finally:
        ole.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    soffice = shutil.which("soffice")
    if soffice is None:
        print("FAIL: soffice not found (scripts/setup.sh installs LibreOffice)")
        return 1
    work = tempfile.mkdtemp(prefix="lx_cfb_lo_")
    try:
        csv = os.path.join(work, "orders.csv")
        with open(csv, "w") as handle:
            handle.write("Order,Customer,Amount\n")
            for i in range(1, 200):
                handle.write("%d,Customer %d,%d.%02d\n" % (i, i % 17, i * 13, i % 100))
        profile = "file://" + os.path.join(work, "profile")
        subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to", "xls",
                        "--outdir", work, csv], check=True, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xls = os.path.join(work, "orders.xls")
        if not os.path.exists(xls):
            print("FAIL: LibreOffice wrote no .xls file")
            return 1
        run = subprocess.run([os.path.join(args.bin_dir, "cfb_read"), xls], capture_output=True, timeout=60)
        output = run.stdout.decode("utf-8")
        print(output, end="")
        if run.returncode != 0:
            print("FAIL: cfb_read exited with %d: %s" % (run.returncode, run.stderr.decode("utf-8", "replace")))
            return 1
        ours = set()
        workbook = None
        for line in output.splitlines():
            fields = tuple(line.split("\t"))
            if fields[0] == "workbook":
                workbook = fields
            else:
                ours.add(fields)
        theirs = olefile_view(xls)
        if ours != theirs:
            print("FAIL: only ours %r; only olefile's %r" % (sorted(ours - theirs), sorted(theirs - ours)))
            return 1
        sizes = {f[1]: f[2] for f in theirs if f[0] == "stream"}
        if workbook is None or workbook[2] != "0809" or sizes.get("Workbook") != workbook[1]:
            print("FAIL: workbook stream %r, olefile's size %r" % (workbook, sizes.get("Workbook")))
            return 1
        print("LibreOffice .xls (%d bytes): %d elements match olefile; Workbook stream %s bytes, starts with BOF"
              % (os.path.getsize(xls), len(ours), workbook[1]))
        return 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
