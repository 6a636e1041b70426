"""Expected thickness maps and figures, computed with numpy in single precision.

Usage: thickness_map_oracle.py FOLDER
FOLDER holds depths.i32 (little-endian int32 depth rows, 2 x Z x X), mask.u8 (Z x X) and,
per case, <name>.labels (uint16 sector labels of the pane, Z x X) and <name>.case, one line
"X Z spacingX spacingY spacingZ from to mode unit fixedMin fixedMax posX posZ sectors".
For each case it writes <name>.out: the thickness plane (float32, Z x X), the colour index
of every cell with a thickness (uint8, Z x X, 0 elsewhere), the sector means and standard
deviations (float32, one each per sector) and min, max, MeanT, CurT, Vol (float32).
Sums run in cell order in float32, as the pane adds them; FLT_MAX stands for none.
"""
import sys

import numpy as np

f32 = np.float32
NONE = np.finfo(np.float32).max


def ordered_sum(values):
    """Sum in float32, one value after the other."""
    if values.size == 0:
        return f32(0)
    return np.add.accumulate(values.astype(f32), dtype=f32)[-1]


def thickness(depths, mask, first, second, spacing_y):
    upper, lower = depths[min(first, second)], depths[max(first, second)]
    none = (mask != 0) | (upper < 0) | (lower < 0)
    t = (lower - upper).astype(f32) * f32(spacing_y)
    t[none] = NONE
    return t, none


def sector_figures(t, labels, sectors):
    means = np.full(sectors, NONE, dtype=f32)
    sds = np.full(sectors, NONE, dtype=f32)
    for k in range(sectors):
        cells = t[(labels == k + 1) & (t != NONE)]
        if cells.size == 0:
            continue
        means[k] = ordered_sum(cells) / f32(cells.size)
        if cells.size >= 2:
            squares = ordered_sum((cells - means[k]) ** 2)
            sds[k] = np.sqrt(squares / f32(cells.size - 1), dtype=f32)
            # The same figure as numpy's own sample deviation.
            assert abs(float(sds[k]) - float(np.std(cells.astype(np.float64), ddof=1))) <= 1e-4 * max(
                1.0, float(sds[k])
            )
    return means, sds


def colour_index(t, lo, hi, unit, fixed_lo, fixed_hi):
    if unit == 1:
        lo, hi = f32(fixed_lo), f32(fixed_hi)
    index = np.zeros(t.shape, dtype=np.uint8)
    has = t != NONE
    d = f32(hi - lo)
    if not np.isfinite(d) or d == 0:
        return index, lo, hi
    with np.errstate(over="ignore", invalid="ignore"):
        if unit == 0:
            scaled = (t - lo) * f32(255) / d
            scaled[t >= hi] = 255
        else:
            scaled = (t - lo) * (f32(255) / d)
            scaled[t < lo] = 0
            scaled[t > hi] = 255
    index[has] = np.trunc(np.clip(scaled[has], 0, 255)).astype(np.uint8)
    return index, lo, hi


def run(folder, name, depths, mask):
    fields = open(f"{folder}/{name}.case").read().split()
    x, z = int(fields[0]), int(fields[1])
    vx, vy, vz = (f32(v) for v in fields[2:5])
    first, second, mode, unit = (int(v) for v in fields[5:9])
    fixed_lo, fixed_hi = f32(fields[9]), f32(fields[10])
    px, pz, sectors = (int(v) for v in fields[11:14])
    labels = np.fromfile(f"{folder}/{name}.labels", dtype="<u2").reshape(z, x)

    t, none = thickness(depths, mask, first, second, vy)
    means = sds = np.zeros(0, dtype=f32)
    if mode in (1, 2):
        means, sds = sector_figures(t, labels, sectors)
        inside = (labels >= 1) & (labels <= sectors)
        t = np.where(inside, means[np.clip(labels.astype(np.int64) - 1, 0, max(sectors - 1, 0))], NONE).astype(f32)

    counted = t[(~none) & (t != NONE)]
    lo, hi = (counted.min(), counted.max()) if counted.size else (f32(NONE), f32(-NONE))
    total = ordered_sum(counted)
    vol = total * vx * vz if counted.size else f32(NONE)
    mean_t = total / f32(counted.size) if counted.size else f32(NONE)
    cur_t = f32(NONE) if none[pz, px] else t[pz, px]
    index, lo, hi = colour_index(t, lo, hi, unit, fixed_lo, fixed_hi)
    index[none] = 0  # cells the pane does not paint: their index is not compared

    with open(f"{folder}/{name}.out", "wb") as out:
        t.astype("<f4").tofile(out)
        index.tofile(out)
        means.astype("<f4").tofile(out)
        sds.astype("<f4").tofile(out)
        np.array([lo, hi, mean_t, cur_t, vol], dtype="<f4").tofile(out)


def main(folder):
    names = [line.strip() for line in open(f"{folder}/cases.txt") if line.strip()]
    shape = open(f"{folder}/shape.txt").read().split()
    x, z = int(shape[0]), int(shape[1])
    depths = np.fromfile(f"{folder}/depths.i32", dtype="<i4").reshape(2, z, x)
    mask = np.fromfile(f"{folder}/mask.u8", dtype=np.uint8).reshape(z, x)
    for name in names:
        run(folder, name, depths, mask)


if __name__ == "__main__":
    main(sys.argv[1])
