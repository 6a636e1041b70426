#include "data/DecoderHelper.h"
#include "data/Diagnostics.h"
#include "data/ItkVolumeExtent.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResidentPages.h"
#include "fixtures/ScopedDecoder.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolkitFaults.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Read {
  int result = 0;
  std::string out;
};

Read ReadScan(LOCTVolume& volume, const std::string& path)
{
  const StdoutCapture capture;
  const int result = volume.ReadScanFile(path);
  return {result, capture.Text()};
}

Read ReadLabels(LOCTVolume& volume, const std::string& path)
{
  const StdoutCapture capture;
  const int result = volume.ReadLabelFile(path);
  return {result, capture.Text()};
}

std::vector<unsigned short> VoxelsOf(const LOCTVolume& volume)
{
  return volume.Voxels() ? std::vector<unsigned short>(volume.Voxels(), volume.Voxels() + volume.VoxelCount())
                         : std::vector<unsigned short>();
}

// Every field, the image's own geometry and every voxel.
void ExpectSameVolume(const LOCTVolume& a, const LOCTVolume& b)
{
  EXPECT_EQ(a.loaded, b.loaded);
  EXPECT_EQ(a.sizeX, b.sizeX);
  EXPECT_EQ(a.sizeY, b.sizeY);
  EXPECT_EQ(a.sizeZ, b.sizeZ);
  EXPECT_EQ(a.format, b.format);
  EXPECT_EQ(a.spacingX, b.spacingX);
  EXPECT_EQ(a.spacingY, b.spacingY);
  EXPECT_EQ(a.spacingZ, b.spacingZ);
  EXPECT_EQ(a.bytesPerVoxel, b.bytesPerVoxel);
  EXPECT_EQ(a.laterality, b.laterality);
  EXPECT_EQ(a.centerType, b.centerType);
  ASSERT_EQ(bool(a.image), bool(b.image));
  if (!a.image)
    return;
  EXPECT_EQ(a.image->GetSpacing(), b.image->GetSpacing());
  EXPECT_EQ(a.image->GetOrigin(), b.image->GetOrigin());
  EXPECT_EQ(a.image->GetDirection(), b.image->GetDirection());
  EXPECT_EQ(a.image->GetLargestPossibleRegion(), b.image->GetLargestPossibleRegion());
  EXPECT_TRUE(VoxelsOf(a) == VoxelsOf(b));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// A child process of the test that is still there, running or not reaped.
bool AnyChildLeft()
{
  int status = 0;
  return !(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

// The scan files of every kind the helper reads, and two the program reads itself: the
// small demo folder's scan and labels, the real device samples and files written by
// oracles (nibabel, tifffile, pydicom) in the readers' own tests' layouts.
std::vector<std::string> ScanFiles(const TempDir& dir)
{
  const std::string demo = dir.File("Demo");
  EXPECT_TRUE(fixtures::MakeSmallDemo(demo));
  EXPECT_TRUE(fixtures::WriteText(dir.File("files.txt"),
                                  dir.File("flavour1.dicom") + "\t{}\n" + dir.File("flavour2.DICOM") +
                                      "\t{'Manufacturer': 'Heidelberg'}\n" + dir.File("flavour3.dcm") + "\t{}\n"));
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/fixtures/write_dicom.py " +
                                 dir.File("files.txt")), 0);
  EXPECT_TRUE(fixtures::WriteText(dir.File("oracle.py"), R"(
import nibabel as nib, numpy as np, tifffile
x, y, z = np.meshgrid(np.arange(6), np.arange(4), np.arange(3), indexing='ij')
p = x + 7 * y + 31 * z
affine = np.array([[0.01, 0, 0, 3], [0, 0.002, 0, -2], [0, 0, 0.05, 1], [0, 0, 0, 1]])
nib.save(nib.Nifti1Image(p.astype(np.uint8), affine), 'u8.nii')
nib.save(nib.Nifti1Image((p * 300).astype(np.uint16), affine), 'scan.nii.gz')
nib.save(nib.AnalyzeImage(p.astype(np.int16), affine), 'an.hdr')
tifffile.imwrite('multi.tif', (p.transpose(2, 1, 0) * 300).astype(np.uint16), photometric='minisblack',
                 resolution=(100, 100), resolutionunit='INCH')
tifffile.imwrite('single.tif', p[:, :, 0].T.astype(np.uint8))
)"));
  EXPECT_EQ(fixtures::RunCommand("cd '" + dir.Path().string() + "' && /usr/bin/python3 oracle.py"), 0);
  EXPECT_TRUE(fixtures::WriteText(dir.File("broken.mhd"), "ObjectType = Image\nNDims = 3\n"));
  return {demo + "/Demo_OCT.mhd", demo + "/Demo_Vessel_Vamo.mhd", dir.File("flavour1.dicom"),
          dir.File("flavour2.DICOM"), dir.File("flavour3.dcm"), dir.File("u8.nii"), dir.File("scan.nii.gz"),
          dir.File("an.hdr"), dir.File("multi.tif"), dir.File("single.tif"), dir.File("broken.mhd"),
          dir.File("missing.mhd"),
          fixtures::CopySample("heidelberg_valid.vol", dir.Path().string()),
          fixtures::CopySample("topcon_minimized.fds", dir.Path().string())};
}

// Reads the file in this process and through the helper, as a scan and as labels, expects
// the same result, lines, fields and voxels, and returns the result.
int ExpectSameThroughHelper(const std::string& path, const std::string& helperPath = STRATAVIEW_DECODER)
{
  LOCTVolume inProcess;
  const Read expected = ReadScan(inProcess, path);
  for (const auto read : {ReadScan, ReadLabels}) {
    LOCTVolume throughHelper;
    Read got;
    {
      const fixtures::ScopedDecoder helper(decoder::Limits().baseTime, helperPath);
      got = read(throughHelper, path);
    }
    EXPECT_EQ(got.result, expected.result);
    EXPECT_EQ(got.out, expected.out);
    if (expected.result == kScanOk)
      ExpectSameVolume(throughHelper, inProcess);
    else
      EXPECT_FALSE(throughHelper.loaded);
  }
  return expected.result;
}

using fixtures::ResidentBytes;

// Labels read as labels hold memory only in the pages where they are set, through every road
// that gives them voxels of their own: the read, the copy a first brush stroke makes of
// labels another volume shares, and a new empty volume; the voxels are those of the file.
TEST(DecoderHelper, LabelsHoldMemoryOnlyWhereTheyAreSet)
{
  const TempDir dir;
  const int size[3] = {512, 256, 32};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};
  const uint64_t bytes = uint64_t(size[0]) * size[1] * size[2] * sizeof(unsigned short);
  for (const int bytesPerVoxel : {1, 2}) {
    SCOPED_TRACE(bytesPerVoxel);
    const std::string path = dir.File("labels" + std::to_string(bytesPerVoxel) + ".mhd");
    {
      LOCTVolume written;
      ASSERT_EQ(written.CreateVolume(size, FormatMetaImage, spacing, bytesPerVoxel, LateralityOD, CenterMacula), 0);
      EXPECT_LT(ResidentBytes(written.Voxels(), bytes), 64u * 1024);
      // A hundred voxels set, each in a page of its own.
      for (uint64_t i = 0; i < 100; ++i)
        written.Voxels()[i * (written.VoxelCount() / 100) + 7] = bytesPerVoxel == 1 ? 255 : 65535;
      ASSERT_EQ(written.WriteMetaImage(path), 0);
    }
    const fixtures::ScopedDecoder helper;
    LOCTVolume asScan, asLabels;
    ASSERT_EQ(asScan.ReadScanFile(path), kScanOk);
    ASSERT_EQ(asLabels.ReadLabelFile(path), kScanOk);
    // Taken before anything reads the voxels: on kernels that give reads of an untouched
    // page a page of its own (rather than the shared zero page) any full pass makes all of
    // them resident.
    EXPECT_GT(ResidentBytes(asScan.Voxels(), bytes), bytes / 2);
    EXPECT_LT(ResidentBytes(asLabels.Voxels(), bytes), bytes / 8);
    LOCTVolume painted;
    painted.ShareVoxels(asLabels);
    unsigned short* own = painted.WritableVoxels();
    ASSERT_NE(own, asLabels.Voxels());
    own[1] = 1;
    EXPECT_LT(ResidentBytes(own, bytes), bytes / 8);

    ExpectSameVolume(asLabels, asScan);
    std::vector<unsigned short> expected = VoxelsOf(asLabels);
    expected[1] = 1;
    EXPECT_TRUE(VoxelsOf(painted) == expected);
  }
}

TEST(DecoderHelper, EveryScanFormatArrivesAsTheProgramReadsIt)
{
  const TempDir dir;
  for (const std::string& path : ScanFiles(dir)) {
    SCOPED_TRACE(path);
    ExpectSameThroughHelper(path);
  }
  EXPECT_FALSE(AnyChildLeft());
}

// A MetaImage whose voxels lie as one stretch of one data file comes as that stretch, which
// the program reads itself; every other layout comes decoded. Either way the volume is the
// one the program reads in its own process: every element type in both byte orders, the
// data in the header file, after skipped bytes, in a longer file, in another folder.
TEST(DecoderHelper, MetaImageLayoutsArriveAsTheProgramReadsThem)
{
  const TempDir dir;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/data/metaimage_layouts.py " +
                                 dir.Path().string()), 0);
  enum Road { Stretch, Decoded, Refused };
  std::vector<std::pair<std::string, Road>> cases = {
      {"local.mha", Stretch},          {"local-msb.mha", Stretch},     {"skip.mhd", Stretch},
      {"longer.mhd", Stretch},         {"sub.mhd", Stretch},           {"absolute.mhd", Stretch},
      {"compressed.mhd", Decoded},     {"at-end.mhd", Decoded},        {"local-trailing.mha", Decoded},
      {"two-channels.mhd", Decoded},   {"four-d.mhd", Decoded},        {"text.mhd", Decoded},
      {"short.mhd", Refused},          {"short-local.mha", Refused},   {"skip-past.mhd", Refused},
  };
  for (const char* type : {"MET_UCHAR", "MET_CHAR", "MET_USHORT", "MET_SHORT", "MET_UINT", "MET_INT",
                           "MET_ULONG_LONG", "MET_LONG_LONG", "MET_FLOAT", "MET_DOUBLE"})
    for (const char* order : {"_LSB.mhd", "_MSB.mhd"})
      cases.emplace_back(std::string(type) + order, Stretch);
  for (const auto& [name, road] : cases) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    LOCTVolume described;
    decoder::VoxelExtent extent;
    std::string dataPath;
    int description = 0;
    {
      const StdoutCapture quiet;
      description = DescribeVoxelExtent(path, described, extent, dataPath);
    }
    EXPECT_EQ(description, road == Stretch ? kScanOk : road == Decoded ? kNoVoxelExtent : kScanOpenFailed);
    EXPECT_EQ(ExpectSameThroughHelper(path), road == Refused ? kScanOpenFailed : kScanOk);
  }
}

// A data file that changes after the helper checked it is refused, never read as voxels the
// header did not describe: the scan's file error with an "Error: " line, and the volume open
// before stays as it was.
TEST(DecoderHelper, DataFileChangedAfterTheCheckIsRefused)
{
  const auto truncateToHalf = [](const std::string& data) { fs::resize_file(data, fs::file_size(data) / 2); };
  const auto replace = [](const std::string& data) {
    ASSERT_TRUE(fixtures::WriteText(data + ".new", fixtures::ReadAll(data)));
    fs::rename(data + ".new", data);
  };
  const auto rewrite = [](const std::string& data) {
    std::string bytes = fixtures::ReadAll(data);
    bytes[0] = char(bytes[0] + 1);
    ASSERT_TRUE(fixtures::WriteText(data, bytes));
  };
  const auto remove = [](const std::string& data) { fs::remove(data); };
  const struct {
    const char* what;
    std::function<void(const std::string&)> change;
    const char* says;
  } cases[] = {
      {"truncated", truncateToHalf, "is not the file whose header was checked"},
      {"replaced by another file", replace, "is not the file whose header was checked"},
      {"rewritten in place", rewrite, "is not the file whose header was checked"},
      {"removed", remove, "cannot be opened: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir dir;
    ASSERT_TRUE(fixtures::MakeSmallDemo(dir.File("Demo")));
    const std::string scan = dir.File("Demo/Demo_OCT.mhd");
    const fixtures::ScopedDecoder helper;
    LOCTVolume volume;
    ASSERT_EQ(volume.ReadScanFile(scan), kScanOk);
    const std::vector<unsigned short> before = VoxelsOf(volume);

    std::string changed;
    decoder::SetBeforeVoxelRead([&](const std::string& data) {
      changed = data;
      c.change(data);
    });
    const Read read = ReadScan(volume, scan);
    decoder::SetBeforeVoxelRead(nullptr);
    EXPECT_EQ(changed, dir.File("Demo/Demo_OCT.raw"));
    EXPECT_EQ(read.result, kScanOpenFailed);
    EXPECT_EQ(read.out, "Error: The data file " + changed + " " + c.says + "\n");
    EXPECT_TRUE(VoxelsOf(volume) == before);
  }
}

// A name swapped after the program checked the file gives the helper neither another file nor
// a pipe to wait on: the readers that open the file themselves read the one checked, and the
// toolkit, which opens a header by its name to find its data file beside it, refuses a name
// that no longer stands for it, saying so.
TEST(DecoderHelper, ANameSwappedAfterTheCheckReadsTheCheckedFileOrIsRefused)
{
  const TempDir dir;
  const std::vector<std::string> files = ScanFiles(dir);
  const auto named = [&](const char* name) {
    return *std::find_if(files.begin(), files.end(), [&](const std::string& f) { return fs::path(f).filename() == name; });
  };
  const struct {
    std::string path;
    bool checkedFileRead;  // false: the toolkit's refusal
  } kScans[] = {
      {named("heidelberg_valid.vol"), true}, {named("topcon_minimized.fds"), true}, {named("flavour1.dicom"), true},
      {named("an.hdr"), false},              {named("multi.tif"), false},           {named("Demo_OCT.mhd"), false},
  };
  const auto swapForPipe = [](const std::string& path) {
    ASSERT_EQ(::mkfifo((path + ".swap").c_str(), 0666), 0);
    fs::rename(path + ".swap", path);
  };
  const auto swapForOther = [](const std::string& path) {
    ASSERT_TRUE(fixtures::WriteText(path + ".swap", "not the file the user chose"));
    fs::rename(path + ".swap", path);
  };
  for (const auto& swap : {std::function<void(const std::string&)>(swapForPipe), std::function<void(const std::string&)>(swapForOther)}) {
    for (const auto& scan : kScans) {
      SCOPED_TRACE(scan.path);
      const std::string kept = scan.path + ".kept";
      fs::copy_file(scan.path, kept, fs::copy_options::overwrite_existing);
      LOCTVolume expected;
      ASSERT_EQ(ReadScan(expected, scan.path).result, kScanOk);
      // The time the helper may take is short, so that a helper waiting on the pipe fails.
      const fixtures::ScopedDecoder helper(std::chrono::milliseconds(5000));
      decoder::SetAfterCheck(swap);
      const diag::ScopedReasons reasons;
      LOCTVolume volume;
      const Read read = ReadScan(volume, scan.path);
      decoder::SetAfterCheck(nullptr);
      if (scan.checkedFileRead) {
        EXPECT_EQ(read.result, kScanOk) << reasons.Text();
        ExpectSameVolume(volume, expected);
      } else {
        EXPECT_EQ(read.result, kScanOpenFailed);
        EXPECT_EQ(reasons.Text(), scan.path + ": was replaced after it was checked\n");
      }
      fs::remove(scan.path);
      fs::rename(kept, scan.path);
    }
  }
  EXPECT_FALSE(AnyChildLeft());
}

// The pictures of every kind the picture library reads, and one it cannot.
std::vector<std::string> ImageFiles(const TempDir& dir)
{
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/data/image_fixtures.py " +
                                 dir.Path().string()), 0);
  EXPECT_TRUE(fixtures::WriteText(dir.File("garbage.png"), "not an image"));
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    files.push_back(entry.path().string());
  EXPECT_GT(files.size(), 3u);
  return files;
}

void ExpectSameImageThroughHelper(const std::string& file, const std::string& helperPath = STRATAVIEW_DECODER)
{
  LImage2D inProcess, throughHelper;
  const int expected = inProcess.Load(file);
  const fixtures::ScopedDecoder helper(decoder::Limits().baseTime, helperPath);
  EXPECT_EQ(throughHelper.Load(file), expected);
  const LImage2D::Description a = inProcess.Describe(), b = throughHelper.Describe();
  EXPECT_EQ(b.width, a.width);
  EXPECT_EQ(b.height, a.height);
  EXPECT_EQ(b.bitsPerPixel, a.bitsPerPixel);
  EXPECT_EQ(b.fileType, a.fileType);
  EXPECT_EQ(b.planes, a.planes);
  std::vector<uint8_t> planesA(inProcess.PlaneBytes()), planesB(throughHelper.PlaneBytes());
  inProcess.CopyPlanes(planesA.data());
  throughHelper.CopyPlanes(planesB.data());
  EXPECT_TRUE(planesA == planesB);
}

TEST(DecoderHelper, EveryImageKindArrivesAsTheProgramLoadsIt)
{
  const TempDir dir;
  for (const std::string& file : ImageFiles(dir)) {
    SCOPED_TRACE(file);
    ExpectSameImageThroughHelper(file);
  }
}

// Helpers that start under an address-space limit of `kibibytes` which they cannot raise, as
// under a shell's ulimit -v for any user but root (the capability to raise it is dropped),
// in `folder` under the helpers' names. They run the helpers built without the sanitizers,
// which can run under such a limit.
std::string LimitedHelpers(const std::string& folder, uint64_t kibibytes)
{
  fs::create_directories(folder);
  const fs::path helpers = fs::path(STRATAVIEW_UNSANITIZED_DECODER).parent_path();
  for (const char* name : {decoder::kHelperName, decoder::kVolumeHelperName, decoder::kImageHelperName}) {
    const std::string script = (fs::path(folder) / name).string();
    EXPECT_TRUE(fixtures::WriteText(script, "#!/bin/sh\nulimit -v " + std::to_string(kibibytes) +
                                                " || exit 99\nexec setpriv --bounding-set=-sys_resource '" +
                                                (helpers / name).string() + "' \"$@\"\n"));
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  }
  return (fs::path(folder) / decoder::kHelperName).string();
}

// Under an inherited limit below what the helper would set itself (its own use plus the
// memory a read may take), every format still opens as in the program's own process, and
// a read that needs more than the limit leaves is told as such, with what the helper had.
TEST(DecoderHelper, EveryFormatOpensUnderAnInheritedAddressSpaceLimit)
{
  const TempDir dir, images;
  const std::string limited = LimitedHelpers(dir.File("limited"), uint64_t(3) << 20);
  for (const std::string& path : ScanFiles(dir)) {
    SCOPED_TRACE(path);
    ExpectSameThroughHelper(path, limited);
  }
  for (const std::string& file : ImageFiles(images)) {
    SCOPED_TRACE(file);
    ExpectSameImageThroughHelper(file, limited);
  }

  const fixtures::ScopedDecoder helper(decoder::Limits().baseTime, limited);
  const fixtures::ScopedDecoderFault fault("allocate");
  LOCTVolume volume;
  const Read read = ReadScan(volume, dir.File("Demo/Demo_OCT.mhd"));
  EXPECT_EQ(read.result, kScanNoMemory);
  const std::string says = "needs more memory than the decoder may use (";
  const size_t at = read.out.find(says);
  ASSERT_NE(at, std::string::npos) << read.out;
  const int mebibytes = std::atoi(read.out.c_str() + at + says.size());
  EXPECT_GT(mebibytes, 0);
  EXPECT_LT(mebibytes, 3 << 10) << "the helper's own use is not the reads'";
  EXPECT_FALSE(AnyChildLeft());
}

// What a read through a failing helper gives: the kind's file error (a volume's memory code
// when the helper ran out of memory), an "Error: " line naming what happened, the object as
// it was before, and no process left behind.
TEST(DecoderHelper, CrashHangAndMemoryBecomeFileErrors)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::MakeSmallDemo(dir.File("Demo")));
  const std::string scan = dir.File("Demo/Demo_OCT.mhd");
  const std::string image = dir.File("Demo/Demo_Proj_Vamo.png");
  // A sanitizer build's handlers end the helper themselves on a crash or when memory
  // runs out. Only the hang is given a short time: the others must not reach their time
  // limit on a loaded machine before what they test.
  const std::chrono::milliseconds ample = decoder::Limits().baseTime;
  const struct {
    const char* fault;
    const char* says;
    std::chrono::milliseconds time;
    int result = kScanOpenFailed;
  } cases[] = {
      {"abort", "crashed on signal 6", ample},
      {"crash", kSanitized ? "ended with status 1" : "crashed on signal 11", ample},
      {"hang", "took longer than 2 s", std::chrono::seconds(2)},
      // A sanitizer's allocator ends the helper instead of failing the allocation.
      {"allocate", kSanitized ? "ended with status 1" : "needs more memory than the decoder may use", ample,
       kSanitized ? kScanOpenFailed : kScanNoMemory},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    LOCTVolume volume;
    ASSERT_EQ(volume.ReadScanFile(scan), kScanOk);
    const std::vector<unsigned short> before = VoxelsOf(volume);
    LImage2D picture;
    ASSERT_EQ(picture.Load(image), 0);

    const fixtures::ScopedDecoder helper(c.time);
    const fixtures::ScopedDecoderFault fault(c.fault);
    const Read read = ReadScan(volume, scan);
    EXPECT_EQ(read.result, c.result);
    EXPECT_EQ(read.out.rfind("Error: ", 0), 0u) << read.out;
    EXPECT_NE(read.out.find(c.says), std::string::npos) << read.out;
    EXPECT_TRUE(VoxelsOf(volume) == before);
    EXPECT_EQ(volume.sizeX, 64);

    const StdoutCapture capture;
    EXPECT_EQ(picture.Load(image), -1);
    EXPECT_EQ(capture.Text().rfind("Error: ", 0), 0u);
    EXPECT_EQ(picture.GetWidth(), -2);
    EXPECT_FALSE(AnyChildLeft());
  }
}

// Voxels the program reads itself take no more memory than the helper may: a real file too
// large for the limit fails as it would in the helper.
TEST(DecoderHelper, StretchBeyondTheMemoryLimitIsAMemoryFailure)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::WriteText(dir.File("big.mhd"), "ObjectType = Image\nNDims = 3\nBinaryData = True\n"
                                                         "BinaryDataByteOrderMSB = False\nCompressedData = False\n"
                                                         "DimSize = 4096 4096 8\nElementType = MET_USHORT\n"
                                                         "ElementDataFile = big.raw\n"));
  ASSERT_TRUE(fixtures::WriteText(dir.File("big.raw"), ""));
  fs::resize_file(dir.File("big.raw"), uint64_t(4096) * 4096 * 8 * 2);  // sparse: takes no disk
  const fixtures::ScopedDecoder helper;
  decoder::Limits limits = decoder::CurrentLimits();
  limits.memoryBytes = uint64_t(64) << 20;
  decoder::SetLimits(limits);
  LOCTVolume volume;
  const Read read = ReadScan(volume, dir.File("big.mhd"));
  EXPECT_EQ(read.result, kScanNoMemory);
  EXPECT_EQ(read.out, "Error: Reading " + dir.File("big.mhd") + " needs more memory than the decoder may use (64 MiB)\n");
  EXPECT_FALSE(volume.loaded);
}

TEST(DecoderHelper, MissingHelperIsAFileError)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::MakeSmallDemo(dir.File("Demo")));
  const fixtures::ScopedDecoder helper(decoder::Limits().baseTime, dir.File("no-such-helper"));
  LOCTVolume volume;
  const Read read = ReadScan(volume, dir.File("Demo/Demo_OCT.mhd"));
  EXPECT_EQ(read.result, kScanOpenFailed);
  // A scan in a toolkit's volume format goes to the volume helper beside the helper.
  EXPECT_EQ(read.out, "Error: The decoder " + dir.File(decoder::kVolumeHelperName) +
                          " cannot be started: No such file or directory\n");
  // A picture goes to the picture helper beside it.
  LImage2D picture;
  const StdoutCapture capture;
  EXPECT_EQ(picture.Load(dir.File("Demo/Demo_Proj_Vamo.png")), -1);
  EXPECT_EQ(capture.Text(), "Error: The decoder " + dir.File(decoder::kImageHelperName) +
                                " cannot be started: No such file or directory\n");
  // The readers of this program's own formats need no helper.
  EXPECT_EQ(volume.ReadScanFile(fixtures::CopySample("topcon_minimized.fds", dir.Path().string())), kScanOk);
}

// Files on which the toolkits themselves abort, crash, hang or run out of memory. Reading
// past a buffer or freeing a wrong pointer shows only where the sanitizers watch; a leak
// costs the helper, which ends, and nothing else.
TEST(DecoderHelper, FilesThatBreakTheToolkitsAreFileErrors)
{
  const TempDir dir;
  const fixtures::ScopedDecoder helper(std::chrono::seconds(5));
  for (const fixtures::ToolkitFault& fault : fixtures::ToolkitFaultFiles()) {
    SCOPED_TRACE(std::string(fault.kind) + "/" + fault.name);
    const std::string path = fixtures::PlaceToolkitFault(dir.Path().string(), fault.kind, fault.name);
    ASSERT_FALSE(path.empty());
    if (std::string(fault.kind) == "image2d") {
      LImage2D picture;
      const int result = picture.Load(path);
      if (fixtures::FailsInThisBuild(fault)) {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(picture.GetWidth(), -2);
      }
    } else {
      LOCTVolume volume;
      const Read read = ReadScan(volume, path);
      if (fixtures::FailsInThisBuild(fault)) {
        EXPECT_NE(read.result, kScanOk) << read.out;
        EXPECT_FALSE(volume.loaded);
      }
    }
    EXPECT_FALSE(AnyChildLeft());
  }
}

TEST(DecoderHelper, HelpersLieBesideTheProgram)
{
  const fs::path program(STRATAVIEW_PROGRAM);
  EXPECT_EQ(program.parent_path() / decoder::kHelperName, fs::path(STRATAVIEW_DECODER));
  EXPECT_TRUE(fs::exists(STRATAVIEW_DECODER));
  EXPECT_TRUE(fs::exists(program.parent_path() / decoder::kVolumeHelperName));
  EXPECT_TRUE(fs::exists(program.parent_path() / decoder::kImageHelperName));
  EXPECT_EQ(fs::path(decoder::HelperBesideProgram()).parent_path(), fs::read_symlink("/proc/self/exe").parent_path());
}

// The volume helper is started for every scan in a toolkit format and the picture helper
// for every projection and disc image; loading the other toolkits' file formats, with
// everything beneath them, would more than double their start.
TEST(DecoderHelper, LeanHelpersLoadNoOtherToolkit)
{
  const struct {
    const char* helper;
    const char* own;
    std::vector<const char*> others;
  } helpers[] = {
    {decoder::kVolumeHelperName, "libITKIOMeta", {"libdcm", "libofstd", "libfreeimage", "libtinyxml2"}},
    {decoder::kImageHelperName, "libfreeimage", {"libITKIOMeta", "libITKIONIFTI", "libITKIOTIFF", "libdcm", "libofstd", "libtinyxml2"}},
  };
  for (const auto& h : helpers) {
    SCOPED_TRACE(h.helper);
    const std::string helper = (fs::path(STRATAVIEW_DECODER).parent_path() / h.helper).string();
    std::string libraries;
    ASSERT_EQ(fixtures::RunCommand("ldd '" + helper + "'", &libraries), 0);
    EXPECT_NE(libraries.find(h.own), std::string::npos) << libraries;
    for (const char* other : h.others)
      EXPECT_EQ(libraries.find(other), std::string::npos) << other;
  }
}

}  // namespace
