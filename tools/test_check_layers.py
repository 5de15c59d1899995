"""Tests of tools/check-layers.py on small trees: each case writes one file into a tree that
passes and expects the check's status."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check-layers.py")

TABLE = """\
# folder  qt   may include
hid       no
protocol  no   hid
ui        yes
app       yes  protocol ui
"""


def run_check(table, files):
    with tempfile.TemporaryDirectory() as root:
        with open(os.path.join(root, "layers.txt"), "w", encoding="utf-8") as out:
            out.write(table)
        src = os.path.join(root, "src")
        for layer in ("hid", "protocol", "ui", "app"):
            os.makedirs(os.path.join(src, layer))
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(src, path)), exist_ok=True)
            with open(os.path.join(src, path), "w", encoding="utf-8") as out:
                out.write(text)
        result = subprocess.run(
            [sys.executable, CHECK, "--table", os.path.join(root, "layers.txt"), "--src", src],
            capture_output=True, text=True, check=False)
        return result.returncode, result.stdout + result.stderr


class CheckLayersTest(unittest.TestCase):
    def test_includes(self):
        cases = [
            # (file, text, status)
            ("protocol/Frame.h", "#include <QString>\n", 1),
            ("protocol/Frame.h", "#  include <QtCore/QObject>\n", 1),
            ("hid/Device.cpp", "#include <qglobal.h>\n", 1),
            ("hid/Device.cpp", '#include "protocol/Frame.h"\n', 1),
            ("protocol/Frame.cpp", '#include "app/Main.h"\n', 1),
            ("ui/skin/Image.cpp", '#include "protocol/Frame.h"\n', 1),
            ("protocol/Frame.cpp", '#include "Frame.h"\n', 1),
            ("protocol/Frame.cpp", '#include "tools/Thing.h"\n', 1),
            ("protocol/Frame.cpp", "#include <hid/Device.h>\n#include <app/Main.h>\n", 1),
            ("connection/Link.h", "#include <string>\n", 1),
            ("protocol/Frame.cpp",
             '#include <cstdint>\n#include <sys/ioctl.h>\n#include "hid/Device.h"\n'
             '#include "protocol/Frame.h"\n', 0),
            ("ui/skin/Image.cpp", '#include <QImage>\n#include "ui/layout/Pos.h"\n', 0),
            ("app/Main.cpp", '#include <QApplication>\n#include "ui/host/Wnd.h"\n'
             '#include "protocol/Frame.h"\n', 0),
            ("protocol/Notes.txt", "#include <QString>\n", 0),
        ]
        for path, text, status in cases:
            with self.subTest(path=path, text=text):
                code, output = run_check(TABLE, {path: text})
                self.assertEqual(code, status, output)

    def test_a_table_whose_arrow_points_up_is_refused(self):
        code, output = run_check(TABLE.replace("hid       no", "hid       no   app"), {})
        self.assertEqual(code, 2, output)
        self.assertIn("not listed above it", output)


if __name__ == "__main__":
    unittest.main()
