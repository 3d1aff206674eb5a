#!/usr/bin/env python3
"""Presents a header's line comments to Doxygen as documentation comments.

The headers are commented with plain // comments, as the rest of the code.
Doxygen reads only its own comment forms, so this filter rewrites, on the
fly and without touching the file:

  * the paragraph that opens the header        -> the file's description
  * a // comment on lines of its own            -> /// (documents what follows)
  * code;  // text  (a comment after code)      -> code;  ///< text
  * code;  // 12: text  (an interface slot)     -> code;  ///< text (slot 12)
  * code;  // 12  (a bare slot number)          -> dropped
  * // ---------- title  (a section banner)     -> a heading of the member list

Comments inside function bodies stay plain (Doxygen would append them to the
function's description). Line numbers are kept, so warnings point at the
right line of the real header.
"""
import re
import sys

def escape(text):
    """Keeps spreadsheet error values (#NUM!, #DIV/0!) from reading as links."""
    return re.sub(r"#(?=[A-Z])", r"\\#", text)


BANNER = re.compile(r"^(\s*)//\s*-{3,}\s*(.*?)\s*-*\s*$")
FULL = re.compile(r"^(\s*)//(?!/)(.*)$")
SLOT = re.compile(r"^\s*(\d+)\s*(?::\s*(.*))?$")


def code_end(line):
    """Index of a trailing // comment outside string and character literals, or -1."""
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif line.startswith("//", i):
            return i
        i += 1
    return -1


def main(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    out = []
    depth = 0  # braces of function bodies: '{' after ')' or ') const' and the like
    body_depth = []
    group_depth = None  # brace depth of the open member group, if any
    opening = True
    for line in lines:
        stripped = line.strip()
        if opening:
            if stripped.startswith("//"):
                text = stripped[2:].strip()
                out.append(("/** " if not out else "    ") + escape(text))
                continue
            if out:
                out[-1] += " @file */"
            opening = False
        in_body = bool(body_depth)
        banner = BANNER.match(line)
        full = FULL.match(line)
        if group_depth is not None and (banner or depth < group_depth or re.match(r"^\s*}", line) and depth == group_depth):
            out[-1] += " ///@}"
            group_depth = None
        if banner and not in_body:
            title = banner.group(2) or "…"
            out.append(banner.group(1) + "/** @name " + title + " */ ///@{")
            group_depth = depth
        elif full and not in_body:
            out.append(full.group(1) + "///" + escape(full.group(2)))
        else:
            at = code_end(line) if not stripped.startswith("//") else -1
            if at > 0 and not in_body and line[:at].strip() not in ("}", "};") and not line[at:].startswith("///"):
                text = escape(line[at + 2:].strip())
                slot = SLOT.match(text)
                if slot:
                    text = "" if slot.group(2) is None else f"{slot.group(2)} (slot {slot.group(1)})"
                out.append(line[:at] + ("///< " + text if text else ""))
            else:
                out.append(line)
        # Track function bodies roughly: a '{' on a line that closes a parameter
        # list opens one; braces inside it nest.
        code = line if code_end(line) < 0 else line[:code_end(line)]
        for c in code:
            if c == "{":
                if body_depth or re.search(r"\)\s*(const|noexcept|override|final|\s)*(->[^{]*)?\{", code) or re.search(r"\)\s*:", code):
                    body_depth.append(c)
                else:
                    depth += 1
            elif c == "}":
                if body_depth:
                    body_depth.pop()
                elif depth:
                    depth -= 1
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
