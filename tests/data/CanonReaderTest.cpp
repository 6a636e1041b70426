#include "data/LOCTVolume.h"
#include "fixtures/ByteWriter.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace {

// A B-scan of the file is 4 wide and 3 high; the file holds 5 of them.
constexpr int kWidth = 4;
constexpr int kHeight = 3;
constexpr int kCount = 5;

struct CanonScan {
  std::string eye = "Right";
  std::string fixation = "Macula";
  std::string direction = "Horizontal";
  int width = kWidth;
  int count = kCount;
  bool compressed = false;
};

// Byte (x, y) of B-scan m of the file.
unsigned char Sample(int x, int y, int m) { return static_cast<unsigned char>(1 + x + 4 * y + 12 * m); }

std::string ParametersXml(const CanonScan& s)
{
  // The first byte of the content is not part of the document.
  return "\x01<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Params>\n"
         "  <BScanWidth>" + std::to_string(s.width) + "</BScanWidth>\n"
         "  <BScanHeight> 3 </BScanHeight>\n"
         "  <BScanCount>" + std::to_string(s.count) + "</BScanCount>\n"
         "  <Raster1 ScanningWidth=\"6000\" ScanningHeight=\"5000\"/>\n"
         "  <BScanHeightUm>1500</BScanHeightUm>\n"
         "  <EyeKind>" + s.eye + "</EyeKind>\n"
         "  <FixationPosition>" + s.fixation + "</FixationPosition>\n"
         "  <ScanningDirection>" + s.direction + "</ScanningDirection>\n"
         "</Params>\n";
}

// The image file: 40-byte header, block 0 (not a B-scan), then the B-scans, each block
// followed by a 152-byte trailer. shortBy bytes are cut from the end.
std::string Tomograms(int blocks, size_t shortBy = 0)
{
  ByteWriter w;
  w.PutBytes(std::vector<unsigned char>(40, 0xEE));
  for (int block = 0; block < blocks; ++block) {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        w.Put<uint8_t>(block == 0 ? 0xB0 : Sample(x, y, block - 1));
    w.PutBytes(std::vector<unsigned char>(152, 0xCC));
  }
  const auto& bytes = w.Bytes();
  return std::string(bytes.begin(), bytes.end() - long(shortBy));
}

void Write(const std::string& path, const std::string& content, bool compressed)
{
  if (!compressed) {
    ASSERT_TRUE(ByteWriter().PutText(content).SaveTo(path));
    return;
  }
  gzFile out = gzopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(gzwrite(out, content.data(), unsigned(content.size())), int(content.size()));
  ASSERT_EQ(gzclose(out), Z_OK);
}

// Writes the pair and returns the parameter file's path.
std::string WritePair(const TempDir& dir, const std::string& parameters, const std::string& tomograms,
                      bool compressed)
{
  Write(dir.File("eye.Tomograms.dat"), tomograms, compressed);
  Write(dir.File("eye.ScanParameters.dat"), parameters, compressed);
  return dir.File("eye.ScanParameters.dat");
}

int Read(const std::string& path, LOCTVolume& volume, std::string* out = nullptr)
{
  const StdoutCapture capture;
  const int result = volume.ReadScanFile(path);
  if (out)
    *out = capture.Text();
  return result;
}

TEST(CanonReader, PlainAndCompressedScansInBothDirections)
{
  for (const bool compressed : {false, true})
    for (const bool vertical : {false, true}) {
      SCOPED_TRACE(std::string(compressed ? "gzip" : "plain") + (vertical ? ", vertical" : ", horizontal"));
      const TempDir dir;
      CanonScan scan;
      scan.direction = vertical ? "Vertical" : "Horizontal";
      LOCTVolume v;
      ASSERT_EQ(Read(WritePair(dir, ParametersXml(scan), Tomograms(kCount + 1), compressed), v), kScanOk);
      EXPECT_TRUE(v.loaded);
      EXPECT_EQ(v.format, FormatCanon);
      EXPECT_EQ(v.bytesPerVoxel, 1);
      EXPECT_EQ(v.laterality, LateralityOD);
      EXPECT_EQ(v.centerType, CenterMacula);
      // A vertical scan's B-scans run across the volume: x and z trade places.
      const int sizeX = vertical ? kCount : kWidth;
      const int sizeZ = vertical ? kWidth : kCount;
      EXPECT_EQ(v.sizeX, sizeX);
      EXPECT_EQ(v.sizeY, kHeight);
      EXPECT_EQ(v.sizeZ, sizeZ);
      EXPECT_FLOAT_EQ(v.spacingX, vertical ? 1.0f : 1.5f);
      EXPECT_FLOAT_EQ(v.spacingY, 0.5f);
      EXPECT_FLOAT_EQ(v.spacingZ, vertical ? 1.5f : 1.0f);
      const auto region = v.image->GetLargestPossibleRegion().GetSize();
      EXPECT_EQ(region[0], unsigned(sizeX));
      EXPECT_EQ(region[2], unsigned(sizeZ));
      EXPECT_DOUBLE_EQ(v.image->GetSpacing()[0], v.spacingX);
      EXPECT_DOUBLE_EQ(v.image->GetSpacing()[2], v.spacingZ);
      for (int m = 0; m < kCount; ++m)
        for (int y = 0; y < kHeight; ++y)
          for (int x = 0; x < kWidth; ++x) {
            const int vx = vertical ? m : x;
            const int vz = vertical ? x : m;
            ASSERT_EQ(v.Voxels()[vx + sizeX * (y + kHeight * vz)], Sample(x, y, m))
                << "B-scan " << m << " byte " << x << "," << y;
          }
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                              std::filesystem::directory_iterator()), 2)
          << "nothing is written beside the scan";
    }
}

TEST(CanonReader, WordsAreMatchedExactly)
{
  const struct {
    const char* eye; const char* fixation; const char* direction;
    Laterality laterality; CenterType center; int sizeX;
  } cases[] = {
    {"Left", "Disc", "Vertical", LateralityOS, CenterONH, kCount},
    {"right", "macula", "vertical", LateralityNA, CenterNA, kWidth},
    {" Right", "Disc ", "", LateralityNA, CenterNA, kWidth},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.eye);
    const TempDir dir;
    CanonScan scan;
    scan.eye = c.eye;
    scan.fixation = c.fixation;
    scan.direction = c.direction;
    LOCTVolume v;
    ASSERT_EQ(Read(WritePair(dir, ParametersXml(scan), Tomograms(kCount + 1), false), v), kScanOk);
    EXPECT_EQ(v.laterality, c.laterality);
    EXPECT_EQ(v.centerType, c.center);
    EXPECT_EQ(v.sizeX, c.sizeX);
  }
}

TEST(CanonReader, BScansTheFileDoesNotHoldAreZero)
{
  const int blockBytes = kWidth * kHeight + 152;
  const struct { const char* what; int blocks; size_t shortBy; int fullScans; int partBytes; } cases[] = {
    {"a block more than B-scans is ignored", kCount + 2, 0, kCount, 0},
    {"last trailer missing", kCount + 1, 152, kCount, 0},
    {"two B-scans missing", kCount - 1, 0, kCount - 2, 0},
    {"last B-scan cut after 5 bytes", kCount, size_t(blockBytes - 5), kCount - 2, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool compressed : {false, true}) {
      const TempDir dir;
      LOCTVolume v;
      ASSERT_EQ(Read(WritePair(dir, ParametersXml(CanonScan()), Tomograms(c.blocks, c.shortBy),
                               compressed), v), kScanOk);
      for (int m = 0; m < kCount; ++m)
        for (int i = 0; i < kWidth * kHeight; ++i) {
          const bool held = m < c.fullScans || (m == c.fullScans && i < c.partBytes);
          ASSERT_EQ(v.Voxels()[i + kWidth * kHeight * m],
                    held ? Sample(i % kWidth, i / kWidth, m) : 0)
              << "B-scan " << m << " byte " << i << (compressed ? " gzip" : " plain");
        }
    }
  }
}

TEST(CanonReader, WrongPairsAreRefused)
{
  CanonScan negative;
  negative.width = -4;
  CanonScan huge;
  huge.width = 2000000000;
  huge.count = 2000000000;
  CanonScan lying;
  lying.count = 100000000;
  const std::string good = ParametersXml(CanonScan());
  const struct { const char* what; std::string parameters; std::string tomograms; int result; std::string out; } cases[] = {
    {"parameters not XML", "not XML at all", Tomograms(kCount + 1), kScanOpenFailed, ""},
    {"empty parameter file", "", Tomograms(kCount + 1), kScanOpenFailed, ""},
    {"no Params root", "\x01<Other><BScanWidth>4</BScanWidth></Other>", Tomograms(kCount + 1),
     kScanUnsupported, "Error: Unsupported OCT\n"},
    {"negative width", ParametersXml(negative), Tomograms(kCount + 1), kScanUnsupported, "Error: Unsupported OCT\n"},
    {"sizes beyond any sane volume", ParametersXml(huge), Tomograms(kCount + 1), kScanUnsupported,
     "Error: Unsupported OCT\n"},
    {"far more B-scans than the image file holds", ParametersXml(lying), Tomograms(kCount + 1),
     kScanUnsupported, "Error: Unsupported OCT\n"},
    {"no B-scan after block 0", good, Tomograms(1), kScanUnsupported, "Error: Unsupported OCT\n"},
    {"empty image file", good, "", kScanUnsupported, "Error: Unsupported OCT\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    LOCTVolume v;
    std::string out;
    const StdoutCapture err(2);
    const std::string path = WritePair(dir, c.parameters, c.tomograms, false);
    EXPECT_EQ(Read(path, v, &out), c.result);
    EXPECT_EQ(out, c.out);
    if (c.result == kScanOpenFailed) {
      EXPECT_EQ(err.Text().rfind(path + ": ", 0), 0u) << "the reason names the file";
    }
    EXPECT_FALSE(v.loaded);
  }
}

// The image file is found by the parameter file's name, so it is read only from the folder
// that name lies in, or below: a link there that leads out of it (a colleague's, to a private
// scan of the user's) is refused. The parameter file itself may be a link: the user named it.
TEST(CanonReader, TheImageFileIsReadOnlyFromTheParametersFolder)
{
  namespace fs = std::filesystem;
  const TempDir dir;
  fs::create_directories(dir.File("lab/sub"));
  fs::create_directories(dir.File("private"));
  const std::string parameters = ParametersXml(CanonScan());
  Write(dir.File("private/eye.Tomograms.dat"), Tomograms(kCount + 1), false);
  Write(dir.File("private/eye.ScanParameters.dat"), parameters, false);
  Write(dir.File("lab/sub/eye.Tomograms.dat"), Tomograms(kCount + 1), false);
  const struct {
    const char* what;
    const char* tomogramsLink;  // the lab's eye.Tomograms.dat, a link to this
    bool parametersLinked;      // the lab's eye.ScanParameters.dat a link to the private one
    int result;
  } cases[] = {
      {"the image file a link out of the folder", "../private/eye.Tomograms.dat", false, kScanOpenFailed},
      {"the image file a link below the folder", "sub/eye.Tomograms.dat", false, kScanOk},
      {"the parameter file the user named a link, its image file beside the link", "sub/eye.Tomograms.dat", true,
       kScanOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"lab/eye.Tomograms.dat", "lab/eye.ScanParameters.dat"})
      fs::remove(dir.File(name));
    fs::create_symlink(c.tomogramsLink, dir.File("lab/eye.Tomograms.dat"));
    if (c.parametersLinked)
      fs::create_symlink(dir.File("private/eye.ScanParameters.dat"), dir.File("lab/eye.ScanParameters.dat"));
    else
      Write(dir.File("lab/eye.ScanParameters.dat"), parameters, false);
    LOCTVolume v;
    const StdoutCapture err(2);
    EXPECT_EQ(Read(dir.File("lab/eye.ScanParameters.dat"), v), c.result);
    if (c.result != kScanOk) {
      EXPECT_EQ(err.Text().rfind(dir.File("lab/eye.Tomograms.dat") + ": is a link out of the folder of its header", 0),
                0u)
          << err.Text();
    }
  }
}

TEST(CanonReader, FilesThatCannotBeReadAreNamed)
{
  const TempDir dir;
  const std::string parameters = dir.File("eye.ScanParameters.dat");
  const std::string wrongCase = dir.File("eye.scanparameters.dat");
  Write(parameters, ParametersXml(CanonScan()), false);
  Write(wrongCase, ParametersXml(CanonScan()), false);
  const std::string folder = dir.File("folder.ScanParameters.dat");
  std::filesystem::create_directory(folder);
  const std::string notXml = dir.File("bad.ScanParameters.dat");
  Write(notXml, "\x01 plain text", true);
  const struct { const char* what; std::string path; int result; std::string out; std::string err; } cases[] = {
    {"name in the wrong case", wrongCase, kScanCanonName, "Error: No .ScanParameters.dat file\n", ""},
    {"image file missing", parameters, kScanOpenFailed, "",
     dir.File("eye.Tomograms.dat") + ": No such file or directory\n"},
    {"parameter file missing", dir.File("none.ScanParameters.dat"), kScanOpenFailed, "",
     dir.File("none.ScanParameters.dat") + ": No such file or directory\n"},
    {"parameter file is a folder", folder, kScanOpenFailed, "", folder + ": is a folder, not a file\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LOCTVolume v;
    const StdoutCapture err(2);
    std::string out;
    EXPECT_EQ(Read(c.path, v, &out), c.result);
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err.Text(), c.err);
  }
  LOCTVolume v;
  const StdoutCapture err(2);
  EXPECT_EQ(Read(notXml, v), kScanOpenFailed);
  EXPECT_EQ(err.Text().rfind(notXml + ": ", 0), 0u) << err.Text();
}

}  // namespace
