#include "data/DecodeVolume.h"

#include "data/ItkVolumeExtent.h"
#include "data/MappedVoxels.h"
#include "data/ReadableFile.h"
#include "data/ScanRoute.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace decoder {

namespace {

// The route LOCTVolume::ReadScanFile takes for the file.
ScanRoute RouteOf(const std::string& path)
{
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(readable::NameToOpen(path), error);
  return ClassifyScanPath(path, error ? 0 : uint64_t(size));
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

// A MetaImage whose voxels lie as one stretch of one data file: its header in the record and
// the stretch for the program to read. kNoVoxelExtent for every other file.
int DescribeStretch(const std::string& path, DecodedRecord& record, std::string& dataPath)
{
  if (RouteOf(path) != ScanRoute::MetaImage)
    return kNoVoxelExtent;
  LOCTVolume header;
  const int described = DescribeVoxelExtent(path, header, record.extent, dataPath);
  if (described == kScanOk) {
    RecordFields(header, record);
    record.dataPathBytes = static_cast<uint32_t>(dataPath.size());
  }
  return described;
}

}  // namespace

int DecodeVolume(const std::string& path, DecodedRecord& record, std::string& dataPath, VolumeReader read)
{
  if (const int described = DescribeStretch(path, record, dataPath); described != kNoVoxelExtent)
    return described;
  MappedVoxels::ServeEveryImage();
  MappedVoxels::PlaceNextBufferIn(kSharedFd);
  LOCTVolume volume;
  const int result = read(volume, path);
  if (result != kScanOk)
    return result;
  return ShareVolume(volume, record) ? kScanOk : kScanOpenFailed;
}

int ReadToolkitVolume(LOCTVolume& volume, const std::string& path)
{
  const ScanFormat format = ToolkitVolumeFormat(RouteOf(path));
  return format == FormatNA ? UnsupportedScan() : volume.ReadItkVolume(path, format);
}

}  // namespace decoder
