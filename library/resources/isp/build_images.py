#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Assembles the ISP boot loader into the built-in ISP images.

Needs sdas8051 and sdld (Debian package sdcc); the library build does not,
it embeds the committed results. Run from anywhere:

    library/resources/isp/build_images.py [output-folder]

The output folder defaults to library/resources/images. Every image is the
same position-independent loader carrying its own id, which it reports to a
host on connection; each is checked to assemble to the same bytes at two
different origins before it is written.
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE / "isp_loader.asm"
DEFAULT_OUTPUT = HERE.parent / "images"

IMAGE_IDS = [3006, *range(3010, 3013), *range(3014, 3033), *range(3034, 3044), 3045]
# Timer-1 reload for 9600 baud from an 11.0592 MHz clock.
BAUD_RELOAD = 0xFD
IMAGE_MINIMUM = 640
IMAGE_MAXIMUM = 2022
# Any origin other than 0 proves the code does not depend on where it sits.
PROBE_ORIGIN = 0x1A00


def read_ihx(path):
    """Bytes of an Intel HEX file from its lowest address, and that address."""
    memory = {}
    for line in path.read_text().splitlines():
        if not line.startswith(":"):
            continue
        record = bytes.fromhex(line[1:])
        if sum(record) & 0xFF:
            raise SystemExit(f"{path}: bad checksum in {line}")
        count, address, kind = record[0], record[1] << 8 | record[2], record[3]
        if kind == 1:
            break
        if kind == 0:
            for offset, value in enumerate(record[4:4 + count]):
                memory[address + offset] = value
    low, high = min(memory), max(memory) + 1
    return low, bytes(memory.get(a, 0xFF) for a in range(low, high))


def assemble(work, image_id, origin):
    (work / "variant.inc").write_text(
        f"IMAGE_ID = {image_id}\nBAUD_RELOAD = 0x{BAUD_RELOAD:02X}\nORIGIN = 0x{origin:04X}\n")
    shutil.copy(SOURCE, work / SOURCE.name)
    subprocess.run(["sdas8051", "-plosgff", "isp_loader.rel", SOURCE.name], cwd=work, check=True)
    subprocess.run(["sdld", "-n", "-i", "isp_loader.ihx", "isp_loader.rel"], cwd=work, check=True,
                   stdout=subprocess.DEVNULL)
    low, code = read_ihx(work / "isp_loader.ihx")
    if low != origin:
        raise SystemExit(f"image {image_id}: code starts at 0x{low:04X}, not at 0x{origin:04X}")
    return code


def build(image_id, work):
    code = assemble(work, image_id, 0)
    if assemble(work, image_id, PROBE_ORIGIN) != code:
        raise SystemExit(f"image {image_id}: the code depends on its origin")
    image = code + b"\xFF" * max(0, IMAGE_MINIMUM - len(code))
    if not IMAGE_MINIMUM <= len(image) <= IMAGE_MAXIMUM:
        raise SystemExit(f"image {image_id}: {len(image)} bytes is outside {IMAGE_MINIMUM}..{IMAGE_MAXIMUM}")
    return image


def main():
    output = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_OUTPUT
    output.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as temporary:
        work = pathlib.Path(temporary)
        for image_id in IMAGE_IDS:
            (output / f"ISPCODE_{image_id}.bin").write_bytes(build(image_id, work))
    print(f"{len(IMAGE_IDS)} images in {output}")


if __name__ == "__main__":
    main()
