"""The cells an elliptical brush sets, worked out with numpy over whole grids.

Usage: brush_oracle.py IN OUT
IN: one case per line,
  label|mask SX SY SZ VX VY VZ MARGIN MODIFICATION ORIENTATION CX CY CZ
where (CX, CY, CZ) is the voxel under the cursor on the current slice. OUT gets, per case,
the indices of the cells set: x + SX (y + SY z) of a label volume, x + SX z of the
undefined-region mask (which has no depth).
"""
import sys

import numpy as np

f32 = np.float32
SLICE_AXIS = {1: 2, 2: 0, 3: 1}  # XY slices along z, ZY along x, XZ along y


def radii(margin, spacing):
    r = [f32(margin) / f32(s) for s in spacing]
    h = [max(1, int(ri + f32(0.5))) for ri in r]
    return r, h


def terms(offsets, r):
    """(d / r)^2 in single precision; the centre always counts as inside."""
    d = offsets.astype(f32)
    with np.errstate(divide="ignore", invalid="ignore"):
        return np.where(offsets == 0, f32(0), d * d / (r * r)).astype(f32)


def label(size, spacing, margin, three_d, orientation, centre):
    r, h = radii(margin, spacing)
    grids = np.meshgrid(*[np.arange(n) for n in size], indexing="ij")  # x, y, z
    inside = np.ones(size, dtype=bool)
    total = np.zeros(size, dtype=f32)
    for a in range(3):
        d = grids[a] - centre[a]
        reach = 0 if a == SLICE_AXIS[orientation] and not three_d else h[a]
        inside &= np.abs(d) <= reach
        total = (total + terms(d, r[a])).astype(f32)
    x, y, z = np.nonzero(inside & (total <= 1))
    return x + size[0] * (y + size[1] * z)


def mask(size, spacing, margin, three_d, orientation, centre):
    (rx, _, rz), (hx, _, hz) = radii(margin, spacing)
    reach_x = {1: hx, 2: hx if three_d else 0, 3: hx if three_d else 0}[orientation]
    reach_z = {1: hz if three_d else 0, 2: hz, 3: hz if three_d else 0}[orientation]
    x, z = np.meshgrid(np.arange(size[0]), np.arange(size[2]), indexing="ij")
    dx, dz = x - centre[0], z - centre[2]
    total = (terms(dx, rx) + terms(dz, rz)).astype(f32)
    hit = (np.abs(dx) <= reach_x) & (np.abs(dz) <= reach_z) & (total <= 1)
    xs, zs = np.nonzero(hit)
    return xs + size[0] * zs


def main():
    out = []
    with open(sys.argv[1]) as f:
        for line in f:
            t = line.split()
            if not t:
                continue
            size = [int(v) for v in t[1:4]]
            spacing = [float(v) for v in t[4:7]]
            margin, three_d, orientation = float(t[7]), int(t[8]) == 1, int(t[9])
            centre = [int(v) for v in t[10:13]]
            cells = (label if t[0] == "label" else mask)(size, spacing, margin, three_d, orientation, centre)
            out.append(" ".join(str(int(i)) for i in sorted(cells)))
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
