"""MetaImage volumes of every element type and byte order, in the layouts the format allows.

Writes into the folder given as the only argument. The voxels of a 7 x 5 x 3 volume are
encoded with numpy's own byte orders, independent of the reader under test; signed types
hold negative values, wide types values beyond 16 bits, floating-point types fractions,
and the 32-bit floating-point volume also a not-a-number and an infinity.
"""
import os
import sys
import zlib

import numpy as np

folder = sys.argv[1]
SIZE = (7, 5, 3)
x, y, z = np.meshgrid(np.arange(SIZE[0]), np.arange(SIZE[1]), np.arange(SIZE[2]), indexing='ij')
# Stored with x fastest: transpose to (z, y, x) before writing.
p = (x + 7 * y + 35 * z).transpose(2, 1, 0).astype(np.float64)

TYPES = {
    'MET_UCHAR': ('u1', p * 2),
    'MET_CHAR': ('i1', p - 50),
    'MET_USHORT': ('u2', p * 600),
    'MET_SHORT': ('i2', p * 300 - 9000),
    'MET_UINT': ('u4', p * 900),
    'MET_INT': ('i4', p * 1000 - 20000),
    'MET_ULONG_LONG': ('u8', p * 900),
    'MET_LONG_LONG': ('i8', p * 1000 - 20000),
    'MET_FLOAT': ('f4', p * 0.25 - 3),
    'MET_DOUBLE': ('f8', p * 700.5 - 100),
}


def header(element_type, msb, data_file, extra=''):
    return ('ObjectType = Image\nNDims = 3\nBinaryData = True\n'
            f'BinaryDataByteOrderMSB = {"True" if msb else "False"}\nCompressedData = False\n'
            'TransformMatrix = 1 0 0 0 1 0 0 0 1\nOffset = 1.5 -2 3\nElementSpacing = 0.0117 0.0039 0.047\n'
            f'DimSize = {SIZE[0]} {SIZE[1]} {SIZE[2]}\n{extra}ElementType = {element_type}\n'
            f'ElementDataFile = {data_file}\n')


def encoded(element_type, msb):
    code, values = TYPES[element_type]
    values = values.astype(('>' if msb else '<') + code)
    if element_type == 'MET_FLOAT':
        values.flat[3] = np.nan
        values.flat[4] = np.inf
    return values.tobytes()


def write(name, data):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(data.encode() if isinstance(data, str) else data)


# Every type in both byte orders, each with a data file of its own beside the header.
for element_type in TYPES:
    for msb in (False, True):
        name = f'{element_type}_{"MSB" if msb else "LSB"}'
        write(name + '.mhd', header(element_type, msb, name + '.raw'))
        write(name + '.raw', encoded(element_type, msb))

voxels = encoded('MET_USHORT', False)
# The data in the header file itself.
write('local.mha', header('MET_USHORT', False, 'LOCAL').encode() + voxels)
write('local-msb.mha', header('MET_SHORT', True, 'LOCAL').encode() + encoded('MET_SHORT', True))
# The data after bytes the header says to skip; in a longer file; in a folder; by full path.
write('skip.mhd', header('MET_USHORT', False, 'skip.raw', 'HeaderSize = 16\n'))
write('skip.raw', b'\xa5' * 16 + voxels)
write('longer.mhd', header('MET_USHORT', False, 'longer.raw'))
write('longer.raw', voxels + b'\x01\x02\x03\x04')
write('sub.mhd', header('MET_USHORT', False, 'sub/data.raw'))
write('sub/data.raw', voxels)
write('absolute.mhd', header('MET_USHORT', False, os.path.join(os.path.abspath(folder), 'sub/data.raw')))

# Layouts the toolkit decodes itself.
write('compressed.mhd', header('MET_USHORT', False, 'compressed.zraw').replace(
    'CompressedData = False', f'CompressedData = True\nCompressedDataSize = {len(zlib.compress(voxels))}'))
write('compressed.zraw', zlib.compress(voxels))
write('at-end.mhd', header('MET_USHORT', False, 'at-end.raw', 'HeaderSize = -1\n'))
write('at-end.raw', b'\x00' * 10 + voxels)
write('local-trailing.mha', header('MET_USHORT', False, 'LOCAL').encode() + voxels + b'\x00\x00')
write('two-channels.mhd', header('MET_UCHAR', False, 'two-channels.raw', 'ElementNumberOfChannels = 2\n'))
write('two-channels.raw', encoded('MET_USHORT', False))
write('four-d.mhd', header('MET_USHORT', False, 'four-d.raw').replace('NDims = 3', 'NDims = 4').replace(
    'DimSize = 7 5 3', 'DimSize = 7 5 3 2').replace('TransformMatrix = 1 0 0 0 1 0 0 0 1', 'TransformMatrix = '
    '1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1').replace('Offset = 1.5 -2 3', 'Offset = 1.5 -2 3 0').replace(
    'ElementSpacing = 0.0117 0.0039 0.047', 'ElementSpacing = 0.0117 0.0039 0.047 1'))
write('four-d.raw', voxels + voxels)
# Voxels written as text, in a file long enough to hold them as binary values.
text = ' '.join(str(v) for v in np.frombuffer(voxels, '<u2')) + '\n'
write('text.mhd', header('MET_USHORT', False, 'text.raw').replace('BinaryData = True', 'BinaryData = False'))
write('text.raw', text)

# Headers whose data end before their voxels do.
write('short.mhd', header('MET_USHORT', False, 'short.raw'))
write('short.raw', voxels[:-1])
write('short-local.mha', header('MET_USHORT', False, 'LOCAL').encode() + voxels[:-1])
write('skip-past.mhd', header('MET_USHORT', False, 'skip.raw', 'HeaderSize = 17\n'))
