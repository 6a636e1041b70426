#include "data/VoxelExtent.h"

#include "data/BinaryReader.h"
#include "data/ByteVoxelRead.h"
#include "data/Diagnostics.h"
#include "data/FileDescriptor.h"
#include "data/NonZeroCopy.h"
#include "data/ReadableFile.h"
#include "data/VoxelRange.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace decoder {

namespace {

// Bytes per slab of a volume read through a buffer: small enough to stay in cache while it
// is widened or sifted.
constexpr size_t kSlabBytes = size_t(4) << 20;

FileIdentity IdentityOf(const struct stat& status)
{
  FileIdentity identity;
  identity.device = uint64_t(status.st_dev);
  identity.inode = uint64_t(status.st_ino);
  identity.size = uint64_t(status.st_size);
  identity.modifiedSeconds = int64_t(status.st_mtim.tv_sec);
  identity.modifiedNanoseconds = int64_t(status.st_mtim.tv_nsec);
  return identity;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b)
{
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedSeconds == b.modifiedSeconds &&
         a.modifiedNanoseconds == b.modifiedNanoseconds;
}

// The open data file, as long as it is the file the helper checked.
class CheckedFile {
public:
  CheckedFile(const std::string& path, const FileIdentity& expected) : m_Path(path), m_Expected(expected)
  {
    readable::ReadableFile file = readable::Open(path);
    m_File = std::move(file.descriptor);
    if (!m_File.IsOpen()) {
      readable::ReportRefusal(path, file);
      Refuse("cannot be opened: " + file.refusal);
    } else if (!Unchanged()) {
      Refuse("is not the file whose header was checked");
    }
  }

  bool IsGood() const { return m_Good; }

  // Reads `bytes` bytes from `offset` on; false after the line when the file ends first.
  bool ReadAt(void* out, uint64_t bytes, uint64_t offset)
  {
    if (!m_Good)
      return false;
    errno = 0;  // the end of the file sets none
    if (readable::ReadAt(m_File, out, bytes, offset))
      return true;
    return Refuse(errno != 0 ? std::string("cannot be read: ") + std::strerror(errno) : "ended before its voxels");
  }

  // True when the file is still the one checked, after the line otherwise.
  bool StillUnchanged() { return m_Good && (Unchanged() || Refuse("changed while it was read")); }

private:
  bool Unchanged() const
  {
    struct stat status{};
    return ::fstat(m_File.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
           SameFile(IdentityOf(status), m_Expected);
  }

  bool Refuse(const std::string& why)
  {
    diag::Error("The data file " + m_Path + " " + why);
    m_Good = false;
    return false;
  }

  std::string m_Path;
  FileIdentity m_Expected;
  FileDescriptor m_File;
  bool m_Good = true;
};

void SwapEachPair(uint16_t* values, uint64_t count)
{
  for (uint64_t i = 0; i < count; ++i)
    values[i] = uint16_t((values[i] >> 8) | (values[i] << 8));
}

bool HostIsBigEndian()
{
  return __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;
}

// The stretch a slab at a time through a buffer of its stored values: put(values, count,
// index of the first) takes each slab.
template <typename Stored, typename Put>
bool ReadInSlabs(CheckedFile& file, const VoxelExtent& extent, Put put)
{
  const uint64_t slab = std::min<uint64_t>(kSlabBytes / sizeof(Stored), extent.count);
  const std::unique_ptr<Stored[]> values(new Stored[size_t(slab)]);
  for (uint64_t first = 0; first < extent.count; first += slab) {
    const uint64_t count = std::min(slab, extent.count - first);
    if (!file.ReadAt(values.get(), count * sizeof(Stored), extent.offset + first * sizeof(Stored)))
      return false;
    put(values.get(), size_t(count), first);
  }
  return true;
}

bool ReadUnsigned16(CheckedFile& file, const VoxelExtent& extent, uint16_t* voxels, VoxelWrites writes)
{
  const bool swap = bool(extent.bigEndian) != HostIsBigEndian();
  if (writes == VoxelWrites::NonZero)
    return ReadInSlabs<uint16_t>(file, extent, [&](uint16_t* values, size_t count, uint64_t first) {
      if (swap)
        SwapEachPair(values, count);
      CopyNonZero(values, count, voxels + first);
    });
  if (!file.ReadAt(voxels, extent.count * 2, extent.offset))
    return false;
  if (swap)
    SwapEachPair(voxels, extent.count);
  return true;
}

bool ReadBytesWidened(CheckedFile& file, const VoxelExtent& extent, uint16_t* voxels, VoxelWrites writes)
{
  return ReadInSlabs<unsigned char>(file, extent, [&](const unsigned char* bytes, size_t count, uint64_t first) {
    if (writes == VoxelWrites::NonZero)
      CopyNonZero(bytes, count, voxels + first);
    else
      WidenBytes(bytes, count, voxels + first);
  });
}

// Values of another stored type, held as Wide (float or double, which hold each stored
// value exactly or round it as the toolkit does), then brought into unsigned 16 bits. The
// stored bytes are read into the top of the Wide buffer and decoded from the bottom up, so
// that no second buffer of the file's size is needed: value i is written below every stored
// value not yet decoded.
template <typename Stored, typename Wide>
bool ReadConverted(CheckedFile& file, const VoxelExtent& extent, bool storedAsFloat, uint16_t* voxels)
{
  static_assert(sizeof(Stored) <= sizeof(Wide), "the stored values fit in the buffer");
  const size_t count = size_t(extent.count);
  const std::unique_ptr<Wide[]> values(new Wide[count]);
  unsigned char* const storage = reinterpret_cast<unsigned char*>(values.get());
  unsigned char* const stored = storage + count * (sizeof(Wide) - sizeof(Stored));
  if (!file.ReadAt(stored, uint64_t(count) * sizeof(Stored), extent.offset) || !file.StillUnchanged())
    return false;
  for (size_t i = 0; i < count; ++i) {
    const Wide value = static_cast<Wide>(binary::Decode<Stored>(stored + i * sizeof(Stored), extent.bigEndian != 0));
    std::memcpy(storage + i * sizeof(Wide), &value, sizeof(Wide));
  }
  ConvertVoxelsToUnsigned16(values.get(), count, storedAsFloat, voxels);
  return true;
}

// Stored types other than unsigned 8 and 16 bits, rare for labels, are written whole.
bool ReadAndConvert(CheckedFile& file, const VoxelExtent& extent, uint16_t* voxels, VoxelWrites writes)
{
  switch (extent.type) {
  case StoredType::UInt8: return ReadBytesWidened(file, extent, voxels, writes) && file.StillUnchanged();
  case StoredType::UInt16: return ReadUnsigned16(file, extent, voxels, writes) && file.StillUnchanged();
  case StoredType::Int8: return ReadConverted<int8_t, float>(file, extent, false, voxels);
  case StoredType::Int16: return ReadConverted<int16_t, float>(file, extent, false, voxels);
  case StoredType::Float32: return ReadConverted<float, float>(file, extent, true, voxels);
  case StoredType::UInt32: return ReadConverted<uint32_t, double>(file, extent, false, voxels);
  case StoredType::Int32: return ReadConverted<int32_t, double>(file, extent, false, voxels);
  case StoredType::UInt64: return ReadConverted<uint64_t, double>(file, extent, false, voxels);
  case StoredType::Int64: return ReadConverted<int64_t, double>(file, extent, false, voxels);
  case StoredType::Float64: return ReadConverted<double, double>(file, extent, true, voxels);
  case StoredType::None: break;
  }
  return false;
}

}  // namespace

size_t StoredSize(StoredType type)
{
  switch (type) {
  case StoredType::UInt8:
  case StoredType::Int8: return 1;
  case StoredType::UInt16:
  case StoredType::Int16: return 2;
  case StoredType::UInt32:
  case StoredType::Int32:
  case StoredType::Float32: return 4;
  case StoredType::UInt64:
  case StoredType::Int64:
  case StoredType::Float64: return 8;
  case StoredType::None: break;
  }
  return 0;
}

uint64_t ConversionBytes(const VoxelExtent& extent, VoxelWrites writes)
{
  switch (extent.type) {
  case StoredType::UInt8: return std::min<uint64_t>(kSlabBytes, extent.count);
  case StoredType::UInt16: return writes == VoxelWrites::NonZero ? std::min<uint64_t>(kSlabBytes, 2 * extent.count) : 0;
  case StoredType::None: return 0;
  case StoredType::Int8:
  case StoredType::Int16:
  case StoredType::Float32: return extent.count * sizeof(float);
  default: return extent.count * sizeof(double);
  }
}

bool IdentifyFile(const std::string& path, FileIdentity& identity)
{
  struct stat status{};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return false;
  identity = IdentityOf(status);
  return true;
}

bool ReadVoxelExtent(const std::string& path, const VoxelExtent& extent, uint16_t* voxels, VoxelWrites writes)
{
  CheckedFile file(path, extent.file);
  return file.IsGood() && ReadAndConvert(file, extent, voxels, writes);
}

}  // namespace decoder
