"""Image-stack fixtures and their check, independent of the program's readers and writers.

  make FOLDER KIND     writes the images of a stack kind into FOLDER
  check HEADER KIND    reads the MetaImage pair at HEADER with numpy and compares it with the
                       stack of KIND in natural order; exits 1 with a line per difference

Kinds: grey (8-bit, img1 img2 img3.TIF img10, and files an import must leave out), rgb (24-bit
colour), rgba (32-bit colour), deep (16-bit), sizes (one image of another size), one (a single
image), none (no image), broken (an image that cannot be loaded).
"""
import os
import sys

import numpy as np
from PIL import Image

W, H = 7, 5
NUMBERS = [1, 2, 3, 10]
NAMES = {1: 'img1.png', 2: 'img2.png', 3: 'img3.TIF', 10: 'img10.png'}


def plane(n, deep=False):
    y, x = np.mgrid[0:H, 0:W]
    if deep:
        return ((x * 300 + y * 1000 + n * 5000) % 65536).astype(np.uint16)
    return ((x * 7 + y * 13 + n * 20) % 256).astype(np.uint8)


def image(kind, n):
    if kind == 'deep':
        return Image.fromarray(plane(n, True))
    red = plane(n)
    if kind == 'rgb':
        return Image.fromarray(np.dstack([red, 255 - red, np.full_like(red, 77)]), 'RGB')
    if kind == 'rgba':
        return Image.fromarray(np.dstack([red, 255 - red, np.full_like(red, 77), np.full_like(red, 200)]), 'RGBA')
    return Image.fromarray(red, 'L')


def make(folder, kind):
    os.makedirs(folder, exist_ok=True)
    numbers = {'one': [1], 'none': [], 'broken': []}.get(kind, NUMBERS)
    for n in numbers:
        name = NAMES[n] if kind in ('grey', 'deep', 'sizes') else f'img{n}.png'
        picture = image('grey' if kind == 'sizes' else kind, n)
        if kind == 'sizes' and n == 3:
            picture = picture.resize((W + 1, H))
        picture.save(os.path.join(folder, name))
    if kind == 'grey':
        image('grey', 0).save(os.path.join(folder, 'stack.tif.bak'), format='TIFF')
        os.makedirs(os.path.join(folder, 'sub'), exist_ok=True)
        image('grey', 0).save(os.path.join(folder, 'sub', 'img0.png'))
        open(os.path.join(folder, 'notes.txt'), 'w').write('not an image')
        open(os.path.join(folder, '._img2.png'), 'wb').write(b'\0\5\0\7 metadata of a copy')
    if kind == 'broken':
        image('grey', 1).save(os.path.join(folder, 'img1.png'))
        open(os.path.join(folder, 'img2.png'), 'wb').write(b'not a picture')


def check(header, kind):
    fields = dict(line.split(' = ', 1) for line in open(header).read().splitlines())
    faults = []
    size = [int(v) for v in fields['DimSize'].split()]
    spacing = [float(v) for v in fields['ElementSpacing'].split()]
    element = fields['ElementType']
    deep = kind == 'deep'
    want_type = 'MET_USHORT' if deep else 'MET_UCHAR'
    if size != [W, H, len(NUMBERS)]:
        faults.append(f'DimSize {size}')
    if not np.allclose(spacing, [0.01, 0.0039, 0.05], rtol=1e-5):
        faults.append(f'ElementSpacing {spacing}')
    if element != want_type:
        faults.append(f'ElementType {element}, expected {want_type}')
    data = os.path.join(os.path.dirname(header), fields['ElementDataFile'])
    voxels = np.fromfile(data, np.uint16 if deep else np.uint8)
    want = np.stack([plane(n, deep) for n in NUMBERS])
    if voxels.size != want.size or not np.array_equal(voxels.reshape(want.shape), want):
        faults.append('voxels differ from the images in natural order')
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == '__main__':
    if sys.argv[1] == 'make':
        make(sys.argv[2], sys.argv[3])
    else:
        sys.exit(check(sys.argv[2], sys.argv[3]))
