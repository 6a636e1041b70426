"""Expected en-face projections, computed with numpy in single precision.

Usage: enface_projection_oracle.py FOLDER
FOLDER holds volume.u16 (little-endian uint16, Z x Y x X), depths.i32 (little-endian int32
depth rows, S x Z x X), shape.txt ("X Y Z S") and cases.txt, one case per line:
"name from to maximum". For each case FOLDER/<name>.u8 receives the stretched projection
as Z x X bytes.
"""
import sys

import numpy as np

f32 = np.float32


def projection(volume, depths, first, second, maximum):
    upper, lower = depths[min(first, second)], depths[max(first, second)]
    rows = np.arange(volume.shape[1])[None, :, None]
    inside = (rows >= upper[:, None, :]) & (rows <= lower[:, None, :])
    sums = (volume.astype(np.int64) * inside).sum(axis=1)
    counts = inside.sum(axis=1)
    value = np.trunc(sums.astype(f32) / np.maximum(counts, 1).astype(f32))
    if maximum == 65535:
        value = np.trunc(value * f32(0.00390625))
    value = np.minimum(value, 255).astype(np.int64)

    cells = value.size
    threshold = int(np.trunc(f32(cells) * f32(0.01)))
    histogram = np.bincount(value.ravel(), minlength=256)
    lo = int(np.argmax(np.cumsum(histogram) >= threshold))
    hi = 255 - int(np.argmax(np.cumsum(histogram[::-1]) >= threshold))
    k = np.arange(256)
    table = np.zeros(256, dtype=np.int64)
    if hi > lo:
        table = np.trunc(((k - lo) * 255).astype(f32) / f32(hi - lo)).astype(np.int64)
    table[k < lo] = 0
    table[k > hi] = 255
    return table[value].astype(np.uint8)


def main(folder):
    x, y, z, s = (int(v) for v in open(f"{folder}/shape.txt").read().split())
    volume = np.fromfile(f"{folder}/volume.u16", dtype="<u2").reshape(z, y, x)
    depths = np.fromfile(f"{folder}/depths.i32", dtype="<i4").reshape(s, z, x)
    for line in open(f"{folder}/cases.txt"):
        name, first, second, maximum = line.split()
        out = projection(volume, depths, int(first), int(second), int(maximum))
        out.tofile(f"{folder}/{name}.u8")


if __name__ == "__main__":
    main(sys.argv[1])
