#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the programmer firmware images the library ships.

They are the virtual programmer's firmware packages (layout in
firmware_package.h): a header naming the version the programmer reports after
an update, then deterministic filler up to the sizes the update procedures
expect. Run from anywhere; writes into library/resources/images/.
"""
import pathlib
import struct

IMAGES = [
    # file, kind, flags (bit 0: 8051 support), version, size
    ("FWCODE_3000.bin", 1, 0x01, 0x00150003, 22396),
    ("FWCODE_3009.bin", 2, 0x00, 0x00000104, 4096),
]


def filler(seed, count):
    """A linear congruential sequence: looks like code, same bytes every run."""
    out = bytearray()
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((state >> 16) & 0xFF)
    return bytes(out)


def package(kind, flags, version, size):
    header = b"S8FW" + struct.pack(">BBI", kind, flags, version)
    image = header + filler(version ^ kind, size - len(header))
    checksum = sum(image) & 0xFFFF
    # Tests swap the checksum's bytes to fake a bad reply; that must differ.
    if checksum >> 8 == checksum & 0xFF:
        raise SystemExit("checksum bytes are equal; change the filler seed")
    return image


def main():
    out_dir = pathlib.Path(__file__).resolve().parent.parent / "library" / "resources" / "images"
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, kind, flags, version, size in IMAGES:
        image = package(kind, flags, version, size)
        (out_dir / name).write_bytes(image)
        print(f"{name}: {len(image)} bytes, checksum {sum(image) & 0xFFFF:04X}")


if __name__ == "__main__":
    main()
