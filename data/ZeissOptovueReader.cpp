#include "data/DeviceScanHeaders.h"
#include "data/LOCTVolume.h"

#include <algorithm>
#include <cerrno>
#include <vector>

int LOCTVolume::ReadZeissRaw(const std::string& path, uint32_t fileSize)
{
  loaded = false;
  if (devicescan::GetZeissGeometry(fileSize, *this) != kScanOk)
    return kScanUnsupported;
  binary::FileReader in;
  if (!devicescan::OpenScanFile(path, in))
    return kScanOpenFailed;
  if (binary::BoundedProduct({sizeX, sizeY, sizeZ}, in.Size()) == 0)
    return UnsupportedScan();
  const uint64_t plane = uint64_t(sizeX) * uint64_t(sizeY);
  if (!devicescan::AllocateFromFields(*this))
    return devicescan::FileFailure(path, ENOMEM);

  // Each B-scan of the file is the stored B-scan turned by 180 degrees: bottom row first,
  // every row right to left, which is the stored B-scan's bytes in reverse.
  std::vector<unsigned char> bscan(plane);
  unsigned short* slice = Voxels();
  for (int32_t z = 0; z < sizeZ; ++z, slice += plane) {
    if (!in.ReadBytes(bscan.data(), plane))
      return devicescan::FileFailure(path, EIO);
    std::reverse_copy(bscan.begin(), bscan.end(), slice);
  }
  loaded = true;
  return kScanOk;
}

int LOCTVolume::ReadOptovueRaw(const std::string& path, uint32_t fileSize)
{
  loaded = false;
  if (devicescan::GetOptovueGeometry(fileSize, *this) != kScanOk)
    return kScanUnsupported;
  binary::FileReader in;
  if (!devicescan::OpenScanFile(path, in))
    return kScanOpenFailed;
  if (binary::BoundedProduct({sizeX, sizeY, sizeZ, int64_t(sizeof(float))}, in.Size()) == 0)
    return UnsupportedScan();
  const uint64_t plane = uint64_t(sizeX) * uint64_t(sizeY);
  if (!devicescan::AllocateFromFields(*this))
    return devicescan::FileFailure(path, ENOMEM);

  // The file holds A-scans (x ascending), each from the bottom sample up; the samples are
  // little-endian floats, the host's own order.
  std::vector<float> bscan(plane);
  unsigned short* slice = Voxels();
  for (int32_t z = 0; z < sizeZ; ++z, slice += plane) {
    if (!in.ReadBytes(bscan.data(), plane * sizeof(float)))
      return devicescan::FileFailure(path, EIO);
    const float* aScan = bscan.data();
    for (int32_t x = 0; x < sizeX; ++x, aScan += sizeY)
      for (int32_t s = 0; s < sizeY; ++s)
        slice[x + uint64_t(sizeX) * uint64_t(sizeY - 1 - s)] = devicescan::OptovueValue(aScan[s]);
  }
  loaded = true;
  return kScanOk;
}
