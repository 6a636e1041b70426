#pragma once
// The voxels of an uncompressed volume file that lie as one stretch of stored values in one
// data file. The decoder helper reads and checks the header and names the stretch; the
// program then reads the bytes itself, which costs what reading the file costs, instead of
// receiving voxels the helper read for it. The identity of the data file travels with the
// stretch, so that a file replaced or changed after the helper checked it is refused rather
// than read as something the header never described.
#include <cstddef>
#include <cstdint>
#include <string>

namespace decoder {

// How the file stores one voxel.
enum class StoredType : int32_t {
  None = 0,  // no stretch: the voxels come decoded
  UInt8,
  Int8,
  UInt16,
  Int16,
  UInt32,
  Int32,
  UInt64,
  Int64,
  Float32,
  Float64,
};

// Bytes of one stored voxel; 0 for None or a value outside the type.
size_t StoredSize(StoredType type);

// What identifies one version of a file.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
};

// The stretch: `count` voxels of `type` from `offset` on, in the byte order given. Plain
// data: it is part of the helper's result record.
struct VoxelExtent {
  FileIdentity file;
  uint64_t offset = 0;
  uint64_t count = 0;
  StoredType type = StoredType::None;
  int32_t bigEndian = 0;
};

// The identity of the file at `path` (symbolic links followed); false when it is not a
// regular file that can be examined.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// Which voxels ReadVoxelExtent writes: every one, or only those that are not 0, into voxels
// that read as 0 already (so that the pages of nothing but 0 stay untouched).
enum class VoxelWrites { Every, NonZero };

// The memory ReadVoxelExtent takes for the stretch on top of the voxels it fills: none for
// stored types that go straight into the voxels, a slab or a buffer of wider values for the
// others.
uint64_t ConversionBytes(const VoxelExtent& extent, VoxelWrites writes = VoxelWrites::Every);

// Reads the stretch from the data file at `path` into `voxels` (room for extent.count
// voxels), converted to unsigned 16 bits exactly as the toolkit-format reader converts the
// same values. True on success; false after an "Error: " line when the file cannot be
// opened, is not the file the helper checked, or changes or ends while it is read.
bool ReadVoxelExtent(const std::string& path, const VoxelExtent& extent, uint16_t* voxels,
                     VoxelWrites writes = VoxelWrites::Every);

}  // namespace decoder
