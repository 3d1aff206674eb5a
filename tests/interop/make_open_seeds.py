#!/usr/bin/python3
"""Writes the seeds of fuzz/fuzz_open.cpp: small .xls files behind the mode
byte that fuzz target reads first (bits 0-1 the password, bit 2 the save in
the other format).

    make_open_seeds.py [--lxconvert BIN] [--files DIR] [--stream DIR] DIR

xlwt writes a small book of numbers, texts, dates, a formula, a merged area
and a few cell formats; our converter (lxconvert) saves it as BIFF8 and as
BIFF5; LibreOffice stores the same cells as "MS Excel 97" plain, with the
password "fuzz" and with the format's published default password;
Gnumeric's ssconvert saves it as BIFF8 and as BIFF7; a bare record stream
holds a chart sheet.

--files DIR also writes the plain files themselves (the seeds of
fuzz_compound), --stream DIR the same behind fuzz_read_stream's mode byte
for a whole source read with no password.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import uno
import xlwt

from office import Office, _property
from test_drawing_roundtrip import make_workbook

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
# Mode bytes of fuzz_open.cpp.
NO_PASSWORD, EMPTY_PASSWORD, FUZZ_PASSWORD, DEFAULT_PASSWORD = 0, 1, 2, 3
OTHER_FORMAT = 4


def write_xlwt(path):
    book = xlwt.Workbook()
    sheet = book.add_sheet("Data")
    bold = xlwt.easyxf("font: bold on; pattern: pattern solid, fore_colour yellow; borders: left thin, bottom thin")
    dated = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    money = xlwt.easyxf(num_format_str="#,##0.00;[Red]-#,##0.00")
    for c, title in enumerate(("Name", "Amount", "Date", "Flag")):
        sheet.write(0, c, title, bold)
    for r in range(1, 9):
        sheet.write(r, 0, "Item %d \u00e9" % r)
        sheet.write(r, 1, r * 12.5 - 30, money)
        sheet.write(r, 2, 43831 + r * 40, dated)
        sheet.write(r, 3, r % 2 == 0)
    sheet.write(9, 1, xlwt.Formula("SUM(B2:B9)"))
    sheet.write(9, 2, xlwt.Formula('IF(B10>0,"up","down")'))
    sheet.write_merge(11, 12, 0, 2, "Merged note")
    sheet.col(0).width = 4000
    sheet.panes_frozen = True
    sheet.horz_split_pos = 1
    book.add_sheet("Second").write(0, 0, 1)
    book.save(path)


def record(number, data=b""):
    return struct.pack("<HH", number, len(data)) + data


def write_chart_sheet(path):
    """A bare BIFF8 record stream: a worksheet of numbers and a chart sheet
    whose series name them through the first EXTERNSHEET entry, with a
    CONTINUE piece inside the chart."""
    bof = lambda kind: record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0, 0, 0, 0))  # noqa: E731
    stream = bof(0x0005)
    stream += record(0x0085, struct.pack("<IBBBB", 0, 0, 0, 4, 0) + b"Data")
    stream += record(0x0085, struct.pack("<IBBBB", 0, 0, 2, 5, 0) + b"Graph")
    stream += record(0x01AE, struct.pack("<HH", 2, 0x0401))  # the workbook's own SUPBOOK
    stream += record(0x0017, struct.pack("<HHhh", 1, 0, 0, 0))
    stream += record(0x000A)
    stream += bof(0x0010)
    for row in range(3):
        stream += record(0x0203, struct.pack("<HHHd", row, 0, 15, row + 1.0))
    stream += record(0x000A)
    area = struct.pack("<BHHHHH", 0x3B, 0, 0, 2, 0, 0)
    stream += bof(0x0020)
    stream += record(0x1002, bytes(16))
    stream += record(0x1051, struct.pack("<BBHHH", 1, 2, 0, 0, len(area)) + area)
    stream += record(0x100D, b"\x00\x00\x03\x00ABC")
    stream += record(0x003C, b"\x01\x02")
    stream += record(0x000A)
    with open(path, "wb") as out:
        out.write(stream)


def write_office(work, source):
    """LibreOffice's stores of the xlwt file: {name: path}."""
    files = {}
    with Office(work) as office:
        doc = office.load(source)
        try:
            for name, filter_name, password in (("lo_plain", "MS Excel 97", None), ("lo_rc4_fuzz", "MS Excel 97", "fuzz"),
                                                ("lo_rc4_default", "MS Excel 97", "VelvetSweatshop")):
                path = os.path.join(work, name + ".xls")
                arguments = [_property("FilterName", filter_name), _property("Overwrite", True)]
                if password is not None:
                    arguments.append(_property("Password", password))
                doc.storeToURL(uno.systemPathToFileUrl(path), tuple(arguments))
                files[name] = path
        finally:
            doc.close(True)
    return files


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--lxconvert", default=os.path.join(ROOT, "build", "compare", "apps", "lxconvert", "lxconvert"))
    parser.add_argument("--files", help="also write the plain files here")
    parser.add_argument("--stream", help="also write fuzz_read_stream seeds here")
    parser.add_argument("directory")
    args = parser.parse_args(argv)
    work = tempfile.mkdtemp(prefix="lx_open_seeds_")
    os.environ["HOME"] = work
    try:
        source = os.path.join(work, "xlwt.xls")
        write_xlwt(source)
        files = {"xlwt": source}
        for name, extra in (("lx_biff8", []), ("lx_biff5", ["--biff5"])):
            path = os.path.join(work, name + ".xls")
            subprocess.run([args.lxconvert, *extra, source, path], check=True)
            files[name] = path
        files.update(write_office(work, source))
        for name, export in (("gnumeric_biff8", "Gnumeric_Excel:excel_biff8"),
                             ("gnumeric_biff7", "Gnumeric_Excel:excel_biff7")):
            path = os.path.join(work, name + ".xls")
            subprocess.run(["ssconvert", "--export-type=" + export, source, path], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            files[name] = path
        with Office(work) as office:
            files["lo_drawing"] = make_workbook(office, work)
        files["chart_sheet"] = os.path.join(work, "chart_sheet.xls")
        write_chart_sheet(files["chart_sheet"])
        os.makedirs(args.directory, exist_ok=True)
        seeds = (("xlwt", NO_PASSWORD), ("lx_biff8", NO_PASSWORD), ("lx_biff8", OTHER_FORMAT),
                 ("lx_biff5", NO_PASSWORD), ("lx_biff5", OTHER_FORMAT), ("lo_plain", EMPTY_PASSWORD),
                 ("lo_rc4_fuzz", FUZZ_PASSWORD), ("lo_rc4_default", NO_PASSWORD),
                 ("gnumeric_biff8", NO_PASSWORD), ("gnumeric_biff7", OTHER_FORMAT),
                 ("lo_drawing", NO_PASSWORD), ("lo_drawing", OTHER_FORMAT), ("chart_sheet", NO_PASSWORD),
                 ("chart_sheet", OTHER_FORMAT))
        for name, mode in seeds:
            with open(files[name], "rb") as source_file:
                data = source_file.read()
            target = os.path.join(args.directory, "%s_%d.bin" % (name, mode))
            with open(target, "wb") as out:
                out.write(bytes([mode]) + data)
            print("%s: %d bytes" % (os.path.basename(target), len(data) + 1))
        for directory, prefix in ((args.files, b""), (args.stream, b"\x00")):
            if not directory:
                continue
            os.makedirs(directory, exist_ok=True)
            for name in ("xlwt", "lx_biff5", "lo_plain", "gnumeric_biff8", "gnumeric_biff7"):
                with open(files[name], "rb") as source_file:
                    data = source_file.read()
                with open(os.path.join(directory, name + ".bin"), "wb") as out:
                    out.write(prefix + data)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
