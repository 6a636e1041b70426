"""Independent reference for grid-sector label maps of circle and ellipse grids.

Reads a grid definition with ElementTree and labels every position of a width x height
plane around a centre by the exact geometry in double precision: the polar angle from
atan2 (z grows downward, angles counter-clockwise from +x) and the ellipse distance.
Positions too close to a ring boundary, a sector boundary or the centre to be decided
reliably are written as 65535 (not compared).

usage: grid_sector_oracle.py grid.xml width height centre_x centre_z spacing_x spacing_z out.raw
"""
import sys
import xml.etree.ElementTree as ET

import numpy as np

NOT_COMPARED = 65535


def number(element, path):
    text = element.findtext(path) if element is not None else None
    return float(text) if text and text.strip() else 0.0


def semi_axes(kind, region):
    if kind == "circle":
        inner, outer = sorted((number(region, "radius/from"), number(region, "radius/to")))
        return inner, inner, outer, outer
    hi, ho = sorted((number(region, "horizontal_radius/from"), number(region, "horizontal_radius/to")))
    vi, vo = sorted((number(region, "vertical_radius/from"), number(region, "vertical_radius/to")))
    return hi, vi, ho, vo


def main(argv):
    path, width, height, cx, cz, sx, sz, out = argv[1:9]
    width, height, cx, cz = int(width), int(height), int(cx), int(cz)
    sx, sz = float(sx), float(sz)
    root = ET.parse(path).getroot()
    kind = root.findtext("type").strip().lower()
    regions = root.findall("region")[: int(root.findtext("region_num"))]

    x = (np.arange(width) - cx) * sx
    z = (np.arange(height) - cz) * sz
    X, Z = np.meshgrid(x, z)
    theta = np.degrees(np.arctan2(-Z, X)) % 360.0
    centre = (X == 0) & (Z == 0)
    labels = np.zeros((height, width), np.uint16)
    unsure = centre.copy()
    with np.errstate(divide="ignore", invalid="ignore"):
        for k, region in enumerate(regions, start=1):
            ix, iz, ox, oz = semi_axes(kind, region)
            outer = (X / ox) ** 2 + (Z / oz) ** 2
            inner = (X / ix) ** 2 + (Z / iz) ** 2 if ix > 0 and iz > 0 else np.full_like(X, np.inf)
            s = number(region, "angle/from") % 360.0
            t = number(region, "angle/to") % 360.0
            if s == t:
                on_arc = np.ones_like(X, bool)
            else:
                on_arc = (theta - s) % 360.0 <= (t - s) % 360.0
                for boundary in (s, t):
                    gap = np.abs(theta - boundary) % 360.0
                    unsure |= np.minimum(gap, 360.0 - gap) < 0.5
            inside = (outer <= 1.0) & (inner >= 1.0) & on_arc
            if ix == 0 and iz == 0:
                inside |= centre
            labels[inside] = k
            unsure |= np.abs(outer - 1.0) < 1e-3
            unsure |= np.abs(inner - 1.0) < 1e-3
    labels[unsure] = NOT_COMPARED
    labels.tofile(out)


if __name__ == "__main__":
    main(sys.argv)
