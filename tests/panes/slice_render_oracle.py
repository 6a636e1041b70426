"""Expected slice-pane bitmaps, computed with numpy in single precision.

Usage: slice_render_oracle.py FOLDER
FOLDER holds the raw inputs (little-endian uint16 volumes and labels of Z x Y x X, uint8
masks of Z x X) and cases.txt, one case per line as key=value tokens. For each case the
expected image is written to FOLDER/<name>.rgb as rows x columns x (R, G, B) bytes.
"""
import sys

import numpy as np

f32 = np.float32


def colour(ref):
    ref = int(ref, 0)
    return np.array([ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF], dtype=f32)


def plane(a, orientation, first, stop):
    """The sum over slices first..stop-1, as rows x columns of the orientation."""
    if orientation == 1:  # XY: rows y, columns x, slices z
        return a[first:stop].sum(axis=0)
    if orientation == 2:  # ZY: rows y, columns z, slices x
        return a[:, :, first:stop].sum(axis=2).T
    return a[:, first:stop, :].sum(axis=1)  # XZ: rows z, columns x, slices y


def mask_plane(mask, orientation, k, rows, cols):
    if orientation == 1:
        return np.broadcast_to(mask[k, :], (rows, cols))
    if orientation == 2:
        return np.broadcast_to(mask[:, k], (rows, cols))
    return mask


def blend(rgb, where, col, a, t):
    mixed = rgb[where] * (f32(1) - a) + col * t
    rgb[where] = np.trunc(mixed)


def render(folder, case, sx, sy, sz):
    def load(name, dtype):
        shape = (sz, sx) if dtype == np.uint8 else (sz, sy, sx)
        return np.fromfile(f"{folder}/{name}", dtype=dtype).reshape(shape)

    vol = load(case["volume"], "<u2").astype(np.int64)
    maximum = 255 if case["bytes"] == "1" else 65535
    o = int(case["o"])
    pos = [int(v) for v in case["pos"].split(",")]
    axis = {1: 2, 2: 0, 3: 1}[o]  # the slice axis as x=0, y=1, z=2
    n = (sx, sy, sz)[axis]
    k = min(max(pos[axis], 0), n - 1)
    half = max(1, int(case["avg"])) // 2
    first, last = max(0, k - half), min(n - 1, k + half)
    count = last - first + 1

    sums = plane(vol, o, first, last + 1)
    v = np.trunc(sums.astype(f32) / f32(count) + f32(0.5))
    centre = f32(min(max(float(case["centre"]), 0.0), maximum))
    width = f32(min(max(float(case["width"]), 1.0), maximum))
    lo, hi = centre - width / f32(2), centre + width / f32(2)
    grey = np.trunc((v - lo) * f32(255) / width + f32(0.5))
    grey = np.where(v < lo, f32(0), np.where(v > hi, f32(255), grey))
    rows, cols = grey.shape
    rgb = np.repeat(grey[:, :, None], 3, axis=2).astype(f32)

    if "undefined" in case:
        m = mask_plane(load("undefined.u8", np.uint8), o, k, rows, cols)
        a = f32(int(case["undefined_opacity"])) / f32(100)
        blend(rgb, m == 1, colour(case["undefined"]), a, a)
    if "cup" in case:
        m = mask_plane(load("disc.u8", np.uint8), o, k, rows, cols)
        a = f32(int(case["cup_opacity"])) / f32(100)
        blend(rgb, m >= 200, colour(case["cup"]), a, a)
        a = f32(int(case["rim_opacity"])) / f32(100)
        blend(rgb, (m >= 100) & (m < 200), colour(case["rim"]), a, a)
    for label in ("vessel", "sead"):
        if label not in case:
            continue
        values = plane(load(f"{label}.u16", "<u2").astype(np.int64), o, k, k + 1)
        top = 255 if case[f"{label}_bytes"] == "1" else 65535
        a = f32(int(case[f"{label}_opacity"])) / f32(100)
        t = (np.minimum(values, top).astype(f32) / f32(top) * a)[:, :, None]
        where = values != 0
        mixed = rgb * (f32(1) - a) + colour(case[label]) * t
        rgb[where] = np.trunc(mixed[where])

    return rgb.astype(np.uint8)


def main():
    folder = sys.argv[1]
    lines = open(f"{folder}/cases.txt").read().splitlines()
    sx, sy, sz = (int(v) for v in lines[0].split())
    for line in lines[1:]:
        case = dict(token.split("=", 1) for token in line.split())
        render(folder, case, sx, sy, sz).tofile(f"{folder}/{case['name']}.rgb")


main()
