"""Debian's python3-olefile opens every compound file we write and sees the
storages and streams we meant to write, with the same bytes.

cfb_write writes each sample beside a mirror of its tree (storages as folders,
streams as files); this script compares olefile's view with the mirror.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import olefile


def mirror_tree(root):
    """{path tuple: ('storage', None) | ('stream', bytes)} below root."""
    tree = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        prefix = () if rel == "." else tuple(rel.split(os.sep))
        for d in dirs:
            tree[prefix + (d,)] = ("storage", None)
        for f in files:
            with open(os.path.join(folder, f), "rb") as handle:
                tree[prefix + (f,)] = ("stream", handle.read())
    return tree


def ole_tree(path):
    # The strictest defect level: anything olefile finds odd raises.
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_UNSURE)
    try:
        if ole.parsing_issues:
            raise AssertionError("parsing issues: %r" % (ole.parsing_issues,))
        tree = {}
        for entry in ole.listdir(streams=True, storages=True):
            key = tuple(entry)
            kind = ole.get_type(entry)
            if kind == olefile.STGTY_STORAGE:
                tree[key] = ("storage", None)
            elif kind == olefile.STGTY_STREAM:
                data = ole.openstream(entry).read()
                if len(data) != ole.get_size(entry):
                    raise AssertionError("%s: read %d bytes, size says %d" % (key, len(data), ole.get_size(entry)))
                tree[key] = ("stream", data)
            else:
                raise AssertionError("%s: unexpected type %r" % (key, kind))
        return tree
    finally:
        ole.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="lx_cfb_olefile_")
    failures = 0
    try:
        subprocess.run([os.path.join(args.bin_dir, "cfb_write"), work], check=True)
        samples = sorted(f[:-4] for f in os.listdir(work) if f.endswith(".cfb"))
        if len(samples) < 7:
            print("FAIL: expected 7 samples, found %r" % samples)
            return 1
        for name in samples:
            path = os.path.join(work, name + ".cfb")
            expected = mirror_tree(os.path.join(work, name + ".tree"))
            try:
                if not olefile.isOleFile(path):
                    raise AssertionError("not recognised as an OLE file")
                seen = ole_tree(path)
                if set(seen) != set(expected):
                    raise AssertionError("elements differ: only ours %r, only olefile's %r"
                                         % (sorted(set(expected) - set(seen)), sorted(set(seen) - set(expected))))
                for key, value in expected.items():
                    if seen[key] != value:
                        raise AssertionError("%s differs" % "/".join(key))
                streams = sum(1 for kind, _ in expected.values() if kind == "stream")
                size = sum(len(data) for kind, data in expected.values() if kind == "stream")
                print("ok   %-12s %4d elements, %4d streams, %9d stream bytes, file %9d bytes"
                      % (name, len(expected), streams, size, os.path.getsize(path)))
            except Exception as error:  # report every sample, then fail
                failures += 1
                print("FAIL %-12s %s" % (name, error))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("olefile: %d samples failed" % failures if failures else "olefile: all samples read back identically")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
