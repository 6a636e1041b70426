#include "data/LOCTVolume.h"

#include "data/Diagnostics.h"
#include "data/MappedVoxels.h"
#include "data/NonZeroCopy.h"
#include "data/VolumeMemoryLimit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

namespace {

// The image's spacing for the volume's voxel size. The toolkit refuses a zero (or
// non-finite) spacing, which files do carry (a single B-scan has no distance between
// B-scans); the image then gets the toolkit's default of 1 on that axis, the field keeps
// what the file says.
LOCTVolume::ImageType::SpacingType ImageSpacing(const float spacing[3])
{
  LOCTVolume::ImageType::SpacingType itkSpacing;
  for (unsigned axis = 0; axis < 3; ++axis) {
    const double value = static_cast<double>(spacing[axis]);
    itkSpacing[axis] = (value == 0.0 || !std::isfinite(value)) ? 1.0 : value;
  }
  return itkSpacing;
}

uint64_t g_VolumeByteLimit = UINT64_MAX;

// Voxels in memory of their own that reads as zeros and takes its pages only as they are
// written: a volume filled only here and there (labels) holds memory only there. In the
// decoder helper the buffer goes where the toolkit places it, the file shared with the
// program. The toolkit reports memory that cannot be had by throwing (its allocation error,
// or the standard library's): a full volume that does not fit is a failure the caller
// reports.
bool AllocateBuffer(LOCTVolume::ImageType& image)
{
  const uint64_t count = image.GetLargestPossibleRegion().GetNumberOfPixels();
  const uint64_t bytes = count * sizeof(unsigned short);
  if (bytes > g_VolumeByteLimit || bytes > SIZE_MAX)
    return false;
  if (count == 0 || decoder::MappedVoxels::NextBufferPlaced()) {
    try {
      image.Allocate();
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  decoder::MemoryMapping mapping = decoder::MemoryMapping::Zeroed(size_t(bytes));
  if (!mapping.Data())
    return false;
  const decoder::MappedVoxels::Pointer voxels = decoder::MappedVoxels::New();
  voxels->Adopt(std::move(mapping), size_t(count));
  image.SetPixelContainer(voxels);
  return true;
}

}  // namespace

ScopedVolumeMemoryLimit::ScopedVolumeMemoryLimit(uint64_t bytes) : m_Previous(g_VolumeByteLimit)
{
  g_VolumeByteLimit = bytes;
}

ScopedVolumeMemoryLimit::~ScopedVolumeMemoryLimit()
{
  g_VolumeByteLimit = m_Previous;
}

uint64_t ScopedVolumeMemoryLimit::Current()
{
  return g_VolumeByteLimit;
}

int UnsupportedScan()
{
  diag::PrintLine("Error: Unsupported OCT\n");
  return kScanUnsupported;
}

int LOCTVolume::CreateVolume(const int size[3], ScanFormat scanFormat, const float spacing[3],
                             int bytes, Laterality eye, CenterType center)
{
  if (!AllocateImage(size, spacing))
    return -1;
  sizeX = size[0];
  sizeY = size[1];
  sizeZ = size[2];
  format = scanFormat;
  spacingX = spacing[0];
  spacingY = spacing[1];
  spacingZ = spacing[2];
  bytesPerVoxel = bytes;
  laterality = eye;
  centerType = center;
  loaded = true;
  return 0;
}

void LOCTVolume::ShareVoxels(const LOCTVolume& source)
{
  loaded = source.loaded;
  sizeX = source.sizeX;
  sizeY = source.sizeY;
  sizeZ = source.sizeZ;
  format = source.format;
  spacingX = source.spacingX;
  spacingY = source.spacingY;
  spacingZ = source.spacingZ;
  bytesPerVoxel = source.bytesPerVoxel;
  laterality = source.laterality;
  centerType = source.centerType;
  image = source.image;
}

unsigned short* LOCTVolume::WritableVoxels()
{
  if (image && image->GetReferenceCount() > 1) {
    const ImageType::Pointer shared = image;
    ImageType::Pointer own = ImageType::New();
    own->CopyInformation(shared);
    own->SetRegions(shared->GetLargestPossibleRegion());
    if (!AllocateBuffer(*own))
      return nullptr;
    const unsigned short* from = shared->GetBufferPointer();
    unsigned short* to = own->GetBufferPointer();
    WrittenVoxels().ForEachWrittenRun(from, shared->GetPixelContainer()->Size(), [&](size_t first, size_t last) {
      CopyNonZero(from + first, last - first, to + first);
    });
    image = own;
  }
  return Voxels();
}

bool LOCTVolume::AllocateImage(const int size[3], const float spacing[3])
{
  ImageType::RegionType region;
  for (unsigned axis = 0; axis < 3; ++axis) {
    region.SetIndex(axis, 0);
    region.SetSize(axis, static_cast<itk::SizeValueType>(std::max(size[axis], 0)));
  }
  ImageType::Pointer fresh = ImageType::New();
  fresh->SetRegions(region);
  fresh->SetSpacing(ImageSpacing(spacing));
  if (!AllocateBuffer(*fresh))
    return false;
  image = fresh;
  return true;
}

void LOCTVolume::SetVoxelSize(const float spacing[3])
{
  spacingX = spacing[0];
  spacingY = spacing[1];
  spacingZ = spacing[2];
  if (image)
    image->SetSpacing(ImageSpacing(spacing));
}

WrittenPages LOCTVolume::WrittenVoxels() const
{
  const auto* voxels = image ? dynamic_cast<const decoder::MappedVoxels*>(image->GetPixelContainer()) : nullptr;
  if (!voxels || !voxels->IsPrivateMapping())
    return {};
  return WrittenPages(Voxels(), voxels->Size() * sizeof(unsigned short));
}

uint64_t LOCTVolume::VoxelCount() const
{
  if (sizeX <= 0 || sizeY <= 0 || sizeZ <= 0)
    return 0;
  return uint64_t(sizeX) * uint64_t(sizeY) * uint64_t(sizeZ);
}
