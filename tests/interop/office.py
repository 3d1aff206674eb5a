"""One LibreOffice process per test script, driven through its UNO API
(Debian's python3-uno): a file is loaded once and then stored in other
formats, or asked what a conversion cannot show. The office runs with its own
profile under the caller's work folder and ends with the `with` block."""
import os
import subprocess
import time

import uno
from com.sun.star.beans import PropertyValue

CSV_FILTER = "Text - txt - csv (StarCalc)"
XLSX_FILTER = "Calc MS Excel 2007 XML"


def _property(name, value):
    item = PropertyValue()
    item.Name = name
    item.Value = value
    return item


class Office:
    def __init__(self, work, start_seconds=120):
        self.pipe = "lx_office_%d" % os.getpid()
        self.process = subprocess.Popen(
            ["soffice", "-env:UserInstallation=file://" + os.path.join(work, "office-profile"), "--headless",
             "--invisible", "--norestore", "--accept=pipe,name=%s;urp;" % self.pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + start_seconds
        while True:
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % self.pipe)
                break
            except Exception:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    self.process.kill()
                    raise RuntimeError("LibreOffice did not start")
                time.sleep(0.25)
        self.context = context
        self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        try:
            self.desktop.terminate()
            self.process.wait(timeout=60)
        except Exception:
            self.process.kill()
            self.process.wait()

    def load(self, path):
        return self.desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
                                                 (_property("Hidden", True),))

    def load_with_filter(self, path, filter_name, options):
        """Loads a file through a named import filter with its options."""
        return self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            (_property("Hidden", True), _property("FilterName", filter_name), _property("FilterOptions", options)))

    @staticmethod
    def store(doc, path, filter_name, options=None):
        arguments = [_property("FilterName", filter_name), _property("Overwrite", True)]
        if options is not None:
            arguments.append(_property("FilterOptions", options))
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(path)), tuple(arguments))
