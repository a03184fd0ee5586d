#!/usr/bin/env python3
"""The archive appender on small hand-made program files."""
import os
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "append_resources.py")


def fake_program(sections, symbols=None):
    """An MZ/PE file with the given (raw offset, raw size) sections; symbols is
    (offset, count, string table size) for a COFF symbol table after them."""
    pe = 0x40
    optional = 0xF0
    table = pe + 24 + optional
    end = table + 40 * len(sections)
    for offset, size in sections:
        end = max(end, offset + size)
    psym, nsym = (symbols[0], symbols[1]) if symbols else (0, 0)
    if symbols:
        end = max(end, psym + 18 * nsym + symbols[2])
    data = bytearray(end)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, pe)
    data[pe:pe + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", data, pe + 4, 0x8664, len(sections), 0, psym, nsym, optional, 0x22)
    for i, (offset, size) in enumerate(sections):
        struct.pack_into("<8sIIII", data, table + 40 * i, b".s%d" % i, size, 0x1000 * (i + 1), size, offset)
        data[offset:offset + size] = bytes([0xC3 + i]) * size
    if symbols:
        struct.pack_into("<I", data, psym + 18 * nsym, symbols[2])
    return bytes(data)


def read_archive(data):
    """(members by name, where the members start) of a file's archive."""
    directory = struct.unpack_from("<I", data, len(data) - 4)[0]
    members, pos, start = {}, directory, None
    while pos < len(data) - 4:
        nul = data.index(b"\0", pos)
        offset, size = struct.unpack_from("<II", data, nul + 1)
        members[data[pos:nul].decode()] = data[offset:offset + size]
        start = offset if start is None else min(start, offset)
        pos = nul + 9
    return members, start, directory


class AppendResourcesTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def file(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def run_tool(self, program, *members):
        return subprocess.run([sys.executable, TOOL, program, *members], capture_output=True, text=True)

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def test_members_follow_the_image_and_a_second_run_changes_nothing(self):
        for what, image in [
            ("sections only", fake_program([(0x400, 0x200), (0x600, 0x100)])),
            ("symbol table after the sections", fake_program([(0x400, 0x200)], symbols=(0x600, 3, 40))),
        ]:
            with self.subTest(what):
                program = self.file("Skyframe.exe", image)
                png = self.file("header_graphic.png", b"\x89PNG\r\n\x1a\n-picture-")
                empty = self.file("empty.bin", b"")
                self.assertEqual(self.run_tool(program, png, empty).returncode, 0)
                once = self.read(program)
                self.assertEqual(once[:len(image)], image)
                members, start, directory = read_archive(once)
                self.assertEqual(start, len(image))
                self.assertEqual(members, {"header_graphic.png": b"\x89PNG\r\n\x1a\n-picture-", "empty.bin": b""})
                self.assertEqual(directory, len(image) + len(b"\x89PNG\r\n\x1a\n-picture-"))
                self.assertEqual(self.run_tool(program, png, empty).returncode, 0)
                self.assertEqual(self.read(program), once)

    def test_an_earlier_archive_is_replaced(self):
        image = fake_program([(0x400, 0x200)])
        program = self.file("Skyframe.exe", image)
        self.assertEqual(self.run_tool(program, self.file("old.png", b"old old old")).returncode, 0)
        self.assertEqual(self.run_tool(program, self.file("new.png", b"new")).returncode, 0)
        data = self.read(program)
        self.assertEqual(data[:len(image)], image)
        self.assertEqual(read_archive(data)[0], {"new.png": b"new"})

    def test_refuses_without_touching_the_file(self):
        member = self.file("a.png", b"a")
        cases = [
            ("not a program", b"just text, not a program file at all" * 4),
            ("unknown data after the image", fake_program([(0x400, 0x200)]) + b"signature or other data"),
            ("section past the end of the file", fake_program([(0x400, 0x200)])[:0x500]),
        ]
        for what, data in cases:
            with self.subTest(what):
                program = self.file("Skyframe.exe", data)
                result = self.run_tool(program, member)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("append_resources.py", result.stderr)
                self.assertEqual(self.read(program), data)
        with self.subTest("two members of one name"):
            program = self.file("Skyframe.exe", fake_program([(0x400, 0x200)]))
            os.makedirs(os.path.join(self.dir, "other"))
            twin = os.path.join(self.dir, "other", "a.png")
            with open(twin, "wb") as f:
                f.write(b"b")
            self.assertEqual(self.run_tool(program, member, twin).returncode, 1)


if __name__ == "__main__":
    unittest.main()
