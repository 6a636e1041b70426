"""Volumes as common tools write them (nibabel, tifffile, PIL, VTK, a MetaImage header by
hand with numpy's raw data), with the hostile twins of each, into the folder given as the
only argument.

Each line of "cases.txt" names one file and what the volume reader must make of it:
    name result sizeX sizeY sizeZ bytesPerVoxel
with result 0 for a file that reads; then "name.expected" holds the voxels as numpy reads
the file, brought into unsigned 16 bits the way the reader does (little-endian, x fastest).
A refused file has its result code and dashes for the rest.

How voxels reach 16 bits: unsigned 8- and 16-bit values as they are; other integers (also
when a NIfTI scale factor made them fractional) rounded half up and clamped to 0-65535;
values stored as floating point likewise when all are whole, else their finite range is
stretched onto 0-65535; a voxel of several channels gives its first, the red of a colour
pixel.
"""
import gzip
import os
import struct
import sys

import nibabel as nib
import numpy as np
import tifffile
import vtk
from PIL import Image
from vtk.util import numpy_support

folder = sys.argv[1]
OK, OPEN_FAILED, TWO_D_TIFF = 0, -1, -4
cases = []


def path(name):
    return os.path.join(folder, name)


def pattern(shape, modulus, seed):
    """Values that differ along every axis and between neighbours, reaching high into the range."""
    index = np.indices(shape, dtype=np.int64)
    weights = [1, 37, 1009, 7919][:len(shape)]
    mixed = sum(w * i for w, i in zip(weights, index)) * 2654435761 + seed
    return (mixed >> 7) % modulus


def saturated(values):
    values = np.asarray(values, dtype=np.float64)
    out = np.floor(np.where(np.isnan(values), 0, values) + 0.5)
    return np.clip(out, 0, 65535).astype(np.uint16)


def stretched(values):
    values = np.asarray(values, dtype=np.float64)
    finite = values[np.isfinite(values)]
    low, high = finite.min(), finite.max()
    scale = 65535.0 / (high - low)
    return saturated(np.where(np.isfinite(values), (values - low) * scale, values))


def sound(name, voxels_xyz, bytes_per_voxel, result=OK):
    """A file that must read: its voxels as an (x, y, z) array of unsigned 16-bit values."""
    sx, sy, sz = voxels_xyz.shape
    cases.append(f'{name} {result} {sx} {sy} {sz} {bytes_per_voxel}')
    if result == OK:
        voxels_xyz.astype('<u2').transpose(2, 1, 0).tofile(path(name + '.expected'))


def refused(name, result=OPEN_FAILED):
    cases.append(f'{name} {result} - - - -')


def twin(source, name, change):
    """A copy of source with its bytes changed by change(bytearray) -> bytes."""
    with open(path(source), 'rb') as f:
        data = bytearray(f.read())
    with open(path(name), 'wb') as f:
        f.write(change(data))
    refused(name)


def cut(fraction):
    return lambda data: bytes(data[:int(len(data) * fraction)])


# ---- NIfTI and Analyze, written by nibabel ----------------------------------------------
NX, NY, NZ = 128, 96, 12
affine = np.diag([0.0117, 0.0039, 0.047, 1])
intensities = pattern((NX, NY, NZ), 4001, 11).astype(np.float64) * 0.37 + 3.0


def nifti_voxels(name):
    return nib.load(path(name)).get_fdata(dtype=np.float64)


def scaled_as_toolkit(name):
    # The toolkit scales in double precision and keeps the result as 32-bit floating point.
    stored = nib.load(path(name)).dataobj
    assert stored.slope != 1 and stored.inter != 0, name
    return saturated(nifti_voxels(name).astype(np.float32))


def nifti_lies(name):
    """The twins every NIfTI file has: sizes larger than the data, a cut file, data said to
    begin past the end, a wider voxel type than stored."""
    gz = name.endswith('.gz')
    base = name[:-len('.nii.gz')] if gz else name[:-len('.nii')]
    ext = name[len(base):]
    with open(path(name), 'rb') as f:
        raw = f.read()
    header = bytearray(gzip.decompress(raw) if gz else raw)
    order = '<' if struct.unpack_from('<i', header, 0)[0] == 348 else '>'
    depth = struct.unpack_from(order + 'h', header, 46)[0]

    def save(twin_name, data):
        with open(path(twin_name), 'wb') as f:
            f.write(gzip.compress(bytes(data), 6, mtime=0) if gz else bytes(data))
        refused(twin_name)

    for what, offset, fmt, value in (('lying-size', 46, 'h', (depth + 1,)),
                                     ('lying-offset', 108, 'f', (float(len(header)),)),
                                     ('lying-type', 70, 'hh', (64, 64))):
        data = bytearray(header)
        struct.pack_into(order + fmt, data, offset, *value)
        save(f'{base}.{what}{ext}', data)
    save(f'{base}.cut{ext}', header[:len(header) - 1])
    if gz:
        # A stream cut short, whose own size field would still promise everything.
        with open(path(f'{base}.cut-stream{ext}'), 'wb') as f:
            f.write(raw[:len(raw) // 2] + raw[-8:])
        refused(f'{base}.cut-stream{ext}')


# int16 with a scale factor and an intercept, as nibabel stores floating-point data in 16 bits.
img = nib.Nifti1Image(intensities, affine)
img.set_data_dtype(np.int16)
nib.save(img, path('scaled-int16.nii'))
sound('scaled-int16.nii', scaled_as_toolkit('scaled-int16.nii'), 2)
nifti_lies('scaled-int16.nii')

# The same compressed, and with a negative intercept that puts some voxels below zero.
img = nib.Nifti1Image(intensities - 200, affine)
img.set_data_dtype(np.int16)
nib.save(img, path('scaled-int16.nii.gz'))
sound('scaled-int16.nii.gz', scaled_as_toolkit('scaled-int16.nii.gz'), 2)
nifti_lies('scaled-int16.nii.gz')

# A scale factor on bytes (slope 0.5 makes half steps, which round up).
img = nib.Nifti1Image(pattern((NX, NY, NZ), 256, 5).astype(np.uint8), affine)
img.header.set_slope_inter(0.5, 1.0)
nib.save(img, path('scaled-uint8.nii'))
sound('scaled-uint8.nii', scaled_as_toolkit('scaled-uint8.nii'), 2)

plain8 = pattern((NX, NY, NZ), 256, 7).astype(np.uint8)
nib.save(nib.Nifti1Image(plain8, affine), path('uint8.nii'))
sound('uint8.nii', plain8.astype(np.uint16), 1)
nifti_lies('uint8.nii')

fractions = (pattern((NX, NY, NZ), 100000, 3) / 99999.0).astype(np.float32)
nib.save(nib.Nifti1Image(fractions, affine), path('float32-unit.nii'))
sound('float32-unit.nii', stretched(nifti_voxels('float32-unit.nii')), 2)
nifti_lies('float32-unit.nii')

# Four volumes over time: only the first is kept.
series = pattern((NX, NY, NZ, 4), 30000, 9).astype(np.uint16)
nib.save(nib.Nifti1Image(series, affine), path('four-d.nii'))
sound('four-d.nii', series[..., 0], 2)
nifti_lies('four-d.nii')

big = nib.Nifti1Image(pattern((NX, NY, NZ), 60000, 13).astype(np.int32), affine,
                      header=nib.Nifti1Header(endianness='>'))
nib.save(big, path('big-endian.nii'))
assert open(path('big-endian.nii'), 'rb').read(4) == struct.pack('>i', 348)
sound('big-endian.nii', saturated(nifti_voxels('big-endian.nii')), 2)
nifti_lies('big-endian.nii')

# A volume of a device's size (512 A-scans of 496 samples), scaled into int16 and compressed.
img = nib.Nifti1Image(pattern((512, 496, 16), 4001, 19).astype(np.float64) * 0.61 + 7.0, affine)
img.set_data_dtype(np.int16)
nib.save(img, path('bscans-scaled.nii.gz'))
sound('bscans-scaled.nii.gz', scaled_as_toolkit('bscans-scaled.nii.gz'), 2)
nifti_lies('bscans-scaled.nii.gz')

deep = pattern((NX, NY, NZ), 65536, 17).astype(np.uint16)
nib.save(nib.Nifti1Image(deep, affine), path('uint16.nii.gz'))
sound('uint16.nii.gz', deep, 2)
nifti_lies('uint16.nii.gz')

# Colour voxels (RGB24): each the red of its colour.
colour_voxels = pattern((NX, NY, NZ, 3), 256, 15).astype(np.uint8)
rgb_type = np.dtype([('R', 'u1'), ('G', 'u1'), ('B', 'u1')])
nib.save(nib.Nifti1Image(colour_voxels.view(rgb_type)[..., 0], affine), path('rgb24.nii'))
assert nib.load(path('rgb24.nii')).header['datatype'] == 128
sound('rgb24.nii', colour_voxels[..., 0].astype(np.uint16), 1)
nifti_lies('rgb24.nii')

# Pairs: a NIfTI header with its ".img", and an Analyze 7.5 pair.
nib.save(nib.Nifti1Pair(deep.astype(np.int16), affine), path('pair.hdr'))
sound('pair.hdr', saturated(deep.astype(np.int16)), 2)
nib.save(nib.AnalyzeImage(plain8, affine), path('analyze.hdr'))
sound('analyze.hdr', plain8.astype(np.uint16), 1)
for stem, keep in (('pair', 0.5), ('analyze', 0.99)):
    with open(path(stem + '.img'), 'rb') as f:
        voxels = f.read()
    with open(path(stem + '.hdr'), 'rb') as f:
        header = f.read()
    taller = bytearray(header)
    struct.pack_into('<h', taller, 46, NZ + 1)
    for twin_stem, twin_header, twin_voxels in ((stem + '-cut', header, voxels[:int(len(voxels) * keep)]),
                                                (stem + '-lying-size', bytes(taller), voxels)):
        with open(path(twin_stem + '.hdr'), 'wb') as f:
            f.write(twin_header)
        with open(path(twin_stem + '.img'), 'wb') as f:
            f.write(twin_voxels)
        refused(twin_stem + '.hdr')

# ---- TIFF, written by tifffile and PIL --------------------------------------------------
TX, TY, TZ = 96, 64, 32
grey8 = pattern((TZ, TY, TX), 256, 21).astype(np.uint8)
grey16 = pattern((TZ, TY, TX), 65536, 23).astype(np.uint16)
rgb8 = pattern((TZ, TY, TX, 3), 256, 25).astype(np.uint8)
rgb16 = pattern((TZ, TY, TX, 3), 65536, 27).astype(np.uint16)
rgba8 = pattern((TZ, TY, TX, 4), 256, 29).astype(np.uint8)


def pages_xyz(pages):
    """Pages (z, y, x[, channel]) as the reader's (x, y, z) voxels: the first channel."""
    if pages.ndim == 4:
        pages = pages[..., 0]
    return pages.transpose(2, 1, 0).astype(np.uint16)


def tiff_pages(name):
    with tifffile.TiffFile(path(name)) as tif:
        return np.stack([page.asarray() for page in tif.pages])


def pil_pages(name):
    frames = []
    with Image.open(path(name)) as im:
        for index in range(im.n_frames):
            im.seek(index)
            frames.append(np.array(im))
    return np.stack(frames)


def tiff_lie(source, name, tag, values, every_page=True):
    """A copy of source whose tag holds other values (written where the tag keeps them)."""
    with tifffile.TiffFile(path(source)) as tif:
        places = []
        for page in (tif.pages if every_page else tif.pages[:1]):
            t = page.tags[tag]
            places.append((t.valueoffset, t.dtype))
        order = tif.byteorder
    with open(path(source), 'rb') as f:
        data = bytearray(f.read())
    for offset, dtype in places:
        code = {3: 'H', 4: 'I', 16: 'Q'}[int(dtype)]
        struct.pack_into(order + code * len(values), data, offset, *values)
    with open(path(name), 'wb') as f:
        f.write(bytes(data))
    refused(name)


def tiff_lies(name, samples):
    stem = name.rsplit('.', 1)[0]
    tiff_lie(name, stem + '.lying-width.tif', 'ImageWidth', (TX + 1,))
    tiff_lie(name, stem + '.lying-height.tif', 'ImageLength', (TY * 4,))
    with tifffile.TiffFile(path(name)) as tif:
        bits = tif.pages[0].bitspersample
        counts = tif.pages[0].tags['StripByteCounts'].value
    tiff_lie(name, stem + '.lying-bits.tif', 'BitsPerSample', (bits * 2,) * samples)
    tiff_lie(name, stem + '.lying-counts.tif', 'StripByteCounts', tuple(c // 2 for c in counts))
    twin(name, stem + '.cut.tif', cut(0.9))


tifffile.imwrite(path('grey8.tif'), grey8, photometric='minisblack')
sound('grey8.tif', pages_xyz(tiff_pages('grey8.tif')), 1)
tiff_lies('grey8.tif', 1)
tifffile.imwrite(path('grey16.tif'), grey16, photometric='minisblack', rowsperstrip=16)
sound('grey16.tif', pages_xyz(tiff_pages('grey16.tif')), 2)
tiff_lies('grey16.tif', 1)
tifffile.imwrite(path('rgb8.tif'), rgb8, photometric='rgb')
sound('rgb8.tif', pages_xyz(tiff_pages('rgb8.tif')), 1)
tiff_lies('rgb8.tif', 3)
tifffile.imwrite(path('rgb16.tif'), rgb16, photometric='rgb', rowsperstrip=8)
sound('rgb16.tif', pages_xyz(tiff_pages('rgb16.tif')), 2)
tiff_lies('rgb16.tif', 3)
# A few RGB pages of a device's B-scan size, as an image editor exports a stack.
tifffile.imwrite(path('bscans-rgb8.tif'), pattern((5, 496, 512, 3), 256, 57).astype(np.uint8), photometric='rgb')
sound('bscans-rgb8.tif', pages_xyz(tiff_pages('bscans-rgb8.tif')), 1)
twin('bscans-rgb8.tif', 'bscans-rgb8.cut.tif', cut(0.9))
tifffile.imwrite(path('rgba8.tif'), rgba8, photometric='rgb', extrasamples=['unassalpha'])
sound('rgba8.tif', pages_xyz(tiff_pages('rgba8.tif')), 1)
tifffile.imwrite(path('rgb8-planes.tif'), rgb8.transpose(0, 3, 1, 2), photometric='rgb', planarconfig='separate')
sound('rgb8-planes.tif', pages_xyz(tiff_pages('rgb8-planes.tif').transpose(0, 2, 3, 1)), 1)
tifffile.imwrite(path('grey16-zlib.tif'), grey16, photometric='minisblack', compression='zlib')
sound('grey16-zlib.tif', pages_xyz(tiff_pages('grey16-zlib.tif')), 2)
twin('grey16-zlib.tif', 'grey16-zlib.cut.tif', cut(0.9))
tifffile.imwrite(path('grey8-tiles.tif'), grey8, photometric='minisblack', tile=(64, 64))
sound('grey8-tiles.tif', pages_xyz(tiff_pages('grey8-tiles.tif')), 1)
twin('grey8-tiles.tif', 'grey8-tiles.cut.tif', cut(0.9))
tifffile.imwrite(path('imagej16.tif'), grey16, imagej=True, resolution=(1 / 0.0117, 1 / 0.0039),
                 metadata={'spacing': 0.047, 'unit': 'mm', 'axes': 'ZYX'})
sound('imagej16.tif', pages_xyz(tiff_pages('imagej16.tif')), 2)
tifffile.imwrite(path('bigtiff16.tif'), grey16, photometric='minisblack', bigtiff=True)
sound('bigtiff16.tif', pages_xyz(tiff_pages('bigtiff16.tif')), 2)
tiff_lies('bigtiff16.tif', 1)
tifffile.imwrite(path('float32.tif'), (grey16 / 65535.0).astype(np.float32), photometric='minisblack')
sound('float32.tif', stretched(tiff_pages('float32.tif').transpose(2, 1, 0)), 2)
tifffile.imwrite(path('grey8-page.tif'), grey8[0], photometric='minisblack')
sound('grey8-page.tif', pages_xyz(grey8[:1]), 1, TWO_D_TIFF)
tifffile.imwrite(path('rgb8-page.tif'), rgb8[0], photometric='rgb')
sound('rgb8-page.tif', pages_xyz(rgb8[:1]), 1, TWO_D_TIFF)

# A stack followed by a reduced-resolution preview, which the toolkit passes over.
with tifffile.TiffWriter(path('grey8-preview.tif')) as tif:
    for page in grey8:
        tif.write(page, photometric='minisblack', contiguous=False)
    tif.write(grey8[0, ::4, ::4], photometric='minisblack', subfiletype=1)
sound('grey8-preview.tif', pages_xyz(grey8), 1)
# Pages laid out otherwise than the first (the toolkit copies every page's rows as the first
# page's), and pages marked as a document's (NewSubfileType 2) after one marked 0 (the toolkit
# makes room for the one slice marked 0 and reads them all).
for name, first, rest, subfiletypes in (('pages-grey-then-rgb.tif', grey8[0], rgb8[1:4], (0, 0)),
                                        ('pages-rgb-then-grey.tif', rgb8[0], grey8[1:4], (0, 0)),
                                        ('pages-larger-later.tif', grey8[0, :32, :48], grey8[1:4], (0, 0)),
                                        ('pages-marked-apart.tif', grey8[0], grey8[1:4], (0, 2))):
    with tifffile.TiffWriter(path(name)) as tif:
        for index, page in enumerate([first, *rest]):
            tif.write(page, photometric='rgb' if page.ndim == 3 else 'minisblack', contiguous=False,
                      subfiletype=subfiletypes[min(index, 1)])
    refused(name)

# PIL writes each page with its own strips, uncompressed or compressed.
for mode, frames, name, compression in (('L', grey8, 'pil-grey8.tif', None),
                                        ('RGB', rgb8, 'pil-rgb8.tif', None),
                                        ('RGB', rgb8, 'pil-rgb8-lzw.tif', 'tiff_lzw'),
                                        ('L', grey8, 'pil-grey8-deflate.tif', 'tiff_adobe_deflate'),
                                        ('RGB', rgb8, 'pil-rgb8-packbits.tif', 'packbits')):
    images = [Image.fromarray(frame, mode) for frame in frames]
    extra = {'compression': compression} if compression else {}
    images[0].save(path(name), save_all=True, append_images=images[1:], **extra)
    sound(name, pages_xyz(pil_pages(name)), 1)
    twin(name, name[:-4] + '.cut.tif', cut(0.9))
# A palette: each pixel the red of its colour, which the file keeps in 16 bits; one bit per
# pixel: 0 or 255.
images = [Image.fromarray(frame, 'L').convert('P') for frame in grey8]
images[0].save(path('pil-palette.tif'), save_all=True, append_images=images[1:])
with tifffile.TiffFile(path('pil-palette.tif')) as tif:
    red = tif.pages[0].colormap[0]
sound('pil-palette.tif', red[pages_xyz(pil_pages('pil-palette.tif'))], 2)
images = [Image.fromarray(frame > 128) for frame in grey8]
images[0].save(path('pil-bilevel.tif'), save_all=True, append_images=images[1:])
sound('pil-bilevel.tif', pages_xyz(pil_pages('pil-bilevel.tif')) * 255, 1)
Image.fromarray(rgb8[0], 'RGB').save(path('pil-rgb8-page.tif'))
sound('pil-rgb8-page.tif', pages_xyz(rgb8[:1]), 1, TWO_D_TIFF)

# ---- MetaImage: a header written by hand with numpy's raw data, and VTK's writer ---------
MX, MY, MZ = 64, 48, 6
meta_values = {
    'MET_UCHAR': ('u1', pattern((MZ, MY, MX), 256, 31)),
    'MET_CHAR': ('i1', pattern((MZ, MY, MX), 256, 33) - 128),
    'MET_USHORT': ('u2', pattern((MZ, MY, MX), 65536, 35)),
    'MET_SHORT': ('i2', pattern((MZ, MY, MX), 65536, 37) - 32768),
    'MET_UINT': ('u4', pattern((MZ, MY, MX), 200000, 39)),
    'MET_INT': ('i4', pattern((MZ, MY, MX), 200000, 41) - 50000),
    'MET_ULONG': ('u4', pattern((MZ, MY, MX), 200000, 43)),
    'MET_LONG': ('i4', pattern((MZ, MY, MX), 200000, 45) - 50000),
    'MET_ULONG_LONG': ('u8', pattern((MZ, MY, MX), 200000, 47)),
    'MET_LONG_LONG': ('i8', pattern((MZ, MY, MX), 200000, 49) - 50000),
    'MET_FLOAT': ('f4', pattern((MZ, MY, MX), 100000, 51) / 99999.0),
    'MET_DOUBLE': ('f8', pattern((MZ, MY, MX), 70000, 53) - 1000.0),
}


def meta_header(element_type, data_file, msb=False, channels=1, sizes=(MX, MY, MZ)):
    return ('ObjectType = Image\nNDims = 3\nBinaryData = True\n'
            f'BinaryDataByteOrderMSB = {msb}\nCompressedData = False\n'
            'ElementSpacing = 0.0117 0.0039 0.047\n'
            f'DimSize = {sizes[0]} {sizes[1]} {sizes[2]}\n'
            + (f'ElementNumberOfChannels = {channels}\n' if channels > 1 else '')
            + f'ElementType = {element_type}\nElementDataFile = {data_file}\n')


def write_meta(name, element_type, raw, **header):
    with open(path(name + '.mhd'), 'w') as f:
        f.write(meta_header(element_type, name + '.raw', **header))
    with open(path(name + '.raw'), 'wb') as f:
        f.write(raw)


def meta_lies(name, element_type, raw, wider, channels=1):
    """wider: a wider element type, or None to lie with one more channel."""
    write_meta(name + '.lying-size', element_type, raw, channels=channels, sizes=(MX, MY, MZ + 1))
    refused(name + '.lying-size.mhd')
    write_meta(name + '.lying-type', wider or element_type, raw, channels=channels + (wider is None))
    refused(name + '.lying-type.mhd')
    write_meta(name + '.cut', element_type, raw[:-1], channels=channels)
    refused(name + '.cut.mhd')


for element_type, (code, values) in meta_values.items():
    name = 'meta-' + element_type[4:].lower()
    raw = values.astype('<' + code).tobytes()
    write_meta(name, element_type, raw)
    stored = values.astype(code).astype(np.float64).transpose(2, 1, 0)
    converted = stretched(stored) if code == 'f4' else saturated(stored)
    sound(name + '.mhd', converted, 1 if code == 'u1' else 2)
    meta_lies(name, element_type, raw, None if code[1] == '8' else 'MET_DOUBLE')

# Big-endian 16-bit, and colour voxels of three channels.
write_meta('meta-ushort-msb', 'MET_USHORT', meta_values['MET_USHORT'][1].astype('>u2').tobytes(), msb=True)
sound('meta-ushort-msb.mhd', meta_values['MET_USHORT'][1].transpose(2, 1, 0).astype(np.uint16), 2)
colour = pattern((MZ, MY, MX, 3), 256, 55).astype(np.uint8)
write_meta('meta-rgb', 'MET_UCHAR', colour.tobytes(), channels=3)
sound('meta-rgb.mhd', pages_xyz(colour), 1)
meta_lies('meta-rgb', 'MET_UCHAR', colour.tobytes(), 'MET_USHORT', channels=3)
write_meta('meta-rgb.lying-channels', 'MET_UCHAR', colour.tobytes(), channels=4)
refused('meta-rgb.lying-channels.mhd')


def vtk_write(name, values_zyx, compressed=False):
    """VTK's own MetaImage writer; values (z, y, x[, channel])."""
    image = vtk.vtkImageData()
    image.SetDimensions(MX, MY, MZ)
    image.SetSpacing(0.0117, 0.0039, 0.047)
    channels = values_zyx.shape[3] if values_zyx.ndim == 4 else 1
    flat = values_zyx.reshape(-1, channels) if channels > 1 else values_zyx.ravel()
    array = numpy_support.numpy_to_vtk(np.ascontiguousarray(flat), deep=True)
    image.GetPointData().SetScalars(array)
    writer = vtk.vtkMetaImageWriter()
    writer.SetInputData(image)
    writer.SetFileName(path(name + '.mhd'))
    writer.SetRAWFileName(path(name + ('.zraw' if compressed else '.raw')))
    writer.SetCompression(compressed)
    writer.Write()


for name, values, compressed in (('vtk-uchar', meta_values['MET_UCHAR'][1].astype(np.uint8), False),
                                 ('vtk-short', meta_values['MET_SHORT'][1].astype(np.int16), False),
                                 ('vtk-float', meta_values['MET_FLOAT'][1].astype(np.float32), False),
                                 ('vtk-rgb', colour, False),
                                 ('vtk-ushort-zlib', meta_values['MET_USHORT'][1].astype(np.uint16), True)):
    vtk_write(name, values, compressed)
    stored = values.astype(np.float64)
    if stored.ndim == 4:
        stored = stored[..., 0]
    stored = stored.transpose(2, 1, 0)
    converted = stretched(stored) if values.dtype == np.float32 else saturated(stored)
    sound(name + '.mhd', converted, 1 if values.dtype == np.uint8 else 2)
with open(path('vtk-ushort-zlib.zraw'), 'rb') as f:
    packed_voxels = f.read()
with open(path('vtk-ushort-zlib.mhd')) as f:
    zlib_header = f.read()
with open(path('vtk-ushort-zlib.cut.mhd'), 'w') as f:
    f.write(zlib_header.replace('vtk-ushort-zlib.zraw', 'vtk-ushort-zlib.cut.zraw'))
with open(path('vtk-ushort-zlib.cut.zraw'), 'wb') as f:
    f.write(packed_voxels[:len(packed_voxels) // 2])
refused('vtk-ushort-zlib.cut.mhd')

with open(path('cases.txt'), 'w') as f:
    f.write('\n'.join(cases) + '\n')
