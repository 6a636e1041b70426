#include "data/DecodeService.h"

#include "data/DecodeWire.h"
#include "data/Diagnostics.h"
#include "data/ItkVolumeExtent.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "data/MappedVoxels.h"
#include "data/ScanRoute.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <itkMultiThreaderBase.h>

namespace decoder {

namespace {

bool g_OutOfMemory = false;

// Failed allocations end in std::bad_alloc as before; the helper only notes that memory
// ran out, to say so.
void NoteOutOfMemory()
{
  g_OutOfMemory = true;
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

// The address space already in use, in bytes: the libraries and, in sanitizer builds, the
// shadow memory reserved at start, which the limit must not count.
uint64_t AddressSpaceInUse()
{
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long long pages = 0;
  if (statm) {
    if (std::fscanf(statm, "%llu", &pages) != 1)
      pages = 0;
    std::fclose(statm);
  }
  return pages * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

bool WriteAll(int fd, const void* data, size_t size)
{
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    at += n;
    size -= size_t(n);
  }
  return true;
}

// Puts `bytes` bytes into the shared file, unless the reader decoded into it already.
bool Share(const void* data, size_t bytes)
{
  if (::ftruncate(kSharedFd, static_cast<off_t>(bytes)) != 0)
    return false;
  const MemoryMapping mapping = MemoryMapping::Map(kSharedFd, bytes, false);
  if (bytes > 0 && !mapping.Data())
    return false;
  if (bytes > 0)
    std::memcpy(mapping.Data(), data, bytes);
  return true;
}

// The volume's fields and its image's geometry.
void RecordFields(const LOCTVolume& volume, DecodedRecord& record)
{
  record.size[0] = volume.sizeX;
  record.size[1] = volume.sizeY;
  record.size[2] = volume.sizeZ;
  record.format = volume.format;
  record.spacing[0] = volume.spacingX;
  record.spacing[1] = volume.spacingY;
  record.spacing[2] = volume.spacingZ;
  record.bytesPerVoxel = volume.bytesPerVoxel;
  record.laterality = volume.laterality;
  record.centerType = volume.centerType;
  const LOCTVolume::ImageType& image = *volume.image;
  for (unsigned i = 0; i < 3; ++i) {
    record.imageSpacing[i] = image.GetSpacing()[i];
    record.origin[i] = image.GetOrigin()[i];
    for (unsigned j = 0; j < 3; ++j)
      record.direction[3 * i + j] = image.GetDirection()(i, j);
  }
}

bool ShareVolume(const LOCTVolume& volume, DecodedRecord& record)
{
  RecordFields(volume, record);
  const LOCTVolume::ImageType& image = *volume.image;
  record.sharedBytes = volume.VoxelCount() * sizeof(unsigned short);
  const auto* voxels = dynamic_cast<const MappedVoxels*>(image.GetPixelContainer());
  return (voxels && voxels->IsMapped() && voxels->Size() == volume.VoxelCount()) ||
         Share(volume.Voxels(), record.sharedBytes);
}

bool ShareImage(const LImage2D& image, DecodedRecord& record)
{
  const LImage2D::Description description = image.Describe();
  record.width = description.width;
  record.height = description.height;
  record.bitsPerPixel = description.bitsPerPixel;
  record.fileType = description.fileType;
  record.planes = description.planes;
  record.sharedBytes = image.PlaneBytes();
  if (::ftruncate(kSharedFd, static_cast<off_t>(record.sharedBytes)) != 0)
    return false;
  const MemoryMapping mapping = MemoryMapping::Map(kSharedFd, record.sharedBytes, false);
  if (record.sharedBytes > 0 && !mapping.Data())
    return false;
  if (record.sharedBytes > 0)
    image.CopyPlanes(static_cast<uint8_t*>(mapping.Data()));
  return true;
}

// A MetaImage whose voxels lie as one stretch of one data file: its header in the record and
// the stretch for the program to read. kNoVoxelExtent for every other file.
int DescribeStretch(const std::string& path, DecodedRecord& record, std::string& dataPath)
{
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (ClassifyScanPath(path, error ? 0 : uint64_t(size)) != ScanRoute::MetaImage)
    return kNoVoxelExtent;
  LOCTVolume header;
  const int described = DescribeVoxelExtent(path, header, record.extent, dataPath);
  if (described == kScanOk) {
    RecordFields(header, record);
    record.dataPathBytes = static_cast<uint32_t>(dataPath.size());
  }
  return described;
}

// Reads the file into the record and the shared file, or describes where the program reads
// its voxels itself; the reader's code, or -1 when the result cannot be handed over.
int Decode(const DecodeRequest& request, DecodedRecord& record, std::string& dataPath)
{
  if (request.kind == kScanRequest) {
    if (const int described = DescribeStretch(request.path, record, dataPath); described != kNoVoxelExtent)
      return described;
    MappedVoxels::ServeEveryImage();
    MappedVoxels::PlaceNextBufferIn(kSharedFd);
    LOCTVolume volume;
    const int result = volume.ReadScanFile(request.path);
    if (result != kScanOk)
      return result;
    return ShareVolume(volume, record) ? kScanOk : kScanOpenFailed;
  }
  LImage2D image;
  const int result = image.Load(request.path);
  if (result != 0)
    return result;
  return ShareImage(image, record) ? 0 : -1;
}

}  // namespace

void ReportOutOfMemory(const std::string& path, uint64_t memoryBytes)
{
  diag::Error("Reading " + path + " needs more memory than the decoder may use (" + std::to_string(memoryBytes >> 20) +
              " MiB)");
}

std::vector<std::string> RequestArguments(const DecodeRequest& request)
{
  return {request.kind, request.path, std::to_string(request.memoryBytes), std::to_string(request.parent)};
}

bool ParseRequest(int argc, char** argv, DecodeRequest& request)
{
  if (argc != 5)
    return false;
  request.kind = argv[1];
  request.path = argv[2];
  char* end = nullptr;
  request.memoryBytes = std::strtoull(argv[3], &end, 10);
  if (*end != '\0')
    return false;
  request.parent = static_cast<pid_t>(std::strtol(argv[4], &end, 10));
  return *end == '\0' && (request.kind == kScanRequest || request.kind == kImageRequest);
}

bool EnterLimits(const DecodeRequest& request)
{
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != request.parent)
    return false;
  const rlimit noCore{0, 0};
  const uint64_t limit = AddressSpaceInUse() + request.memoryBytes;
  const rlimit memory{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
  return ::setrlimit(RLIMIT_CORE, &noCore) == 0 && ::setrlimit(RLIMIT_AS, &memory) == 0;
}

int Serve(const DecodeRequest& request, const std::function<void()>& beforeRead)
{
  // One file is read on the helper's own thread: the toolkit's pool of workers, which its
  // reader objects start by default, costs more to start than a read gains from it.
  itk::MultiThreaderBase::SetGlobalDefaultThreader(itk::MultiThreaderBase::ThreaderEnum::Platform);
  itk::MultiThreaderBase::SetGlobalDefaultNumberOfThreads(1);
  DecodedRecord record;
  std::string dataPath;
  std::set_new_handler(NoteOutOfMemory);
  try {
    if (beforeRead)
      beforeRead();
    record.result = Decode(request, record, dataPath);
  } catch (const std::bad_alloc&) {
    g_OutOfMemory = true;
    record.result = -1;
  }
  if (g_OutOfMemory) {
    ReportOutOfMemory(request.path, request.memoryBytes);
    record.result = -1;
  }
  if (record.result != 0) {
    record.sharedBytes = 0;
    record.extent = VoxelExtent();
    record.dataPathBytes = 0;
    dataPath.clear();
  }
  std::fflush(nullptr);
  return WriteAll(kResultFd, &record, sizeof record) && WriteAll(kResultFd, dataPath.data(), dataPath.size()) ? 0 : 1;
}

}  // namespace decoder
