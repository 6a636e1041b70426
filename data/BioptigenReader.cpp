// Bioptigen ".oct" files: a header of named entries, taken by position, then one frame per
// B-scan, each frame holding its A-scans one after the other.
#include "data/BinaryReader.h"
#include "data/DeviceScanHeaders.h"
#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"

#include <cerrno>
#include <exception>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the 16-bit samples are little-endian and copied as they are");

namespace {

constexpr int kEntryCount = 22;
constexpr uint64_t kFramesAfterOffset = 25;    // the frames begin 25 bytes after D
constexpr uint64_t kFrameHeaderBytes = 130;
constexpr uint64_t kDopplerHeaderBytes = 22;

// One header entry's value: an int32 when it is 4 bytes long, a float64 when 8 bytes
// long. Missing or odd-sized values leave integers at 0 and ranges at -1.
struct EntryValue {
  int32_t integer = 0;
  double range = -1.0;
};

struct BioptigenHeader {
  int32_t sizeX = 0;
  int32_t sizeY = 0;
  int32_t sizeZ = 0;
  int32_t bytesPerVoxel = 0;
  double depthRange = -1.0;
  double lateralRange = -1.0;
  double frameRange = -1.0;
  bool doppler = false;
  uint64_t dataOffset = 0;

  uint64_t SamplesPerFrame() const { return uint64_t(sizeX) * uint64_t(sizeY); }
  // A frame with what follows it, up to the next frame.
  uint64_t FrameStride() const
  {
    const uint64_t samplesBytes = 2 * SamplesPerFrame();
    return kFrameHeaderBytes + samplesBytes + (doppler ? kDopplerHeaderBytes + samplesBytes : 0);
  }
};

// A length read from the file: non-negative and within what is left of the file.
bool ReadLength(binary::FileReader& in, int32_t& length)
{
  return in.ReadLE(length) && length >= 0 && in.Fits(uint64_t(length));
}

bool ReadEntry(binary::FileReader& in, EntryValue& value)
{
  int32_t keyLength = 0;
  int32_t valueLength = 0;
  if (!ReadLength(in, keyLength) || !in.Skip(uint64_t(keyLength)) ||
      !ReadLength(in, valueLength))
    return false;
  if (valueLength == 4)
    return in.ReadLE(value.integer);
  if (valueLength == 8)
    return in.ReadLE(value.range);
  return in.Skip(uint64_t(valueLength));
}

void TakeEntry(int index, const EntryValue& value, BioptigenHeader& header)
{
  switch (index) {
  case 0: header.sizeZ = value.integer; break;
  case 1: header.sizeX = value.integer; break;
  case 2: header.sizeY = value.integer; break;
  case 3: header.bytesPerVoxel = value.integer; break;
  case 12: header.depthRange = value.range; break;
  case 14: header.lateralRange = value.range; break;
  case 15: header.frameRange = value.range; break;
  case 20: header.doppler = value.integer == 1; break;
  default: break;
  }
}

// Reads the header and checks it against the file: positive sizes of a sane volume, frames
// that begin after the entries and that all fit in the file. 0, or kScanUnsupported with
// its line.
int ReadBioptigenHeader(binary::FileReader& in, BioptigenHeader& header)
{
  int32_t nameLength = 0;
  int32_t framesAt = 0;
  if (!in.Skip(6) || !ReadLength(in, nameLength) || !in.Skip(uint64_t(nameLength)) ||
      !in.ReadLE(framesAt))
    return UnsupportedScan();
  for (int index = 0; index < kEntryCount; ++index) {
    EntryValue value;
    if (!ReadEntry(in, value))
      return UnsupportedScan();
    TakeEntry(index, value, header);
  }
  const int64_t dataOffset = int64_t(framesAt) + int64_t(kFramesAfterOffset);
  if (dataOffset < int64_t(in.Tell()) || !in.Seek(uint64_t(dataOffset)))
    return UnsupportedScan();
  header.dataOffset = uint64_t(dataOffset);
  // The samples are 16-bit whatever the header says; a value range other than one or two
  // bytes would break every use of the maximum value.
  if (header.bytesPerVoxel != 1)
    header.bytesPerVoxel = 2;
  if (binary::BoundedProduct({header.sizeX, header.sizeY, header.sizeZ}, kMaxScanVoxels) == 0 ||
      !in.Fits(uint64_t(header.sizeZ) * header.FrameStride()))
    return UnsupportedScan();
  return kScanOk;
}

// Reads every frame into the volume: frame z holds the A-scans x = 0, 1, ... each from the
// top sample down, which the volume stores row by row.
bool ReadFrames(binary::FileReader& in, const BioptigenHeader& header, unsigned short* voxels)
{
  const uint64_t sizeX = uint64_t(header.sizeX);
  const uint64_t sizeY = uint64_t(header.sizeY);
  const uint64_t samples = header.SamplesPerFrame();
  std::vector<unsigned short> frame(samples);
  for (uint64_t z = 0; z < uint64_t(header.sizeZ); ++z) {
    if (!in.Seek(header.dataOffset + z * header.FrameStride() + kFrameHeaderBytes) ||
        !in.ReadBytes(frame.data(), 2 * samples))
      return false;
    unsigned short* slice = voxels + z * samples;
    for (uint64_t x = 0; x < sizeX; ++x) {
      const unsigned short* aScan = frame.data() + x * sizeY;
      for (uint64_t y = 0; y < sizeY; ++y)
        slice[x + sizeX * y] = aScan[y];
    }
  }
  return true;
}

}  // namespace

int LOCTVolume::ReadBioptigenOct(const std::string& path)
{
  binary::FileReader in;
  if (!devicescan::OpenScanFile(path, in))
    return kScanOpenFailed;
  BioptigenHeader header;
  if (const int result = ReadBioptigenHeader(in, header); result != kScanOk)
    return result;

  const int size[3] = {header.sizeX, header.sizeY, header.sizeZ};
  const float spacing[3] = {static_cast<float>(header.lateralRange) / float(header.sizeX),
                            static_cast<float>(header.depthRange) / float(header.sizeY),
                            static_cast<float>(header.frameRange) / float(header.sizeZ)};
  if (CreateVolume(size, FormatBioptigen, spacing, header.bytesPerVoxel, LateralityNA, CenterNA) != 0) {
    loaded = false;  // out of memory
    return kScanNoMemory;
  }
  errno = 0;
  if (!ReadFrames(in, header, Voxels())) {
    loaded = false;
    diag::ReportOpenFailure(path, errno != 0 ? errno : EIO);
    return kScanOpenFailed;
  }
  return kScanOk;
}
