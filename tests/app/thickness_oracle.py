"""Re-derives the thickness figures of a batch thickness CSV file with numpy in float32.

Arguments: csv, then per row: depths (int32, surface x cell), mask (uint8 per cell), labels
(uint16 per cell, or '-' for no grid), surface count, region count, voxel size Y in mm.
Exits 1 with a line per difference."""
import csv
import sys

import numpy as np

rows = list(csv.reader(open(sys.argv[1], newline='')))
header, body = rows[0], rows[1:]
args = sys.argv[2:]
faults = []
for i, row in enumerate(body):
    depths, mask, labels, count, regions, vy = args[6 * i:6 * i + 6]
    count, regions = int(count), int(regions)
    if len(row) != len(header):
        faults.append(f'row {i}: {len(row)} fields, header {len(header)}')
        continue
    m = np.fromfile(mask, np.uint8)
    d = np.fromfile(depths, np.int32).reshape(count, m.size)
    lab = np.ones(m.size, np.uint16) if labels == '-' else np.fromfile(labels, np.uint16)
    means, sds = [], []
    for s in range(count - 1):
        for r in range(1, regions + 1):
            sel = (lab == r) & (m == 0) & (d[s] >= 0) & (d[s + 1] >= 0)
            t = (d[s + 1] - d[s])[sel].astype(np.float32) * np.float32(vy) * np.float32(1000)
            means.append(float(t.mean(dtype=np.float32)) if t.size >= 1 else None)
            sds.append(float(t.std(ddof=1)) if t.size >= 2 else None)
    for name, want, got in zip(header[18:], means + sds, row[18:-1]):
        if want is None and got != 'NA' or want is not None and (got == 'NA' or abs(float(got) - want) > 0.011):
            faults.append(f'row {i} {name}: {got}, expected {want}')
for f in faults:
    print(f)
sys.exit(1 if faults else 0)
