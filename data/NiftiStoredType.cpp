#include "data/NiftiStoredType.h"

#include "data/BinaryReader.h"
#include "data/ReadableFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <zlib.h>

namespace {

// Where the two versions keep the fields, and the header sizes that tell them apart.
struct HeaderLayout {
  int32_t size;
  size_t datatypeAt;
  size_t dimAt;         // dim[0..7], 16-bit in NIfTI-1 and Analyze, 64-bit in NIfTI-2
  size_t offsetAt;      // vox_offset, a 32-bit float in NIfTI-1 and Analyze, 64-bit in NIfTI-2
  size_t magicAt;
  const char* oneFile;  // the magic of a header followed by its voxels in the same file
};
constexpr HeaderLayout kNifti1{348, 70, 40, 108, 344, "n+1"};
constexpr HeaderLayout kNifti2{540, 12, 16, 168, 4, "n+2"};
constexpr int kMaxAxes = 7;
// Voxels said to begin further out than this lie beyond any file.
constexpr double kFarthestOffset = 4.0e18;

// The bytes of one voxel of the datatype; 0 for a type the decoder refuses (binary, unknown).
uint64_t VoxelBytesOf(int16_t type)
{
  switch (type) {
  case 2: case 256: return 1;                       // uint8, int8
  case 4: case 512: return 2;                       // int16, uint16
  case 128: return 3;                               // RGB24
  case 8: case 16: case 768: case 2304: return 4;   // int32, float32, uint32, RGBA32
  case 32: case 64: case 1024: case 1280: return 8; // complex64, float64, int64, uint64
  case 1536: case 1792: return 16;                  // float128, complex128
  case 2048: return 32;                             // complex256
  default: return 0;
  }
}

bool IsFloatingPointType(int16_t type)
{
  switch (type) {
  case 16: case 32: case 64: case 1536: case 1792: case 2048: return true;
  default: return false;
  }
}

class HeaderFields {
public:
  HeaderFields(const unsigned char* head, const HeaderLayout& layout, bool big)
    : m_Head(head), m_Layout(layout), m_Big(big) {}

  int16_t Datatype() const { return binary::Decode<int16_t>(m_Head + m_Layout.datatypeAt, m_Big); }
  bool OneFile() const { return std::memcmp(m_Head + m_Layout.magicAt, m_Layout.oneFile, 4) == 0; }

  int64_t Dim(int index) const
  {
    const unsigned char* at = m_Head + m_Layout.dimAt;
    return Wide() ? binary::Decode<int64_t>(at + 8 * index, m_Big) : binary::Decode<int16_t>(at + 2 * index, m_Big);
  }

  // The voxels over the declared axes, as the decoder counts them: the first must have a
  // size, a size below 1 on a later one counts as 1. 0 when they cannot be counted.
  uint64_t Voxels() const
  {
    const int64_t axes = Dim(0);
    if (axes < 1 || axes > kMaxAxes || Dim(1) < 1)
      return 0;
    uint64_t count = 1;
    for (int axis = 1; axis <= axes; ++axis) {
      const uint64_t size = uint64_t(std::max<int64_t>(Dim(axis), 1));
      if (size > UINT64_MAX / count)
        return 0;
      count *= size;
    }
    return count;
  }

  // Where the voxels begin: never inside the header of a one-file NIfTI, never before the
  // start of a separate data file; -1 past any file.
  int64_t DataOffset() const
  {
    const unsigned char* at = m_Head + m_Layout.offsetAt;
    const double offset = Wide() ? double(binary::Decode<int64_t>(at, m_Big)) : binary::Decode<float>(at, m_Big);
    if (!(offset < kFarthestOffset))
      return -1;
    const double start = OneFile() ? double(m_Layout.size) : 0.0;
    return int64_t(std::max(std::floor(offset), start));
  }

private:
  bool Wide() const { return m_Layout.size == kNifti2.size; }

  const unsigned char* m_Head;  // borrowed: the caller's header bytes
  const HeaderLayout& m_Layout;
  bool m_Big;
};

// Calls `take` with the fields of the header at path; false when there is none.
template <typename Take>
bool WithHeader(const std::string& path, Take take)
{
  // zlib passes a file that is not compressed through unchanged.
  const readable::GzipStream file = readable::OpenGzip(path);
  unsigned char head[kNifti2.size];
  const int read = file ? gzread(file.get(), head, sizeof head) : -1;
  for (const bool big : {false, true})
    for (const HeaderLayout* layout : {&kNifti1, &kNifti2})
      if (read >= layout->size && binary::Decode<int32_t>(head, big) == layout->size)
        return take(HeaderFields(head, *layout, big));
  return false;
}

}  // namespace

bool NiftiStorage::StoresFloatingPoint() const
{
  return IsFloatingPointType(datatype);
}

bool ReadNiftiStorage(const std::string& path, NiftiStorage& storage)
{
  return WithHeader(path, [&](const HeaderFields& header) {
    storage.datatype = header.Datatype();
    storage.voxelBytes = VoxelBytesOf(storage.datatype);
    storage.voxels = header.Voxels();
    storage.oneFile = header.OneFile();
    const int64_t offset = header.DataOffset();
    storage.dataOffset = uint64_t(std::max<int64_t>(offset, 0));
    const uint64_t room = UINT64_MAX - storage.dataOffset;
    return storage.voxelBytes != 0 && storage.voxels != 0 && offset >= 0 &&
           storage.voxels <= room / storage.voxelBytes;
  });
}

bool NiftiStoresFloatingPoint(const std::string& path)
{
  NiftiStorage storage;
  return ReadNiftiStorage(path, storage) && storage.StoresFloatingPoint();
}

bool NiftiStoresColour(const std::string& path)
{
  NiftiStorage storage;
  return ReadNiftiStorage(path, storage) && storage.StoresColour();
}
