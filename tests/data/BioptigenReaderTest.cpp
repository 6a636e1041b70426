#include "data/LOCTVolume.h"
#include "fixtures/ByteWriter.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

// What a fixture file says and holds. Sizes differ per axis so that a mix-up fails.
struct BioptigenFile {
  int32_t frames = 3;    // sizeZ
  int32_t aScans = 4;    // sizeX
  int32_t samples = 5;   // sizeY
  int32_t bytes = 2;
  double lateralRange = 6.0;
  double depthRange = 1.0;
  double frameRange = 6.0;
  int32_t doppler = 0;
  std::string name = "Bioptigen scan";
  int oddEntry = -1;          // this entry's value is written 3 bytes long
  std::map<int, int32_t> lies;  // integer entries that differ from what the file holds
  int64_t dataShift = 0;      // added to the offset the header gives for the frames
  uint32_t gap = 11;          // bytes between the last entry and the first frame
};

uint16_t Sample(int x, int y, int z) { return uint16_t(1 + y + 10 * x + 100 * z); }

bool IsInteger(int entry) { return entry <= 3 || entry == 20; }
bool IsRange(int entry) { return entry == 12 || entry == 14 || entry == 15; }

int32_t IntegerOf(const BioptigenFile& f, int entry)
{
  switch (entry) {
  case 0: return f.frames;
  case 1: return f.aScans;
  case 2: return f.samples;
  case 3: return f.bytes;
  default: return f.doppler;
  }
}

double RangeOf(const BioptigenFile& f, int entry)
{
  return entry == 12 ? f.depthRange : entry == 14 ? f.lateralRange : f.frameRange;
}

ByteWriter Build(const BioptigenFile& f)
{
  ByteWriter w;
  w.PutText("BIOPTI");
  w.Put<int32_t>(int32_t(f.name.size())).PutText(f.name);
  const size_t offsetAt = w.Size();
  w.Put<int32_t>(0);
  for (int entry = 0; entry < 22; ++entry) {
    const std::string key = "KEY_" + std::to_string(entry * entry);  // lengths vary
    w.Put<int32_t>(int32_t(key.size())).PutText(key);
    if (entry == f.oddEntry)
      w.Put<int32_t>(3).PutText("odd");
    else if (f.lies.count(entry))
      w.Put<int32_t>(4).Put<int32_t>(f.lies.at(entry));
    else if (IsInteger(entry))
      w.Put<int32_t>(4).Put<int32_t>(IntegerOf(f, entry));
    else if (IsRange(entry))
      w.Put<int32_t>(8).Put<double>(RangeOf(f, entry));
    else
      w.Put<int32_t>(2).PutText("ab");
  }
  w.PutBytes(std::vector<unsigned char>(f.gap, 0xEE));
  w.PatchAt<int32_t>(offsetAt, int32_t(int64_t(w.Size()) - 25 + f.dataShift));
  for (int z = 0; z < f.frames; ++z) {
    w.PutBytes(std::vector<unsigned char>(130, 0xAB));
    for (int x = 0; x < f.aScans; ++x)
      for (int y = 0; y < f.samples; ++y)
        w.Put<uint16_t>(Sample(x, y, z));
    if (f.doppler == 1) {
      w.PutBytes(std::vector<unsigned char>(22, 0xCD));
      for (int i = 0; i < f.aScans * f.samples; ++i)
        w.Put<uint16_t>(uint16_t(60000 + i));
    }
  }
  return w;
}

std::string Save(const TempDir& dir, const ByteWriter& w)
{
  const std::string path = dir.File("scan.OCT");
  EXPECT_TRUE(w.SaveTo(path));
  return path;
}

int Read(const std::string& path, LOCTVolume& volume, std::string* out = nullptr)
{
  const StdoutCapture capture;
  const int result = volume.ReadScanFile(path);
  if (out)
    *out = capture.Text();
  return result;
}

TEST(BioptigenReader, FramesFillTheVolumeAScanByAScan)
{
  const struct { const char* what; int32_t doppler; std::string name; uint32_t gap; } cases[] = {
    {"plain frames", 0, "Bioptigen scan", 11},
    {"a Doppler frame after every frame", 1, "Bioptigen scan", 11},
    {"empty name, frames right after the entries", 0, "", 0},
    {"Doppler flag other than 1", 2, "x", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    BioptigenFile f;
    f.doppler = c.doppler;
    f.name = c.name;
    f.gap = c.gap;
    LOCTVolume v;
    ASSERT_EQ(Read(Save(dir, Build(f)), v), kScanOk);
    EXPECT_TRUE(v.loaded);
    EXPECT_EQ(v.format, FormatBioptigen);
    EXPECT_EQ(v.sizeX, 4);
    EXPECT_EQ(v.sizeY, 5);
    EXPECT_EQ(v.sizeZ, 3);
    EXPECT_EQ(v.bytesPerVoxel, 2);
    EXPECT_EQ(v.laterality, LateralityNA);
    EXPECT_EQ(v.centerType, CenterNA);
    EXPECT_FLOAT_EQ(v.spacingX, 1.5f);
    EXPECT_FLOAT_EQ(v.spacingY, 0.2f);
    EXPECT_FLOAT_EQ(v.spacingZ, 2.0f);
    for (int z = 0; z < 3; ++z)
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4; ++x)
          ASSERT_EQ(v.Voxels()[x + 4 * (y + 5 * z)], Sample(x, y, z))
              << "voxel " << x << "," << y << "," << z;
  }
}

TEST(BioptigenReader, OddSizedEntriesCountAsMissing)
{
  const struct {
    const char* what; int oddEntry; int32_t bytes;
    int32_t bytesPerVoxel; float spacingX; float spacingY;
  } cases[] = {
    {"lateral range not 8 bytes long counts as -1", 14, 2, 2, -0.25f, 0.2f},
    {"depth range not 8 bytes long counts as -1", 12, 2, 2, 1.5f, -0.2f},
    {"value range missing", 3, 2, 2, 1.5f, 0.2f},
    {"value range of one byte kept", -1, 1, 1, 1.5f, 0.2f},
    {"value range neither 1 nor 2 bytes", -1, 7, 2, 1.5f, 0.2f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    BioptigenFile f;
    f.oddEntry = c.oddEntry;
    f.bytes = c.bytes;
    LOCTVolume v;
    ASSERT_EQ(Read(Save(dir, Build(f)), v), kScanOk);
    EXPECT_EQ(v.bytesPerVoxel, c.bytesPerVoxel);
    EXPECT_FLOAT_EQ(v.spacingX, c.spacingX);
    EXPECT_FLOAT_EQ(v.spacingY, c.spacingY);
    EXPECT_EQ(v.Voxels()[3 + 4 * (4 + 5 * 2)], Sample(3, 4, 2));
  }
}

TEST(BioptigenReader, HeadersThatDoNotMatchTheFileAreRefused)
{
  const BioptigenFile good;
  const size_t fullSize = Build(good).Size();
  const size_t framesAt = fullSize - 3 * (130 + 2 * 20);
  const auto with = [&](auto change) { BioptigenFile f = good; change(f); return Build(f); };
  const auto cut = [&](size_t keep, const BioptigenFile& f) {
    ByteWriter w = Build(f);
    std::vector<unsigned char> bytes(w.Bytes().begin(), w.Bytes().begin() + long(keep));
    ByteWriter out;
    out.PutBytes(bytes);
    return out;
  };
  BioptigenFile doppler = good;
  doppler.doppler = 1;
  const size_t dopplerSize = Build(doppler).Size();

  const struct { const char* what; ByteWriter file; } cases[] = {
    {"empty file", cut(0, good)},
    {"cut inside the name", cut(14, good)},
    {"cut inside the entries", cut(framesAt / 2, good)},
    {"cut inside the last frame", cut(fullSize - 1, good)},
    {"last Doppler frame missing", cut(dopplerSize - 40, doppler)},
    {"no frames", with([](BioptigenFile& f) { f.lies = {{0, 0}}; })},
    {"negative A-scan count", with([](BioptigenFile& f) { f.lies = {{1, -4}}; })},
    {"frame count missing", with([](BioptigenFile& f) { f.oddEntry = 0; })},
    {"one frame more than the file holds", with([](BioptigenFile& f) { f.lies = {{0, 4}}; })},
    {"more samples than the file holds", with([](BioptigenFile& f) { f.lies = {{2, 6}}; })},
    {"Doppler frames the file does not hold", with([](BioptigenFile& f) { f.lies = {{20, 1}}; })},
    {"frames said to begin a byte late", with([](BioptigenFile& f) { f.dataShift = 1; })},
    {"frames said to begin inside the entries", with([](BioptigenFile& f) { f.dataShift = -12; })},
    {"frames said to begin before the file", with([](BioptigenFile& f) { f.dataShift = -100000; })},
    {"frames said to begin past the end", with([](BioptigenFile& f) { f.dataShift = 1 << 30; })},
    {"frame count beyond any sane volume", with([](BioptigenFile& f) {
       f.lies = {{0, 2147483647}}; })},
    {"sizes whose product overflows 64 bits", with([](BioptigenFile& f) {
       f.lies = {{0, 2147483647}, {1, 2147483647}, {2, 2147483647}}; })},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    LOCTVolume v;
    std::string out;
    EXPECT_EQ(Read(Save(dir, c.file), v, &out), kScanUnsupported);
    EXPECT_EQ(out, "Error: Unsupported OCT\n");
    EXPECT_FALSE(v.loaded);
  }

  // A name length beyond the file, and a negative key length.
  ByteWriter longName;
  longName.PutText("BIOPTI").Put<int32_t>(1 << 30).PutZeros(64);
  ByteWriter negativeKey;
  negativeKey.PutText("BIOPTI").Put<int32_t>(0).Put<int32_t>(0).Put<int32_t>(-8).PutZeros(64);
  for (const ByteWriter* w : {&longName, &negativeKey}) {
    const TempDir dir;
    LOCTVolume v;
    EXPECT_EQ(Read(Save(dir, *w), v), kScanUnsupported);
  }
}

TEST(BioptigenReader, MissingFileIsReportedWithItsPath)
{
  const TempDir dir;
  const std::string path = dir.File("absent.oct");
  LOCTVolume v;
  const StdoutCapture err(2);
  EXPECT_EQ(v.ReadScanFile(path), kScanOpenFailed);
  EXPECT_EQ(err.Text(), path + ": No such file or directory\n");
}

}  // namespace
