#!/usr/bin/env python3
"""Makes the hostile archives of the end-to-end tests, which varnok-pack
refuses to write.

    damage-archive.py flip-sum INSTALLER OUT     last Adler-32 byte of the first stream changed
    damage-archive.py flip-sum-arc ARCHIVE OUT   the same in an instdat.arc
    damage-archive.py cut ARCHIVE OUT            instdat.arc cut inside its first stream
    damage-archive.py unsafe OUT NAME            instdat.arc with install.env and a file NAME
    damage-archive.py setup OUT NAME=TEXT...     instdat.arc of these files only (TEXT with \\r \\n \\t escapes)
"""
import struct
import sys
import zlib


def first_stream(data, start):
    """(offset, length) of the first entry's zlib stream; the entry must be a file."""
    (n,) = struct.unpack_from("<H", data, start)
    size, z = struct.unpack_from("<iI", data, start + 2 + n)
    if size < 0:
        sys.exit("damage-archive: the first entry is a folder")
    return start + 2 + n + 16, z


def entry(name, content, time=0x01C969F3142E4F00):
    encoded = name.encode("cp932") + b"\0"
    stream = zlib.compress(content, 6)
    return struct.pack("<H", len(encoded)) + encoded + struct.pack("<iIQ", len(content), len(stream), time) + stream


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "unsafe":
        out, name = args
        data = entry("install.env", b"TITLEBAR\tE2E_UNSAFE\r\n[EOF]\r\n") + entry(name, b"escaped") + b"\0" * 4
    elif command == "setup":
        out, files = args[0], [a.split("=", 1) for a in args[1:]]
        data = b"".join(entry(n, t.encode("cp932").decode("unicode_escape").encode("latin1")) for n, t in files)
        data += b"\0" * 4
    else:
        source, out = args
        data = bytearray(open(source, "rb").read())
        if command in ("flip-sum", "flip-sum-arc"):
            start = struct.unpack_from("<I", data, len(data) - 4)[0] if command == "flip-sum" else 0
            offset, length = first_stream(data, start)
            data[offset + length - 1] ^= 0x55
        elif command == "cut":
            offset, length = first_stream(data, 0)
            data = data[: offset + length // 2]
        else:
            sys.exit(__doc__)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
