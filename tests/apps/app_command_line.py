"""A program's command line (quillon or marlet), run without any display (no
DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM): every mistake is reported with
the usage and exit code 2 before a window could be started, --help prints the
program's name and version (the second argument) and the usage.

usage: app_command_line.py PATH-OF-PROGRAM VERSION"""
import os
import subprocess
import sys

# The usage names the program.
PROGRAM = os.path.basename(sys.argv[1]) if len(sys.argv) > 1 else "quillon"

# (arguments, exit code, text that stdout or stderr must hold)
CASES = [
    (["--bogus"], 2, "unknown argument: --bogus"),
    (["--screenshot"], 2, "--screenshot needs a file name"),
    (["--db", "shop.db", "extra"], 2, "unknown argument: extra"),
    (["--help"], 0, "usage: " + PROGRAM),
    (["--help"], 0, "%s %s\n" % (PROGRAM, sys.argv[2] if len(sys.argv) > 2 else "")),
]


def main():
    program = sys.argv[1]
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    failures = []
    for arguments, code, text in CASES:
        done = subprocess.run([program, *arguments], env=env, capture_output=True, text=True, timeout=60)
        out = done.stdout + done.stderr
        if done.returncode != code or text not in out or (code == 2 and "usage: " + PROGRAM not in done.stderr):
            failures.append("%s: exit %d, output %r" % (" ".join(arguments), done.returncode, out[:300]))
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("OK: %d command lines" % len(CASES))
    return 0


if __name__ == "__main__":
    sys.exit(main())
