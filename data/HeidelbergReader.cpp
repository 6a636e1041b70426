#include "data/DeviceScanHeaders.h"
#include "data/LOCTVolume.h"

#include <cerrno>
#include <vector>

int LOCTVolume::ReadHeidelbergVol(const std::string& path)
{
  loaded = false;
  binary::FileReader in;
  if (!devicescan::OpenScanFile(path, in))
    return kScanOpenFailed;
  devicescan::HeidelbergLayout layout;
  if (devicescan::ReadHeidelbergHeader(in, *this, layout) != kScanOk)
    return kScanUnsupported;
  if (!devicescan::AllocateFromFields(*this))
    return devicescan::FileFailure(path, ENOMEM);

  // Each B-scan follows its own header, rows from the top, samples as little-endian floats
  // (the host's order); the file holds the B-scans in the reverse of the volume's order.
  const uint64_t plane = uint64_t(sizeX) * uint64_t(sizeY);
  std::vector<float> bscan(plane);
  if (!in.Seek(layout.firstBscanOffset))
    return devicescan::FileFailure(path, EIO);
  for (int32_t k = 0; k < sizeZ; ++k) {
    if (!in.Skip(uint64_t(layout.bscanHeaderSize)) || !in.ReadBytes(bscan.data(), plane * sizeof(float)))
      return devicescan::FileFailure(path, EIO);
    devicescan::ConvertHeidelbergSamples(bscan.data(), plane, Voxels() + plane * uint64_t(sizeZ - 1 - k));
  }
  loaded = true;
  return kScanOk;
}
