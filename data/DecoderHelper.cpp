#include "data/DecoderHelper.h"

#include "data/DecodeService.h"
#include "data/DecodeWire.h"
#include "data/Diagnostics.h"
#include "data/FileDescriptor.h"
#include "data/HelperProcess.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "data/SharedVoxels.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace decoder {

namespace {

std::string g_Helper;
Limits g_Limits;

// Bytes a read may touch: the file and the data files that MetaImage and Analyze headers
// name beside themselves.
uint64_t InputBytes(const std::string& path)
{
  namespace fs = std::filesystem;
  std::error_code error;
  uint64_t bytes = 0;
  const fs::path file(path);
  for (const fs::path& candidate : {file, fs::path(file).replace_extension(".raw"),
                                    fs::path(file).replace_extension(".img"), fs::path(file).replace_extension(".zraw")}) {
    const uintmax_t size = fs::file_size(candidate, error);
    if (!error)
      bytes += size;
  }
  return bytes;
}

std::chrono::milliseconds TimeLimit(const std::string& path)
{
  return g_Limits.baseTime + g_Limits.timePerMiB * static_cast<int64_t>(InputBytes(path) >> 20);
}

std::string SignalName(int signal)
{
  const char* description = ::strsignal(signal);
  return "signal " + std::to_string(signal) + (description ? std::string(" (") + description + ")" : "");
}

// The "Error: " line for a helper that gave no result.
void ReportEnd(const HelperEnd& end, const std::string& path, std::chrono::milliseconds limit)
{
  switch (end.kind) {
  case HelperEnd::Kind::NotStarted:
    diag::Error("The decoder " + g_Helper + " cannot be started: " + std::strerror(end.code));
    return;
  case HelperEnd::Kind::TimedOut:
    diag::Error("Reading " + path + " took longer than " + std::to_string(limit.count() / 1000) +
                " s; the decoder was stopped");
    return;
  case HelperEnd::Kind::Signalled:
    diag::Error("The decoder crashed on " + SignalName(end.code) + " reading " + path);
    return;
  case HelperEnd::Kind::Exited:
    diag::Error("The decoder ended with status " + std::to_string(end.code) + " reading " + path);
    return;
  }
}

// The helper's result: true with the record and the shared file holding the voxels or
// planes, or false after an "Error: " line.
bool Decode(const char* kind, const std::string& path, DecodedRecord& record, FileDescriptor& shared)
{
  shared = FileDescriptor(::memfd_create("strataview-decoded", MFD_CLOEXEC));
  if (!shared.IsOpen()) {
    diag::Error(std::string("No shared memory for the decoder: ") + std::strerror(errno));
    return false;
  }
  std::vector<std::string> argv = {g_Helper};
  for (std::string& argument : RequestArguments({kind, path, g_Limits.memoryBytes, ::getpid()}))
    argv.push_back(std::move(argument));
  const std::chrono::milliseconds limit = TimeLimit(path);
  const HelperEnd end = RunHelper(argv, kResultFd, kSharedFd, shared.Get(), limit, diag::PrintLine);
  if (end.kind == HelperEnd::Kind::Exited && end.code == 0 && end.result.size() == sizeof record) {
    std::memcpy(&record, end.result.data(), sizeof record);
    if (record.magic == kRecordMagic)
      return true;
  }
  ReportEnd(end, path, limit);
  return false;
}

// The shared file, mapped, when it holds exactly `bytes` bytes.
SharedMapping MapExactly(const FileDescriptor& shared, uint64_t bytes)
{
  struct stat status{};
  if (bytes == 0 || ::fstat(shared.Get(), &status) != 0 || uint64_t(status.st_size) != bytes)
    return SharedMapping();
  return SharedMapping::Map(shared.Get(), bytes, true);
}

int HandOverFailed(const std::string& path)
{
  diag::Error("The decoder handed over an inconsistent result for " + path);
  return -1;
}

bool ValidVolume(const DecodedRecord& record)
{
  uint64_t count = 1;
  for (const int32_t size : record.size) {
    if (size <= 0)
      return false;
    count *= uint64_t(size);
    if (count > kMaxScanVoxels)
      return false;
  }
  return record.sharedBytes == count * sizeof(unsigned short) &&
         (record.bytesPerVoxel == 1 || record.bytesPerVoxel == 2);
}

}  // namespace

std::string HelperBesideProgram()
{
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : (program.parent_path() / kHelperName).string();
}

void UseHelper(const std::string& helper)
{
  g_Helper = helper;
}

const std::string& Helper()
{
  return g_Helper;
}

void SetLimits(const Limits& limits)
{
  g_Limits = limits;
}

const Limits& CurrentLimits()
{
  return g_Limits;
}

int ReadScan(LOCTVolume& volume, const std::string& path)
{
  DecodedRecord record;
  FileDescriptor shared;
  if (!Decode(kScanRequest, path, record, shared))
    return kScanOpenFailed;
  if (record.result != kScanOk)
    return record.result;
  if (!ValidVolume(record))
    return HandOverFailed(path);
  SharedMapping mapping = MapExactly(shared, record.sharedBytes);
  if (!mapping.Data())
    return HandOverFailed(path);

  LOCTVolume::ImageType::Pointer image = LOCTVolume::ImageType::New();
  LOCTVolume::ImageType::RegionType region;
  LOCTVolume::ImageType::SpacingType spacing;
  LOCTVolume::ImageType::PointType origin;
  LOCTVolume::ImageType::DirectionType direction;
  for (unsigned i = 0; i < 3; ++i) {
    region.SetSize(i, static_cast<itk::SizeValueType>(record.size[i]));
    spacing[i] = record.imageSpacing[i];
    origin[i] = record.origin[i];
    for (unsigned j = 0; j < 3; ++j)
      direction(i, j) = record.direction[3 * i + j];
  }
  image->SetRegions(region);
  image->SetSpacing(spacing);
  image->SetOrigin(origin);
  image->SetDirection(direction);
  SharedVoxels::Pointer voxels = SharedVoxels::New();
  voxels->Adopt(std::move(mapping), size_t(record.sharedBytes / sizeof(unsigned short)));
  image->SetPixelContainer(voxels);

  volume.sizeX = record.size[0];
  volume.sizeY = record.size[1];
  volume.sizeZ = record.size[2];
  volume.format = static_cast<ScanFormat>(record.format);
  volume.spacingX = record.spacing[0];
  volume.spacingY = record.spacing[1];
  volume.spacingZ = record.spacing[2];
  volume.bytesPerVoxel = record.bytesPerVoxel;
  volume.laterality = static_cast<Laterality>(record.laterality);
  volume.centerType = static_cast<CenterType>(record.centerType);
  volume.image = image;
  volume.loaded = true;
  return kScanOk;
}

int LoadImage(LImage2D& image, const std::string& path)
{
  const LImage2D::Description nothing;
  DecodedRecord record;
  FileDescriptor shared;
  if (!Decode(kImageRequest, path, record, shared) || record.result != 0) {
    (void)image.Adopt(nothing, nullptr, 0);  // a failed load holds no image
    return -1;
  }
  const SharedMapping mapping = MapExactly(shared, record.sharedBytes);
  const LImage2D::Description described{record.width, record.height, record.bitsPerPixel, record.fileType,
                                        record.planes};
  if (!image.Adopt(described, static_cast<const uint8_t*>(mapping.Data()), mapping.Bytes()))
    return HandOverFailed(path);
  return 0;
}

}  // namespace decoder
