#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The plain reader that orvane-map info is measured against: the same byte columns of a
# national-land line file, giving lines, vertices and the extent in decimal degrees.
import sys

lines = vertices = 0
minx = miny = float("inf")
maxx = maxy = float("-inf")
with open(sys.argv[1], "rb") as f:
    f.readline(); f.readline()
    for row in f:
        if row[:1] == b"L":
            lines += 1
            continue
        row = row.rstrip(b"\r\n")
        for col in range(0, len(row) - 15, 16):
            x, y = int(row[col:col + 8]), int(row[col + 8:col + 16])
            vertices += 1
            minx, maxx, miny, maxy = min(minx, x), max(maxx, x), min(miny, y), max(maxy, y)
print(f"lines: {lines}\nvertices: {vertices}")
print(f"extent: west {minx / 36000:.6f}, south {miny / 36000:.6f}, east {maxx / 36000:.6f}, north {maxy / 36000:.6f}")
