#include "data/LOCTVolume.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/MemoryLimit.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <vector>

namespace {

// Every fixture has distinct sizes per axis, so that an axis mix-up fails.
constexpr int kX = 6, kY = 4, kZ = 3;

unsigned Pattern(int x, int y, int z) { return unsigned(x + 7 * y + 31 * z); }

// The pattern as a volume would hold it, x fastest, scaled as the fixture stores it.
std::vector<unsigned short> ExpectedVoxels(unsigned scale)
{
  std::vector<unsigned short> voxels;
  for (int z = 0; z < kZ; ++z)
    for (int y = 0; y < kY; ++y)
      for (int x = 0; x < kX; ++x)
        voxels.push_back(static_cast<unsigned short>(Pattern(x, y, z) * scale));
  return voxels;
}

std::vector<unsigned short> VoxelsOf(const LOCTVolume& v)
{
  return std::vector<unsigned short>(v.Voxels(), v.Voxels() + v.VoxelCount());
}

std::set<std::string> EntriesIn(const std::filesystem::path& folder)
{
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// Runs a Python script with Debian's interpreter, which has the oracle modules, in a folder.
void RunPython(const TempDir& dir, const std::string& script)
{
  ASSERT_TRUE(fixtures::WriteText(dir.File("oracle.py"), script));
  std::string output;
  ASSERT_EQ(fixtures::RunCommand("cd '" + dir.Path().string() + "' && /usr/bin/python3 oracle.py 2>&1",
                                 &output), 0) << output;
  std::filesystem::remove(dir.Path() / "oracle.py");
}

// A MetaImage header and its data file, written by hand.
void WriteMetaImagePair(const TempDir& dir, const std::string& base, const std::string& elementType,
                        const std::vector<unsigned char>& data)
{
  std::ostringstream header;
  header << "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
         << "ElementSpacing = 0.01 0.002 0.05\nDimSize = " << kX << " " << kY << " " << kZ << "\n"
         << "ElementType = " << elementType << "\nElementDataFile = " << base << ".raw\n";
  ASSERT_TRUE(fixtures::WriteText(dir.File(base + ".mhd"), header.str()));
  ASSERT_TRUE(fixtures::WriteBytes(dir.File(base + ".raw"), data.data(), data.size()));
}

template <typename T> std::vector<unsigned char> Bytes(const std::vector<T>& values)
{
  std::vector<unsigned char> bytes(values.size() * sizeof(T));
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

template <typename T> std::vector<T> PatternAs(unsigned scale)
{
  std::vector<T> values;
  for (unsigned short v : ExpectedVoxels(scale))
    values.push_back(static_cast<T>(v));
  return values;
}

// A read with its standard output and error captured (and only the read: a failed check
// prints on standard output too).
struct ReadOutcome {
  int result;
  std::string out;
  std::string err;
};

ReadOutcome Read(LOCTVolume& v, const std::string& path)
{
  StdoutCapture out;
  StdoutCapture err(2);
  const int result = v.ReadScanFile(path);
  return {result, out.Text(), err.Text()};
}

void ExpectPatternVolume(const LOCTVolume& v, ScanFormat format, int bytes, unsigned scale)
{
  EXPECT_TRUE(v.loaded);
  EXPECT_EQ(v.format, format);
  EXPECT_EQ(v.bytesPerVoxel, bytes);
  EXPECT_EQ(v.laterality, LateralityNA);
  EXPECT_EQ(v.centerType, CenterNA);
  ASSERT_EQ(v.sizeX, kX);
  ASSERT_EQ(v.sizeY, kY);
  ASSERT_EQ(v.sizeZ, kZ);
  EXPECT_FLOAT_EQ(v.spacingX, 0.01f);
  EXPECT_FLOAT_EQ(v.spacingY, 0.002f);
  EXPECT_FLOAT_EQ(v.spacingZ, 0.05f);
  EXPECT_EQ(VoxelsOf(v), ExpectedVoxels(scale));
}

TEST(ItkVolumeRead, MetaImageValueRangeFollowsTheFilesPixelType)
{
  const TempDir dir;
  const struct {
    const char* elementType;
    std::vector<unsigned char> data;
    unsigned scale;
    int bytesPerVoxel;
  } cases[] = {
      {"MET_UCHAR", Bytes(PatternAs<uint8_t>(1)), 1, 1},
      {"MET_USHORT", Bytes(PatternAs<uint16_t>(300)), 300, 2},
      {"MET_SHORT", Bytes(PatternAs<int16_t>(3)), 3, 2},
      {"MET_FLOAT", Bytes(PatternAs<float>(2)), 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elementType);
    WriteMetaImagePair(dir, c.elementType, c.elementType, c.data);
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File(std::string(c.elementType) + ".mhd"));
    ASSERT_EQ(read.result, kScanOk) << read.out << read.err;
    EXPECT_EQ(read.out, "");
    ExpectPatternVolume(v, FormatMetaImage, c.bytesPerVoxel, c.scale);
  }
}

TEST(ItkVolumeRead, NiftiAndAnalyzeWrittenByNibabel)
{
  const TempDir dir;
  RunPython(dir, R"(
import nibabel as nib, numpy as np
x, y, z = np.meshgrid(np.arange(6), np.arange(4), np.arange(3), indexing='ij')
p = x + 7 * y + 31 * z
affine = np.diag([0.01, 0.002, 0.05, 1])
nib.save(nib.Nifti1Image(p.astype(np.uint8), affine), 'u8.nii')
nib.save(nib.Nifti1Image((p * 300).astype(np.uint16), affine), 'scan.NII.GZ')
nib.save(nib.AnalyzeImage(p.astype(np.int16), affine), 'an.hdr')
)");
  const struct {
    const char* name;
    ScanFormat format;
    int bytesPerVoxel;
    unsigned scale;
  } cases[] = {
      {"u8.nii", FormatNIfTI, 1, 1},
      {"scan.NII.GZ", FormatNIfTI, 2, 300},
      {"an.hdr", FormatAnalyze, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File(c.name));
    ASSERT_EQ(read.result, kScanOk) << read.out << read.err;
    EXPECT_EQ(read.out, "");
    EXPECT_EQ(read.err, "") << "no deprecation note for Analyze files";
    ExpectPatternVolume(v, c.format, c.bytesPerVoxel, c.scale);
  }
}

TEST(ItkVolumeRead, TiffMustHoldSeveralPages)
{
  const TempDir dir;
  // 100 pixels per inch: the toolkit reads 0.254 mm per pixel.
  RunPython(dir, R"(
import tifffile, numpy as np
x, y, z = np.meshgrid(np.arange(6), np.arange(4), np.arange(3), indexing='ij')
pages = (x + 7 * y + 31 * z).transpose(2, 1, 0)
tifffile.imwrite('multi.tif', (pages * 300).astype(np.uint16), photometric='minisblack',
                 resolution=(100, 100), resolutionunit='INCH')
tifffile.imwrite('single.TIFF', pages[0].astype(np.uint8))
)");
  {
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File("multi.tif"));
    ASSERT_EQ(read.result, kScanOk) << read.out << read.err;
    EXPECT_EQ(read.out, "Warning: Please input the correct voxel size using SetVoxelSize(), "
                          "Default voxle size = 1.0 1.0 1.0 mm3\n");
    EXPECT_EQ(v.format, FormatTIFF);
    EXPECT_EQ(v.bytesPerVoxel, 2);
    ASSERT_EQ(v.sizeX, kX);
    ASSERT_EQ(v.sizeY, kY);
    ASSERT_EQ(v.sizeZ, kZ);
    EXPECT_FLOAT_EQ(v.spacingX, 0.254f);
    EXPECT_FLOAT_EQ(v.spacingY, 0.254f);
    EXPECT_EQ(VoxelsOf(v), ExpectedVoxels(300));
  }
  LOCTVolume v;
  const ReadOutcome read = Read(v, dir.File("single.TIFF"));
  EXPECT_EQ(read.result, kScan2DTiff);
  EXPECT_EQ(read.out, "Error: 2D TIFF\n");
}

TEST(ItkVolumeRead, BrokenFilesFailWithoutTouchingTheVolume)
{
  const TempDir dir;
  // Whole files and cut copies, of 16-bit voxels and (names with 8) of bytes, which take
  // their own way into 16 bits; "packed" is a MetaImage with compressed voxels after its
  // header, "inline" one with plain voxels after it, "text" one with voxels written as text.
  // A compressed NIfTI cut after its header (cut8.nii.gz) keeps a header that promises more
  // voxels than its stream holds.
  RunPython(dir, R"(
import nibabel as nib, numpy as np, tifffile, zlib
for bits, data in (('', np.arange(6 * 4 * 3, dtype=np.uint16).reshape(6, 4, 3)),
                   ('8', (np.arange(6 * 4 * 3) * 37 % 251).astype(np.uint8).reshape(6, 4, 3))):
    nib.save(nib.Nifti1Image(data, np.eye(4)), 'whole%s.nii' % bits)
    nib.save(nib.Nifti1Image(data, np.eye(4)), 'whole%s.nii.gz' % bits)
    tifffile.imwrite('whole%s.tif' % bits, data.transpose(2, 1, 0), photometric='minisblack')
    head = b'ObjectType = Image\nNDims = 3\nDimSize = 6 4 3\nElementType = %s\n' % (b'MET_UCHAR' if bits else b'MET_USHORT')
    voxels = data.transpose(2, 1, 0).tobytes()
    open('whole%s.inline.mha' % bits, 'wb').write(head + b'ElementDataFile = LOCAL\n' + voxels)
    packed = zlib.compress(voxels)
    open('whole%s.packed.mha' % bits, 'wb').write(head + b'CompressedData = True\nCompressedDataSize = %d\n' % len(packed) +
                                                  b'ElementDataFile = LOCAL\n' + packed)
    if not bits:
        text = ' '.join(str(v) for v in data.transpose(2, 1, 0).ravel()).encode()
        open('whole.text.mha', 'wb').write(head + b'BinaryData = False\nElementDataFile = LOCAL\n' + text + b'\n')
    for name, keep in (('nii', 0.5), ('nii.gz', 0.5), ('tif', 0.03), ('inline.mha', 0.95), ('packed.mha', 0.9)):
        raw = open('whole%s.%s' % (bits, name), 'rb').read()
        open('cut%s.%s' % (bits, name), 'wb').write(raw[:int(len(raw) * keep)])
)");
  for (const char* whole : {"whole.inline.mha", "whole.packed.mha", "whole8.inline.mha", "whole8.packed.mha",
                            "whole8.nii", "whole8.nii.gz", "whole.text.mha"}) {
    SCOPED_TRACE(whole);
    LOCTVolume v;
    ASSERT_EQ(Read(v, dir.File(whole)).result, kScanOk);
    EXPECT_EQ(v.Voxels()[71], whole[5] == '8' ? 71 * 37 % 251 : 71);
  }
  WriteMetaImagePair(dir, "good", "MET_USHORT", Bytes(PatternAs<uint16_t>(1)));
  std::vector<unsigned char> half = Bytes(PatternAs<uint16_t>(1));
  half.resize(half.size() / 2);
  WriteMetaImagePair(dir, "short", "MET_USHORT", half);
  WriteMetaImagePair(dir, "nodata", "MET_USHORT", {});
  std::filesystem::remove(dir.Path() / "nodata.raw");
  const auto header = [&](const std::string& name, const std::string& text) {
    EXPECT_TRUE(fixtures::WriteText(dir.File(name), text));
    return name;
  };
  const std::string kHead = "ObjectType = Image\nNDims = 3\nElementType = MET_USHORT\n";

  const struct {
    std::string name;
    int result;
  } cases[] = {
      {"missing.mhd", kScanOpenFailed},
      {header("empty.mhd", ""), kScanOpenFailed},
      {header("garbage.mhd", std::string("\x89\x01\xff\0zz\n=\n", 9)), kScanOpenFailed},
      {header("nosize.mhd", kHead + "ElementDataFile = good.raw\n"), kScanOpenFailed},
      {header("noaxes.mhd", "ObjectType = Image\nNDims = 0\nDimSize = 6 4 3\nElementType = MET_USHORT\n"
                            "ElementDataFile = good.raw\n"),
       kScanOpenFailed},
      {header("text2d.mhd", "ObjectType = Image\nNDims = 2\nDimSize = 3 2\nBinaryData = False\n"
                            "ElementType = MET_USHORT\nElementDataFile = LOCAL\n1 2 3 4 5 6\n"),
       kScanOpenFailed},
      {header("huge.mhd", kHead + "DimSize = 100000 100000 100000\nElementDataFile = good.raw\n"),
       kScanUnsupported},
      {header("overflow.mhd", kHead + "DimSize = 4294967296 4294967296 2\nElementDataFile = good.raw\n"),
       kScanUnsupported},
      {"short.mhd", kScanOpenFailed},
      {"nodata.mhd", kScanOpenFailed},
      {"cut.inline.mha", kScanOpenFailed},
      {"cut.packed.mha", kScanOpenFailed},
      {"cut.nii", kScanOpenFailed},
      {"cut.nii.gz", kScanOpenFailed},
      {"cut.tif", kScanOpenFailed},
      {"cut8.inline.mha", kScanOpenFailed},
      {"cut8.packed.mha", kScanOpenFailed},
      {"cut8.nii", kScanOpenFailed},
      {"cut8.nii.gz", kScanOpenFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LOCTVolume fresh;
    LOCTVolume earlier;
    ASSERT_EQ(earlier.ReadScanFile(dir.File("good.mhd")), kScanOk);
    const auto* earlierImage = earlier.image.GetPointer();
    const ReadOutcome read = Read(fresh, dir.File(c.name));
    EXPECT_EQ(read.result, c.result) << read.out << read.err;
    if (c.result == kScanUnsupported)
      EXPECT_EQ(read.out, "Error: Unsupported OCT\n");
    else
      EXPECT_NE(read.err, "") << "the reason goes to standard error";
    EXPECT_EQ(Read(earlier, dir.File(c.name)).result, c.result);
    EXPECT_FALSE(fresh.loaded);
    EXPECT_FALSE(fresh.image);
    EXPECT_EQ(earlier.image.GetPointer(), earlierImage);
    EXPECT_EQ(earlier.sizeX, kX);
    EXPECT_EQ(earlier.format, FormatMetaImage);
  }
}

TEST(ItkVolumeRead, VoxelsOutsideTheUnsignedRangeAreSaturatedRoundedOrStretched)
{
  const TempDir dir;
  // Six voxels in a 3 x 2 x 1 volume each; nibabel writes what other software writes.
  RunPython(dir, R"(
import nibabel as nib, numpy as np
def save(name, values, dtype, **kw):
    img = nib.Nifti1Image(np.array(values, dtype=dtype).reshape(3, 2, 1, order='F'), np.eye(4))
    if 'slope' in kw:
        img.header.set_slope_inter(kw['slope'], 0)
    if 'big' in kw:
        img = nib.Nifti1Image(img.get_fdata().astype(np.dtype(dtype).newbyteorder('>')), np.eye(4),
                              header=img.header.as_byteswapped('>'))
    nib.save(img, name)
save('signed.nii', [-5, 0, 3, 32767, -32768, 100], np.int16)
save('big-endian.nii', [-5, 0, 3, 32767, -32768, 100], np.int16, big=True)
save('wide.nii', [-1, 70000, 65535, 2, 0, 2000000000], np.int32)
save('whole-floats.nii', [-1.0, 2.0, 1e10, float('nan'), 65535.0, 7.0], np.float32)
save('fractions.nii', [0.0, 0.25, 0.5, 1.0, float('nan'), 0.125], np.float32)
save('doubles.nii', [-2.0, -1.5, 0.5, 2.0, 1e300, 1.0], np.float64)
save('scaled.nii', [0, 1, 3, 5, 7, 200], np.uint8, slope=0.5)
)");
  const struct {
    const char* name;
    std::vector<unsigned short> voxels;
    bool stretched;
  } cases[] = {
      {"signed.nii", {0, 0, 3, 32767, 0, 100}, false},
      {"big-endian.nii", {0, 0, 3, 32767, 0, 100}, false},
      {"wide.nii", {0, 65535, 65535, 2, 0, 65535}, false},
      {"whole-floats.nii", {0, 2, 65535, 0, 65535, 7}, false},
      {"fractions.nii", {0, 16384, 32768, 65535, 0, 8192}, true},
      // The finite range -2 to 1e300: every ordinary value lies at its bottom.
      {"doubles.nii", {0, 0, 0, 0, 65535, 0}, true},
      // 0.5 steps from a scale factor are rounded half away from zero, not cut.
      {"scaled.nii", {0, 1, 2, 3, 4, 100}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File(c.name));
    ASSERT_EQ(read.result, kScanOk) << read.out << read.err;
    EXPECT_EQ(VoxelsOf(v), c.voxels);
    EXPECT_EQ(v.bytesPerVoxel, 2);
    EXPECT_EQ(read.out.rfind("Warning: ", 0) == 0, c.stretched) << read.out;
  }
}

TEST(ItkVolumeRead, OnlyTheFirstVolumeOfAFourDimensionalFileIsKept)
{
  const TempDir dir;
  RunPython(dir, R"(
import nibabel as nib, numpy as np
x, y, z = np.meshgrid(np.arange(6), np.arange(4), np.arange(3), indexing='ij')
p = (x + 7 * y + 31 * z).astype(np.uint16)
nib.save(nib.Nifti1Image(np.stack([p, p + 1000], axis=3), np.diag([0.01, 0.002, 0.05, 1])), 'two.nii')
open('two.mhd', 'w').write('ObjectType = Image\nNDims = 4\nDimSize = 6 4 3 2\nElementSpacing = 0.01 0.002 0.05 1\n'
                           'ElementType = MET_USHORT\nElementDataFile = two.raw\n')
np.concatenate([p.transpose(2, 1, 0).ravel(), (p + 1000).transpose(2, 1, 0).ravel()]).tofile('two.raw')
)");
  for (const auto& [name, format] : {std::pair{"two.nii", FormatNIfTI}, std::pair{"two.mhd", FormatMetaImage}}) {
    SCOPED_TRACE(name);
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File(name));
    ASSERT_EQ(read.result, kScanOk) << read.out << read.err;
    EXPECT_EQ(read.out, "Warning: The file holds 2 volumes; only the first is read\n");
    ExpectPatternVolume(v, format, 2, 1);
  }
}

TEST(ItkVolumeRead, MetaImageDataInListedOrNumberedFiles)
{
  const TempDir dir;
  const std::vector<unsigned short> voxels = ExpectedVoxels(1);
  const size_t slice = size_t(kX) * kY;
  for (int z = 0; z < kZ; ++z) {
    const std::string name = "slice" + std::to_string(z + 1);
    ASSERT_TRUE(fixtures::WriteBytes(dir.File(name + ".raw"), &voxels[slice * size_t(z)], slice * 2));
    ASSERT_TRUE(fixtures::WriteBytes(dir.File("s" + std::string(z < 9 ? "00" : "0") + std::to_string(z + 1) + ".raw"),
                                     &voxels[slice * size_t(z)], slice * 2));
  }
  ASSERT_TRUE(fixtures::WriteBytes(dir.File("short.raw"), voxels.data(), slice));
  const std::string head = "ObjectType = Image\nNDims = 3\nDimSize = 6 4 3\n"
                           "ElementSpacing = 0.01 0.002 0.05\nElementType = MET_USHORT\n";
  const struct {
    const char* what;
    std::string dataFile;
    int result;
  } cases[] = {
      {"list", "LIST 2D\nslice1.raw\nslice2.raw\nslice3.raw\n", kScanOk},
      {"list without dimension", "LIST\nslice1.raw\nslice2.raw\nslice3.raw\n", kScanOk},
      {"pattern", "slice%d.raw 1 3 1\n", kScanOk},
      {"zero-padded pattern", "s%03d.raw 1 3 1\n", kScanOk},
      {"pattern without its step", "s%03d.raw 1 3\n", kScanOpenFailed},
      {"list one file short", "LIST 2D\nslice1.raw\nslice2.raw\n", kScanOpenFailed},
      {"listed file missing", "LIST 2D\nslice1.raw\nnone.raw\nslice3.raw\n", kScanOpenFailed},
      {"listed file short", "LIST 2D\nslice1.raw\nshort.raw\nslice3.raw\n", kScanOpenFailed},
      {"list of another kind", "LIST LOCAL\n", kScanOpenFailed},
      {"list with a blank line for a name", "LIST 2D\nslice1.raw\n\nslice2.raw\nslice3.raw\n", kScanOpenFailed},
      {"pattern numbering more files", "slice%d.raw 1 3000000 1\n", kScanOpenFailed},
      {"pattern step 0", "slice%d.raw 1 3 0\n", kScanOpenFailed},
      {"pattern file missing", "slice%d.raw 2 4 1\n", kScanOpenFailed},
      {"pattern with a text conversion", "slice%s.raw 1 3 1\n", kScanOpenFailed},
      {"pattern with two conversions", "s%d%d.raw 1 3 1\n", kScanOpenFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(fixtures::WriteText(dir.File("spread.mhd"), head + "ElementDataFile = " + c.dataFile));
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File("spread.mhd"));
    ASSERT_EQ(read.result, c.result) << read.out << read.err;
    if (c.result == kScanOk)
      ExpectPatternVolume(v, FormatMetaImage, 2, 1);
  }
}

TEST(ItkVolumeRead, TheExtensionChoosesTheDecoderAndHeadersMustFitTheirFiles)
{
  const TempDir dir;
  RunPython(dir, R"(
import nibabel as nib, numpy as np, struct, tifffile
png = b'\x89PNG\r\n\x1a\n'
for name in ('png.nii', 'png.hdr', 'png.tif', 'png.mhd'):
    open(name, 'wb').write(png)
open('png.img', 'wb').write(png)
data = np.zeros((6, 4, 3), dtype=np.int16)
nib.save(nib.Nifti1Image(data, np.eye(4)), 'small.nii')
nib.save(nib.Nifti1Image(data, np.eye(4)), 'small.nii.gz')
nib.save(nib.AnalyzeImage(data, np.eye(4)), 'small.hdr')
tifffile.imwrite('small.tif', data.transpose(2, 1, 0), photometric='minisblack')
def lie(name, offset, fmt, values):
    raw = bytearray(open('small.' + name, 'rb').read())
    struct.pack_into(fmt, raw, offset, *values)
    open('lying.' + name, 'wb').write(raw)
lie('nii', 40, '<8h', (3, 1024, 1024, 1024, 1, 1, 1, 1))
lie('hdr', 40, '<8h', (3, 1024, 1024, 1024, 1, 1, 1, 1))
open('lying.img', 'wb').write(open('small.img', 'rb').read())
# The gzip stream's size field at its end says how much it holds.
import gzip
raw = bytearray(gzip.decompress(open('small.nii.gz', 'rb').read()))
struct.pack_into('<8h', raw, 40, 3, 1024, 1024, 1024, 1, 1, 1, 1)
open('lying.nii.gz', 'wb').write(gzip.compress(bytes(raw)))
)");
  // A TIFF whose one strip claims 100000 x 100000 pixels.
  std::string tiff("II*\0\x08\0\0\0", 8);
  const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
    const unsigned char bytes[12] = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(type), 0, 1, 0, 0, 0,
                                     uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    tiff.append(reinterpret_cast<const char*>(bytes), 12);
  };
  tiff.append("\x06\0", 2);
  entry(256, 4, 100000);  // width
  entry(257, 4, 100000);  // height
  entry(258, 3, 16);      // bits per sample
  entry(259, 3, 1);       // no compression
  entry(273, 4, 8);       // strip offset
  entry(279, 4, 64);      // strip bytes
  tiff.append(4, '\0');
  ASSERT_TRUE(fixtures::WriteText(dir.File("lying.tif"), tiff));

  for (const char* name : {"png.nii", "png.hdr", "png.tif", "png.mhd", "lying.nii", "lying.hdr",
                           "lying.nii.gz", "lying.tif"}) {
    SCOPED_TRACE(name);
    LOCTVolume v;
    const ReadOutcome read = Read(v, dir.File(name));
    EXPECT_NE(read.result, kScanOk);
    EXPECT_FALSE(v.loaded);
  }
  for (const char* name : {"small.nii", "small.nii.gz", "small.hdr", "small.tif"}) {
    SCOPED_TRACE(name);
    LOCTVolume v;
    EXPECT_EQ(Read(v, dir.File(name)).result, kScanOk);
  }
}

// A volume made in memory, 16 x 24 x 6, with a pattern whose values depend on every axis.
void MakeVolume(LOCTVolume& v, int bytesPerVoxel)
{
  const int size[3] = {16, 24, 6};
  const float spacing[3] = {1.0f, 1.0f, 1.0f};
  EXPECT_EQ(v.CreateVolume(size, FormatHeidelberg, spacing, bytesPerVoxel, LateralityOS, CenterONH), 0);
  const float voxelSize[3] = {0.0115f, 0.0039f, 0.123f};
  v.SetVoxelSize(voxelSize);
  unsigned short* voxel = v.Voxels();
  for (int z = 0; z < 6; ++z)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 16; ++x)
        *voxel++ = static_cast<unsigned short>(bytesPerVoxel == 1 ? x + 16 * (y % 8) + z
                                                                  : x + 16 * y + 384 * z + 60000 * (z == 5));
}

TEST(ItkVolumeRead, ByteVolumesLargerThanASlabReadWhole)
{
  // 1024 x 1024 x 9 bytes: several slabs and a short last one, raw and compressed.
  const TempDir dir;
  RunPython(dir, R"(
import numpy as np, zlib
x, y, z = 1024, 1024, 9
v = ((np.arange(x * y * z, dtype=np.uint64) * 2654435761) >> 13).astype(np.uint8)
v.tofile('raw.raw')
open('zipped.zraw', 'wb').write(zlib.compress(v.tobytes()))
for name, extra in (('raw', ''), ('zipped', 'CompressedData = True\nCompressedDataSize = %d\n' % len(open('zipped.zraw', 'rb').read()))):
    open(name + '.mhd', 'w').write('ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n'
        + extra + 'ElementSpacing = 1 1 1\nDimSize = %d %d %d\nElementType = MET_UCHAR\nElementDataFile = %s\n'
        % (x, y, z, name + ('.zraw' if extra else '.raw')))
)");
  const std::string raw = fixtures::ReadAll(dir.File("raw.raw"));
  std::vector<unsigned short> widened(raw.size());
  for (size_t i = 0; i < raw.size(); ++i)
    widened[i] = static_cast<unsigned char>(raw[i]);
  for (const char* name : {"raw.mhd", "zipped.mhd"}) {
    SCOPED_TRACE(name);
    LOCTVolume v;
    ASSERT_EQ(v.ReadScanFile(dir.File(name)), kScanOk);
    EXPECT_EQ(v.bytesPerVoxel, 1);
    ASSERT_EQ(v.sizeZ, 9);
    EXPECT_TRUE(VoxelsOf(v) == widened);
  }
}

std::string HeaderValue(const std::string& header, const std::string& key)
{
  std::istringstream lines(header);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(key + " = ", 0) == 0)
      return line.substr(key.size() + 3);
  return "";
}

TEST(MetaImageWrite, RoundTripKeepsSizesSpacingAndVoxels)
{
  std::map<int, std::string> headers;
  for (const int bytesPerVoxel : {1, 2}) {
    SCOPED_TRACE(bytesPerVoxel);
    const TempDir dir;
    LOCTVolume written;
    MakeVolume(written, bytesPerVoxel);
    if (bytesPerVoxel == 1) {
      written.Voxels()[1] = 300;  // beyond the 8-bit range: clamped, never wrapped to 44
      written.Voxels()[2] = 256;
    }
    ASSERT_EQ(fixtures::WriteText(dir.File("v.mhd"), "old header"), true);
    ASSERT_EQ(written.WriteMetaImage(dir.File("v.mhd")), 0);
    EXPECT_EQ(EntriesIn(dir.Path()), (std::set<std::string>{"v.mhd", "v.raw"}));

    // The files read back by hand: the header's keys and the data file's bytes.
    const std::string header = fixtures::ReadAll(dir.File("v.mhd"));
    headers[bytesPerVoxel] = header;
    EXPECT_EQ(HeaderValue(header, "DimSize"), "16 24 6");
    EXPECT_EQ(HeaderValue(header, "ElementType"), bytesPerVoxel == 1 ? "MET_UCHAR" : "MET_USHORT");
    EXPECT_EQ(HeaderValue(header, "ElementDataFile"), "v.raw");
    EXPECT_EQ(HeaderValue(header, "BinaryDataByteOrderMSB"), "False");
    std::vector<unsigned short> expected = VoxelsOf(written);
    if (bytesPerVoxel == 1)
      expected[1] = expected[2] = 255;
    const std::string raw = fixtures::ReadAll(dir.File("v.raw"));
    ASSERT_EQ(raw.size(), expected.size() * size_t(bytesPerVoxel));
    std::vector<unsigned short> stored(expected.size());
    for (size_t i = 0; i < stored.size(); ++i)
      stored[i] = bytesPerVoxel == 1 ? static_cast<unsigned char>(raw[i])
                                     : static_cast<unsigned short>(static_cast<unsigned char>(raw[2 * i]) |
                                                                   static_cast<unsigned char>(raw[2 * i + 1]) << 8);
    EXPECT_EQ(stored, expected);

    LOCTVolume read;
    ASSERT_EQ(read.ReadScanFile(dir.File("v.mhd")), kScanOk);
    EXPECT_EQ(read.format, FormatMetaImage);
    EXPECT_EQ(read.bytesPerVoxel, bytesPerVoxel);
    EXPECT_EQ(read.sizeX, 16);
    EXPECT_EQ(read.sizeY, 24);
    EXPECT_EQ(read.sizeZ, 6);
    EXPECT_EQ(read.spacingX, 0.0115f);
    EXPECT_EQ(read.spacingY, 0.0039f);
    EXPECT_EQ(read.spacingZ, 0.123f);
    EXPECT_EQ(VoxelsOf(read), expected);
  }
  // The 8-bit copy keeps everything the image carries: its header is the 16-bit one's but
  // for the element type.
  std::string asBytes = headers[2];
  asBytes.replace(asBytes.find("MET_USHORT"), 10, "MET_UCHAR");
  EXPECT_EQ(headers[1], asBytes);
}

// The toolkit first used under a tight address-space limit: a write goes through or says
// that memory ran short, never ends the process, and one that fails replaces nothing.
TEST(MetaImageWrite, AToolkitFirstUsedUnderATightLimitWritesOrSaysMemoryRanShort)
{
  if (!fixtures::RunsScenarioHere())
    return;
  ::testing::Test::RecordProperty("memory_limit", fixtures::TightMemory::How());
  const TempDir dir;
  for (const int bytesPerVoxel : {1, 2}) {
    LOCTVolume volume;
    const int size[3] = {128, 256, 64};  // 4 MiB of voxels, half of it once in 8 bits
    const float spacing[3] = {0.01f, 0.004f, 0.05f};
    ASSERT_EQ(volume.CreateVolume(size, FormatNA, spacing, bytesPerVoxel, LateralityNA, CenterNA), 0);
    std::fill_n(volume.Voxels(), volume.VoxelCount(), static_cast<unsigned short>(300));
    const std::string path = dir.File("v" + std::to_string(bytesPerVoxel) + ".mhd");
    ASSERT_TRUE(fixtures::WriteText(path, "old header"));
    std::set<int> results;
    for (const uint64_t mebibytes : {0, 1, 2, 4, 6, 8, 12, 16, 32}) {
      SCOPED_TRACE(std::to_string(bytesPerVoxel) + " bytes with " + std::to_string(mebibytes) + " MiB to spare");
      const std::string before = fixtures::ReadAll(path);
      int result = 0;
      {
        const fixtures::TightMemory tight(mebibytes << 20);
        result = volume.WriteMetaImage(path);
      }
      results.insert(result);
      EXPECT_TRUE(result == 0 || result == kWriteNoMemory) << result;
      if (result != 0) {
        EXPECT_EQ(fixtures::ReadAll(path), before);
      }
    }
    EXPECT_EQ(results.count(0), 1u) << "not even the largest headroom was enough";
    EXPECT_EQ(fixtures::ReadAll(path.substr(0, path.size() - 4) + ".raw").size(),
              volume.VoxelCount() * size_t(bytesPerVoxel));
  }
}

TEST(MetaImageWrite, AnalyzePathWritesAPairThatNibabelReads)
{
  const TempDir dir;
  LOCTVolume v;
  MakeVolume(v, 2);
  ASSERT_EQ(v.WriteMetaImage(dir.File("scan.hdr")), 0);
  EXPECT_EQ(EntriesIn(dir.Path()), (std::set<std::string>{"scan.hdr", "scan.img"}));
  RunPython(dir, R"(
import nibabel as nib, numpy as np
img = nib.load('scan.hdr')
x, y, z = np.meshgrid(np.arange(16), np.arange(24), np.arange(6), indexing='ij')
expected = x + 16 * y + 384 * z + 60000 * (z == 5)
assert img.shape == (16, 24, 6), img.shape
assert np.array_equal(np.asarray(img.dataobj), expected), 'voxels differ'
assert np.allclose(img.header.get_zooms(), (0.0115, 0.0039, 0.123)), img.header.get_zooms()
)");
}

TEST(MetaImageWrite, FailedWriteKeepsTheOldFiles)
{
  const TempDir dir;
  LOCTVolume good;
  MakeVolume(good, 2);
  LOCTVolume badRange;
  MakeVolume(badRange, 2);
  badRange.bytesPerVoxel = 3;
  LOCTVolume empty;
  std::filesystem::create_directory(dir.Path() / "taken.raw");  // the data file's name is a folder
  std::filesystem::create_directory(dir.Path() / "folder.mhd");

  const struct {
    const char* what;
    const LOCTVolume& volume;
    std::string path;
  } cases[] = {
      {"missing folder", good, dir.File("missing/old.mhd")},
      {"data file name taken", good, dir.File("taken.mhd")},
      {"target is a folder", good, dir.File("folder.mhd")},
      {"unknown extension", good, dir.File("old.xyz")},
      {"value range 3 bytes", badRange, dir.File("old.mhd")},
      {"no voxels", empty, dir.File("old.mhd")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"old.mhd", "old.raw", "taken.mhd"})
      ASSERT_TRUE(fixtures::WriteText(dir.File(name), std::string("kept ") + name));
    {
      StdoutCapture quiet(2);
      EXPECT_EQ(c.volume.WriteMetaImage(c.path), -1);
    }
    for (const char* name : {"old.mhd", "old.raw", "taken.mhd"})
      EXPECT_EQ(fixtures::ReadAll(dir.File(name)), std::string("kept ") + name);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken.raw"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "taken.raw"));
    EXPECT_EQ(EntriesIn(dir.Path()),
              (std::set<std::string>{"old.mhd", "old.raw", "taken.mhd", "taken.raw", "folder.mhd"}))
        << "no staged file is left behind";
  }
}

// A label volume larger than the space a full disk leaves, 64 x 48 x 20 at 16 bits (120 KiB
// of data), with values that tell one write from another.
void MakeLargeVolume(LOCTVolume& v, unsigned short base)
{
  const int size[3] = {64, 48, 20};
  const float spacing[3] = {0.01f, 0.004f, 0.1f};
  EXPECT_EQ(v.CreateVolume(size, FormatMetaImage, spacing, 2, LateralityOD, CenterMacula), 0);
  for (size_t i = 0; i < v.VoxelCount(); ++i)
    v.Voxels()[i] = static_cast<unsigned short>(base + i % 1000);
}

// The toolkit's writer says nothing of a short write: a save on a full disk must still fail,
// leave the old header and data file byte for byte, and leave nothing under a new name.
TEST(MetaImageWrite, AFullDiskFailsAndKeepsTheOldFiles)
{
  const struct {
    const char* what;
    uint64_t left;  // bytes the disk keeps free
    const char* path;
  } cases[] = {
      {"over the old files, no room at all", 0, "v.mhd"},
      {"over the old files, room for half the data", 64 * 1024, "v.mhd"},
      {"under a new name, room for half the data", 64 * 1024, "w.mhd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SmallDisk disk;
    if (!disk.Mounted())
      GTEST_SKIP() << SmallDisk::SkipReason();
    LOCTVolume old, edited;
    MakeLargeVolume(old, 0);
    MakeLargeVolume(edited, 5000);
    ASSERT_EQ(old.WriteMetaImage(disk.File("v.mhd")), 0);
    const std::string oldHeader = fixtures::ReadAll(disk.File("v.mhd"));
    const std::string oldData = fixtures::ReadAll(disk.File("v.raw"));
    ASSERT_TRUE(disk.FillLeaving(c.left));
    {
      StdoutCapture quiet(2);
      EXPECT_EQ(edited.WriteMetaImage(disk.File(c.path)), -1);
    }
    EXPECT_EQ(fixtures::ReadAll(disk.File("v.mhd")), oldHeader);
    EXPECT_TRUE(fixtures::ReadAll(disk.File("v.raw")) == oldData) << "the old data file changed";
    EXPECT_EQ(EntriesIn(disk.Path()), (std::set<std::string>{"v.mhd", "v.raw", "filler"}));
  }
}

// A save into a shared folder where a colleague planted a link under the data file's name
// (or the header's) writes nothing: neither the file the link names nor a header that would
// send a reader to it. The program's own volumes (a prepared input) go through no link.
TEST(MetaImageWrite, AColleaguesLinkUnderEitherNameIsRefused)
{
  for (const char* planted : {"v_Vessel_Vamo.raw", "v_Vessel_Vamo.mhd"}) {
    SCOPED_TRACE(planted);
    const SharedFolder shared;
    if (!shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    const TempDir elsewhere;
    ASSERT_TRUE(fixtures::WriteText(elsewhere.File("precious"), "precious"));
    ASSERT_TRUE(shared.PlantLink(planted, elsewhere.File("precious")));
    LOCTVolume v;
    MakeVolume(v, 1);
    const StdoutCapture quiet;
    EXPECT_EQ(v.WriteMetaImage(shared.File("v_Vessel_Vamo.mhd"), writetarget::WriteOrigin::kUser), -1);
    EXPECT_EQ(v.WriteMetaImage(shared.File("v_Vessel_Vamo.mhd"), writetarget::WriteOrigin::kProgram), -1);
    EXPECT_EQ(fixtures::ReadAll(elsewhere.File("precious")), "precious");
    EXPECT_EQ(EntriesIn(shared.Path()), (std::set<std::string>{planted})) << "nothing else was written";
  }
}

// A header and data file that are the user's own links stay links; the files they name are
// replaced, and names up to the longest a name can be are written.
TEST(MetaImageWrite, LinksAndLongNames)
{
  const TempDir dir;
  LOCTVolume v;
  MakeVolume(v, 2);
  std::filesystem::create_directory(dir.Path() / "real");
  ASSERT_TRUE(fixtures::WriteText(dir.File("real/v.mhd"), "old header"));
  ASSERT_TRUE(fixtures::WriteText(dir.File("real/v.raw"), "old data"));
  std::filesystem::create_symlink("real/v.mhd", dir.Path() / "v.mhd");
  std::filesystem::create_symlink("real/v.raw", dir.Path() / "v.raw");
  ASSERT_EQ(v.WriteMetaImage(dir.File("v.mhd"), writetarget::WriteOrigin::kUser), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "v.mhd"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "v.raw"));
  EXPECT_EQ(EntriesIn(dir.Path() / "real"), (std::set<std::string>{"v.mhd", "v.raw"}));
  LOCTVolume read;
  ASSERT_EQ(read.ReadScanFile(dir.File("v.mhd")), kScanOk);
  EXPECT_EQ(VoxelsOf(read), VoxelsOf(v));

  const std::string longName = "e_Vessel_" + std::string(255 - 13, 'v') + ".mhd";
  ASSERT_EQ(longName.size(), 255u);
  ASSERT_EQ(v.WriteMetaImage(dir.File(longName)), 0);
  ASSERT_EQ(read.ReadScanFile(dir.File(longName)), kScanOk);
  EXPECT_EQ(VoxelsOf(read), VoxelsOf(v));
}

}  // namespace
