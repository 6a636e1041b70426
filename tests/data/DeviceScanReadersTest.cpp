// Zeiss and Optovue raw, Topcon .fds and Heidelberg .vol: real device files checked
// against numpy reading the same bytes, small byte-built fixtures for each voxel order,
// and truncated or lying headers, which must be refused without reading past the data.
#include "data/DeviceScanHeaders.h"
#include "data/LOCTVolume.h"
#include "fixtures/ByteWriter.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <sstream>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const char kUnsupported[] = "Error: Unsupported OCT\n";

uint16_t Voxel(const LOCTVolume& v, int x, int y, int z)
{
  return v.Voxels()[x + uint64_t(v.sizeX) * (y + uint64_t(v.sizeY) * z)];
}

uint64_t VoxelSum(const LOCTVolume& v)
{
  uint64_t sum = 0;
  for (uint64_t i = 0; i < v.VoxelCount(); ++i)
    sum += v.Voxels()[i];
  return sum;
}

// Reads a scan and returns its result with what it printed on standard output.
std::pair<int, std::string> Read(LOCTVolume& v, const std::string& path)
{
  const StdoutCapture out;
  const int result = v.ReadScanFile(path);
  return {result, out.Text()};
}

// A file of the given size that holds only the marked bytes; the rest is a hole, so the
// full-size headerless formats cost no disk.
void WriteSparse(const std::string& path, off_t size,
                 const std::vector<std::pair<off_t, std::vector<unsigned char>>>& marks)
{
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  for (const auto& [offset, bytes] : marks)
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), ssize_t(bytes.size()));
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
}

std::vector<unsigned char> FloatBytes(float f)
{
  ByteWriter w;
  w.Put(f);
  return w.Bytes();
}

// numpy's reading of a file: the voxel sum, then probes at the corners, the brightest
// voxel and a spread of non-zero voxels.
struct Oracle {
  uint64_t sum = 0;
  struct Probe { int x, y, z; unsigned value; };
  std::vector<Probe> probes;
};

// The script's head leaves the volume in vol as a (Z, Y, X) array.
const char kOracleTail[] = R"(
Z, Y, X = vol.shape
pts = [(0, 0, 0), (X - 1, 0, 0), (0, Y - 1, Z - 1), (X - 1, Y - 1, Z - 1)]
z, y, x = np.unravel_index(int(np.argmax(vol)), vol.shape); pts.append((x, y, z))
nz = np.argwhere(vol)
for i in (np.linspace(0, len(nz) - 1, 12).astype(int) if len(nz) else []):
    z, y, x = nz[i]; pts.append((x, y, z))
print(int(vol.sum(dtype=np.uint64)))
for x, y, z in pts: print(x, y, z, int(vol[z, y, x]))
)";

const char kHeidelbergOracle[] = R"(import sys, struct, numpy as np
d = open(sys.argv[1], 'rb').read()
X, Z, Y = struct.unpack_from('<3i', d, 12)
W, H = struct.unpack_from('<2i', d, 48)
S, = struct.unpack_from('<i', d, 100)
vol = np.zeros((Z, Y, X), np.uint16)
for k in range(Z):
    a = np.frombuffer(d, '<f4', X * Y, 2048 + W * H + k * (S + 4 * X * Y) + S)
    a = a.astype(np.float64).reshape(Y, X)
    a = np.where((a > 0) & (a <= 1), a, 0)
    vol[Z - 1 - k] = np.floor(np.power(a, 0.25) * 65535 + 0.5)
)";

const char kTopconOracle[] = R"(import sys, struct, numpy as np
d = open(sys.argv[1], 'rb').read()
j = d.find(b'@IMG_SCAN')
X, Y, bits, Z = struct.unpack_from('<4i', d, j + 17)
vol = np.frombuffer(d, '>u2', X * Y * Z, j + 37).reshape(Z, Y, X)
)";

Oracle RunOracle(const TempDir& dir, const std::string& head, const std::string& path)
{
  const std::string script = dir.File("oracle.py");
  EXPECT_TRUE(fixtures::WriteText(script, head + kOracleTail));
  std::string output;
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + path, &output), 0);
  Oracle oracle;
  std::istringstream lines(output);
  lines >> oracle.sum;
  Oracle::Probe p{};
  while (lines >> p.x >> p.y >> p.z >> p.value)
    oracle.probes.push_back(p);
  EXPECT_GT(oracle.probes.size(), 5u) << output;
  return oracle;
}

void ExpectMatches(const LOCTVolume& v, const Oracle& oracle)
{
  EXPECT_EQ(VoxelSum(v), oracle.sum);
  for (const Oracle::Probe& p : oracle.probes)
    EXPECT_EQ(Voxel(v, p.x, p.y, p.z), p.value) << "at " << p.x << " " << p.y << " " << p.z;
}

// ---- real device files ----

TEST(DeviceScanSamples, HeidelbergVolReadsAsNumpyReadsIt)
{
  const TempDir dir;
  const std::string path = fixtures::CopySample("heidelberg_valid.vol", dir.Path().string());
  LOCTVolume v;
  const auto [result, out] = Read(v, path);
  ASSERT_EQ(result, kScanOk) << out;
  EXPECT_TRUE(v.loaded);
  EXPECT_EQ(v.format, FormatHeidelberg);
  EXPECT_EQ(v.sizeX, 768);
  EXPECT_EQ(v.sizeY, 496);
  EXPECT_EQ(v.sizeZ, 1);
  EXPECT_NEAR(v.spacingX, 0.017891, 1e-6);
  EXPECT_NEAR(v.spacingY, 0.0038717, 1e-7);
  EXPECT_EQ(v.spacingZ, 0.0f);
  EXPECT_EQ(v.bytesPerVoxel, 2);
  EXPECT_EQ(v.laterality, LateralityOD);
  EXPECT_EQ(v.centerType, CenterNA);
  ExpectMatches(v, RunOracle(dir, kHeidelbergOracle, path));
}

TEST(DeviceScanSamples, TopconFdsReadsWithItsHeadersSizes)
{
  const TempDir dir;
  const std::string path = fixtures::CopySample("topcon_minimized.fds", dir.Path().string());
  LOCTVolume v;
  const auto [result, out] = Read(v, path);
  ASSERT_EQ(result, kScanOk);
  EXPECT_EQ(out, "Warning: Unknown Topcon depth of 3 samples, voxel height 0.0026 mm assumed\n");
  EXPECT_TRUE(v.loaded);
  EXPECT_EQ(v.format, FormatTopcon);
  EXPECT_EQ(v.sizeX, 2);
  EXPECT_EQ(v.sizeY, 3);
  EXPECT_EQ(v.sizeZ, 4);
  EXPECT_EQ(v.bytesPerVoxel, 2);
  EXPECT_EQ(v.spacingX, 3.0f);
  EXPECT_EQ(v.spacingY, 0.0026f);
  EXPECT_EQ(v.spacingZ, 1.5f);
  ExpectMatches(v, RunOracle(dir, kTopconOracle, path));

  // The same real file with a depth the devices write (the file holds enough bytes after
  // the record for it) reads its voxels as numpy reads them.
  std::string bytes = fixtures::ReadAll(path);
  ASSERT_EQ(bytes.find("@IMG_SCAN"), 907u);
  ByteWriter depth;
  depth.Put<int32_t>(480);
  bytes.replace(907 + 21, 4, reinterpret_cast<const char*>(depth.Bytes().data()), 4);
  const std::string patched = dir.File("deeper.fds");
  ASSERT_TRUE(fixtures::WriteText(patched, bytes));
  LOCTVolume deeper;
  ASSERT_EQ(Read(deeper, patched).first, kScanOk);
  EXPECT_EQ(deeper.sizeY, 480);
  EXPECT_EQ(deeper.spacingY, 0.0035f);
  ExpectMatches(deeper, RunOracle(dir, kTopconOracle, patched));
}

// ---- Heidelberg ----

struct VolSpec {
  int32_t sizeX = 3, sizeY = 4, sizeZ = 2;
  int32_t fundusW = 5, fundusH = 2, headerSize = 7;
  std::string eye = "OS";
};

// Sample of file B-scan k at (x, y): distinct, inside (0, 1).
float VolSample(int x, int y, int k) { return float(1 + x + 3 * y + 12 * k) / 64.0f; }

ByteWriter BuildVol(const VolSpec& s, const std::function<float(int, int, int)>& sample = VolSample)
{
  ByteWriter w;
  w.PutText("HSF-OCT-103", 12).Put(s.sizeX).Put(s.sizeZ).Put(s.sizeY);
  w.Put(0.011).Put(0.125).Put(0.0039);  // spacing x, z, y
  w.Put(s.fundusW).Put(s.fundusH).PutZeros(28).PutText(s.eye, 4).PutZeros(12).Put(s.headerSize);
  w.PutZeros(2048 - 104 + size_t(s.fundusW) * size_t(s.fundusH));
  for (int k = 0; k < s.sizeZ; ++k) {
    w.PutZeros(size_t(s.headerSize));
    for (int y = 0; y < s.sizeY; ++y)
      for (int x = 0; x < s.sizeX; ++x)
        w.Put(sample(x, y, k));
  }
  return w;
}

uint16_t FourthRootValue(float f) { return uint16_t(std::floor(std::pow(double(f), 0.25) * 65535 + 0.5)); }

TEST(HeidelbergVol, StoresFileBscansInReverseWithTheirRowsAsTheyAre)
{
  const TempDir dir;
  ASSERT_TRUE(BuildVol(VolSpec{}).SaveTo(dir.File("a.vol")));
  LOCTVolume v;
  ASSERT_EQ(Read(v, dir.File("a.vol")).first, kScanOk);
  EXPECT_EQ(v.sizeX, 3);
  EXPECT_EQ(v.sizeY, 4);
  EXPECT_EQ(v.sizeZ, 2);
  EXPECT_EQ(v.spacingX, 0.011f);
  EXPECT_EQ(v.spacingY, 0.0039f);
  EXPECT_EQ(v.spacingZ, 0.125f);
  for (int k = 0; k < 2; ++k)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(Voxel(v, x, y, 1 - k), FourthRootValue(VolSample(x, y, k))) << x << y << k;
}

TEST(HeidelbergVol, SamplesOutsideZeroToOneStoreZero)
{
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct { float sample; uint16_t value; } kCases[] = {
    {1.0f, 65535}, {0.0001f, 6553},  // the float nearest 0.0001 lies just below it {0.0625f, 32768}, {0.0f, 0}, {1.5f, 0},
    {std::numeric_limits<float>::max(), 0}, {-0.25f, 0}, {-1e-30f, 0}, {nan, 0},
  };
  const TempDir dir;
  const int count = int(std::size(kCases));
  const VolSpec spec{count, 1, 1, 0, 0, 0, "OD"};
  ASSERT_TRUE(BuildVol(spec, [&](int x, int, int) { return kCases[x].sample; }).SaveTo(dir.File("a.vol")));
  LOCTVolume v;
  ASSERT_EQ(Read(v, dir.File("a.vol")).first, kScanOk);
  for (int x = 0; x < count; ++x)
    EXPECT_EQ(Voxel(v, x, 0, 0), kCases[x].value) << "sample " << kCases[x].sample;
}

TEST(HeidelbergVol, EyeTextGivesLaterality)
{
  const struct { std::string eye; Laterality laterality; } kCases[] = {
    {"OD", LateralityOD}, {"OS", LateralityOS}, {"", LateralityNA}, {"ODX", LateralityNA},
    {"OSOS", LateralityNA}, {"od", LateralityNA},
  };
  const TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.eye);
    VolSpec spec;
    spec.eye = c.eye;
    ASSERT_TRUE(BuildVol(spec).SaveTo(dir.File("a.vol")));
    LOCTVolume v;
    ASSERT_EQ(Read(v, dir.File("a.vol")).first, kScanOk);
    EXPECT_EQ(v.laterality, c.laterality);
  }
}

TEST(HeidelbergVol, TruncatedOrLyingHeadersAreRefused)
{
  const ByteWriter valid = BuildVol(VolSpec{});
  const size_t full = valid.Size();
  const struct { const char* what; size_t keep; size_t at; int32_t value; } kCases[] = {
    {"empty", 0, 0, 0},
    {"inside the header", 50, 0, 0},
    {"inside the fundus image", 2052, 0, 0},
    {"last sample short", full - 1, 0, 0},
    {"no A-scans", full, 12, 0},
    {"negative B-scan count", full, 16, -2},
    {"negative depth", full, 20, -4},
    {"negative fundus width", full, 48, -5},
    {"fundus larger than the file", full, 52, 1 << 30},
    {"negative B-scan header", full, 100, -7},
    {"B-scan header larger than the file", full, 100, 1 << 30},
    {"more B-scans than the file holds", full, 16, 3},
    {"voxel count beyond any device", full, 12, 1 << 30},
  };
  const TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ByteWriter lying = valid;
    if (c.at != 0)
      lying.PatchAt(c.at, c.value);
    ASSERT_TRUE(fixtures::WriteBytes(dir.File("a.vol"), lying.Bytes().data(), c.keep));
    LOCTVolume v;
    const auto [result, out] = Read(v, dir.File("a.vol"));
    EXPECT_EQ(result, kScanUnsupported);
    EXPECT_EQ(out, kUnsupported);
    EXPECT_FALSE(v.loaded);
  }
}

// ---- Topcon ----

struct FdsSpec {
  size_t markerAt = 100;
  int32_t sizeX = 3, sizeY = 480, bits = 16, sizeZ = 2;
};

uint16_t FdsValue(uint64_t i) { return uint16_t(i * 257 + 1); }  // both bytes differ

// Junk that holds partial markers, so the search must not stop at a near miss.
ByteWriter FdsPrefix(size_t length)
{
  const std::string decoy = "@IMG_SCA_";
  ByteWriter w;
  for (size_t i = 0; i < length; ++i)
    w.Put<char>(decoy[i % decoy.size()]);
  return w;
}

ByteWriter BuildFds(const FdsSpec& s)
{
  ByteWriter w = FdsPrefix(s.markerAt);
  w.PutText("@IMG_SCAN_03", 17).Put(s.sizeX).Put(s.sizeY).Put(s.bits).Put(s.sizeZ).PutZeros(4);
  ByteWriter voxels(true);
  const auto positive = [](int32_t n) { return uint64_t(std::max(n, 0)); };
  const uint64_t count = positive(s.sizeX) * positive(s.sizeY) * positive(s.sizeZ);
  for (uint64_t i = 0; i < count; ++i)
    voxels.Put(FdsValue(i));
  return w.PutBytes(voxels.Bytes());
}

TEST(TopconFds, ReadsBigEndianVoxelsInVolumeOrderWithDepthSpacing)
{
  const struct { int32_t sizeY; float spacingY; int32_t bits; int32_t bytesPerVoxel; } kCases[] = {
    {480, 0.0035f, 16, 2}, {650, 0.0035f, 8, 1}, {885, 0.0026f, 12, 2}, {992, 0.0026f, 16, 2},
    {500, 0.0026f, 16, 2},  // a depth no device writes: read, with a warning
  };
  const TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.sizeY);
    FdsSpec spec;
    spec.sizeY = c.sizeY;
    spec.bits = c.bits;
    ASSERT_TRUE(BuildFds(spec).SaveTo(dir.File("a.fds")));
    LOCTVolume v;
    ASSERT_EQ(Read(v, dir.File("a.fds")).first, kScanOk);
    EXPECT_EQ(v.format, FormatTopcon);
    EXPECT_EQ(v.sizeX, 3);
    EXPECT_EQ(v.sizeY, c.sizeY);
    EXPECT_EQ(v.sizeZ, 2);
    EXPECT_EQ(v.spacingX, 2.0f);
    EXPECT_EQ(v.spacingY, c.spacingY);
    EXPECT_EQ(v.spacingZ, 3.0f);
    EXPECT_EQ(v.bytesPerVoxel, c.bytesPerVoxel);
    EXPECT_EQ(v.laterality, LateralityNA);
    for (uint64_t i = 0; i < v.VoxelCount(); ++i)
      ASSERT_EQ(v.Voxels()[i], FdsValue(i)) << "voxel " << i;
  }
}

TEST(TopconFds, FindsTheFirstMarkerWhereverItStands)
{
  // Around the 64 KiB boundary of the search window: marker before, across and after it.
  const size_t kOffsets[] = {0, 100, 65527, 65532, 65535, 65536, 200000};
  const TempDir dir;
  for (const size_t at : kOffsets) {
    SCOPED_TRACE(at);
    FdsSpec spec;
    spec.markerAt = at;
    ByteWriter file = BuildFds(spec);
    FdsSpec later;  // a second record must not be taken
    later.markerAt = 0;
    later.sizeX = 5;
    file.PutBytes(BuildFds(later).Bytes());
    ASSERT_TRUE(file.SaveTo(dir.File("a.fds")));
    LOCTVolume v;
    ASSERT_EQ(Read(v, dir.File("a.fds")).first, kScanOk);
    EXPECT_EQ(v.sizeX, 3);
    EXPECT_EQ(Voxel(v, 2, 479, 1), FdsValue(v.VoxelCount() - 1));
  }
}

TEST(TopconFds, TruncatedOrLyingHeadersAreRefused)
{
  const auto with = [](auto change) { FdsSpec s; change(s); return BuildFds(s); };
  const ByteWriter valid = BuildFds(FdsSpec{});
  const struct { const char* what; ByteWriter file; size_t keep; } kCases[] = {
    {"empty", ByteWriter(), 0},
    {"no marker", FdsPrefix(5000), 5000},
    {"marker at the very end", valid, 109},
    {"record cut inside", valid, 130},
    {"last voxel short", valid, valid.Size() - 1},
    {"no A-scans", with([](FdsSpec& s) { s.sizeX = 0; }), SIZE_MAX},
    {"negative B-scan count", with([](FdsSpec& s) { s.sizeZ = -1; }), SIZE_MAX},
  };
  const TempDir dir;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(fixtures::WriteBytes(dir.File("a.fds"), c.file.Bytes().data(),
                                     std::min(c.keep, c.file.Size())));
    LOCTVolume v;
    const auto [result, out] = Read(v, dir.File("a.fds"));
    EXPECT_EQ(result, kScanUnsupported);
    EXPECT_EQ(out, kUnsupported);
    EXPECT_FALSE(v.loaded);
  }
  // Sizes whose product overflows 32 and 64 bits must not pass as a small volume.
  ByteWriter huge = BuildFds(FdsSpec{});
  huge.PatchAt<int32_t>(100 + 17, 1 << 30);
  huge.PatchAt<int32_t>(100 + 21, 992);
  huge.PatchAt<int32_t>(100 + 29, 1 << 30);
  ASSERT_TRUE(huge.SaveTo(dir.File("huge.fds")));
  LOCTVolume v;
  EXPECT_EQ(Read(v, dir.File("huge.fds")).first, kScanUnsupported);
}

// ---- Zeiss and Optovue: recognised by size ----

TEST(SizeKeyedGeometry, TablesGiveSizesAndSpacing)
{
  using Lookup = int (*)(uint64_t, LOCTVolume&);
  const struct { Lookup lookup; uint64_t fileSize; int32_t x, y, z; float sx, sy, sz; ScanFormat format; } kCases[] = {
    {devicescan::GetZeissGeometry, 40960000, 200, 1024, 200, 0.03015075f, 0.001955034f, 0.03015075f, FormatZeiss},
    {devicescan::GetZeissGeometry, 67108864, 512, 1024, 128, 0.01174168f, 0.001955034f, 0.04724409f, FormatZeiss},
    {devicescan::GetZeissGeometry, 20971520, 4096, 1024, 5, 0.001465201f, 0.001955034f, 0.25f, FormatZeiss},
    {devicescan::GetZeissGeometry, 5242880, 1024, 1024, 5, 0.008797654f, 0.001955034f, 0.5f, FormatZeiss},
    {devicescan::GetOptovueGeometry, 139207680, 513, 640, 101, 0.011695906f, 0.003f, 0.05940594f, FormatOptovue},
    {devicescan::GetOptovueGeometry, 141926400, 385, 640, 141, 0.018181818f, 0.003f, 0.04964539f, FormatOptovue},
    {devicescan::GetOptovueGeometry, 167049216, 513, 768, 101, 0.011695906f, 0.003f, 0.05940594f, FormatOptovue},
    {devicescan::GetOptovueGeometry, 236584960, 304, 640, 304, 0.009868421f, 0.003135938f, 0.01f, FormatOptovue},
    {devicescan::GetOptovueGeometry, 314572800, 320, 768, 320, 0.0375f, 0.003135417f, 0.028f, FormatOptovue},
    {devicescan::GetOptovueGeometry, 317521920, 320, 768, 320, 0.0375f, 0.003f, 0.028125f, FormatOptovue},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.fileSize);
    LOCTVolume v;
    ASSERT_EQ(c.lookup(c.fileSize, v), kScanOk);
    EXPECT_EQ(v.format, c.format);
    EXPECT_EQ(v.sizeX, c.x);
    EXPECT_EQ(v.sizeY, c.y);
    EXPECT_EQ(v.sizeZ, c.z);
    EXPECT_EQ(v.spacingX, c.sx);
    EXPECT_EQ(v.spacingY, c.sy);
    EXPECT_EQ(v.spacingZ, c.sz);
    EXPECT_EQ(v.bytesPerVoxel, 1);
    // Optovue files may hold more than the volume; Zeiss files are exactly the volume.
    EXPECT_LE(v.VoxelCount() * (c.format == FormatZeiss ? 1 : 4), c.fileSize);
  }
  const StdoutCapture out;
  LOCTVolume v;
  EXPECT_EQ(devicescan::GetZeissGeometry(40960001, v), kScanUnsupported);
  EXPECT_EQ(devicescan::GetZeissGeometry(139207680, v), kScanUnsupported);
  EXPECT_EQ(devicescan::GetOptovueGeometry(40960000, v), kScanUnsupported);
  EXPECT_EQ(devicescan::GetOptovueGeometry(0, v), kScanUnsupported);
  EXPECT_EQ(out.Text(), std::string(kUnsupported) + kUnsupported + kUnsupported + kUnsupported);
}

TEST(ZeissRaw, EachFileBscanIsTheStoredBscanTurnedHalfRound)
{
  const TempDir dir;
  const off_t bscan = 1024 * 1024;
  WriteSparse(dir.File("a.img"), 5242880,
              {{0, {7}}, {1 * 1024 + 3, {13}}, {bscan - 1, {5}}, {bscan, {9}}, {5242880 - 1, {11}}});
  LOCTVolume v;
  ASSERT_EQ(Read(v, dir.File("a.img")).first, kScanOk);
  EXPECT_EQ(v.format, FormatZeiss);
  EXPECT_EQ(v.laterality, LateralityNA);
  EXPECT_EQ(v.sizeZ, 5);
  EXPECT_EQ(Voxel(v, 1023, 1023, 0), 7);   // first byte: bottom right
  EXPECT_EQ(Voxel(v, 1020, 1022, 0), 13);  // second row from the bottom, fourth from the right
  EXPECT_EQ(Voxel(v, 0, 0, 0), 5);         // last byte of the first B-scan: top left
  EXPECT_EQ(Voxel(v, 1023, 1023, 1), 9);
  EXPECT_EQ(Voxel(v, 0, 0, 4), 11);        // last byte of the file
  EXPECT_EQ(VoxelSum(v), 7u + 13 + 5 + 9 + 11);

  WriteSparse(dir.File("b.raw"), 40960001, {});
  LOCTVolume other;
  const auto [result, out] = Read(other, dir.File("b.raw"));
  EXPECT_EQ(result, kScanUnsupported);
  EXPECT_EQ(out, kUnsupported);
}

TEST(OptovueRaw, AscansRunBottomUpAndTheRestOfTheFileIsIgnored)
{
  const TempDir dir;
  const off_t x = 513, y = 640, z = 101;
  const auto at = [](off_t index) { return index * 4; };
  WriteSparse(dir.File("a.oct"), 139207680,
              {{at(0), FloatBytes(2549.9f)},            // (0, 639, 0): 254
               {at(1), FloatBytes(-20.0f)},             // negative noise stays dark
               {at(y - 1), FloatBytes(30.0f)},          // top of the first A-scan
               {at(y), FloatBytes(1000.0f)},            // the 641st float: (1, 639, 0)
               {at(x * y), FloatBytes(50.0f)},          // first of the second B-scan
               {at(x * y * z - 1), FloatBytes(70.0f)},  // last float read: (512, 0, 100)
               {at(x * y * z), FloatBytes(90.0f)}});    // beyond the volume
  LOCTVolume v;
  ASSERT_EQ(Read(v, dir.File("a.oct")).first, kScanOk);
  EXPECT_EQ(v.format, FormatOptovue);
  EXPECT_EQ(Voxel(v, 0, 639, 0), 254);
  EXPECT_EQ(Voxel(v, 0, 638, 0), 0);
  EXPECT_EQ(Voxel(v, 0, 0, 0), 3);
  EXPECT_EQ(Voxel(v, 1, 639, 0), 100);
  EXPECT_EQ(Voxel(v, 0, 639, 1), 5);
  EXPECT_EQ(Voxel(v, 512, 0, 100), 7);
  EXPECT_EQ(VoxelSum(v), 254u + 3 + 100 + 5 + 7);
}

TEST(OptovueRaw, SamplesSaturateToTheByteRange)
{
  const float inf = std::numeric_limits<float>::infinity();
  const struct { float sample; uint16_t value; } kCases[] = {
    {2549.9f, 254}, {2560.0f, 255}, {1e6f, 255}, {655365.0f, 255}, {inf, 255}, {10.0f, 1},
    {9.99f, 0}, {-5.0f, 0}, {-20.0f, 0}, {-1e30f, 0}, {-inf, 0},
    {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(devicescan::OptovueValue(c.sample), c.value) << "sample " << c.sample;
}

TEST(DeviceScanFiles, MissingFileIsReportedWithItsPath)
{
  const TempDir dir;
  const struct { const char* name; std::function<int(LOCTVolume&, const std::string&)> read; } kCases[] = {
    {"missing.img", [](LOCTVolume& v, const std::string& p) { return v.ReadZeissRaw(p, 40960000); }},
    {"missing.oct", [](LOCTVolume& v, const std::string& p) { return v.ReadOptovueRaw(p, 139207680); }},
    {"missing.fds", [](LOCTVolume& v, const std::string& p) { return v.ReadTopconFds(p); }},
    {"missing.vol", [](LOCTVolume& v, const std::string& p) { return v.ReadHeidelbergVol(p); }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    const StdoutCapture err(2);
    LOCTVolume v;
    EXPECT_EQ(c.read(v, path), kScanOpenFailed);
    EXPECT_EQ(err.Text().rfind(path + ": ", 0), 0u) << err.Text();
    EXPECT_FALSE(v.loaded);
  }
}

}  // namespace
