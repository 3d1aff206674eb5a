"""The showcase's HTML frameset, and a workbook whose sheet names hold markup,
Cyrillic and CJK, loaded by headless Chromium. One browser run loads a
harness page that holds every page in a frame and copies each document the
browser built into the dumped DOM. Checks: the frameset shows the active
sheet's page and the tab strip; every table cell of every sheet page shows
the value formatter's text of its model cell (html_expected writes the
model), with the spans of the merged areas over the rows and columns shown;
Cyrillic and CJK texts arrive intact; sheet names with markup characters
show as text and make no element."""
import argparse
import html
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

import showcase_expected as E

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


HARNESS = """<html><head><meta charset="utf-8"></head><body>
%s
<script>
window.addEventListener('load', function () {
  function dump(name, doc) {
    var pre = document.createElement('pre');
    pre.setAttribute('data-name', name);
    pre.textContent = doc ? doc.documentElement.outerHTML : '';
    document.body.appendChild(pre);
  }
  document.querySelectorAll('iframe').forEach(function (frame) {
    var name = frame.getAttribute('data-name');
    var doc = frame.contentDocument;
    dump(name, doc);
    if (doc) doc.querySelectorAll('frame').forEach(function (inner) {
      dump(name + '/' + inner.getAttribute('name'), inner.contentDocument);
    });
  });
});
</script></body></html>
"""


class Dump(html.parser.HTMLParser):
    """The documents the harness copied out, by name."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.docs = {}
        self.name = None

    def handle_starttag(self, tag, attrs):
        if tag == "pre":
            self.name = dict(attrs).get("data-name")
            self.docs[self.name] = ""

    def handle_endtag(self, tag):
        if tag == "pre":
            self.name = None

    def handle_data(self, data):
        if self.name is not None:
            self.docs[self.name] += data


class Page(html.parser.HTMLParser):
    """Table rows of cells (text, colspan, rowspan), links, and the tags met."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows = []
        self.links = []
        self.tags = set()
        self.cell = None
        self.link = None

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        a = dict(attrs)
        if tag == "tr":
            self.rows.append([])
        elif tag == "td" and self.rows:
            self.cell = [[], int(a.get("colspan", 1)), int(a.get("rowspan", 1))]
            self.rows[-1].append(self.cell)
        elif tag == "a":
            self.link = [a.get("href"), []]
            self.links.append(self.link)

    def handle_endtag(self, tag):
        if tag == "td":
            self.cell = None
        elif tag == "a":
            self.link = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell[0].append(data)
        if self.link is not None:
            self.link[1].append(data)


def parse(text):
    page = Page()
    page.feed(text)
    for row in page.rows:
        for cell in row:
            cell[0] = "".join(cell[0]).replace("\u00a0", " ")
    page.links = [(href, "".join(parts).replace("\u00a0", " ")) for href, parts in page.links]
    return page


def compare_sheet(where, page, model):
    """Lays the cells out as a browser does (spans occupy later rows) and
    compares each with the model cell at the shown row and column."""
    hidden_rows, hidden_columns = set(model["hiddenRows"]), set(model["hiddenColumns"])
    texts = model["texts"]
    top, left = model["top"], model["left"]
    rows = [top + i for i in range(len(texts)) if top + i not in hidden_rows]
    columns = [left + j for j in range(len(texts[0])) if left + j not in hidden_columns]
    merges = {(m[0], m[1]): m for m in model["merges"]}
    check(len(page.rows) == len(rows), "%s: %d rows, expected %d" % (where, len(page.rows), len(rows)))
    taken = set()
    compared = 0
    for i, row in enumerate(page.rows[:len(rows)]):
        j = 0
        for text, colspan, rowspan in row:
            while (i, j) in taken:
                j += 1
            if j >= len(columns):
                check(False, "%s: row %d has cells beyond the last column" % (where, i))
                break
            r, c = rows[i], columns[j]
            want = texts[r - top][c - left].replace("\r", "").replace("\n", "")
            got = "" if text == " " and want == "" else text
            check(got == want, "%s: cell %d,%d shows %r, expected %r" % (where, r, c, got[:60], want[:60]))
            compared += 1
            m = merges.get((r, c))
            spans = (1, 1)
            if m:
                spans = (len([x for x in columns if m[1] <= x <= m[3]]), len([x for x in rows if m[0] <= x <= m[2]]))
            check((colspan, rowspan) == spans,
                  "%s: cell %d,%d spans %r, expected %r" % (where, r, c, (colspan, rowspan), spans))
            for di in range(rowspan):
                for dj in range(colspan):
                    taken.add((i + di, j + dj))
            j += colspan
    covered = sum(1 for (i, j) in taken if i < len(rows) and j < len(columns))
    check(covered == len(rows) * len(columns),
          "%s: cells cover %d of %d positions" % (where, covered, len(rows) * len(columns)))
    return compared


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir", required=True)
    args = parser.parse_args()
    browser = shutil.which("chromium")
    if not browser:
        print("FAIL: chromium is not installed (scripts/setup.sh installs it)")
        return 1
    work = tempfile.mkdtemp(prefix="lx_html_chromium_")
    try:
        E.run_showcase(args.bin_dir, work)
        subprocess.run([os.path.join(args.bin_dir, "html_expected"), work], check=True, timeout=300,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(work, "showcase_model.json"), encoding="ascii") as f:
            showcase = json.load(f)
        with open(os.path.join(work, "names_model.json"), encoding="ascii") as f:
            names = json.load(f)

        frames = [("showcase", "showcase.html"), ("names", "names.html")]
        frames += [("sheet%d" % i, "showcase.files/Sheet%03d.htm" % i) for i in range(1, len(showcase) + 1)]
        frames += [("names%d" % i, "names.files/Sheet%03d.htm" % i) for i in range(1, len(names) + 1)]
        iframes = "\n".join('<iframe data-name="%s" src="%s"></iframe>' % f for f in frames)
        with open(os.path.join(work, "harness.html"), "w", encoding="utf-8") as f:
            f.write(HARNESS % iframes)
        # File pages may read each other only with file access allowed; the
        # virtual time budget lets every frame load before the DOM is dumped.
        profile = tempfile.mkdtemp(prefix="lx_chromium_profile_")
        try:
            run = subprocess.run(
                [browser, "--headless", "--no-sandbox", "--disable-gpu", "--allow-file-access-from-files",
                 "--user-data-dir=" + profile, "--virtual-time-budget=20000",
                 "--dump-dom", "file://" + os.path.join(work, "harness.html")],
                capture_output=True, timeout=120)
        except subprocess.TimeoutExpired:
            # A script that a page should never run (an alert from a sheet
            # name) holds the headless browser on its dialog.
            print("FAIL: the browser did not finish; did a page run a script?")
            return 1
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        dump = Dump()
        dump.feed(run.stdout.decode("utf-8"))
        docs = dump.docs
        expected_docs = {"showcase", "showcase/frSheet", "showcase/frTabs", "names/frTabs"}
        expected_docs |= {"sheet%d" % i for i in range(1, len(showcase) + 1)}
        expected_docs |= {"names%d" % i for i in range(1, len(names) + 1)}
        missing = [d for d in sorted(expected_docs) if not docs.get(d)]
        if missing:
            print("FAIL: the browser gave no document for %s" % ", ".join(missing))
            return 1

        # The frameset shows the active sheet (Values, the first) and the tabs.
        check(docs["showcase/frSheet"] == docs["sheet1"], "the frameset's sheet frame is not Sheet001.htm")
        tabs = parse(docs["showcase/frTabs"])
        check(tabs.links == [("Sheet%03d.htm" % (i + 1), s["name"]) for i, s in enumerate(showcase)],
              "showcase tab strip links: %r" % tabs.links)

        cells = 0
        for i, model in enumerate(showcase, 1):
            page = parse(docs["sheet%d" % i])
            cells += compare_sheet("Sheet%03d (%s)" % (i, model["name"]), page, model)
            if model["name"] == "Values":
                shown = {cell[0] for row in page.rows for cell in row}
                for text in ("\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451",
                             "\u65e5\u672c\u8a9e\u3068\u4e2d\u6587", "\u0416" * 4200 + "!"):
                    check(text in shown, "Values: %r did not arrive intact" % text[:20])

        for i, model in enumerate(names, 1):
            cells += compare_sheet("names Sheet%03d" % i, parse(docs["names%d" % i]), model)
        names_tabs = parse(docs["names/frTabs"])
        check(names_tabs.links == [("Sheet%03d.htm" % (i + 1), s["name"]) for i, s in enumerate(names)],
              "names tab strip links: %r" % names_tabs.links)
        check(names_tabs.tags <= {"html", "head", "meta", "style", "body", "table", "tbody", "tr", "td", "b", "small",
                                  "a", "font"},
              "names tab strip made elements from sheet names: %r" % sorted(names_tabs.tags))

        print("chromium: %d documents, %d table cells compared, %d tab links" %
              (len(docs), cells, len(tabs.links) + len(names_tabs.links)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures[:40]:
        print("FAIL:", failure)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
