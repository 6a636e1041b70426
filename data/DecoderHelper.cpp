#include "data/DecoderHelper.h"

#include "data/DecodeService.h"
#include "data/DecodeWire.h"
#include "data/Diagnostics.h"
#include "data/FileDescriptor.h"
#include "data/HelperProcess.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "data/MappedVoxels.h"
#include "data/ReadableFile.h"
#include "data/VoxelExtent.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace decoder {

namespace {

std::string g_Helper;
Limits g_Limits;
std::function<void(const std::string&)> g_BeforeVoxelRead;
std::function<void(const std::string&)> g_AfterCheck;

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
void ReportEnd(const HelperEnd& end, const std::string& helper, const std::string& path,
               std::chrono::milliseconds limit)
{
  switch (end.kind) {
  case HelperEnd::Kind::NotStarted:
    diag::Error("The decoder " + helper + " cannot be started: " + std::strerror(end.code));
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

// The record and the data file's path that follows it, when the helper's result holds
// exactly those.
bool TakeResult(const std::string& result, DecodedRecord& record, std::string& dataPath)
{
  if (result.size() < sizeof record)
    return false;
  std::memcpy(&record, result.data(), sizeof record);
  dataPath = result.substr(sizeof record);
  return record.magic == kRecordMagic && dataPath.size() == record.dataPathBytes &&
         dataPath.find('\0') == std::string::npos;
}

// The helper's result: true with the record, the shared file holding the voxels or planes
// and the path of a data file to read them from, or false after an "Error: " line, with
// `noMemory` set when memory for the shared file or the helper's start could not be had.
bool Decode(const std::string& helper, const char* kind, const std::string& path, DecodedRecord& record,
            FileDescriptor& shared, std::string& dataPath, bool& noMemory)
{
  noMemory = false;
  // A pipe or a folder under the name is refused here, at once, rather than holding the
  // helper until its time runs out. The helper reads the file opened here, so that a name
  // swapped after this check cannot give it another file, or a pipe to wait on.
  const readable::ReadableFile file = readable::Open(path);
  if (!file.IsOpen()) {
    readable::ReportRefusal(path, file);
    return false;
  }
  if (g_AfterCheck)
    g_AfterCheck(path);
  shared = FileDescriptor(::memfd_create("strataview-decoded", MFD_CLOEXEC));
  if (!shared.IsOpen()) {
    noMemory = errno == ENOMEM;
    diag::Error(std::string("No shared memory for the decoder: ") + std::strerror(errno));
    return false;
  }
  std::vector<std::string> argv = {helper};
  for (std::string& argument : RequestArguments({kind, path, g_Limits.memoryBytes, ::getpid()}))
    argv.push_back(std::move(argument));
  const std::chrono::milliseconds limit = TimeLimit(path);
  const HelperEnd end = RunHelper(argv, kResultFd, {{shared.Get(), kSharedFd}, {file.descriptor.Get(), kInputFd}},
                                  limit, {diag::PrintLine, diag::RelayErrorLine});
  if (end.kind == HelperEnd::Kind::Exited && end.code == 0 && TakeResult(end.result, record, dataPath))
    return true;
  noMemory = end.kind == HelperEnd::Kind::NotStarted && (end.code == ENOMEM || end.code == EAGAIN);
  ReportEnd(end, helper, path, limit);
  return false;
}

// The shared file, mapped, when it holds exactly `bytes` bytes.
MemoryMapping MapExactly(const FileDescriptor& shared, uint64_t bytes)
{
  struct stat status{};
  if (bytes == 0 || ::fstat(shared.Get(), &status) != 0 || uint64_t(status.st_size) != bytes)
    return MemoryMapping();
  return MemoryMapping::Map(shared.Get(), bytes, true);
}

int HandOverFailed(const std::string& path)
{
  diag::Error("The decoder handed over an inconsistent result for " + path);
  return -1;
}

// The voxels the record's sizes announce, when they make a volume; 0 otherwise.
uint64_t VoxelsAnnounced(const DecodedRecord& record)
{
  uint64_t count = 1;
  for (const int32_t size : record.size) {
    if (size <= 0)
      return 0;
    count *= uint64_t(size);
    if (count > kMaxScanVoxels)
      return 0;
  }
  return record.bytesPerVoxel == 1 || record.bytesPerVoxel == 2 ? count : 0;
}

// Whether the voxels come, all of them, either in the shared file or as a stretch of a data
// file that holds it.
bool ValidHandOver(const DecodedRecord& record, uint64_t count)
{
  const VoxelExtent& extent = record.extent;
  if (extent.type == StoredType::None)
    return record.sharedBytes == count * sizeof(unsigned short);
  const uint64_t bytes = count * StoredSize(extent.type);
  return record.sharedBytes == 0 && extent.count == count && bytes > 0 && extent.offset <= extent.file.size &&
         extent.file.size - extent.offset >= bytes;
}

// The voxels of the stretch, read by the program itself into memory of its own (labels:
// only the pages they are set in); empty after an "Error: " line, with `failure` the
// reader's code for it (memory that could not be had, or a read that failed).
MemoryMapping ReadStretch(const VoxelExtent& extent, const std::string& path, const std::string& dataPath,
                          VoxelUse use, int& failure)
{
  failure = kScanNoMemory;
  const VoxelWrites writes = use == VoxelUse::Labels ? VoxelWrites::NonZero : VoxelWrites::Every;
  // The program takes no more memory for a read than the helper may: a file that needs
  // more fails as it would in the helper.
  if (extent.count * sizeof(unsigned short) + ConversionBytes(extent, writes) > g_Limits.memoryBytes) {
    ReportOutOfMemory(path, g_Limits.memoryBytes);
    return MemoryMapping();
  }
  const size_t bytes = size_t(extent.count) * sizeof(unsigned short);
  MemoryMapping voxels = writes == VoxelWrites::NonZero ? MemoryMapping::Zeroed(bytes) : MemoryMapping::Private(bytes);
  if (!voxels.Data()) {
    diag::Error("No memory for the voxels of " + dataPath + ": " + std::strerror(errno));
    return MemoryMapping();
  }
  if (g_BeforeVoxelRead)
    g_BeforeVoxelRead(dataPath);
  try {
    if (ReadVoxelExtent(dataPath, extent, static_cast<uint16_t*>(voxels.Data()), writes))
      return voxels;
    failure = kScanOpenFailed;
  } catch (const std::bad_alloc&) {  // the buffer of a type that is converted
    diag::Error("No memory to convert the voxels of " + dataPath);
  }
  return MemoryMapping();
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

namespace {

// The helper of that name beside the configured one; none when reads run in this process.
std::string HelperBeside(const char* name)
{
  return g_Helper.empty() ? g_Helper : (std::filesystem::path(g_Helper).parent_path() / name).string();
}

}  // namespace

std::string VolumeHelper()
{
  return HelperBeside(kVolumeHelperName);
}

std::string ImageHelper()
{
  return HelperBeside(kImageHelperName);
}

void SetBeforeVoxelRead(std::function<void(const std::string&)> hook)
{
  g_BeforeVoxelRead = std::move(hook);
}

void SetAfterCheck(std::function<void(const std::string&)> hook)
{
  g_AfterCheck = std::move(hook);
}

void SetLimits(const Limits& limits)
{
  g_Limits = limits;
}

const Limits& CurrentLimits()
{
  return g_Limits;
}

int ReadScan(LOCTVolume& volume, const std::string& path, ScanRoute route, VoxelUse use)
{
  DecodedRecord record;
  FileDescriptor shared;
  std::string dataPath;
  const std::string helper = ToolkitVolumeFormat(route) != FormatNA ? VolumeHelper() : g_Helper;
  bool noMemory = false;
  if (!Decode(helper, kScanRequest, path, record, shared, dataPath, noMemory))
    return noMemory ? kScanNoMemory : kScanOpenFailed;
  if (record.result != kScanOk)
    return record.result;
  const uint64_t count = VoxelsAnnounced(record);
  if (count == 0 || !ValidHandOver(record, count))
    return HandOverFailed(path);
  MemoryMapping mapping;
  if (record.extent.type == StoredType::None) {
    errno = 0;
    mapping = MapExactly(shared, record.sharedBytes);
    if (!mapping.Data() && errno == ENOMEM) {
      diag::Error("No memory to map the voxels of " + path);
      return kScanNoMemory;
    }
    if (!mapping.Data())
      return HandOverFailed(path);
  } else {
    int failure = kScanOk;
    mapping = ReadStretch(record.extent, path, dataPath, use, failure);
    if (!mapping.Data())
      return failure;
  }

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
  MappedVoxels::Pointer voxels = MappedVoxels::New();
  voxels->Adopt(std::move(mapping), size_t(count));
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
  std::string dataPath;
  bool noMemory = false;  // a picture has no code of its own for it
  if (!Decode(ImageHelper(), kImageRequest, path, record, shared, dataPath, noMemory) || record.result != 0) {
    (void)image.Adopt(nothing, nullptr, 0);  // a failed load holds no image
    return -1;
  }
  const MemoryMapping mapping = MapExactly(shared, record.sharedBytes);
  const LImage2D::Description described{record.width, record.height, record.bitsPerPixel, record.fileType,
                                        record.planes};
  // Pictures always come in the shared file.
  if (!dataPath.empty() || !image.Adopt(described, static_cast<const uint8_t*>(mapping.Data()), mapping.Bytes())) {
    (void)image.Adopt(nothing, nullptr, 0);
    return HandOverFailed(path);
  }
  return 0;
}

}  // namespace decoder
