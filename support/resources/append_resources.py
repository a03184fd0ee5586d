#!/usr/bin/env python3
"""Appends files to a built program as its resource archive.

  append_resources.py PROGRAM MEMBER...

Each MEMBER is stored under its file name. The members go back to back right
after the program image (its last section, or the symbol table the linker put
after it), then the directory, then the directory's offset as the last four
bytes (all numbers unsigned 32-bit little-endian):
  member bytes... | per member: name NUL offset size | directory offset

An archive already at the end of the program is replaced, so running the tool
twice gives the same file; anything else after the image is refused rather
than overwritten. The new file is written beside the old one and swapped in.
"""
import os
import struct
import sys


class Refused(Exception):
    pass


def image_end(data):
    """Where the linker's output ends: after its last section's raw data, or
    after the COFF symbol and string tables when those come later."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        raise Refused("not a program file (no MZ header)")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if pe + 24 > len(data) or data[pe:pe + 4] != b"PE\0\0":
        raise Refused("not a program file (no PE header)")
    sections, _, symbols, symbol_count, optional_size = struct.unpack_from("<HIIIH", data, pe + 6)
    table = pe + 24 + optional_size
    if table + 40 * sections > len(data):
        raise Refused("section table past the end of the file")
    end = table + 40 * sections
    for i in range(sections):
        raw_size, raw_offset = struct.unpack_from("<II", data, table + 40 * i + 16)
        if raw_size:
            end = max(end, raw_offset + raw_size)
    if symbols:
        strings = symbols + 18 * symbol_count
        if strings + 4 > len(data):
            raise Refused("symbol table past the end of the file")
        end = max(end, strings + struct.unpack_from("<I", data, strings)[0])
    if end > len(data):
        raise Refused("program image larger than the file")
    return end


def is_archive(data, start):
    """True when data[start:] is exactly one archive whose members begin at start."""
    tail = len(data) - start
    if tail < 4:
        return False
    directory = struct.unpack_from("<I", data, len(data) - 4)[0]
    if not start <= directory <= len(data) - 4:
        return False
    pos, expected = directory, start
    while pos < len(data) - 4:
        nul = data.find(b"\0", pos, len(data) - 4)
        if nul <= pos or nul + 9 > len(data) - 4:
            return False
        offset, size = struct.unpack_from("<II", data, nul + 1)
        if offset != expected:
            return False
        expected += size
        pos = nul + 9
    return expected == directory


def build_archive(start, members):
    body, directory, offset = bytearray(), bytearray(), start
    names = set()
    for path in members:
        name = os.path.basename(path).encode("utf-8")
        if not name or b"\0" in name or name in names:
            raise Refused("bad or repeated member name: %r" % path)
        names.add(name)
        with open(path, "rb") as f:
            content = f.read()
        directory += name + b"\0" + struct.pack("<II", offset, len(content))
        body += content
        offset += len(content)
    if offset + len(directory) + 4 > 0x7FFFFFFF:
        raise Refused("archive too large")
    return bytes(body + directory + struct.pack("<I", offset))


def append(program, members):
    with open(program, "rb") as f:
        data = f.read()
    start = image_end(data)
    if start < len(data) and not is_archive(data, start):
        raise Refused("unknown data after the program image (%d bytes)" % (len(data) - start))
    result = data[:start] + build_archive(start, members)
    if result == data:
        return
    tmp = program + ".archive-tmp"
    with open(tmp, "wb") as f:
        f.write(result)
    os.chmod(tmp, os.stat(program).st_mode)
    os.replace(tmp, program)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        append(argv[1], argv[2:])
    except (Refused, OSError) as e:
        sys.stderr.write("append_resources.py: %s: %s\n" % (argv[1], e))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
