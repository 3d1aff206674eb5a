"""Debian's python3-olefile opens both showcase files and finds the Workbook
stream (BIFF8) or the Book stream (BIFF5), a multiple of 512 bytes long, that
starts with a workbook-globals BOF record and holds nothing after the last
EOF record but zero padding."""
import argparse
import shutil
import struct
import sys
import tempfile

import olefile

import showcase_expected as E


def check(path, biff):
    problems = []
    if not olefile.isOleFile(path):
        return ["BIFF%d: not a compound document" % biff]
    ole = olefile.OleFileIO(path)
    try:
        name = "Workbook" if biff == 8 else "Book"
        other = "Book" if biff == 8 else "Workbook"
        if not ole.exists(name):
            return ["BIFF%d: no %s stream" % (biff, name)]
        if ole.exists(other):
            problems.append("BIFF%d: unexpected %s stream" % (biff, other))
        data = ole.openstream(name).read()
        if len(data) == 0 or len(data) % 512 != 0:
            problems.append("BIFF%d: stream length %d is not a multiple of 512" % (biff, len(data)))
        number, size, version, kind = struct.unpack_from("<HHHH", data, 0)
        if (number, version, kind) != (0x0809, 0x0600 if biff == 8 else 0x0500, 0x0005):
            problems.append("BIFF%d: stream starts with %04X %04X %04X" % (biff, number, version, kind))
        # Walk the records: the last EOF is followed by zeros only.
        at, last_eof = 0, None
        while at + 4 <= len(data):
            number, size = struct.unpack_from("<HH", data, at)
            if number == 0 and size == 0 and last_eof is not None:
                break
            if number == 0x000A:
                last_eof = at + 4 + size
            at += 4 + size
        if last_eof is None or any(data[last_eof:]):
            problems.append("BIFF%d: records do not end in EOF and zero padding" % biff)
    finally:
        ole.close()
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_showcase_ole_")
    try:
        problems = []
        for biff, path in E.run_showcase(args.bin_dir, work).items():
            problems += check(path, biff)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print("FAIL:", problem)
    if problems:
        return 1
    print("OK: olefile finds the Workbook and Book streams, padded to 512 bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
