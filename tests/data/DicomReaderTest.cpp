#include "data/LOCTVolume.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The fixture writer's default geometry: Columns, Rows, NumberOfFrames.
constexpr int kX = 4;
constexpr int kY = 3;
constexpr int kZ = 2;
// Its pixel values start here, so that every voxel is distinct.
constexpr int kBase8 = 1;
constexpr int kBase16 = 1000;

// A file for the pydicom writer: its name (the extension picks the flavour) and the
// attributes that differ from the writer's defaults, as a Python dict literal.
struct DicomFile {
  std::string name;
  std::string overrides;
};

void WriteDicomFiles(const TempDir& dir, const std::vector<DicomFile>& files)
{
  std::string listing;
  for (const auto& file : files)
    listing += dir.File(file.name) + "\t" + file.overrides + "\n";
  ASSERT_TRUE(fixtures::WriteText(dir.File("files.txt"), listing));
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR
                                 "/tests/fixtures/write_dicom.py " + dir.File("files.txt")),
            0);
}

struct Outcome {
  int result;
  std::string out;
};

Outcome Read(LOCTVolume& volume, const std::string& path)
{
  const StdoutCapture capture;
  const int result = volume.ReadScanFile(path);
  return {result, capture.Text()};
}

enum class Order { File, Reversed, Rotated };

// Every voxel of a volume whose frames went to the slices in the given order.
std::vector<unsigned short> ExpectedVoxels(Order order, int base)
{
  std::vector<unsigned short> voxels;
  for (int z = 0; z < kZ; ++z)
    for (int y = 0; y < kY; ++y)
      for (int x = 0; x < kX; ++x) {
        const int frame = order == Order::Reversed ? kZ - 1 - z : z;
        const int column = order == Order::Rotated ? kX - 1 - x : x;
        const int row = order == Order::Rotated ? kY - 1 - y : y;
        voxels.push_back(static_cast<unsigned short>(base + column + kX * (row + kY * frame)));
      }
  return voxels;
}

std::vector<unsigned short> VoxelsOf(const LOCTVolume& volume)
{
  const unsigned short* voxels = volume.Voxels();
  return voxels ? std::vector<unsigned short>(voxels, voxels + volume.VoxelCount())
                : std::vector<unsigned short>();
}

TEST(DicomReader, MakerAndLateralityComeFromTheirTexts)
{
  const struct {
    const char* overrides;
    ScanFormat format;
    Laterality eye;
  } kCases[] = {
      {"{'Manufacturer': 'Carl ZEISS Meditec'}", FormatZeiss, LateralityOD},
      {"{'Manufacturer': 'Cirrus HD-OCT by Optos'}", FormatZeiss, LateralityOD},
      {"{'Manufacturer': 'TOPCON'}", FormatTopcon, LateralityOD},
      {"{'Manufacturer': 'Heidelberg Engineering'}", FormatHeidelberg, LateralityOD},
      {"{'Manufacturer': 'Optovue, Inc.'}", FormatOptovue, LateralityOD},
      {"{'Manufacturer': 'NIDEK'}", FormatNidek, LateralityOD},
      {"{'Manufacturer': 'Bioptigen'}", FormatBioptigen, LateralityOD},
      {"{'Manufacturer': 'Canon'}", FormatCanon, LateralityOD},
      {"{'Manufacturer': 'OPTOS plc'}", FormatOptos, LateralityOD},
      {"{'Manufacturer': 'Acme Imaging'}", FormatNA, LateralityOD},
      {"{'Manufacturer': ''}", FormatNA, LateralityOD},
      {"{'Laterality': 'OD'}", FormatOptos, LateralityOD},
      {"{'Laterality': 'L'}", FormatOptos, LateralityOS},
      {"{'Laterality': 'OS'}", FormatOptos, LateralityOS},
      {"{'Laterality': 'od'}", FormatOptos, LateralityNA},
      {"{'Laterality': 'B'}", FormatOptos, LateralityNA},
      {"{'Laterality': None, 'ImageLaterality': 'L'}", FormatOptos, LateralityOS},
      {"{'Laterality': 'R', 'ImageLaterality': 'L'}", FormatOptos, LateralityOD},
  };
  const TempDir dir;
  std::vector<DicomFile> files;
  for (size_t i = 0; i < std::size(kCases); ++i)
    files.push_back({"case" + std::to_string(i) + ".dcm", kCases[i].overrides});
  WriteDicomFiles(dir, files);

  for (size_t i = 0; i < std::size(kCases); ++i) {
    SCOPED_TRACE(kCases[i].overrides);
    LOCTVolume volume;
    ASSERT_EQ(Read(volume, dir.File(files[i].name)).result, kScanOk);
    EXPECT_EQ(volume.format, kCases[i].format);
    EXPECT_EQ(volume.laterality, kCases[i].eye);
    EXPECT_EQ(volume.centerType, CenterNA);
  }
}

TEST(DicomReader, VoxelSizeFollowsTheFlavour)
{
  const struct {
    const char* name;
    const char* overrides;
    float x, y, z;
  } kCases[] = {
      {"two-values.dcm", "{}", 0.0117f, 0.0039f, 0.05f},
      {"comma.dcm", "{'PixelSpacing': '0.0039,0.0117'}", 0.0117f, 0.0039f, 0.05f},
      {"larger-first.dcm", "{'PixelSpacing': ['0.0117', '0.0039']}", 0.0117f, 0.0039f, 0.05f},
      {"implicit.dcm", "{'_implicit': True, 'PixelSpacing': '0.0039,0.0117'}", 0.0117f,
       0.0039f, 0.05f},
      {"thickness.dcm", "{'SpacingBetweenSlices': None, 'SliceThickness': '0.07'}", 0.0117f,
       0.0039f, 0.07f},
      {"nested.dcm", "{'_nested': True, 'SpacingBetweenSlices': None, 'SliceThickness': '0.07'}",
       0.0117f, 0.0039f, 0.07f},
      {"both.DICOM", "{'Manufacturer': 'TOPCON', 'SliceThickness': '0.07'}", 0.0117f, 0.0039f,
       0.05f},
      // A distance signed by the slices' direction is a size all the same.
      {"negative.dcm", "{'SpacingBetweenSlices': '-0.05'}", 0.0117f, 0.0039f, 0.05f},
      {"negative-thickness.DICOM", "{'Manufacturer': 'TOPCON', 'SpacingBetweenSlices': None, "
       "'SliceThickness': '-0.07'}", 0.0117f, 0.0039f, 0.07f},
      // As deep along z as wide along x, whatever the file says about slices.
      {"optos.dicom",
       "{'Columns': 512, 'Rows': 1, 'NumberOfFrames': 128, 'PixelSpacing': ['0.0117', "
       "'0.0039'], 'SpacingBetweenSlices': None}",
       0.0117f, 0.0039f, 512.0f * 0.0117f / 128.0f},
  };
  const TempDir dir;
  std::vector<DicomFile> files;
  for (const auto& c : kCases)
    files.push_back({c.name, c.overrides});
  WriteDicomFiles(dir, files);

  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LOCTVolume volume;
    ASSERT_EQ(Read(volume, dir.File(c.name)).result, kScanOk);
    EXPECT_EQ(volume.spacingX, c.x);
    EXPECT_EQ(volume.spacingY, c.y);
    EXPECT_EQ(volume.spacingZ, c.z);
    EXPECT_EQ(volume.image->GetSpacing()[2], static_cast<double>(c.z));
  }
}

TEST(DicomReader, FramesBecomeSlicesByFlavourAndMaker)
{
  const char* const kZeiss = "'Manufacturer': 'Carl Zeiss Meditec'";
  const std::string rotated = "'DerivationDescription': 'DECRYPTED\\\\UNCOMPRESSED\\\\ROTATED'";
  const struct {
    std::string name;
    std::string overrides;
    Order order;
    int base;
    const char* out;
  } kCases[] = {
      {"optos.dicom", "{}", Order::File, kBase16, ""},
      {"zeiss-optos.dicom", "{" + std::string(kZeiss) + ", " + rotated + "}", Order::File,
       kBase16, ""},
      {"spacing.dcm", "{'SliceThickness': '0.07'}", Order::File, kBase16, ""},
      {"thickness.dcm", "{'SpacingBetweenSlices': None, 'SliceThickness': '0.07'}",
       Order::Reversed, kBase16, ""},
      {"zeiss.dcm", std::string("{") + kZeiss + "}", Order::File, kBase16, ""},
      {"rotated.DICOM", "{" + std::string(kZeiss) + ", " + rotated + "}", Order::Rotated,
       kBase16, ""},
      {"rotated8.DICOM", "{'BitsAllocated': 8, " + std::string(kZeiss) + ", " + rotated + "}",
       Order::Rotated, kBase8, ""},
      {"flipped.DICOM", "{" + std::string(kZeiss) + ", " + rotated + " '\\\\FLIPPED'}",
       Order::Reversed, kBase16, ""},
      {"empty.Dicom", std::string("{") + kZeiss + ", 'DerivationDescription': ''}",
       Order::File, kBase16, ""},
      {"unknown.DICOM", std::string("{") + kZeiss + ", 'DerivationDescription': 'DECRYPTED'}",
       Order::File, kBase16,
       "Warning: Unknown DICOM DerivationDescription 'DECRYPTED', frames kept in file order\n"},
      {"heidelberg.DICOM", "{'Manufacturer': 'Heidelberg Engineering'}", Order::Reversed,
       kBase16, ""},
      {"heidelberg8.DICOM", "{'Manufacturer': 'Heidelberg', 'BitsAllocated': 8, '_implicit': True}",
       Order::Reversed, kBase8, ""},
      {"topcon.DICOM", "{'Manufacturer': 'TOPCON'}", Order::File, kBase16, ""},
      // Only ".dcm" files are reversed for their slice thickness.
      {"topcon-thickness.DICOM",
       "{'Manufacturer': 'TOPCON', 'SpacingBetweenSlices': None, 'SliceThickness': '0.07'}",
       Order::File, kBase16, ""},
  };
  const TempDir dir;
  std::vector<DicomFile> files;
  for (const auto& c : kCases)
    files.push_back({c.name, c.overrides});
  WriteDicomFiles(dir, files);

  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LOCTVolume volume;
    const Outcome outcome = Read(volume, dir.File(c.name));
    ASSERT_EQ(outcome.result, kScanOk);
    EXPECT_EQ(outcome.out, c.out);
    EXPECT_TRUE(volume.loaded);
    EXPECT_EQ(volume.sizeX, kX);
    EXPECT_EQ(volume.sizeY, kY);
    EXPECT_EQ(volume.sizeZ, kZ);
    EXPECT_EQ(volume.bytesPerVoxel, c.base == kBase8 ? 1 : 2);
    EXPECT_EQ(VoxelsOf(volume), ExpectedVoxels(c.order, c.base));
  }
}

TEST(DicomReader, FirstMissingAttributeIsNamed)
{
  const struct {
    const char* name;
    const char* overrides;
    const char* out;
  } kCases[] = {
      {"maker.dcm", "{'Manufacturer': None, 'Laterality': None}", "Manufacturer"},
      {"columns.dcm", "{'Columns': None}", "Columns"},
      {"rows.dcm", "{'Rows': None}", "Rows"},
      {"frames.dcm", "{'NumberOfFrames': None}", "NumberOfFrames"},
      {"spacing.dcm", "{'PixelSpacing': None}", "PixelSpacing"},
      {"one-spacing.dcm", "{'PixelSpacing': ['0.0039']}", "PixelSpacing"},
      {"slices.dcm", "{'SpacingBetweenSlices': None}", "SpacingBetweenSlices, SliceThickness"},
      {"slices.DICOM", "{'SpacingBetweenSlices': None}", "SpacingBetweenSlices, SliceThickness"},
      {"bits.dcm", "{'BitsAllocated': None}", "BitsAllocated"},
      {"eye.dcm", "{'Laterality': None}", "Laterality, ImageLaterality"},
      {"zeiss.DICOM", "{'Manufacturer': 'Zeiss'}", "DerivationDescription"},
      {"pixels.dcm", "{'PixelData': None}", "PixelData"},
      {"short16.dcm", "{'_values': 23}", "PixelData"},
      {"short8.dcm", "{'BitsAllocated': 8, '_values': 22}", "PixelData"},
  };
  const TempDir dir;
  std::vector<DicomFile> files;
  for (const auto& c : kCases)
    files.push_back({c.name, c.overrides});
  WriteDicomFiles(dir, files);

  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LOCTVolume volume;
    const Outcome outcome = Read(volume, dir.File(c.name));
    EXPECT_EQ(outcome.result, kScanDicomMissing);
    EXPECT_EQ(outcome.out, std::string("Error: No DICOM header - ") + c.out + "\n");
    EXPECT_FALSE(volume.loaded);
  }
}

TEST(DicomReader, RefusesVolumesItCannotHold)
{
  const char* const kCases[] = {
      "{'Columns': 0}",        "{'Rows': 0}",          "{'NumberOfFrames': 0}",
      "{'NumberOfFrames': -2}", "{'BitsAllocated': 12}", "{'BitsAllocated': 32}",
      "{'SamplesPerPixel': 3}",
  };
  const TempDir dir;
  std::vector<DicomFile> files;
  for (size_t i = 0; i < std::size(kCases); ++i)
    files.push_back({"case" + std::to_string(i) + ".dicom", kCases[i]});
  WriteDicomFiles(dir, files);

  for (size_t i = 0; i < std::size(kCases); ++i) {
    SCOPED_TRACE(kCases[i]);
    LOCTVolume volume;
    const Outcome outcome = Read(volume, dir.File(files[i].name));
    EXPECT_EQ(outcome.result, kScanUnsupported);
    EXPECT_EQ(outcome.out, "Error: Unsupported OCT\n");
    EXPECT_FALSE(volume.loaded);
    EXPECT_FALSE(volume.image);
  }
}

TEST(DicomReader, DecodesJpegLosslessAndRefusesUndecodedPixels)
{
  const TempDir dir;
  WriteDicomFiles(dir, {{"plain16.dcm", "{}"}, {"plain8.dcm", "{'BitsAllocated': 8}"}});
  const struct {
    const char* tool;
    const char* source;
    const char* syntax;
    int result;
    int base;
  } kCases[] = {
      {"dcmcjpeg +e1", "plain16.dcm", "JPEG Lossless", kScanOk, kBase16},
      {"dcmcjpeg +e1", "plain8.dcm", "JPEG Lossless", kScanOk, kBase8},
      {"dcmcjpeg +el", "plain16.dcm", "JPEG Lossless", kScanOk, kBase16},
      // No decoder is registered for RLE, so its pixel data cannot be fetched.
      {"dcmcrle", "plain16.dcm", "RLE Lossless", kScanDicomMissing, kBase16},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.tool) + " " + c.source);
    const std::string coded = dir.File("coded.dcm");
    ASSERT_EQ(fixtures::RunCommand(std::string(c.tool) + " " + dir.File(c.source) + " " + coded),
              0);
    std::string dump;
    ASSERT_EQ(fixtures::RunCommand("dcmdump " + coded, &dump), 0);
    ASSERT_NE(dump.find(std::string("# Used TransferSyntax: ") + c.syntax), std::string::npos);

    LOCTVolume volume;
    const Outcome outcome = Read(volume, coded);
    ASSERT_EQ(outcome.result, c.result);
    if (c.result == kScanOk)
      EXPECT_EQ(VoxelsOf(volume), ExpectedVoxels(Order::File, c.base));
    else
      EXPECT_EQ(outcome.out, "Error: No DICOM header - PixelData\n");
  }
}

TEST(DicomReader, FilesThatAreNotDicomCannotBeLoaded)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::WriteText(dir.File("notes.dcm"), "These are notes, not a scan.\n"));
  ASSERT_TRUE(fixtures::WriteText(dir.File("empty.DICOM"), ""));
  for (const char* name : {"notes.dcm", "empty.DICOM", "missing.dicom"}) {
    SCOPED_TRACE(name);
    LOCTVolume volume;
    std::string err;
    Outcome outcome{};
    {
      const StdoutCapture captureErr(2);
      outcome = Read(volume, dir.File(name));
      err = captureErr.Text();
    }
    EXPECT_EQ(outcome.result, kScanOpenFailed);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(err.find(dir.File(name) + ": "), std::string::npos) << err;
    EXPECT_FALSE(volume.loaded);
  }
}

}  // namespace
