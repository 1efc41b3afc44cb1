#!/usr/bin/env python3
"""Writes data/Coastline.dat, the coastlines the station map draws, from the
World Data Bank II coastline and island files as Debian's marble-qt-data
package carries them (data/mwdbii/PCOAST.PNT and PISLAND.PNT; public domain).

A .PNT file is a run of 6-byte records, little-endian 16-bit integers: a
code, the latitude and the longitude in minutes of arc.  A code above 5
starts a new line; 1 to 5 continue it.  Each line is thinned with the
Douglas-Peucker rule to within 2 minutes of arc (a few hundred metres, well
below a pixel of a whole-earth map), and lines left with fewer than 3 points
are dropped.

Coastline.dat, all numbers little-endian:
    "TWCOAST1"                 8 bytes
    line count                 uint32
    per line: point count      uint32
              points           point count x (int16 latitude, int16 longitude),
                               minutes of arc, north and east positive

    scripts/make-coastline.py [MWDBII_FOLDER [OUTPUT]]

Without a folder it downloads marble-qt-data with apt-get into a temporary
folder and unpacks it there.
"""
import math
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "..", "data", "Coastline.dat")
FILES = ("PCOAST.PNT", "PISLAND.PNT")
TOLERANCE = 2.0  # minutes of arc


def read_lines(path):
    data = open(path, "rb").read()
    lines = []
    for at in range(0, len(data) - 5, 6):
        code, lat, lon = struct.unpack_from("<hhh", data, at)
        if code > 5 or not lines:
            lines.append([])
        lines[-1].append((lat, lon))
    return lines


def thin(points, tolerance):
    """Douglas-Peucker on latitude and longitude, the longitude scaled by the
    cosine of the latitude so that a minute counts the same both ways."""
    if len(points) < 3:
        return points
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        a, b = points[first], points[last]
        scale = math.cos(math.radians((a[0] + b[0]) / 120.0))
        ax, ay, bx, by = a[1] * scale, a[0], b[1] * scale, b[0]
        dx, dy = bx - ax, by - ay
        length = math.hypot(dx, dy)
        farthest, at = -1.0, -1
        for k in range(first + 1, last):
            px, py = points[k][1] * scale, points[k][0]
            d = math.hypot(px - ax, py - ay) if length == 0 else abs(dx * (ay - py) - dy * (ax - px)) / length
            if d > farthest:
                farthest, at = d, k
        if farthest > tolerance:
            keep[at] = True
            stack.append((first, at))
            stack.append((at, last))
    return [p for p, k in zip(points, keep) if k]


def unpacked_marble(work):
    subprocess.run(["apt-get", "download", "marble-qt-data"], cwd=work, check=True)
    deb = [f for f in os.listdir(work) if f.endswith(".deb")][0]
    subprocess.run(["dpkg-deb", "-x", deb, "x"], cwd=work, check=True)
    return os.path.join(work, "x", "usr", "share", "marble", "data", "mwdbii")


def main():
    output = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    with tempfile.TemporaryDirectory() as work:
        folder = sys.argv[1] if len(sys.argv) > 1 else unpacked_marble(work)
        lines = []
        for name in FILES:
            for line in read_lines(os.path.join(folder, name)):
                line = thin(line, TOLERANCE)
                if len(line) >= 3:
                    lines.append(line)
    out = bytearray(b"TWCOAST1")
    out += struct.pack("<I", len(lines))
    for line in lines:
        out += struct.pack("<I", len(line))
        for lat, lon in line:
            out += struct.pack("<hh", lat, lon)
    with open(output, "wb") as f:
        f.write(out)
    print("%s: %d lines, %d points, %d bytes" % (output, len(lines), sum(map(len, lines)), len(out)))


if __name__ == "__main__":
    main()
