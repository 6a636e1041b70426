"""Writes the 2-D image fixtures into the folder given as the argument.

Every picture is 5 x 3 pixels; the value of pixel (x, y), y = 0 the top row, follows the
formulas that the test repeats.
"""
import os
import sys

import numpy as np
import tifffile
from PIL import Image

W, H = 5, 3
y, x = np.mgrid[0:H, 0:W]
grey = ((7 * x + 13 * y + 1) % 256).astype(np.uint8)
red = ((7 * x + 13 * y) % 256).astype(np.uint8)
green = ((3 * x + 50 * y + 9) % 256).astype(np.uint8)
blue = ((11 * x + 5 * y + 200) % 256).astype(np.uint8)
alpha = ((40 * x + 7 * y + 3) % 256).astype(np.uint8)
deep = ((4000 * x + 1000 * y + 7) % 65536).astype(np.uint16)
folder = sys.argv[1]


def path(name):
    return os.path.join(folder, name)


Image.fromarray(grey, "L").save(path("grey.png"))
Image.fromarray(np.dstack([red, green, blue]), "RGB").save(path("rgb.png"))
Image.fromarray(np.dstack([red, green, blue]), "RGB").save(path("rgb.bmp"))
Image.fromarray(np.dstack([red, green, blue, alpha]), "RGBA").save(path("rgba.png"))
Image.fromarray(deep).save(path("deep.png"))
tifffile.imwrite(path("deep.tif"), deep)
tifffile.imwrite(path("float.tif"), deep.astype(np.float32))
Image.fromarray(grey > 100).save(path("bits.png"))

# Palette images: the identity grey ramp, and a palette whose index i is grey (37 i + 11) % 256.
ramp = Image.fromarray(grey, "P")
ramp.putpalette([v for i in range(256) for v in (i, i, i)])
ramp.save(path("ramp.png"))
shuffled = Image.fromarray(grey, "P")
shuffled.putpalette([v for i in range(256) for v in ((37 * i + 11) % 256,) * 3])
shuffled.save(path("palette.png"))

# A GIF of four greys, which FreeImage would otherwise load at fewer than 8 bits.
levels = np.array([0, 85, 170, 255], dtype=np.uint8)
Image.fromarray(levels[(x + y) % 4], "L").convert("P").save(path("four.gif"))
