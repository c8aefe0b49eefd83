#!/usr/bin/env python3
"""Prints the up-case table of an exFAT volume as the runs that
platform/namecase.cpp keeps: {first unit, count, difference to its upper
case, step between units}.

    scripts/exfat_upcase.py            formats a 64 MB image with mkfs.exfat
    scripts/exfat_upcase.py IMAGE      reads an existing image or device
"""
import os
import struct
import subprocess
import sys
import tempfile


def clusters(volume, first, fat_offset):
    """The chain of clusters from `first`, by the FAT."""
    chain = [first]
    while len(chain) < 65536:
        (following,) = struct.unpack_from("<I", volume, fat_offset + 4 * chain[-1])
        if following < 2 or following >= 0xFFFFFFF7:
            break
        chain.append(following)
    return chain


def upcase_table(volume):
    if volume[3:11] != b"EXFAT   ":
        sys.exit("not an exFAT volume")
    sector = 1 << volume[108]
    cluster = sector << volume[109]
    fat_offset, _, heap_offset, _, root = struct.unpack_from("<IIIII", volume, 80)

    def read(first, length):
        data = b"".join(
            volume[heap_offset * sector + (c - 2) * cluster:][:cluster]
            for c in clusters(volume, first, fat_offset * sector))
        return data[:length]

    directory = read(root, 1 << 20)
    for at in range(0, len(directory), 32):
        kind = directory[at]
        if kind == 0:
            break
        if kind == 0x82:
            first, length = struct.unpack_from("<IQ", directory, at + 20)
            units = struct.unpack("<%dH" % (length // 2), read(first, length))
            table, i = [], 0
            while i < len(units):
                # 0xFFFF and a count: that many units that are their own upper case
                if units[i] == 0xFFFF and i + 1 < len(units):
                    table += range(len(table), len(table) + units[i + 1])
                    i += 2
                else:
                    table.append(units[i])
                    i += 1
            return table
    sys.exit("no up-case table in the root folder")


def runs(table):
    found = []
    for unit, upper in enumerate(table):
        if unit == upper:
            continue
        difference = upper - unit
        if found:
            first, count, diff, step = found[-1]
            last = first + (count - 1) * step
            if diff == difference and ((count == 1 and unit - last in (1, 2))
                                       or (count > 1 and unit - last == step)):
                found[-1] = (first, count + 1, diff, unit - last)
                continue
        found.append((unit, 1, difference, 1))
    return found


def main():
    if len(sys.argv) > 1:
        with open(sys.argv[1], "rb") as source:
            volume = source.read(256 << 20)
    else:
        with tempfile.TemporaryDirectory() as folder:
            image = os.path.join(folder, "card.img")
            with open(image, "wb") as made:
                made.truncate(64 << 20)
            subprocess.run(["mkfs.exfat", image], check=True, stdout=subprocess.DEVNULL)
            with open(image, "rb") as source:
                volume = source.read()
    for first, count, difference, step in runs(upcase_table(volume)):
        print("    {0x%04x, %d, %d, %d}," % (first, count, difference, step))


if __name__ == "__main__":
    main()
