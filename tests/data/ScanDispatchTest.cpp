#include "data/LOCTVolume.h"
#include "data/ScanRoute.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kOptovueSmallest = 139207680u;

TEST(ScanDispatch, ExtensionAndSizePickTheReader)
{
  const struct {
    const char* path;
    uint64_t size;
    ScanRoute route;
  } cases[] = {
      {"scan.img", 0, ScanRoute::ZeissRaw},
      {"scan.IMG", 0, ScanRoute::ZeissRaw},
      {"scan.Img", 0, ScanRoute::ZeissRaw},
      {"scan.raw", 0, ScanRoute::ZeissRaw},
      {"scan.FDS", 0, ScanRoute::TopconFds},
      {"scan.vol", 0, ScanRoute::HeidelbergVol},
      {"scan.oct", kOptovueSmallest, ScanRoute::OptovueRaw},
      {"scan.OCT", 314572800u, ScanRoute::OptovueRaw},
      {"scan.oct", kOptovueSmallest + 1, ScanRoute::BioptigenOct},
      {"scan.oct", (uint64_t(1) << 32) + kOptovueSmallest, ScanRoute::BioptigenOct},
      {"scan.oct", 0, ScanRoute::BioptigenOct},
      {"x.ScanParameters.dat", 0, ScanRoute::CanonTomograms},
      {"x.scanparameters.dat", 0, ScanRoute::CanonTomograms},
      {"x.dat", 0, ScanRoute::Unsupported},
      {"scan.dicom", 0, ScanRoute::DicomFlavour1},
      {"scan.DICOM", 0, ScanRoute::DicomFlavour2},
      {"scan.Dicom", 0, ScanRoute::DicomFlavour2},
      {"scan.dcm", 0, ScanRoute::DicomFlavour3},
      {"scan.DCM", 0, ScanRoute::DicomFlavour3},
      {"scan.mhd", 0, ScanRoute::MetaImage},
      {"scan.MHA", 0, ScanRoute::MetaImage},
      {"scan.hdr", 0, ScanRoute::Analyze},
      {"scan.nii", 0, ScanRoute::NIfTI},
      {"scan.NII.GZ", 0, ScanRoute::NIfTI},
      {"scan.gz", 0, ScanRoute::Unsupported},
      {"scan.tif", 0, ScanRoute::TIFF},
      {"scan.TIFF", 0, ScanRoute::TIFF},
      {"/data/in.dir/scan.Tiff", 0, ScanRoute::TIFF},
      {"scan.xyz", 0, ScanRoute::Unsupported},
      {"scan", 0, ScanRoute::Unsupported},
      {"/data/study.mhd/scan", 0, ScanRoute::Unsupported},  // the "." lies in a folder name
      {"/home/u/.cache/x_OCT", 0, ScanRoute::Unsupported},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " of " + std::to_string(c.size) + " bytes");
    EXPECT_EQ(ClassifyScanPath(c.path, c.size), c.route);
  }
}

TEST(ScanDispatch, UnsupportedPathsAreReportedWithoutReading)
{
  const TempDir dir;
  // A readable toolkit file behind a name the dispatcher does not accept stays unread.
  ASSERT_TRUE(fixtures::WriteText(dir.File("scan.xyz"), "ObjectType = Image\n"));
  std::filesystem::create_directory(dir.Path() / "study.mhd");
  for (const std::string& path : {dir.File("scan.xyz"), dir.File("scan"), dir.File("study.mhd/scan")}) {
    SCOPED_TRACE(path);
    LOCTVolume volume;
    StdoutCapture out;
    EXPECT_EQ(volume.ReadScanFile(path), kScanUnsupported);
    EXPECT_EQ(out.Text(), "Error: Unsupported OCT\n");
    EXPECT_FALSE(volume.loaded);
  }
}

}  // namespace
