#include "data/DeviceScanHeaders.h"
#include "data/LOCTVolume.h"

#include <cerrno>

int LOCTVolume::ReadTopconFds(const std::string& path)
{
  loaded = false;
  binary::FileReader in;
  if (!devicescan::OpenScanFile(path, in))
    return kScanOpenFailed;
  uint64_t dataOffset = 0;
  if (devicescan::ReadTopconHeader(in, *this, dataOffset) != kScanOk)
    return kScanUnsupported;
  if (!devicescan::AllocateFromFields(*this))
    return devicescan::FileFailure(path, ENOMEM);

  // The voxels are big-endian 16-bit values already in the volume's own order: read them
  // straight into the image and turn each around.
  const uint64_t count = VoxelCount();
  unsigned short* voxels = Voxels();
  if (!in.Seek(dataOffset) || !in.ReadBytes(voxels, count * sizeof(unsigned short)))
    return devicescan::FileFailure(path, EIO);
  for (uint64_t i = 0; i < count; ++i)
    voxels[i] = static_cast<unsigned short>((voxels[i] >> 8) | (voxels[i] << 8));
  loaded = true;
  return kScanOk;
}
