#!/usr/bin/env python3
"""The structure check against small trees that hold each fault it must find."""
import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
found = importlib.util.spec_from_file_location("check_structure", os.path.join(HERE, "..", "check-structure.py"))
check = importlib.util.module_from_spec(found)
found.loader.exec_module(check)


def tree(files):
    root = tempfile.mkdtemp(prefix="sf-structure-")
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)
    return root


class IncludeDirection(unittest.TestCase):
    def test_cases(self):
        cases = [
            ("downward includes are fine",
             {"wallpaper/a.h": '#include "settings/s.h"\n#include "support/x.h"\n', "settings/s.h": "",
              "support/x.h": ""}, []),
            ("a lower folder including a higher one",
             {"wallpaper/p.cpp": '#include "shell/app.h"\n', "shell/app.h": ""},
             ["wallpaper/p.cpp: includes shell/app.h"]),
            ("siblings ui and internet stay apart",
             {"ui/d.cpp": '#include "internet/i.h"\n', "internet/i.h": ""}, ["ui/d.cpp: includes internet/i.h"]),
            ("the program reaches the plug-in only through its boundary header",
             {"shell/b.cpp": '#include "plugin/include/api.h"\n#include "plugin/core/link.h"\n',
              "plugin/include/api.h": "", "plugin/core/link.h": ""},
             ["shell/b.cpp: includes plugin/core/link.h"]),
            ("the plug-in uses support only",
             {"plugin/core/c.cpp": '#include "support/log.h"\n#include "settings/s.h"\n', "support/log.h": "",
              "settings/s.h": ""}, ["plugin/core/c.cpp: includes settings/s.h"]),
            ("a cycle between two sub-folders of one folder",
             {"shell/a/x.h": '#include "shell/b/y.h"\n', "shell/b/y.h": '#include "shell/a/x.h"\n'},
             ["folders include each other: shell/a <-> shell/b"]),
            ("a test folder including its parent is no cycle",
             {"shell/tray/t.h": "", "shell/tray/tests/t_test.cpp": '#include "shell/app.h"\n#include "shell/tray/t.h"\n',
              "shell/app.h": '#include "shell/tray/t.h"\n'}, []),
            ("an include of a missing (generated) file is left alone",
             {"shell/a.cpp": '#include "support/version.h"\n'}, []),
        ]
        for name, files, expected in cases:
            with self.subTest(name):
                faults = check.check_includes(tree(files))
                self.assertEqual(len(faults), len(expected), faults)
                for fault, start in zip(faults, expected):
                    self.assertTrue(fault.startswith(start), fault)


class ResourceIds(unittest.TestCase):
    def test_cases(self):
        base = {"res/skyframe.rc": '#include "a/a.rc"\n#include "b/b.rc"\n'}
        cases = [
            ("distinct ids", {"a/a.rc": '#include "a/ids.h"\nIDD_A DIALOGEX 0, 0, 1, 1\n', "a/ids.h": "#define IDD_A 10\n",
                              "b/b.rc": '#include "b/ids.h"\nIDD_B DIALOGEX 0, 0, 1, 1\n', "b/ids.h": "#define IDD_B 11\n"}, 0),
            ("two dialogs with one id", {"a/a.rc": '#include "a/ids.h"\nIDD_A DIALOGEX 0, 0, 1, 1\n',
                                         "a/ids.h": "#define IDD_A 10\n",
                                         "b/b.rc": '#include "b/ids.h"\nIDD_B DIALOG 0, 0, 1, 1\n',
                                         "b/ids.h": "#define IDD_B 10\n"}, 1),
            ("an icon and a dialog may share a number", {"a/a.rc": '#include "a/ids.h"\nIDI_A ICON "a.ico"\n',
                                                         "a/ids.h": "#define IDI_A 10\n",
                                                         "b/b.rc": '#include "b/ids.h"\nIDD_B DIALOGEX 0, 0, 1, 1\n',
                                                         "b/ids.h": "#define IDD_B 10\n"}, 0),
            ("one name with two values", {"a/a.rc": '#include "a/ids.h"\n', "a/ids.h": "#define IDC_X 1001\n",
                                          "b/b.rc": '#include "b/ids.h"\n', "b/ids.h": "#define IDC_X 1002\n"}, 1),
        ]
        for name, files, count in cases:
            with self.subTest(name):
                faults = check.check_resources(tree({**base, **files}))
                self.assertEqual(len(faults), count, faults)


if __name__ == "__main__":
    unittest.main(verbosity=1)
