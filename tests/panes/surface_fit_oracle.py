"""Linear solves, thin-plate fits and surface drags worked out with numpy and scipy.

Usage: surface_fit_oracle.py IN OUT
IN holds one case per line, OUT gets one line of numbers per case:
  lu M K a(0,0) ... a(M-1,M-1) b(0,0) ... b(M-1,K-1)
      -> the solution X of A X = B, row by row (double precision)
  tps N Q LAMBDA x z v (N times) qx qz (Q times)
      -> the Q values of the regularised thin-plate spline
  drag SX SY SZ VX VZ MARGIN MODE ORIENTATION XC ZC ROW rows (SZ x SX, z outer)
      -> "x z value" for every cell the drag refits, in the order of the queries
The spline is scipy's RBFInterpolator with the thin-plate kernel and linear terms; its
smoothing is lambda times the squared mean distance over all ordered pairs of samples.
"""
import sys

import numpy as np
from scipy.interpolate import RBFInterpolator


def fit(samples, values, queries, lam):
    samples = np.asarray(samples, dtype=float)
    d = np.sqrt(((samples[:, None, :] - samples[None, :, :]) ** 2).sum(axis=2))
    alpha = d.sum() / len(samples) ** 2
    rbf = RBFInterpolator(samples, np.asarray(values, dtype=float), kernel="thin_plate_spline",
                          smoothing=alpha * alpha * lam, degree=1)
    return rbf(np.asarray(queries, dtype=float))


def half_extent(margin, spacing):
    return max(1, int(np.float32(margin) / np.float32(spacing) + np.float32(0.5)))


def drag(t):
    sx, sy, sz = int(t[0]), int(t[1]), int(t[2])
    vx, vz, margin = float(t[3]), float(t[4]), float(t[5])
    mode, orientation = int(t[6]), int(t[7])
    xc, zc, row = int(t[8]), int(t[9]), int(t[10])
    rows = np.array([float(v) for v in t[11:11 + sx * sz]]).reshape(sz, sx)
    rows[zc, xc] = row  # the dragged point carries its new row
    hx, hz = half_extent(margin, vx), half_extent(margin, vz)
    cx = lambda x: min(max(x, 0), sx - 1)
    cz = lambda z: min(max(z, 0), sz - 1)
    samples, values, queries, cells = [], [], [], []
    if mode == 1:
        for z in (cz(zc - hz), cz(zc), cz(zc + hz)):
            for x in (cx(xc - hx), cx(xc), cx(xc + hx)):
                samples.append((x * vx, z * vz))
                values.append(rows[z, x])
        for z in range(max(zc - hz, 0), min(zc + hz, sz - 1) + 1):
            for x in range(max(xc - hx, 0), min(xc + hx, sx - 1) + 1):
                queries.append((x * vx, z * vz))
                cells.append((x, z))
    elif orientation == 1:
        for k in (0, 1):
            for x in (cx(xc - hx), cx(xc), cx(xc + hx)):
                samples.append((x * vx, k))
                values.append(rows[zc, x])
        for x in range(max(xc - hx, 0), min(xc + hx, sx - 1) + 1):
            queries.append((x * vx, 0))
            cells.append((x, zc))
    else:
        for k in (0, 1):
            for z in (cz(zc - hz), cz(zc), cz(zc + hz)):
                samples.append((k, z * vz))
                values.append(rows[z, xc])
        for z in range(max(zc - hz, 0), min(zc + hz, sz - 1) + 1):
            queries.append((0, z * vz))
            cells.append((xc, z))
    fitted = fit(samples, values, queries, 0.01)
    return " ".join(f"{x} {z} {v:.6f}" for (x, z), v in zip(cells, fitted))


def main():
    out = []
    with open(sys.argv[1]) as f:
        for line in f:
            t = line.split()
            if not t:
                continue
            kind, t = t[0], t[1:]
            if kind == "lu":
                m, k = int(t[0]), int(t[1])
                a = np.array([float(v) for v in t[2:2 + m * m]]).reshape(m, m)
                b = np.array([float(v) for v in t[2 + m * m:2 + m * m + m * k]]).reshape(m, k)
                out.append(" ".join(f"{v:.9g}" for v in np.linalg.solve(a, b).ravel()))
            elif kind == "tps":
                n, q, lam = int(t[0]), int(t[1]), float(t[2])
                s = np.array([float(v) for v in t[3:3 + 3 * n]]).reshape(n, 3)
                qs = np.array([float(v) for v in t[3 + 3 * n:3 + 3 * n + 2 * q]]).reshape(q, 2)
                out.append(" ".join(f"{v:.9g}" for v in fit(s[:, :2], s[:, 2], qs, lam)))
            elif kind == "drag":
                out.append(drag(t))
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
